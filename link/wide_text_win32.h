// Windows' texts between UTF-16, which its wide calls take and give, and a
// narrow code page: the ANSI code page (CP_ACP) of the narrow calls and of the
// tips, or UTF-8 (CP_UTF8) for paths, reports and the console. The one place
// where every Windows layer converts.
#pragma once

#include <string>
#include <string_view>

namespace brisko {

std::wstring WidenFrom(unsigned int codePage, std::string_view bytes);
// A character the page cannot write becomes the page's default character.
std::string NarrowTo(unsigned int codePage, std::wstring_view text);

}  // namespace brisko
