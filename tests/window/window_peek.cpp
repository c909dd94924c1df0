// window_peek.exe: prints what the running brisko.exe shows, for the test of
// the window under Wine (wine_window_test.sh), without reading pixels. It
// finds the window titled "Brisko 1.8" and prints one line per control:
//   <id> text <the control's text, Latin-1 bytes as \xNN>
//   <id> checked            (a checked radio button)
//   <id> disabled           (a disabled control)
//   1033 entry <text>       (each entry of the port list, in order)
//   1033 selected <index>   (the selected entry, -1 for none)
//   focus <id>              (the control with the keyboard focus)
// It exits with 1 when there is no such window.
#include <windows.h>

#include <cstdio>
#include <string>

#include "dialog/dialog_template.h"
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

}  // namespace

int main() {
  HWND dialog = FindWindowW(nullptr, brisko::Latin1ToWide(brisko::MainDialogTemplate().title).c_str());
  if (dialog == nullptr) return 1;
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
