// The system's ANSI code page (CP_ACP), in which the Windows front end shows
// and takes the logger's texts, as narrow texts are read on Windows: a Polish
// pilot's name is code page 1250 bytes on a Central European PC, the euro sign
// a code page 1252 byte on a Western one. The system's own messages
// (FormatMessageA) come in the same page.
#pragma once

#include <string>
#include <string_view>

#include "protocol/code_page.h"

namespace brisko {

std::wstring FromAnsiCodePage(const std::string& bytes);
// A character the page cannot write becomes the page's default character.
std::string ToAnsiCodePage(const std::wstring& text);

// One character for the field rule (a CodePageEncoder): appends its bytes, or
// returns false when the page has none of its own (no best-fit stand-in).
bool EncodeAnsiCharacter(char16_t character, std::string& bytes);

// A zero-terminated UTF-16 text (a file name, an argument) as UTF-8.
std::string WideToUtf8(const wchar_t* text);
// A UTF-8 text (a report, a path) as UTF-16.
std::wstring Utf8ToWide(const std::string& utf8);

std::u16string AnsiCodePageToUtf16(std::string_view bytes);
inline constexpr CodePage kAnsiCodePage{EncodeAnsiCharacter, AnsiCodePageToUtf16};

}  // namespace brisko
