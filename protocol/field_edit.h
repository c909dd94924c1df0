// The rule for the user's changes to the five texts that go out inside a
// command field, without any toolkit, so that every front end judges them
// alike: a change may not add a field separator ",", a "*" or "$" (they would
// cut or restart the sentence), a control character or anything outside
// Latin-1 (the record keeps one byte per character), nor make the text longer
// than the edit's limit. Only what a change adds is judged, so a text from the
// logger that breaks the rule is still shown, kept and sent back unchanged.
#pragma once

#include <cstddef>
#include <string_view>

namespace brisko {

// True for a character (a UTF-16 code unit) that can travel inside a command field.
bool CanTravelInField(char16_t character);

// Whether the user may change the text from `accepted` (what the edit showed
// and the record holds) to `edited`, whatever the means: typing, paste, drag
// and drop, undo, redo or a context-menu entry. A change that breaks the rule
// is refused whole.
bool MayAcceptFieldEdit(std::u16string_view accepted, std::u16string_view edited, std::size_t limit);

}  // namespace brisko
