#include "ui/field_validator.h"

#include <QLineEdit>

#include "link/sentence_text.h"

namespace brisko {

bool CanTravelInField(QChar character) {
  // The record keeps one byte per character: beyond Latin-1 nothing travels.
  const char16_t code = character.unicode();
  return code <= 0xFF && CanTravelInField(static_cast<unsigned char>(code));
}

FieldTextValidator::FieldTextValidator(QLineEdit& edit) : QValidator(&edit), shown_(edit.text()) {
  edit.setValidator(this);
  // Undo and redo change the text without asking; keep the reference current.
  connect(&edit, &QLineEdit::textChanged, this, [this](const QString& text) { shown_ = text; });
}

QValidator::State FieldTextValidator::validate(QString& input, int& /*position*/) const {
  // An edit replaces one contiguous run of characters: what lies between the
  // common head and the common tail of the old and new texts is what was added.
  const qsizetype oldSize = shown_.size();
  const qsizetype newSize = input.size();
  qsizetype head = 0;
  while (head < oldSize && head < newSize && shown_[head] == input[head]) ++head;
  qsizetype tail = 0;
  while (tail < oldSize - head && tail < newSize - head &&
         shown_[oldSize - 1 - tail] == input[newSize - 1 - tail]) {
    ++tail;
  }
  for (qsizetype i = head; i < newSize - tail; ++i) {
    if (!CanTravelInField(input[i])) return Invalid;
  }
  if (newSize > limit_ && newSize > oldSize) return Invalid;
  shown_ = input;
  return Acceptable;
}

void ShowFieldText(QLineEdit& edit, const QString& text) {
  if (auto* validator = edit.findChild<FieldTextValidator*>(QString(), Qt::FindDirectChildrenOnly)) {
    validator->setShownText(text);
  }
  edit.setText(text);
}

}  // namespace brisko
