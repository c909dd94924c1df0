// The control-surface suite on the Qt main dialog, offscreen: the same
// promises as the windowless fake, kept by widgets.
#include <memory>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include "qt/qt_main_dialog.h"
#include "tests/qt/qt_test_support.h"
#include "tests/support/control_surface_suite.h"

namespace brisko::testing {
namespace {

std::string Utf8(const QString& text) { return text.toUtf8().toStdString(); }

class QtFront {
 public:
  QtFront(SettingsStore& settings, const Platform& platform) : dialog_(settings, platform) {
    dialog_.OnInitDialog();
    dialog_.show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog_));
  }

  ControlSurface& surface() { return dialog_; }
  void Pump() { test::ProcessEvents(); }

  void PressOnNextBox(MessageBoxAnswer answer) {
    seen_ = {};
    answerer_ = std::make_unique<test::ModalAnswerer>([this, answer](QWidget& modal) {
      seen_.caption = Utf8(modal.windowTitle());
      auto* box = qobject_cast<QMessageBox*>(&modal);
      if (box == nullptr) {
        modal.close();
        return;
      }
      seen_.text = Utf8(box->text());
      const std::pair<QMessageBox::StandardButton, MessageBoxAnswer> buttons[] = {
          {QMessageBox::Ok, MessageBoxAnswer::Ok},
          {QMessageBox::Yes, MessageBoxAnswer::Yes},
          {QMessageBox::No, MessageBoxAnswer::No}};
      QAbstractButton* press = nullptr;
      for (const auto& [standard, meaning] : buttons) {
        if (box->button(standard) == nullptr) continue;
        seen_.buttons.insert(meaning);
        if (meaning == answer) press = box->button(standard);
      }
      if (press != nullptr) {
        press->click();
      } else {
        box->reject();
      }
    });
  }
  SeenBox LastBox() const { return seen_; }

  std::string Displayed(int id) const {
    if (auto* edit = dialog_.ControlAs<QLineEdit>(id)) return Utf8(edit->text());
    if (auto* label = dialog_.ControlAs<QLabel>(id)) return Utf8(label->text());
    if (auto* list = dialog_.ControlAs<QComboBox>(id)) return Utf8(list->currentText());
    if (auto* button = dialog_.ControlAs<QAbstractButton>(id)) return Utf8(button->text());
    return std::string();
  }
  bool Enabled(int id) const { return dialog_.Control(id)->isEnabled(); }
  bool Visible(int id) const { return dialog_.Control(id)->isVisible(); }
  int FocusedId() const {
    if (QApplication::focusWidget() == &dialog_) return kNoControl;
    for (const ControlTemplate& control : MainDialogTemplate().controls) {
      if (control.id >= 0 && dialog_.Control(control.id) == QApplication::focusWidget()) return control.id;
    }
    return -1;
  }
  std::string SelectedText(int id) const {
    return dialog_.ControlAs<QLineEdit>(id)->selectedText().toStdString();
  }
  // A key event a character, as from a keyboard layout that has it: keyClicks
  // knows only the keys of the Latin-1 range.
  void Type(int id, const std::string& utf8) {
    for (const QChar character : QString::fromStdString(utf8)) {
      QTest::sendKeyEvent(QTest::Click, dialog_.Control(id), Qt::Key_unknown, QString(character), Qt::NoModifier);
    }
  }

 private:
  QtMainDialog dialog_;
  std::unique_ptr<test::ModalAnswerer> answerer_;
  SeenBox seen_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ControlSurfaceSuite, QtFront);

}  // namespace
}  // namespace brisko::testing
