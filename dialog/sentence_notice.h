// How a sentence posted by the link worker travels through a front end's
// event queue back to LoggerDialog: two 32-bit words, so that it fits a
// window message's WPARAM and LPARAM on 32-bit Windows too. The first word is
// the worker's running count; the second holds the slot index (low 8 bits)
// and the low 16 bits of the worker's run (bits 16 to 31). The run is widened
// again against the run open when the notice is handled: that happens in the
// next pass of the event loop, never 65536 port openings after the post, so
// the nearest run at or below the open one is its run.
#pragma once

#include <cstdint>

namespace brisko {

struct SentenceNotice {
  std::uint32_t sequenceNumber;
  std::uint32_t runAndSlot;
};

struct PostedSentence {
  std::uint32_t run;
  std::uint32_t sequenceNumber;
  int slotIndex;
};

inline SentenceNotice PackSentence(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex) {
  return {sequenceNumber, ((run & 0xFFFFu) << 16) | (static_cast<std::uint32_t>(slotIndex) & 0xFFu)};
}

// The posted sentence again, its run widened against `openRun`.
inline PostedSentence UnpackSentence(SentenceNotice notice, std::uint32_t openRun) {
  std::uint32_t run = (openRun & 0xFFFF0000u) | (notice.runAndSlot >> 16);
  if (run > openRun) run -= 0x10000u;  // wraps below 0 as the run counter itself does
  return {run, notice.sequenceNumber, static_cast<int>(notice.runAndSlot & 0xFFu)};
}

}  // namespace brisko
