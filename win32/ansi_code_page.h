// The system's ANSI code page (CP_ACP), in which the Windows front end shows
// the logger's texts and judges what the user types into them, as narrow
// texts are read on Windows: a Polish pilot's name is code page 1250 bytes on
// a Central European PC, the euro sign a code page 1252 byte on a Western one.
#pragma once

#include <string>
#include <string_view>

#include "protocol/code_page.h"

namespace brisko {

// One character for the field rule (a CodePageEncoder): appends its bytes, or
// returns false when the page has none of its own (no best-fit stand-in).
bool EncodeAnsiCharacter(char16_t character, std::string& bytes);

std::u16string AnsiCodePageToUtf16(std::string_view bytes);
inline constexpr CodePage kAnsiCodePage{EncodeAnsiCharacter, AnsiCodePageToUtf16};

}  // namespace brisko
