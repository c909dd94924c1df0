// What the user may type into an edit whose text goes out inside a command
// field: no field separator ",", no "*" or "$" (they would cut or restart the
// sentence), no control characters, nothing outside Latin-1 (the record keeps
// one byte per character), and no growth beyond the edit's limit. Only what
// the user adds is judged: a text put in by the program (a logger's reply,
// which may be longer than the limit) is shown and kept unchanged.
#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;

namespace brisko {

// True for a character that can travel inside a command field.
bool CanTravelInField(QChar character);

class FieldTextValidator : public QValidator {
  Q_OBJECT

 public:
  // Installs itself on the edit, which owns it.
  explicit FieldTextValidator(QLineEdit& edit);

  // The most characters the user may bring the text to; a longer text put in
  // by ShowFieldText may be shortened but not lengthened.
  void setLimit(int limit) { limit_ = limit; }
  int limit() const { return limit_; }

  State validate(QString& input, int& position) const override;

  // The text the edit shows now, against which the next change is judged.
  void setShownText(const QString& text) { shown_ = text; }

 private:
  int limit_ = 32767;
  mutable QString shown_;
};

// Puts a text into the edit as the program's own, unjudged.
void ShowFieldText(QLineEdit& edit, const QString& text);

}  // namespace brisko
