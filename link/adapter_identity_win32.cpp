#include "link/adapter_identity.h"

// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include <string>

#include "link/port_names.h"

namespace brisko {

namespace {

// GUID_DEVINTERFACE_COMPORT: the interface class every COM port driver registers.
constexpr GUID kComPortInterface = {0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

// The "PortName" value ("COM3") of a device's hardware key.
std::wstring PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return std::wstring();
  wchar_t name[32] = {};
  DWORD bytes = sizeof(name) - sizeof(wchar_t);
  DWORD type = 0;
  const LONG result = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &bytes);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_SZ ? std::wstring(name) : std::wstring();
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return narrow;
}

}  // namespace

AdapterInfo ReadAdapterInfo(int portNumber) {
  AdapterInfo info;
  HDEVINFO devices = SetupDiGetClassDevsW(&kComPortInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (devices == INVALID_HANDLE_VALUE) return info;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(device);
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    if (PortNumberOfName(Narrow(PortNameOf(devices, device))) != portNumber) continue;
    // "USB\VID_0403&PID_6001\A600XYZ": the serial number when the adapter has
    // one, else where it is plugged in.
    wchar_t instance[512] = {};
    if (SetupDiGetDeviceInstanceIdW(devices, &device, instance, 511, nullptr)) info.identity = Narrow(instance);
    break;
  }
  SetupDiDestroyDeviceInfoList(devices);
  return info;
}

}  // namespace brisko
