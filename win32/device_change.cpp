#include "win32/device_change.h"

#include <dbt.h>

#include <cwchar>
#include <string_view>

#include "dialog/logger_dialog.h"
#include "link/port_names.h"

namespace brisko {

namespace {

// GUID_DEVINTERFACE_COMPORT: the interface class every COM port driver registers.
constexpr GUID kComPortInterface = {0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

// The port a DEV_BROADCAST_PORT names, 0 for anything else.
int NamedPort(LPARAM data) {
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
  if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_PORT ||
      header->dbch_size < sizeof(DEV_BROADCAST_PORT_W)) {
    return 0;
  }
  const auto* port = reinterpret_cast<const DEV_BROADCAST_PORT_W*>(data);
  const std::size_t room = (header->dbch_size - offsetof(DEV_BROADCAST_PORT_W, dbcp_name)) / sizeof(wchar_t);
  return PortNumberOfWideName(std::wstring_view(port->dbcp_name, wcsnlen(port->dbcp_name, room)));
}

}  // namespace

HDEVNOTIFY StartDeviceChangeNotices(HWND window) {
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof(filter);
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = kComPortInterface;
  return RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void StopDeviceChangeNotices(HDEVNOTIFY notices) {
  if (notices != nullptr) UnregisterDeviceNotification(notices);
}

void OnDeviceChange(LoggerDialog& dialog, WPARAM event, LPARAM data) {
  switch (event) {
    case DBT_DEVICEREMOVECOMPLETE:
      if (const int number = NamedPort(data)) {
        dialog.OnSystemPortRemoved(number);
        return;
      }
      dialog.OnSystemPortsChanged();
      return;
    case DBT_DEVICEARRIVAL:
      dialog.OnSystemPortsChanged();
      return;
    default:
      return;
  }
}

}  // namespace brisko
