#include "dialog/windows_1252.h"

namespace brisko {

namespace {

// 0x80 to 0x9F; the rest of the page is Latin-1, each byte its own code point.
constexpr char16_t kUpperControls[32] = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',
};

char16_t CharacterOf(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kUpperControls[byte - 0x80] : static_cast<char16_t>(byte);
}

bool ByteOf(char16_t character, char& byte) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
    byte = static_cast<char>(static_cast<unsigned char>(character));
    return true;
  }
  for (unsigned i = 0; i < 32; ++i) {
    if (kUpperControls[i] == character) {
      byte = static_cast<char>(static_cast<unsigned char>(0x80 + i));
      return true;
    }
  }
  return false;
}

}  // namespace

std::u16string Windows1252ToUtf16(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (char byte : bytes) text.push_back(CharacterOf(static_cast<unsigned char>(byte)));
  return text;
}

std::string Utf16ToWindows1252(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (char16_t character : text) {
    char byte = '?';
    ByteOf(character, byte);
    bytes.push_back(byte);
  }
  return bytes;
}

bool EncodeWindows1252(char16_t character, std::string& bytes) {
  char byte = 0;
  if (!ByteOf(character, byte)) return false;
  bytes.push_back(byte);
  return true;
}

}  // namespace brisko
