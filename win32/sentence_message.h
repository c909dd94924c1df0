// The private window messages with which the link worker's notices and the
// port list's probe results reach the main dialog. WM_SENTENCE carries the
// neutral dialog's sentence notice, its running count in wParam and its run
// and slot word in lParam; WM_PORT_LOST carries the worker's run in wParam
// (32 bits on every Windows); WM_PORT_PROBED the port number in wParam and,
// in lParam, 1 when the port opened.
#pragma once

#include <windows.h>

namespace brisko {

inline constexpr UINT WM_SENTENCE = WM_APP + 100;
inline constexpr UINT WM_PORT_LOST = WM_APP + 101;
inline constexpr UINT WM_PORT_PROBED = WM_APP + 102;

}  // namespace brisko
