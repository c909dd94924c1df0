// Windows' texts between UTF-16, which its wide calls take and give, and a
// narrow code page: UTF-8, in which the program keeps every text of its own
// (paths, messages, tips, reports, the console), or the ANSI code page
// (CP_ACP) in which the window shows the logger's bytes. The one place where
// every Windows layer converts.
#pragma once

#include <string>
#include <string_view>

namespace brisko {

std::wstring WidenFrom(unsigned int codePage, std::string_view bytes);
// A character the page cannot write becomes the page's default character.
std::string NarrowTo(unsigned int codePage, std::wstring_view text);

// The program's texts (UTF-8) and Windows' (UTF-16). Bytes that are no UTF-8
// become U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view text);

}  // namespace brisko
