#include "win32/field_edit_guard.h"

#include <string_view>

#include "protocol/field_edit.h"
#include "win32/ansi_code_page.h"

namespace brisko {

namespace {

// wchar_t is one UTF-16 code unit on Windows, as the rule counts them.
std::u16string_view AsUtf16(const std::wstring& text) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16");
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

std::size_t CommonHead(const std::wstring& a, const std::wstring& b) {
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  return head;
}

}  // namespace

std::wstring WindowTextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

void FieldEditGuard::SetLimit(std::size_t limit) {
  limit_ = limit;
  SendMessageW(edit_, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
}

void FieldEditGuard::ShowProgramText(const std::wstring& text) {
  // The accepted text first: the EN_CHANGE that the change sends finds no
  // change to judge.
  accepted_ = text;
  if (WindowTextOf(edit_) == text) return;  // unchanged texts do not repaint
  settingText_ = true;
  SetWindowTextW(edit_, text.c_str());
  settingText_ = false;
}

bool FieldEditGuard::JudgeChange() {
  if (settingText_) return false;
  const std::wstring shown = WindowTextOf(edit_);
  if (shown == accepted_) return false;
  if (MayAcceptFieldEdit(AsUtf16(accepted_), AsUtf16(shown), limit_, EncodeAnsiCharacter)) {
    accepted_ = shown;
    return true;
  }
  // Refused whole: the accepted text again, the caret where the change began.
  const auto caret = static_cast<WPARAM>(CommonHead(accepted_, shown));
  settingText_ = true;
  SetWindowTextW(edit_, accepted_.c_str());
  settingText_ = false;
  SendMessageW(edit_, EM_SETSEL, caret, static_cast<LPARAM>(caret));
  MessageBeep(MB_OK);
  return false;
}

}  // namespace brisko
