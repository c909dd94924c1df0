// The Qt main dialog over simulated serial ports: one flow from the start
// through a logger's reply, edits and Set to the ways the dialog ends, with
// what only Qt's window adds (default buttons, keys, the context menu, the
// icons of the boxes). What every front end owes the neutral dialog is the
// control-surface suite's; the decisions are tested below the front ends.
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "brisko_version.h"
#include "dialog/control_ids.h"
#include "qt/qt_main_dialog.h"
#include "tests/qt/qt_test_support.h"
#include "tests/support/dialog_machine.h"

namespace brisko {
namespace {

using test::ModalAnswerer;
using test::Press;
using test::WaitFor;

// A second-family logger's reply.
const char kReply800[] = "$NT800,NT4711,12,28,0,0,2,1,1,0";        // fix rate 2 s, record mode 1, sealed

class QtMainDialogTest : public ::testing::Test, protected testing::DialogMachine {
 protected:
  QtMainDialog& Start(const std::string& portNumber) {
    settings.stored = portNumber;
    dialog_ = std::make_unique<QtMainDialog>(settings, platform());
    dialog_->OnInitDialog();
    dialog_->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
    EXPECT_TRUE(AwaitStart([&] { return Control<QComboBox>(kIdPortList).count() == 2; }, test::ProcessEvents));
    return *dialog_;
  }
  bool WaitWritten(int port, const std::string& text) {
    return WaitFor([&] { return Written(port, text); });
  }
  // Feeds a reply and waits until the dialog shows its serial number.
  void Identify(int port, const char* reply, const char* serial) {
    Feed(port, reply);
    ASSERT_TRUE(WaitFor([&] { return Shown(kIdSerialNumber) == serial; }));
  }

  template <typename Widget>
  Widget& Control(int id) {
    return *dialog_->ControlAs<Widget>(id);
  }
  QString Shown(int id) { return Control<QLabel>(id).text(); }
  bool PortControlsEnabled(bool enabled) {
    for (int id : PortDependentControlIds()) {
      if (dialog_->Control(id)->isEnabled() != enabled) return false;
    }
    return true;
  }
  void ClickAt(int id) {
    QWidget& button = Control<QWidget>(id);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(4, button.height() / 2));
  }
  // Chooses an entry as a user does with the arrow keys; the entry already
  // shown is chosen again, as from the dropped list.
  void ChooseListEntry(const QString& text) {
    auto& list = Control<QComboBox>(kIdPortList);
    const int target = list.findText(text);
    ASSERT_GE(target, 0);
    list.setFocus();
    if (list.currentIndex() == target) {
      Q_EMIT list.activated(target);
      return;
    }
    // One key per step; what the list shows afterwards is the dialog's
    // business (a refused change selects the old port again).
    const int steps = target - list.currentIndex();
    for (int i = 0; i < std::abs(steps); ++i) QTest::keyClick(&list, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
  }

  std::unique_ptr<QtMainDialog> dialog_;
};

// Enter is the OK command unless a push button has the focus: only the
// focused push button is the default, and in an edit none is.
TEST_F(QtMainDialogTest, OnlyTheFocusedPushButtonIsTheDefault) {
  Start("3");
  ASSERT_EQ(QApplication::focusWidget(), dialog_->Control(kCommandCancel));
  for (auto* button : dialog_->findChildren<QPushButton*>()) {
    EXPECT_EQ(button->isDefault(), button->hasFocus()) << button->objectName().toStdString();
  }
  dialog_->Control(kIdPilotName)->setFocus();
  for (auto* button : dialog_->findChildren<QPushButton*>()) {
    EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
  }
}

TEST_F(QtMainDialogTest, ClickedRadioButtonsAndTypedTextsReachTheLoggerWithSet) {
  Start("3");
  ASSERT_NO_FATAL_FAILURE(Identify(3, kReply800, "NT4711"));
  ClickAt(kIdFixRate1 + 4);
  QTest::keyClicks(&Control<QLineEdit>(kIdCompetitionId), "AB");
  ClickAt(kIdSet);
  EXPECT_TRUE(WaitWritten(3, "$NT805,3,AB*"));
  EXPECT_TRUE(WaitWritten(3, "$NT802,3,5*"));
}

// The buttons and answers of each kind are the control-surface suite's; the
// icon is Qt's own.
TEST_F(QtMainDialogTest, EachMessageBoxKindShowsItsIcon) {
  Start("7");
  const std::pair<MessageBoxKind, QMessageBox::Icon> cases[] = {{MessageBoxKind::Warning, QMessageBox::Warning},
                                                                {MessageBoxKind::Question, QMessageBox::Question}};
  for (const auto& [kind, icon] : cases) {
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    ModalAnswerer answer([&shown](QWidget& modal) {
      auto& box = static_cast<QMessageBox&>(modal);
      shown = box.icon();
      box.reject();
    });
    dialog_->ShowMessageBox("First select a COM port !", "Set", kind);
    ASSERT_TRUE(answer.answered());
    EXPECT_EQ(shown, icon);
  }
}

// The adapter is pulled out while the port is open: the status says so at
// once, with the reason in its tooltip, and the port's controls go off; the
// entry stays, and choosing it again once it is back reopens the port.
TEST_F(QtMainDialogTest, PulledOutAdapterShowsThePortLostAndChoosingItAgainReopens) {
  Start("3");
  ASSERT_NO_FATAL_FAILURE(Identify(3, kReply800, "NT4711"));
  ASSERT_TRUE(PortControlsEnabled(true));
  Device(3).Unplug(true);
  ASSERT_TRUE(WaitFor([&] { return Shown(kIdPortStatus) == "COM3 lost"; }));
  EXPECT_TRUE(PortControlsEnabled(false));
  EXPECT_TRUE(dialog_->Control(kIdPortStatus)->toolTip().contains("No such device")) <<
      dialog_->Control(kIdPortStatus)->toolTip().toStdString();
  EXPECT_FALSE(Device(3).isOpen());
  EXPECT_EQ(Control<QComboBox>(kIdPortList).findText("3"), Control<QComboBox>(kIdPortList).currentIndex());

  Device(3).Unplug(false);
  ChooseListEntry("3");
  EXPECT_EQ(Shown(kIdPortStatus), "COM3 Open Ok");
  EXPECT_TRUE(PortControlsEnabled(true));
  EXPECT_TRUE(dialog_->Control(kIdPortStatus)->toolTip().isEmpty());
}

TEST_F(QtMainDialogTest, EnterEndsTheDialogOnlyAfterASuccessfulReadBack) {
  Start("3");
  ASSERT_NO_FATAL_FAILURE(Identify(3, kReply800, "NT4711"));
  Feed(3, "$NT805,2," + std::string(16, 'C'));
  ASSERT_TRUE(WaitFor([&] { return Control<QLineEdit>(kIdCompetitionClass).text().size() == 16; }));
  auto& pilot = Control<QLineEdit>(kIdPilotName);
  pilot.setFocus();
  {
    ModalAnswerer answer(Press(QMessageBox::Ok));
    QTest::keyClick(&pilot, Qt::Key_Return);
    ASSERT_TRUE(answer.answered());
    EXPECT_EQ(answer.text(), QStringLiteral("Non digitare pi\u00f9 di 15 caratteri."));
  }
  EXPECT_TRUE(dialog_->isVisible());

  auto& competitionClass = Control<QLineEdit>(kIdCompetitionClass);
  ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == &competitionClass; }));
  QTest::keyClick(&competitionClass, Qt::Key_Backspace);  // replaces the selection
  QTest::keyClicks(&competitionClass, "Club");
  QTest::keyClick(&competitionClass, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
}

TEST_F(QtMainDialogTest, EscapeExitAndTheCloseBoxEndWithoutAReadBack) {
  enum class Ending { Escape, ExitButton, EnterOnExit, CloseBox };
  for (Ending ending : {Ending::Escape, Ending::ExitButton, Ending::EnterOnExit, Ending::CloseBox}) {
    SCOPED_TRACE(static_cast<int>(ending));
    settings.writes = 0;
    Start("3");
    ASSERT_NO_FATAL_FAILURE(Identify(3, kReply800, "NT4711"));
    Feed(3, "$NT805,1," + std::string(40, 'L'));
    ASSERT_TRUE(WaitFor([&] { return Control<QLineEdit>(kIdPilotName).text().size() == 40; }));
    ModalAnswerer unexpected(Press(QMessageBox::Ok));
    switch (ending) {
      case Ending::Escape: QTest::keyClick(dialog_.get(), Qt::Key_Escape); break;
      case Ending::ExitButton: QTest::mouseClick(&Control<QPushButton>(kCommandCancel), Qt::LeftButton); break;
      case Ending::EnterOnExit: QTest::keyClick(dialog_->Control(kCommandCancel), Qt::Key_Return); break;
      case Ending::CloseBox: dialog_->close(); break;
    }
    EXPECT_TRUE(WaitFor([&] { return !dialog_->isVisible(); }));
    EXPECT_FALSE(unexpected.answered()) << "a read-back would have shown the length message";
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
    EXPECT_EQ(settings.writes, 1);
    EXPECT_EQ(settings.stored, "3");
    dialog_.reset();
    EXPECT_EQ(settings.writes, 1) << "the settings are written once";
  }
}

TEST_F(QtMainDialogTest, TheContextMenuOffersTheAboutBox) {
  Start("3");
  QStringList entries;
  QTimer menuWatcher;
  QObject::connect(&menuWatcher, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    menuWatcher.stop();
    for (const QAction* action : menu->actions()) entries << action->text();
    QTest::keyClick(menu, Qt::Key_Up);  // the last entry: About
    QTest::keyClick(menu, Qt::Key_Return);
  });
  menuWatcher.start(10);
  QString aboutText;
  bool iconShown = false;
  ModalAnswerer about([&](QWidget& modal) {
    if (auto* text = modal.findChild<QLabel*>(QStringLiteral("id%1").arg(kIdAboutTitle))) aboutText = text->text();
    if (auto* icon = modal.findChild<QLabel*>(QStringLiteral("id%1").arg(kIdAboutIcon))) {
      iconShown = !icon->pixmap().isNull();
    }
    QTest::keyClick(&modal, Qt::Key_Escape);
  });
  QWidget* target = dialog_->Control(kIdSerialNumber);
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), target->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(target, &event);

  QStringList table;
  for (const MenuEntry& menuEntry : kMenuEntries) table << QString::fromLatin1(menuEntry.text);
  EXPECT_EQ(entries, table);
  EXPECT_EQ(entries.value(entries.size() - 1), "Infor&mazioni su brisko...");
  ASSERT_TRUE(about.answered());
  EXPECT_EQ(aboutText, QString::fromLatin1(kApplicationTitle));
  EXPECT_TRUE(iconShown);
  EXPECT_TRUE(dialog_->isVisible()) << "the About box leaves the dialog running";
  EXPECT_TRUE(Device(3).isOpen());
}

}  // namespace
}  // namespace brisko
