#include <windows.h>

#include "protocol/host_system.h"

namespace brisko {

namespace {

using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
using WineGetVersionCall = const char*(CDECL*)();

// GetVersionEx answers for the version the program was marked for; ntdll's
// RtlGetVersion gives the one that runs. Wine adds wine_get_version there.
std::string WindowsVersion() {
  std::string text = "Windows";
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return text;
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionCall>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (rtlGetVersion != nullptr && rtlGetVersion(&version) == 0) {
    text += " " + std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) + "." +
            std::to_string(version.dwBuildNumber);
  }
  auto wineGetVersion = reinterpret_cast<WineGetVersionCall>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
  if (wineGetVersion != nullptr) text += std::string(" (Wine ") + wineGetVersion() + ")";
  return text;
}

}  // namespace

HostSystem DescribeHostSystem() { return {WindowsVersion(), std::to_string(GetACP())}; }

std::string BuildBits() { return sizeof(void*) == 8 ? "64-bit" : "32-bit"; }

}  // namespace brisko
