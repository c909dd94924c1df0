// The five edits whose text goes out inside a command field: every change the
// user makes (typing, paste, drag and drop, undo, redo, the context menu) is
// judged by the toolkit-neutral rule of protocol/field_edit.h against the
// text the edit last showed, and a refused change is refused whole. A text put
// in by the program (a logger's reply, which may break the rule or be longer
// than the limit) is shown and kept unchanged.
#pragma once

#include <QString>
#include <QValidator>

#include "dialog/windows_1252.h"

class QLineEdit;

namespace brisko {

// The code page in which the Qt front end shows the logger's texts and judges
// what the user adds to them: Windows-1252, which gives every byte a character.
inline constexpr CodePage kQtTextCodePage = kWindows1252;

class FieldTextValidator : public QValidator {
  Q_OBJECT

 public:
  // Installs itself on the edit, which owns it.
  explicit FieldTextValidator(QLineEdit& edit);

  // The most bytes (in kQtTextCodePage) the user may bring the text to; a
  // longer text put in by ShowFieldText may be shortened but not lengthened.
  void setLimit(int limit) { limit_ = limit; }
  int limit() const { return limit_; }

  // Refuses a typed, pasted or dropped change before the edit shows it.
  State validate(QString& input, int& position) const override;

  // The text the edit shows now, against which the next change is judged.
  void setShownText(const QString& text) { shown_ = text; }

 private:
  bool MayBecome(const QString& text) const;
  // Undo and redo (from keys or the context menu) change the text without
  // letting the validator refuse it; such a change is put back here.
  void RevertIfRefused(const QString& text);

  QLineEdit& edit_;
  int limit_ = 32767;
  QString shown_;
};

// Puts a text into the edit as the program's own, unjudged.
void ShowFieldText(QLineEdit& edit, const QString& text);

}  // namespace brisko
