#include "qt/field_validator.h"

#include <string_view>

#include <QLineEdit>

#include "protocol/field_edit.h"

namespace brisko {

namespace {

std::u16string_view View(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

}  // namespace


FieldTextValidator::FieldTextValidator(QLineEdit& edit) : QValidator(&edit), edit_(edit), shown_(edit.text()) {
  edit.setValidator(this);
  // textEdited comes for every change by the user, undo and redo included,
  // before textChanged; a program's setText brings only textChanged.
  connect(&edit, &QLineEdit::textEdited, this, &FieldTextValidator::RevertIfRefused);
  // The edit's own text, not the signal's: after a revert, the signal of the
  // refused change still arrives with the refused text.
  connect(&edit, &QLineEdit::textChanged, this, [this] { shown_ = edit_.text(); });
}

bool FieldTextValidator::MayBecome(const QString& text) const {
  return MayAcceptFieldEdit(View(shown_), View(text), static_cast<std::size_t>(limit_ < 0 ? 0 : limit_),
                            kQtTextCodePage.encode);
}

QValidator::State FieldTextValidator::validate(QString& input, int& /*position*/) const {
  return MayBecome(input) ? Acceptable : Invalid;
}

void FieldTextValidator::RevertIfRefused(const QString& text) {
  if (MayBecome(text)) {
    shown_ = text;
    return;
  }
  const int cursor = edit_.cursorPosition();
  const QString accepted = shown_;
  edit_.setText(accepted);
  edit_.setCursorPosition(qMin(cursor, static_cast<int>(accepted.size())));
}

void ShowFieldText(QLineEdit& edit, const QString& text) {
  if (auto* validator = edit.findChild<FieldTextValidator*>(QString(), Qt::FindDirectChildrenOnly)) {
    validator->setShownText(text);
  }
  edit.setText(text);
}

}  // namespace brisko
