#include "win32/window_dpi.h"

#include <commctrl.h>

namespace brisko {

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using LoadIconWithScaleDownFunction = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);

// A function of a module the program has loaded already, or nullptr.
template <typename Function>
Function Lookup(const wchar_t* module, const char* name) {
  HMODULE handle = GetModuleHandleW(module);
  if (handle == nullptr) return nullptr;
  // A function pointer of another signature: the one way GetProcAddress works.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return kDefaultDpi;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

}  // namespace

UINT WindowDpi(HWND window) {
  static const auto getDpiForWindow = Lookup<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
  if (getDpiForWindow != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return dpi;
  }
  return SystemDpi();
}

int MetricForDpi(int index, UINT dpi) {
  static const auto getSystemMetricsForDpi =
      Lookup<GetSystemMetricsForDpiFunction>(L"user32.dll", "GetSystemMetricsForDpi");
  if (getSystemMetricsForDpi != nullptr) return getSystemMetricsForDpi(index, dpi);
  // The system's metrics are those of the system's DPI; scaled for another.
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

HICON LoadIconOfSize(HINSTANCE module, int resourceId, int width, int height) {
  static const auto loadIconWithScaleDown =
      Lookup<LoadIconWithScaleDownFunction>(L"comctl32.dll", "LoadIconWithScaleDown");
  HICON icon = nullptr;
  if (loadIconWithScaleDown != nullptr &&
      SUCCEEDED(loadIconWithScaleDown(module, MAKEINTRESOURCEW(resourceId), width, height, &icon))) {
    return icon;
  }
  return static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, width, height, 0));
}

}  // namespace brisko
