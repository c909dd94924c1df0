// The private window messages with which the link worker's notices, and the
// port list's probe results, reach the main dialog. WM_SENTENCE carries the worker's running count in wParam and,
// in lParam, the slot index (low 8 bits) and the low 16 bits of the worker's
// run (bits 16 to 31), so that both fit the 32-bit LPARAM of 32-bit Windows
// too. The receiver widens the run again against the run now open: a notice
// is handled in the next pass of the message loop, never 65536 port openings
// after it was posted, so the nearest run at or below the open one is its run.
#pragma once

#include <windows.h>

#include <cstdint>

namespace brisko {

inline constexpr UINT WM_SENTENCE = WM_APP + 100;   // 0x8064
inline constexpr UINT WM_PORT_LOST = WM_APP + 101;  // wParam: the low 16 bits of the run
// A probe of the port list finished: wParam the port number, lParam 1 when it opened.
inline constexpr UINT WM_PORT_PROBED = WM_APP + 102;

struct SentenceNotice {
  std::uint16_t run;  // low 16 bits
  std::uint32_t sequenceNumber;
  int slotIndex;
};

inline WPARAM SentenceWParam(std::uint32_t sequenceNumber) { return static_cast<WPARAM>(sequenceNumber); }

inline LPARAM SentenceLParam(std::uint32_t run, int slotIndex) {
  return static_cast<LPARAM>(((run & 0xFFFFu) << 16) | (static_cast<std::uint32_t>(slotIndex) & 0xFFu));
}

inline SentenceNotice ReadSentenceMessage(WPARAM wParam, LPARAM lParam) {
  const auto bits = static_cast<std::uint32_t>(lParam);
  return {static_cast<std::uint16_t>(bits >> 16), static_cast<std::uint32_t>(wParam), static_cast<int>(bits & 0xFFu)};
}

// The whole run whose low 16 bits are `low`: the nearest at or below `openRun`.
inline std::uint32_t WidenRun(std::uint16_t low, std::uint32_t openRun) {
  std::uint32_t run = (openRun & 0xFFFF0000u) | low;
  if (run > openRun) run -= 0x10000u;  // wraps below 0 as the run counter itself does
  return run;
}

}  // namespace brisko
