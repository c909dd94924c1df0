// The window's DPI and what depends on it, on every Windows from 7 on: the
// per-monitor functions (GetDpiForWindow and GetSystemMetricsForDpi from
// Windows 10 1607, LoadIconWithScaleDown from comctl32 6 on Vista) are looked
// up when first needed; without them the system's DPI and its metrics stand in,
// which is what a Windows 7 window has. User-interface thread only.
#pragma once

#include <windows.h>

namespace brisko {

inline constexpr UINT kDefaultDpi = 96;

// The DPI the window is drawn at.
UINT WindowDpi(HWND window);
// GetSystemMetrics(index) for that DPI.
int MetricForDpi(int index, UINT dpi);
// The resource icon at exactly this size: a larger image scaled down where
// the icon lacks one of that size (LoadIconWithScaleDown), or the system's
// pick. The caller destroys it.
HICON LoadIconOfSize(HINSTANCE module, int resourceId, int width, int height);

}  // namespace brisko
