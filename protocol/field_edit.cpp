#include "protocol/field_edit.h"

#include "link/sentence_text.h"

namespace brisko {

bool CanTravelInField(char16_t character) {
  // The record keeps one byte per character: beyond Latin-1 nothing travels.
  return character <= 0xFF && CanTravelInField(static_cast<unsigned char>(character));
}

bool MayAcceptFieldEdit(std::u16string_view accepted, std::u16string_view edited, std::size_t limit) {
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
    if (!CanTravelInField(edited[i])) return false;
  }
  // A longer text from the logger may be shortened, never lengthened.
  return newSize <= limit || newSize <= oldSize;
}

}  // namespace brisko
