#include "win32/window_placement.h"

namespace brisko {

namespace {

// The start of a span of `size` centred on [from, to), kept inside [low, high).
LONG CentredStart(LONG size, LONG from, LONG to, LONG low, LONG high) {
  LONG start = from + (to - from - size) / 2;
  if (start + size > high) start = high - size;
  if (start < low) start = low;
  return start;
}

}  // namespace

RECT CentredRect(const RECT& window, const RECT& over, const RECT& workArea) {
  const LONG width = window.right - window.left;
  const LONG height = window.bottom - window.top;
  const LONG left = CentredStart(width, over.left, over.right, workArea.left, workArea.right);
  const LONG top = CentredStart(height, over.top, over.bottom, workArea.top, workArea.bottom);
  return {left, top, left + width, top + height};
}

void CentreDialog(HWND dialog) {
  RECT window{};
  if (!GetWindowRect(dialog, &window)) return;
  // An owner that is not shown (the main dialog while it closes) gives no
  // place to centre over: the work area does instead.
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner != nullptr && !IsWindowVisible(owner)) owner = nullptr;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : dialog, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return;
  }
  RECT over = monitor.rcWork;
  if (owner != nullptr) GetWindowRect(owner, &over);
  const RECT placed = CentredRect(window, over, monitor.rcWork);
  SetWindowPos(dialog, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace brisko
