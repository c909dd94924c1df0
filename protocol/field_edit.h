// The rule for the user's changes to the five texts that go out inside a
// command field, without any toolkit, so that every front end judges them
// alike: a change may not add a field separator ",", a "*" or "$" (they would
// cut or restart the sentence), a control character or a character that the
// code page the texts travel in cannot write (the record keeps the logger's
// bytes), nor make the text longer than the edit's limit, counted in bytes of
// that page, as the read-back counts it (two for a double-byte character). Only what a change
// adds is judged, so a text from the logger that breaks the rule is still
// shown, kept and sent back unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brisko {

// The most bytes each of the five texts may hold when the user sets it: the
// pilot's name, and each of the other four.
inline constexpr std::size_t kPilotNameLimit = 31;
inline constexpr std::size_t kShortTextLimit = 15;

// Writes one character (a UTF-16 code unit) in the code page the front end
// converts texts with: appends its bytes and returns true, or returns false
// when the page has no bytes for it (a best-fit stand-in such as "?" for "Ł"
// on a Western page counts as none).
using CodePageEncoder = bool (*)(char16_t character, std::string& bytes);

// True for a character that can travel inside a command field when written
// with `encode`: no control character, not "," "*" "$", and bytes that the
// page writes and the field takes.
bool CanTravelInField(char16_t character, CodePageEncoder encode);

// Whether the user may change the text from `accepted` (what the edit showed
// and the record holds) to `edited`, whatever the means: typing, paste, drag
// and drop, undo, redo or a context-menu entry. A change that breaks the rule
// is refused whole.
bool MayAcceptFieldEdit(std::u16string_view accepted, std::u16string_view edited, std::size_t limit,
                        CodePageEncoder encode);

}  // namespace brisko
