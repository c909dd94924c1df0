// Windows-1252, the Western code page, in which the Linux front end shows and
// takes the logger's texts: the record keeps the logger's bytes, the toolkit
// shows UTF-16 characters. Every byte has a character, so a text from the
// logger is shown and read back byte for byte; the five bytes the page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters
// of the same number, as Windows converts them.
#pragma once

#include <string>
#include <string_view>

#include "protocol/code_page.h"

namespace brisko {

std::u16string Windows1252ToUtf16(std::string_view bytes);
// The inverse for every character Windows1252ToUtf16 gives; any other
// character becomes "?" (the field rule keeps the user from typing one).
std::string Utf16ToWindows1252(std::u16string_view text);

// One character for the field rule (a CodePageEncoder): appends its byte, or
// returns false when the page has none.
bool EncodeWindows1252(char16_t character, std::string& bytes);

inline constexpr CodePage kWindows1252{EncodeWindows1252, Windows1252ToUtf16};

}  // namespace brisko
