#include "win32/child_dialogs.h"

#include "brisko_version.h"
#include "win32/dialog_template_ex.h"
#include "win32/window_placement.h"

namespace brisko {

namespace {

constexpr int kIdAboutIcon = 100;
constexpr int kIdAboutTitle = 101;
constexpr int kIdAboutText = 102;

// What both child dialogs do with their commands: OK and Cancel end them,
// every other button (Delete flight's "&Delete") does nothing.
INT_PTR CALLBACK CloseOnlyProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    CentreDialog(window);
    return TRUE;  // the system puts the focus on the first tab stop
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(window, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

struct AboutParameters {
  HICON icon;
};

// A static child placed in dialog units.
void AddStatic(HWND dialog, int id, DWORD style, RECT units, const std::wstring& text) {
  MapDialogRect(dialog, &units);
  HWND child = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | style, units.left, units.top,
                               units.right - units.left, units.bottom - units.top, dialog,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageW(child, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
}

INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_INITDIALOG) return CloseOnlyProc(window, message, wParam, lParam);
  const auto* parameters = reinterpret_cast<const AboutParameters*>(lParam);
  AddStatic(window, kIdAboutIcon, SS_ICON, {8, 8, 28, 28}, L"");
  SendDlgItemMessageW(window, kIdAboutIcon, STM_SETICON, reinterpret_cast<WPARAM>(parameters->icon), 0);
  AddStatic(window, kIdAboutTitle, SS_LEFT, {40, 10, 212, 20},
            Latin1ToWide(kApplicationTitle));
  AddStatic(window, kIdAboutText, SS_LEFT, {40, 24, 212, 34},
            L"Configures a glider's GPS flight recorder over a serial port.");
  CentreDialog(window);
  return TRUE;
}

}  // namespace

UINT MessageBoxStyle(MessageBoxKind kind) {
  switch (kind) {
    case MessageBoxKind::Question:
      return MB_ICONQUESTION | MB_YESNO;
    case MessageBoxKind::Warning:
      break;
  }
  return MB_ICONEXCLAMATION | MB_OK;
}

MessageBoxAnswer AnswerOf(int messageBoxResult) {
  switch (messageBoxResult) {
    case IDYES:
      return MessageBoxAnswer::Yes;
    case IDNO:
      return MessageBoxAnswer::No;
    default:
      return MessageBoxAnswer::Ok;
  }
}

MessageBoxAnswer ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                                MessageBoxKind kind) {
  return AnswerOf(
      MessageBoxW(owner, Latin1ToWide(text.c_str()).c_str(), Latin1ToWide(caption.c_str()).c_str(),
                  MessageBoxStyle(kind)));
}

INT_PTR RunDeleteFlightDialog(HWND owner) {
  const std::vector<WORD> words = BuildDialogTemplateEx(DeleteFlightTemplate(), DeleteFlightFrame());
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), AsDialogTemplate(words), owner, CloseOnlyProc, 0);
}

const DialogTemplate& AboutBoxTemplate() {
  static const DialogTemplate about{
      "Informazioni su brisko",
      220,
      62,
      8,
      {{IDOK, ControlKind::PushButton, "OK", 165, 42, 50, 14, kGroupStart | kTabStop}},
  };
  return about;
}

INT_PTR RunAboutBox(HWND owner, HICON icon) {
  const std::vector<WORD> words = BuildDialogTemplateEx(AboutBoxTemplate(), DeleteFlightFrame());
  AboutParameters parameters{icon};
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), AsDialogTemplate(words), owner, AboutProc,
                                 reinterpret_cast<LPARAM>(&parameters));
}

}  // namespace brisko
