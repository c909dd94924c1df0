// One of the five edits whose text goes out inside a command field. Every
// change the user makes to it (typing, paste, cut, undo, the context menu)
// ends in the edit's EN_CHANGE notification; there the change is judged by the
// toolkit-neutral rule of protocol/field_edit.h against the text the edit last
// showed, and a refused change is put back whole. A text put in by the program
// (a logger's reply, which may break the rule or be longer than the limit) is
// shown and kept unjudged. User-interface thread only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace brisko {

class FieldEditGuard {
 public:
  FieldEditGuard() = default;
  // Guards `edit`; the edit's own limit (EM_LIMITTEXT) is set by SetLimit.
  explicit FieldEditGuard(HWND edit) : edit_(edit) {}

  HWND edit() const { return edit_; }

  // The most bytes of the ANSI code page the user may bring the text to, as
  // the read-back counts them. The edit, a Unicode one, gets it as its
  // EM_LIMITTEXT in characters, which never stops typing before the byte
  // count does; a double-byte character past the limit is refused here. A
  // longer text shown by the program may be shortened but not lengthened.
  void SetLimit(std::size_t limit);
  std::size_t limit() const { return limit_; }

  // Puts the program's text into the edit as the accepted one, unjudged.
  void ShowProgramText(const std::wstring& text);

  // For the edit's EN_CHANGE: true when the user changed the text and the rule
  // accepts it (the record should follow); false for the program's own texts,
  // for no change, and for a refused change, which has been put back with the
  // caret where the change began.
  bool JudgeChange();

 private:
  HWND edit_ = nullptr;
  std::size_t limit_ = 0x7FFE;  // an edit's own default
  std::wstring accepted_;
  bool settingText_ = false;
};

// The whole text of a window.
std::wstring WindowTextOf(HWND window);

}  // namespace brisko
