#include "qt/template_dialog.h"

#include <QKeyEvent>
#include <QPushButton>

#include "dialog/control_ids.h"
#include "qt/program_icon.h"

namespace brisko {

namespace {

// Sets the dialog font before anything measures it, so that the dialog units
// and the controls' own size hints agree.
QWidget& WithFont(QWidget& dialog, int pointSize) {
  dialog.setFont(DialogFont(pointSize));
  return dialog;
}

}  // namespace

TemplateDialog::TemplateDialog(const DialogTemplate& layout, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      layout_(layout),
      units_(DialogUnits::ForFont(DialogFont(layout.fontPointSize))),
      controls_(WithFont(*this, layout.fontPointSize), layout, units_) {
  setWindowTitle(QString::fromUtf8(layout.title));
  setWindowIcon(ProgramIcon());
  setFixedSize(units_.X(layout.width), units_.Y(layout.height));
  for (int i = 0; i < controls_.size(); ++i) {
    const ControlTemplate& control = layout_.controls[static_cast<std::size_t>(i)];
    auto* button = qobject_cast<QPushButton*>(controls_.At(i));
    if (button == nullptr) continue;
    // A push button is the default only while it has the focus: Enter clicks
    // it then and is the OK command anywhere else. Qt's automatic defaults
    // would keep the first button the target of Enter in every edit.
    button->setAutoDefault(false);
    button->installEventFilter(this);
    if (control.id == kCommandCancel) connect(button, &QPushButton::clicked, this, &QDialog::reject);
    if (control.id == kCommandOk) connect(button, &QPushButton::clicked, this, [this] { OnOK(); });
  }
  if (QWidget* first = Control(FirstTabStopId(layout))) first->setFocus();
}

void TemplateDialog::OnOK() { accept(); }

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (enter && plain) {
    if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
      button->animateClick();
    } else {
      OnOK();
    }
    return;
  }
  QDialog::keyPressEvent(event);
}

bool TemplateDialog::eventFilter(QObject* watched, QEvent* event) {
  // The focused push button looks like the default, the one Enter presses.
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
    if (auto* button = qobject_cast<QPushButton*>(watched)) button->setDefault(event->type() == QEvent::FocusIn);
  }
  return QDialog::eventFilter(watched, event);
}

void TemplateDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Without a window manager a new window gets no keyboard focus by itself.
  activateWindow();
}

}  // namespace brisko
