// What SetupAPI says of the adapter behind a COM port, over a scripted table
// of present devices that answers as SetupAPI and the registry do: each row
// as the drivers of the common adapters report themselves (Wine's own
// SetupAPI lists none of them).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "link/adapter_identity_win32.h"
#include "link/port_names.h"

namespace brisko {
namespace {

constexpr GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

struct Device {
  bool portsClass;  // else only on the COM port interface's list (a modem)
  const wchar_t* portName;
  const wchar_t* instance;
  const wchar_t* friendlyName;
  const wchar_t* hardwareIds;  // a multi-string: "\0" between the ids
  const wchar_t* manufacturer;
  const wchar_t* service;
  const wchar_t* provider;  // "" when the device has no driver key
  const wchar_t* version;
  const char* description;  // what the tool makes of it
};

const Device kDevices[] = {
    {true, L"COM1", L"ACPI\\PNP0501\\1", L"Communications Port (COM1)", L"ACPI\\PNP0501\0*PNP0501",
     L"(Standard port types)", L"Serial", L"Microsoft", L"10.0.19041.1", "Communications Port (COM1)"},
    // The FTDI driver appends the channel letter to the serial number.
    {true, L"COM3", L"FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", L"USB Serial Port (COM3)",
     L"FTDIBUS\\COMPORT&VID_0403&PID_6001", L"FTDI", L"FTSER2K", L"FTDI", L"2.12.36.4",
     "USB Serial Port (COM3), 0403:6001, serial A50285BI"},
    {true, L"COM4", L"USB\\VID_10C4&PID_EA60\\0001", L"Silicon Labs CP210x USB to UART Bridge (COM4)",
     L"USB\\VID_10C4&PID_EA60&REV_0100\0USB\\VID_10C4&PID_EA60", L"Silicon Labs", L"silabser",
     L"Silicon Laboratories Inc.", L"10.1.10.0",
     "Silicon Labs CP210x USB to UART Bridge (COM4), 10c4:ea60, serial 0001"},
    // No serial number: Windows makes the instance's last part up.
    {true, L"COM5", L"USB\\VID_1A86&PID_7523\\5&2E1C2F3A&0&2", L"USB-SERIAL CH340 (COM5)",
     L"USB\\VID_1A86&PID_7523&REV_0263\0USB\\VID_1A86&PID_7523", L"wch.cn", L"CH341SER_A64", L"wch.cn",
     L"3.8.2023.2", "USB-SERIAL CH340 (COM5), 1a86:7523"},
    {true, L"COM6", L"USB\\VID_067B&PID_2303\\6&1B8C2E8&0&3", L"Prolific USB-to-Serial Comm Port (COM6)",
     L"USB\\VID_067B&PID_2303&REV_0300\0USB\\VID_067B&PID_2303", L"Prolific", L"Ser2pl64", L"Prolific", L"3.8.40.0",
     "Prolific USB-to-Serial Comm Port (COM6), 067b:2303"},
    // One interface of a composite device: its serial number is its parent's.
    {true, L"COM7", L"USB\\VID_2E8A&PID_000A&MI_00\\7&3A1F9C2&0&0000", L"USB Serial Device (COM7)",
     L"USB\\VID_2E8A&PID_000A&REV_0100&MI_00\0USB\\VID_2E8A&PID_000A&MI_00", L"Microsoft", L"usbser", L"Microsoft",
     L"10.0.19041.1", "USB Serial Device (COM7), 2e8a:000a"},
    {true, L"COM8",
     L"BTHENUM\\{00001101-0000-1000-8000-00805F9B34FB}_LOCALMFG&0002\\7&2A7E8AD5&0&000000000000_00000000",
     L"Standard Serial over Bluetooth link (COM8)", L"BTHENUM\\{00001101-0000-1000-8000-00805f9b34fb}_LOCALMFG&0002",
     L"Microsoft", L"BTHMODEM", L"Microsoft", L"10.0.19041.1", "Standard Serial over Bluetooth link (COM8)"},
    // A French Windows names the same driver's device in its own language.
    {true, L"COM10", L"USB\\VID_2E8A&PID_000A&MI_00\\7&1B2C3D4&0&0000",
     L"P\u00e9riph\u00e9rique s\u00e9rie USB (COM10)",
     L"USB\\VID_2E8A&PID_000A&REV_0100&MI_00", L"Microsoft", L"usbser", L"Microsoft", L"10.0.19041.1",
     "P\u00e9riph\u00e9rique s\u00e9rie USB (COM10), 2e8a:000a"},
    // A USB modem is in the Modem class, found through the COM port
    // interface: no friendly name (its description instead), no driver key.
    {false, L"COM9", L"USB\\VID_1199&PID_9071&MI_03\\6&2C9A3B1&0&0003", L"Sierra Wireless EM7455 Modem",
     L"USB\\VID_1199&PID_9071&REV_0006&MI_03", L"Sierra Wireless", L"SWMUXMDM", L"", L"",
     "Sierra Wireless EM7455 Modem, 1199:9071"},
};

// What the fake saw: lists and keys opened and not yet given back.
int openLists = 0;
int openKeys = 0;

// The row FakeEnumDeviceInfo put into the device's data.
const Device& DeviceOf(const SP_DEVINFO_DATA* data) { return kDevices[data->DevInst]; }

// Handles 1 (the Ports class) and 2 (the COM port interface).
HDEVINFO WINAPI FakeGetClassDevs(const GUID* guid, PCWSTR, HWND, DWORD flags) {
  const bool ports = std::memcmp(guid, &kPortsClass, sizeof(GUID)) == 0;
  if (((flags & DIGCF_DEVICEINTERFACE) != 0) == ports) return INVALID_HANDLE_VALUE;  // a wrong call
  ++openLists;
  return reinterpret_cast<HDEVINFO>(static_cast<std::intptr_t>(ports ? 1 : 2));
}

BOOL WINAPI FakeEnumDeviceInfo(HDEVINFO list, DWORD index, PSP_DEVINFO_DATA data) {
  if (data->cbSize != sizeof(SP_DEVINFO_DATA)) {
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return FALSE;
  }
  const bool ports = reinterpret_cast<std::intptr_t>(list) == 1;
  DWORD seen = 0;
  for (DWORD row = 0; row < std::size(kDevices); ++row) {
    // Every COM port registers the interface; only the Ports class's are in that class.
    if (ports && !kDevices[row].portsClass) continue;
    if (seen++ != index) continue;
    data->DevInst = row;
    return TRUE;
  }
  SetLastError(ERROR_NO_MORE_ITEMS);
  return FALSE;
}

// A string or multi-string value, with the size rules of the real calls.
bool CopyValue(const wchar_t* value, std::size_t characters, BYTE* buffer, DWORD size, DWORD* needed) {
  const DWORD bytes = static_cast<DWORD>(characters * sizeof(wchar_t));
  if (needed != nullptr) *needed = bytes;
  if (buffer == nullptr || size < bytes) return false;
  std::memcpy(buffer, value, bytes);
  return true;
}

std::size_t MultiStringLength(const wchar_t* value) {
  std::size_t length = 0;
  while (value[length] != L'\0') length += std::wcslen(value + length) + 1;
  return length + 1;
}

BOOL WINAPI FakeGetDeviceRegistryProperty(HDEVINFO, PSP_DEVINFO_DATA data, DWORD property, PDWORD type,
                                          PBYTE buffer, DWORD size, PDWORD needed) {
  const Device* device = &DeviceOf(data);
  const wchar_t* value = nullptr;
  DWORD kind = REG_SZ;
  switch (property) {
    case SPDRP_FRIENDLYNAME: value = device->portsClass ? device->friendlyName : nullptr; break;
    case SPDRP_DEVICEDESC: value = device->friendlyName; break;
    case SPDRP_MFG: value = device->manufacturer; break;
    case SPDRP_SERVICE: value = device->service; break;
    case SPDRP_HARDWAREID: value = device->hardwareIds; kind = REG_MULTI_SZ; break;
    default: break;
  }
  if (value == nullptr) {
    SetLastError(ERROR_INVALID_DATA);  // the device has no such property
    return FALSE;
  }
  if (type != nullptr) *type = kind;
  const std::size_t characters = kind == REG_MULTI_SZ ? MultiStringLength(value) : std::wcslen(value) + 1;
  if (!CopyValue(value, characters, buffer, size, needed)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI FakeGetDeviceInstanceId(HDEVINFO, PSP_DEVINFO_DATA data, PWSTR buffer, DWORD size, PDWORD needed) {
  const std::wstring instance = DeviceOf(data).instance;
  if (needed != nullptr) *needed = static_cast<DWORD>(instance.size() + 1);
  if (size < instance.size() + 1) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::wcscpy(buffer, instance.c_str());
  return TRUE;
}

// Key handles: 0x1000 + 2 * row, plus 1 for the driver key.
HKEY WINAPI FakeOpenDevRegKey(HDEVINFO, PSP_DEVINFO_DATA data, DWORD scope, DWORD, DWORD keyType, REGSAM) {
  const Device* device = &DeviceOf(data);
  if (scope != DICS_FLAG_GLOBAL || (keyType == DIREG_DRV && *device->provider == L'\0')) {
    SetLastError(ERROR_KEY_DOES_NOT_EXIST);
    return static_cast<HKEY>(INVALID_HANDLE_VALUE);
  }
  ++openKeys;
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(0x1000 + 2 * data->DevInst + (keyType == DIREG_DRV)));
}

LONG WINAPI FakeRegQueryValueEx(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE buffer, LPDWORD size) {
  const std::intptr_t handle = reinterpret_cast<std::intptr_t>(key) - 0x1000;
  const Device& device = kDevices[handle / 2];
  const bool driverKey = handle % 2 == 1;
  const std::wstring wanted = name;
  const wchar_t* value = !driverKey && wanted == L"PortName"       ? device.portName
                         : driverKey && wanted == L"ProviderName"  ? device.provider
                         : driverKey && wanted == L"DriverVersion" ? device.version
                                                                   : nullptr;
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (type != nullptr) *type = REG_SZ;
  DWORD needed = 0;
  const bool copied = CopyValue(value, std::wcslen(value) + 1, buffer, *size, &needed);
  *size = needed;
  return copied ? ERROR_SUCCESS : ERROR_MORE_DATA;
}

LONG WINAPI FakeRegCloseKey(HKEY) {
  --openKeys;
  return ERROR_SUCCESS;
}

BOOL WINAPI FakeDestroyDeviceInfoList(HDEVINFO) {
  --openLists;
  return TRUE;
}

const SetupApiCalls kScripted{&FakeGetClassDevs,  &FakeEnumDeviceInfo, &FakeGetDeviceRegistryProperty,
                              &FakeGetDeviceInstanceId, &FakeOpenDevRegKey, &FakeRegQueryValueEx,
                              &FakeRegCloseKey,   &FakeDestroyDeviceInfoList};

std::string Ascii(const wchar_t* text) { return std::string(text, text + std::wcslen(text)); }

TEST(AdapterIdentityWin32, EachKindOfAdapterIsNamedAsSetupApiNamesIt) {
  for (const Device& device : kDevices) {
    const int port = PortNumberOfName(Ascii(device.portName));
    SCOPED_TRACE(port);
    const AdapterInfo adapter = ReadAdapterInfo(port, kScripted);
    EXPECT_EQ(adapter.identity, Ascii(device.instance));
    EXPECT_EQ(DescribeAdapter(adapter), device.description);
    EXPECT_EQ(adapter.hardwareId, Ascii(device.hardwareIds)) << "the first of the hardware ids";
    EXPECT_EQ(adapter.driver + "|" + adapter.driverProvider + "|" + adapter.driverVersion,
              Ascii(device.service) + "|" + Ascii(device.provider) + "|" + Ascii(device.version));
    const std::string tip = "//./" + Ascii(device.portName) + "\n" + device.description;
    EXPECT_EQ(PortEntryTip(DevicePathForPort(port), adapter), tip);
    EXPECT_EQ(openLists + openKeys, 0) << "every device list is destroyed and every key closed";
  }
  const AdapterInfo absent = ReadAdapterInfo(12, kScripted);
  EXPECT_EQ(absent.identity + DescribeAdapter(absent), "");
}

}  // namespace
}  // namespace brisko
