// The logger's own bytes for a text (a serial number, a pilot's name, a
// position sentence), and the one way between them and the program's texts,
// which are UTF-8 everywhere: through the code page a front end shows the
// logger's texts in. The bytes are kept as they came so that an unchanged
// text goes back to the logger byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "protocol/code_page.h"

namespace brisko {

// A type of its own, so that the logger's bytes never pass for a text of the
// program's, nor one of those for the logger's bytes, without a code page.
class LoggerText {
 public:
  LoggerText() = default;
  explicit LoggerText(std::string bytes) : bytes_(std::move(bytes)) {}

  const std::string& bytes() const { return bytes_; }
  bool empty() const { return bytes_.empty(); }
  std::size_t size() const { return bytes_.size(); }  // in bytes: the logger's limits count bytes

  friend bool operator==(const LoggerText& a, const LoggerText& b) { return a.bytes_ == b.bytes_; }
  friend bool operator!=(const LoggerText& a, const LoggerText& b) { return !(a == b); }

 private:
  std::string bytes_;
};

// The characters the bytes stand for in the code page, as UTF-8.
std::string ShownText(const LoggerText& text, const CodePage& codePage);
// A UTF-8 text written in the code page; a character the page lacks (or
// bytes that are no UTF-8) become "?". The edits' rule keeps the user from
// typing such a character, so this loses nothing the user meant.
LoggerText LoggerTextIn(std::string_view utf8, const CodePage& codePage);

// UTF-8 and UTF-16; false for bytes that are not UTF-8.
bool Utf8ToUtf16(std::string_view utf8, std::u16string& text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace brisko
