// Neither the device-name table nor the serial map opens a device, so the
// check may run every second.
#include "link/port_presence_win32.h"

#include <windows.h>

#include <set>
#include <vector>

#include "link/port_names.h"

namespace brisko {

namespace {

// Every name of the device-name table: a list of texts, each ended by a NUL,
// the whole ended by one more.
void AddDosDeviceNames(std::set<int>& numbers) {
  std::vector<wchar_t> names(16384);
  for (int attempt = 0; attempt < 6; ++attempt) {
    const DWORD length = QueryDosDeviceW(nullptr, names.data(), static_cast<DWORD>(names.size()));
    if (length != 0) break;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;
    names.assign(names.size() * 2, L'\0');
  }
  for (const wchar_t* name = names.data(); *name != L'\0'; name += wcslen(name) + 1) {
    if (const int number = PortNumberOfWideName(name)) numbers.insert(number);
  }
}

// The values of SERIALCOMM hold the port names ("COM3") that drivers register.
void AddSerialCommNames(std::set<int>& numbers) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t valueName[256];
    DWORD nameLength = 256;
    wchar_t data[64] = {};
    DWORD dataBytes = sizeof(data) - sizeof(wchar_t);  // room for a NUL the registry may leave out
    DWORD type = 0;
    const LONG result = RegEnumValueW(key, index, valueName, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataBytes);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    if (const int number = PortNumberOfWideName(data)) numbers.insert(number);
  }
  RegCloseKey(key);
}

}  // namespace

PortPresence NamedWin32Ports() {
  std::set<int> numbers;
  AddDosDeviceNames(numbers);
  AddSerialCommNames(numbers);
  PortPresence presence;
  presence.numbers.assign(numbers.begin(), numbers.end());
  presence.complete = numbers.upper_bound(1) != numbers.end();
  return presence;
}

}  // namespace brisko
