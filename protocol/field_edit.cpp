#include "protocol/field_edit.h"

namespace brisko {

bool CanTravelInField(char16_t character) {
  if (character > 0xFF) return false;                         // outside Latin-1
  if (character < 0x20 || character == 0x7F) return false;    // C0 controls and DEL
  if (character >= 0x80 && character < 0xA0) return false;    // C1 controls
  return character != u',' && character != u'*' && character != u'$';
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
