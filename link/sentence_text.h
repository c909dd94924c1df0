// The text of a sentence as it crosses the wire, written once for the tool,
// the simulator and the tests: uppercase hexadecimal digits, the fields of a
// sentence read one by one from the front, and which bytes may stand inside
// a field. Pure functions on memory, no allocation except where a text is
// returned.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brisko {

// The value of an uppercase hexadecimal digit, or -1 for any other byte: on
// this wire lowercase "a" to "f" are not digits.
int UpperHexDigitValue(unsigned char c);

// Appends the byte as two uppercase hexadecimal digits, with a leading zero.
void AppendUpperHex(std::string& out, unsigned char byte);

// Reads the comma-separated fields of a sentence from its front. A field ends
// at the next comma, which is consumed and never part of a field; two
// adjacent commas give an empty field; with no comma left the whole rest is
// the last field, and every read after it gives an empty field. Nothing is
// trimmed. A value type over the text, which must outlive it.
class FieldReader {
 public:
  explicit FieldReader(std::string_view text) : rest_(text) {}

  // The next field as it stands.
  std::string_view Take();
  // Passes over `count` fields.
  FieldReader& Skip(int count);
  // The next field converted by its leading part (see LeadingInt).
  std::int32_t Int();

  // What has not been read yet, after the last comma consumed.
  std::string_view Rest() const { return rest_; }
  // True once the last field (the one with no comma after it) has been taken.
  bool Exhausted() const { return exhausted_; }

 private:
  std::string_view rest_;
  bool exhausted_ = false;
};

// Every field of the text: "a,,b" gives {"a", "", "b"}, "" gives {""}.
std::vector<std::string_view> SplitFields(std::string_view text);

// True for a byte that may travel inside a command field: not the separator
// ",", not "*" or "$" (they would cut or restart the sentence), no C0 control
// character and no DEL. Bytes above 0x7F are characters of the code page the
// texts are written in (Windows-1252 gives 0x80 to "\u20AC"), so they travel.
bool CanTravelInField(unsigned char byte);

}  // namespace brisko
