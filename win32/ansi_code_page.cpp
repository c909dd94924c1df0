#include "win32/ansi_code_page.h"

#include <windows.h>

#include "link/wide_text_win32.h"

namespace brisko {

std::wstring FromAnsiCodePage(const std::string& bytes) { return WidenFrom(CP_ACP, bytes); }

std::string ToAnsiCodePage(const std::wstring& text) { return NarrowTo(CP_ACP, text); }

bool EncodeAnsiCharacter(char16_t character, std::string& bytes) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16");
  const wchar_t wide = static_cast<wchar_t>(character);
  char buffer[8] = {};
  BOOL usedDefault = FALSE;
  // Without best fit, "\u0141" on a Western page is no "L" but the default
  // character, which the flag reports.
  const int length =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide, 1, buffer, sizeof buffer, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return false;
  bytes.append(buffer, static_cast<std::size_t>(length));
  return true;
}

std::string WideToUtf8(const wchar_t* text) { return NarrowTo(CP_UTF8, text); }

std::wstring Utf8ToWide(const std::string& utf8) { return WidenFrom(CP_UTF8, utf8); }

std::u16string AnsiCodePageToUtf16(std::string_view bytes) {
  const std::wstring text = FromAnsiCodePage(std::string(bytes));
  return std::u16string(text.begin(), text.end());
}

}  // namespace brisko
