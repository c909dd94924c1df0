#include "win32/child_dialogs.h"

#include "dialog/control_ids.h"
#include "link/wide_text_win32.h"
#include "win32/dialog_template_ex.h"
#include "win32/window_placement.h"

namespace brisko {

namespace {

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

// The About box from its template; only the icon is put in here.
INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SendDlgItemMessageW(window, kIdAboutIcon, STM_SETICON, static_cast<WPARAM>(lParam), 0);
  }
  return CloseOnlyProc(window, message, wParam, lParam);
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
      MessageBoxW(owner, Utf8ToWide(text).c_str(), Utf8ToWide(caption).c_str(),
                  MessageBoxStyle(kind)));
}

INT_PTR RunDeleteFlightDialog(HWND owner) {
  const std::vector<WORD> words = BuildDialogTemplateEx(DeleteFlightTemplate(), ChildDialogFrame());
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), AsDialogTemplate(words), owner, CloseOnlyProc, 0);
}

INT_PTR RunAboutBox(HWND owner, HICON icon) {
  const std::vector<WORD> words = BuildDialogTemplateEx(AboutTemplate(), ChildDialogFrame());
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), AsDialogTemplate(words), owner, AboutProc,
                                 reinterpret_cast<LPARAM>(icon));
}

}  // namespace brisko
