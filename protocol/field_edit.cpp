#include "protocol/field_edit.h"

#include "link/sentence_text.h"

namespace brisko {

bool CanTravelInField(char16_t character, CodePageEncoder encode) {
  // Control characters as the user's text holds them: C0, DEL and C1. A page
  // may give printable characters bytes in 0x80-0x9F ("\u20AC" is 0x80 in
  // Windows-1252), so C1 is judged here, before the page writes it.
  if (character < 0x20 || (character >= 0x7F && character < 0xA0)) return false;
  std::string bytes;
  if (!encode(character, bytes) || bytes.empty()) return false;
  for (char byte : bytes) {
    if (!CanTravelInField(static_cast<unsigned char>(byte))) return false;
  }
  return true;
}

namespace {

// The text's length as the record will hold it: bytes of the page, so that a
// double-byte character counts twice, as the read-back counts it. A character
// the page cannot write (only a logger's text holds one) counts once.
std::size_t PageBytes(std::u16string_view text, CodePageEncoder encode) {
  std::size_t bytes = 0;
  std::string written;
  for (char16_t character : text) {
    written.clear();
    bytes += encode(character, written) && !written.empty() ? written.size() : 1;
  }
  return bytes;
}

}  // namespace

bool MayAcceptFieldEdit(std::u16string_view accepted, std::u16string_view edited, std::size_t limit,
                        CodePageEncoder encode) {
  // Any change, undo and redo included, replaces one contiguous run of
  // characters: what lies between the common head and the common tail of the
  // two texts is what it added.
  const std::size_t oldSize = accepted.size();
  const std::size_t newSize = edited.size();
  std::size_t head = 0;
  while (head < oldSize && head < newSize && accepted[head] == edited[head]) ++head;
  std::size_t tail = 0;
  while (tail < oldSize - head && tail < newSize - head && accepted[oldSize - 1 - tail] == edited[newSize - 1 - tail]) {
    ++tail;
  }
  for (std::size_t i = head; i < newSize - tail; ++i) {
    if (!CanTravelInField(edited[i], encode)) return false;
  }
  // A longer text from the logger may be shortened, never lengthened.
  const std::size_t newBytes = PageBytes(edited, encode);
  return newBytes <= limit || newBytes <= PageBytes(accepted, encode);
}

}  // namespace brisko
