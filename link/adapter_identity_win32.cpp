#include "link/adapter_identity_win32.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "link/port_names.h"
#include "link/wide_text_win32.h"

namespace brisko {

namespace {

// GUID_DEVCLASS_PORTS: the setup class of COM (and LPT) ports.
constexpr GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
// GUID_DEVINTERFACE_COMPORT: the interface every COM port driver registers,
// modems' included, which are not in the Ports class.
constexpr GUID kComPortInterface = {0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

// A string value up to its first terminator (a multi-string's first string).
std::wstring FirstString(const std::vector<wchar_t>& buffer) {
  const auto end = std::find(buffer.begin(), buffer.end(), L'\0');
  return std::wstring(buffer.begin(), end);
}

std::wstring RegistryProperty(const SetupApiCalls& calls, HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
  std::vector<wchar_t> buffer(256, L'\0');
  DWORD type = 0;
  DWORD needed = 0;
  // The size stays in bytes; one wide character more keeps a terminator.
  const auto bytes = [&buffer] { return static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t)); };
  const auto read = [&] {
    return calls.getDeviceRegistryProperty(devices, &device, property, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                           bytes(), &needed) != FALSE;
  };
  if (!read()) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return std::wstring();
    buffer.assign(needed / sizeof(wchar_t) + 2, L'\0');
    if (!read()) return std::wstring();
  }
  return type == REG_SZ || type == REG_MULTI_SZ ? FirstString(buffer) : std::wstring();
}

// A string value of the device's hardware key (DIREG_DEV: "PortName") or
// its driver key (DIREG_DRV: "ProviderName", "DriverVersion").
std::wstring KeyValue(const SetupApiCalls& calls, HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD keyType,
                      const wchar_t* name) {
  HKEY key = calls.openDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, keyType, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return std::wstring();
  std::vector<wchar_t> buffer(256, L'\0');
  DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
  DWORD type = 0;
  const LONG result = calls.regQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
  calls.regCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_SZ ? FirstString(buffer) : std::wstring();
}

// The four hex digits after "VID_" or "PID_" in a hardware id, lower case.
std::string IdAfter(const std::string& hardwareId, const char* prefix) {
  std::string upper = hardwareId;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::size_t at = upper.find(prefix);
  if (at == std::string::npos || at + 4 + 4 > upper.size()) return std::string();
  std::string id = hardwareId.substr(at + 4, 4);
  for (char& c : id) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::string();
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return id;
}

// The serial number in a device instance id. "USB\VID_10C4&PID_EA60\0001":
// the last part, unless it holds '&' (then Windows made it up from where the
// adapter is plugged in). "FTDIBUS\VID_0403+PID_6001+A600ARJHA\0000": the
// third '+' field, less the channel letter the FTDI driver appends.
std::string SerialOfInstance(const std::string& instance) {
  const std::size_t first = instance.find('\\');
  const std::size_t last = instance.rfind('\\');
  if (first == std::string::npos || last == first) return std::string();
  if (instance.compare(0, first, "FTDIBUS") == 0) {
    const std::string middle = instance.substr(first + 1, last - first - 1);
    const std::size_t plus = middle.find('+', middle.find('+') + 1);
    if (plus == std::string::npos || middle.size() - plus < 3) return std::string();
    return middle.substr(plus + 1, middle.size() - plus - 2);
  }
  if (instance.compare(0, first, "USB") != 0) return std::string();
  const std::string tail = instance.substr(last + 1);
  return tail.find('&') == std::string::npos ? tail : std::string();
}

AdapterInfo Describe(const SetupApiCalls& calls, HDEVINFO devices, SP_DEVINFO_DATA& device) {
  AdapterInfo info;
  std::vector<wchar_t> instance(512, L'\0');
  if (calls.getDeviceInstanceId(devices, &device, instance.data(), static_cast<DWORD>(instance.size() - 1), nullptr)) {
    // "USB\VID_0403&PID_6001\A600XYZ": the serial number when the adapter has
    // one, else where it is plugged in.
    info.identity = WideToUtf8(FirstString(instance));
  }
  info.serial = SerialOfInstance(info.identity);
  info.name = WideToUtf8(RegistryProperty(calls, devices, device, SPDRP_FRIENDLYNAME));
  if (info.name.empty()) info.name = WideToUtf8(RegistryProperty(calls, devices, device, SPDRP_DEVICEDESC));
  info.manufacturer = WideToUtf8(RegistryProperty(calls, devices, device, SPDRP_MFG));
  info.hardwareId = WideToUtf8(RegistryProperty(calls, devices, device, SPDRP_HARDWAREID));
  info.vendorId = IdAfter(info.hardwareId, "VID_");
  info.productId = IdAfter(info.hardwareId, "PID_");
  info.driver = WideToUtf8(RegistryProperty(calls, devices, device, SPDRP_SERVICE));
  info.driverProvider = WideToUtf8(KeyValue(calls, devices, device, DIREG_DRV, L"ProviderName"));
  info.driverVersion = WideToUtf8(KeyValue(calls, devices, device, DIREG_DRV, L"DriverVersion"));
  return info;
}

}  // namespace

const SetupApiCalls& SystemSetupApiCalls() {
  static const SetupApiCalls calls{&SetupDiGetClassDevsW, &SetupDiEnumDeviceInfo, &SetupDiGetDeviceRegistryPropertyW,
                                   &SetupDiGetDeviceInstanceIdW, &SetupDiOpenDevRegKey, &RegQueryValueExW,
                                   &RegCloseKey, &SetupDiDestroyDeviceInfoList};
  return calls;
}

AdapterInfo ReadAdapterInfo(int portNumber, const SetupApiCalls& calls) {
  const struct {
    const GUID* guid;
    DWORD flags;
  } lists[] = {{&kPortsClass, DIGCF_PRESENT}, {&kComPortInterface, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE}};
  for (const auto& list : lists) {
    HDEVINFO devices = calls.getClassDevs(list.guid, nullptr, nullptr, list.flags);
    if (devices == INVALID_HANDLE_VALUE) continue;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; calls.enumDeviceInfo(devices, index, &device); ++index) {
      if (PortNumberOfWideName(KeyValue(calls, devices, device, DIREG_DEV, L"PortName")) != portNumber) continue;
      AdapterInfo info = Describe(calls, devices, device);
      calls.destroyDeviceInfoList(devices);
      return info;
    }
    calls.destroyDeviceInfoList(devices);
  }
  return AdapterInfo{};
}

AdapterInfo ReadAdapterInfo(int portNumber) { return ReadAdapterInfo(portNumber, SystemSetupApiCalls()); }

}  // namespace brisko
