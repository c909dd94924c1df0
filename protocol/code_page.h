// The code page in which a front end shows and takes the logger's texts, as
// one value: a character to its bytes (for the field rule and for settings
// read from files) and the logger's bytes back to characters.
#pragma once

#include <string>
#include <string_view>

#include "protocol/field_edit.h"

namespace brisko {

struct CodePage {
  CodePageEncoder encode;
  std::u16string (*decode)(std::string_view bytes);
};

}  // namespace brisko
