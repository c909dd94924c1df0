#include "win32/ansi_code_page.h"

#include <windows.h>

#include "link/wide_text_win32.h"

namespace brisko {

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

std::u16string AnsiCodePageToUtf16(std::string_view bytes) {
  const std::wstring text = WidenFrom(CP_ACP, bytes);
  return std::u16string(text.begin(), text.end());
}

}  // namespace brisko
