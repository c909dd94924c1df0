// window_peek.exe: prints what the running brisko.exe shows, for the test of
// the window under Wine (wine_window_test.sh), without reading pixels. It
// finds the window titled "Brisko 1.8" and prints one line per control:
//   <id> text <the control's text, characters outside printable ASCII as \xNN>
//   <id> checked            (a checked radio button)
//   <id> disabled           (a disabled control)
//   1033 entry <text>       (each entry of the port list, in order)
//   1033 selected <index>   (the selected entry, -1 for none)
//   focus <id>              (the control with the keyboard focus)
// It exits with 1 when there is no such window. With arguments it acts on
// the window instead, as another program or the system would:
//   arrival COMn / removal COMn   sends WM_DEVICECHANGE (DBT_DEVICEARRIVAL or
//                                 DBT_DEVICEREMOVECOMPLETE) with a
//                                 DEV_BROADCAST_PORT naming the port
//   choose <text>                 selects that port list entry as the user's
//                                 choice (CBN_SELCHANGE)
#include <windows.h>

#include <dbt.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dialog/dialog_template.h"
#include "link/wide_text_win32.h"
#include "win32/dialog_template_ex.h"

namespace {

std::string Printable(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c >= 0x20 && c < 0x7F && c != L'\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char escaped[16];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
      out += escaped;
    }
  }
  return out;
}

// WM_GETTEXT itself: GetWindowText on another process's window gives the
// text the window was created with, not what an edit holds now.
std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

std::wstring Widen(const char* text) {
  std::wstring wide;
  for (; *text != '\0'; ++text) wide.push_back(static_cast<unsigned char>(*text));
  return wide;
}

// The port's name runs on past the structure's one character, as the system
// sends it.
void SendPortChange(HWND dialog, WPARAM event, const std::wstring& name) {
  std::vector<unsigned char> message(sizeof(DEV_BROADCAST_PORT_W) + (name.size() + 1) * sizeof(wchar_t));
  DEV_BROADCAST_PORT_W port{};
  port.dbcp_size = static_cast<DWORD>(message.size());
  port.dbcp_devicetype = DBT_DEVTYP_PORT;
  std::memcpy(message.data(), &port, sizeof(port));
  std::memcpy(message.data() + offsetof(DEV_BROADCAST_PORT_W, dbcp_name), name.c_str(),
              (name.size() + 1) * sizeof(wchar_t));
  SendMessageW(dialog, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(message.data()));
}

int Choose(HWND dialog, const std::wstring& entry) {
  HWND list = GetDlgItem(dialog, 1033);
  const LRESULT index =
      SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry.c_str()));
  if (index == CB_ERR) return 1;
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(1033, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  HWND dialog = FindWindowW(nullptr, brisko::Utf8ToWide(brisko::MainDialogTemplate().title).c_str());
  if (dialog == nullptr) return 1;
  if (argc == 3) {
    const std::string action = argv[1];
    if (action == "choose") return Choose(dialog, Widen(argv[2]));
    if (action != "arrival" && action != "removal") return 2;
    SendPortChange(dialog, action == "arrival" ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE, Widen(argv[2]));
    return 0;
  }
  for (const brisko::ControlTemplate& control : brisko::MainDialogTemplate().controls) {
    if (control.id < 0) continue;
    HWND item = GetDlgItem(dialog, control.id);
    if (item == nullptr) continue;
    std::printf("%d text %s\n", control.id, Printable(TextOf(item)).c_str());
    if (control.kind == brisko::ControlKind::RadioButton && SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED) {
      std::printf("%d checked\n", control.id);
    }
    if (!IsWindowEnabled(item)) std::printf("%d disabled\n", control.id);
    if (control.kind == brisko::ControlKind::DropDownList) {
      const LRESULT count = SendMessageW(item, CB_GETCOUNT, 0, 0);
      for (LRESULT k = 0; k < count; ++k) {
        wchar_t entry[64] = {};
        if (SendMessageW(item, CB_GETLBTEXTLEN, k, 0) < 64) SendMessageW(item, CB_GETLBTEXT, k, reinterpret_cast<LPARAM>(entry));
        std::printf("%d entry %s\n", control.id, Printable(entry).c_str());
      }
      std::printf("%d selected %d\n", control.id, static_cast<int>(SendMessageW(item, CB_GETCURSEL, 0, 0)));
    }
  }
  // The focus belongs to the dialog's thread: read it through that thread's input state.
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) && thread.hwndFocus != nullptr) {
    std::printf("focus %d\n", GetDlgCtrlID(thread.hwndFocus));
  }
  return 0;
}
