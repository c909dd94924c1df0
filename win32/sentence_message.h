// The private window messages with which the link worker's notices reach the
// main dialog. WM_SENTENCE carries the neutral dialog's sentence notice, its
// running count in wParam and its run and slot word in lParam; WM_PORT_LOST
// carries the worker's run in wParam (32 bits on every Windows).
#pragma once

#include <windows.h>

namespace brisko {

inline constexpr UINT WM_SENTENCE = WM_APP + 100;
inline constexpr UINT WM_PORT_LOST = WM_APP + 101;

}  // namespace brisko
