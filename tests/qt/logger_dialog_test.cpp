// The main dialog over simulated serial ports: what opening a port enables,
// how the logger's replies and the user's edits move between controls and
// record, the Set and deletion flows with their message boxes, and the ways
// the dialog ends.
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "brisko_version.h"
#include "dialog/control_ids.h"
#include "link/sentence_framing.h"
#include "link/simulated_clock.h"
#include "link/simulated_port.h"
#include "qt/logger_dialog.h"
#include "qt/sentence_event.h"
#include "tests/qt/qt_test_support.h"
#include "tests/support/fake_surface.h"

namespace brisko {
namespace {

using test::ModalAnswerer;
using test::Press;
using test::WaitFor;
using testing::MemorySettings;
using testing::StoppedClock;

// Replies as a logger of either family sends them.
const char kReply800[] = "$NT800,NT4711,12,28,0,0,2,1,1,0";        // fix rate 2 s, record mode 1, sealed
const char kReply0Firmware28[] = "$NT0,NT0815,12,28,0,0,0,0,0,0,1,0,0,3";
const char kReply0Firmware27[] = "$NT0,NT0816,12,27,0,0,0,0,0,0,1,0,0,3";

class LoggerDialogTest : public ::testing::Test {
 protected:
  LoggerDialogTest() {
    ports_.AddDevice(3, clock_);
    ports_.AddDevice(5, clock_);
  }

  CLoggerDlg& Start(const std::string& portNumber) {
    settings_.stored = portNumber;
    const std::size_t writesBefore = AllWrites();
    dialog_ = std::make_unique<CLoggerDlg>(settings_, Platform{ports_, clock_, StoppedClock});
    dialog_->OnInitDialog();
    dialog_->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
    // The other ports join the list as their probes come back.
    EXPECT_TRUE(WaitFor([&] { return Control<QComboBox>(kIdPortList).count() == 2; }));
    // The worker empties the port when it starts: the test feeds replies only
    // once it has written its first command.
    SimulatedDevice* device = ports_.Device(std::stoi(portNumber));
    if (device != nullptr && device->isOpen()) {
      EXPECT_TRUE(WaitFor([&] { return AllWrites() > writesBefore; }));
    }
    return *dialog_;
  }
  std::size_t AllWrites() { return Device(3).Writes().size() + Device(5).Writes().size(); }

  SimulatedDevice& Device(int port) { return *ports_.Device(port); }
  void Feed(int port, std::string sentence) {
    AppendChecksum(sentence);
    Device(port).Feed(sentence);
  }
  bool Written(int port, const std::string& text) { return Device(port).WrittenBytes().find(text) != std::string::npos; }
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

  SimulatedClock clock_{0, std::chrono::microseconds(200)};
  SimulatedPortSystem ports_;
  MemorySettings settings_;
  std::unique_ptr<CLoggerDlg> dialog_;
};

TEST_F(LoggerDialogTest, TheRestoredPortOpensAtStartAndTheLoggerIsAskedWhoItIs) {
  Start("3");
  auto& list = Control<QComboBox>(kIdPortList);
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.itemText(0), "3");
  EXPECT_EQ(list.itemText(1), "5");
  EXPECT_EQ(list.currentText(), "3");
  EXPECT_EQ(Shown(kIdPortStatus), "COM3 Open Ok");
  EXPECT_TRUE(PortControlsEnabled(true));
  EXPECT_EQ(QApplication::focusWidget(), dialog_->Control(kCommandCancel)) << "the focus starts on Exit";
  // Only the focused push button is the default; in an edit none is.
  for (auto* button : dialog_->findChildren<QPushButton*>()) {
    EXPECT_EQ(button->isDefault(), button->hasFocus()) << button->objectName().toStdString();
  }
  dialog_->Control(kIdPilotName)->setFocus();
  for (auto* button : dialog_->findChildren<QPushButton*>()) {
    EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
  }
  for (int id : RecordModeControlIds()) EXPECT_FALSE(dialog_->Control(id)->isVisible()) << id;
  ASSERT_TRUE(WaitWritten(3, "$NT800,1*"));
  const std::string written = Device(3).WrittenBytes();
  EXPECT_LT(written.find("$NT900,4,51,0*"), written.find("$NT987,1*"));
  EXPECT_LT(written.find("$NT987,1*"), written.find("$NT800,1*"));
}

TEST_F(LoggerDialogTest, AFailedOpenDisablesThePortControlsAndASuccessfulOneEnablesThem) {
  Start("7");
  EXPECT_TRUE(PortControlsEnabled(false));
  EXPECT_FALSE(dialog_->Control(kIdPortStatus)->toolTip().isEmpty()) << "the tooltip explains the failure";

  ChooseListEntry("3");
  EXPECT_TRUE(Device(3).isOpen());
  EXPECT_TRUE(PortControlsEnabled(true));
  EXPECT_EQ(Shown(kIdPortStatus), "COM3 Open Ok");
  EXPECT_TRUE(dialog_->Control(kIdPortStatus)->toolTip().isEmpty());

  // Port 5 is taken by another program by now: an enabled dialog is disabled again.
  PortOpenError error;
  auto held = ports_.Open(5, error);
  ASSERT_NE(held, nullptr);
  ChooseListEntry("5");
  EXPECT_FALSE(Device(3).isOpen());
  EXPECT_TRUE(PortControlsEnabled(false));
}

TEST_F(LoggerDialogTest, TheRecordModeGroupAppearsWithTheFirstReply800Only) {
  Start("3");
  Identify(3, kReply0Firmware28, "NT0815");
  for (int id : RecordModeControlIds()) EXPECT_FALSE(dialog_->Control(id)->isVisible()) << id;

  Identify(3, kReply800, "NT4711");
  for (int id : RecordModeControlIds()) EXPECT_TRUE(dialog_->Control(id)->isVisible()) << id;
  EXPECT_TRUE(Control<QRadioButton>(kIdRecordModeNo + 1).isChecked()) << "record mode 1 from the reply";
}

TEST_F(LoggerDialogTest, ClickedRadioButtonsAndTypedTextsReachTheLoggerWithSet) {
  Start("3");
  Identify(3, kReply800, "NT4711");
  ClickAt(kIdFixRate1 + 4);
  QTest::keyClicks(&Control<QLineEdit>(kIdCompetitionId), "AB");
  ClickAt(kIdSet);
  EXPECT_TRUE(WaitWritten(3, "$NT805,3,AB*"));
  EXPECT_TRUE(WaitWritten(3, "$NT802,3,5*"));
}

TEST_F(LoggerDialogTest, AnOverlongNameFromTheLoggerStopsTheNextReadBackAtItsEdit) {
  Start("3");
  Identify(3, kReply800, "NT4711");
  const std::string longName(40, 'L');
  Feed(3, "$NT805,1," + longName);
  ASSERT_TRUE(WaitFor([&] { return Control<QLineEdit>(kIdPilotName).text().size() == 40; }));

  {
    ModalAnswerer answer(Press(QMessageBox::Ok));
    ClickAt(kIdFixRate1 + 8);  // fix rate "9"
    ASSERT_TRUE(answer.answered());
    EXPECT_EQ(answer.title(), "brisko");
    EXPECT_EQ(answer.text(), QStringLiteral("Non digitare pi\u00f9 di 31 caratteri."));
  }
  EXPECT_TRUE(WaitFor([&] { return QApplication::focusWidget() == dialog_->Control(kIdPilotName); }));
  EXPECT_EQ(Control<QLineEdit>(kIdPilotName).selectedText().size(), 40);

  // A port change now keeps the old port number and opens port 3 again.
  const int opensOf3 = Device(3).openCount();
  const int opensOf5 = Device(5).openCount();
  {
    ModalAnswerer answer(Press(QMessageBox::Ok));
    ChooseListEntry("5");
    EXPECT_TRUE(answer.answered());
  }
  EXPECT_EQ(Device(3).openCount(), opensOf3 + 1);
  EXPECT_EQ(Device(5).openCount(), opensOf5);
}

TEST_F(LoggerDialogTest, SetSendsTheEditedPilotNameToASecondFamilyLogger) {
  Start("3");
  Identify(3, kReply800, "NT4711");
  auto& pilot = Control<QLineEdit>(kIdPilotName);
  pilot.selectAll();
  QTest::keyClicks(&pilot, "Zoe");
  ClickAt(kIdSet);
  EXPECT_TRUE(WaitWritten(3, "$NT805,1,Zoe*"));
  EXPECT_TRUE(WaitWritten(3, "$NT806,4,3*"));
}

TEST_F(LoggerDialogTest, AWarningIsAnExclamationBoxWithOnlyAnOkButton) {
  Start("7");
  ModalAnswerer answer([](QWidget& modal) {
    auto& box = static_cast<QMessageBox&>(modal);
    EXPECT_EQ(box.icon(), QMessageBox::Warning);
    EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
    box.button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(dialog_->ShowMessageBox("First select a COM port !", "Set", MessageBoxKind::Warning),
            MessageBoxAnswer::Ok);
  ASSERT_TRUE(answer.answered());
  EXPECT_EQ(answer.title(), "Set");
  EXPECT_EQ(answer.text(), "First select a COM port !");
}

// The adapter is pulled out while the port is open: the status says so at
// once, with the reason in its tooltip, and the port's controls go off; the
// entry stays, and choosing it again once it is back reopens the port.
TEST_F(LoggerDialogTest, PulledOutAdapterShowsThePortLostAndChoosingItAgainReopens) {
  Start("3");
  Identify(3, kReply800, "NT4711");
  ASSERT_TRUE(PortControlsEnabled(true));
  dialog_->Control(kIdPilotName)->setFocus();
  ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == dialog_->Control(kIdPilotName); }));
  Device(3).Unplug(true);
  ASSERT_TRUE(WaitFor([&] { return Shown(kIdPortStatus) == "COM3 lost"; }));
  EXPECT_TRUE(PortControlsEnabled(false));
  EXPECT_EQ(QApplication::focusWidget(), dialog_->Control(kIdPortList)) << "typing must not go into a disabled edit";
  // The worker's failed read or the look at the system's ports, whichever came first.
  const QString tip = dialog_->Control(kIdPortStatus)->toolTip();
  EXPECT_TRUE(tip.contains("No such device") || tip.contains("no longer lists")) << tip.toStdString();
  EXPECT_FALSE(Device(3).isOpen());
  EXPECT_EQ(Control<QComboBox>(kIdPortList).findText("3"), Control<QComboBox>(kIdPortList).currentIndex());

  Device(3).Unplug(false);
  ChooseListEntry("3");
  EXPECT_EQ(Shown(kIdPortStatus), "COM3 Open Ok");
  EXPECT_TRUE(PortControlsEnabled(true));
  EXPECT_TRUE(dialog_->Control(kIdPortStatus)->toolTip().isEmpty());
}

TEST_F(LoggerDialogTest, DeletionIsSentOnlyWhenTheUserAnswersYes) {
  Start("3");
  Identify(3, kReply800, "NT4711");
  {
    ModalAnswerer answer([](QWidget& modal) {
      auto& box = static_cast<QMessageBox&>(modal);
      EXPECT_EQ(box.icon(), QMessageBox::Question);
      EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
      box.button(QMessageBox::No)->click();
    });
    ClickAt(kIdDeleteAllFlights);
    ASSERT_TRUE(answer.answered());
    EXPECT_EQ(answer.title(), "Delete all flights");
    EXPECT_EQ(answer.text(), "Proceed with flight deletion ?");
  }
  {
    ModalAnswerer answer(Press(QMessageBox::Yes));
    ClickAt(kIdDeleteAllFlights);
    ASSERT_TRUE(answer.answered());
  }
  ASSERT_TRUE(WaitWritten(3, "$NT803,2*"));
  const std::string written = Device(3).WrittenBytes();
  EXPECT_EQ(written.find("$NT803,2*"), written.rfind("$NT803,2*")) << "No must send nothing";
}

TEST_F(LoggerDialogTest, DeletionOnAFirstFamilyLoggerFromFirmware28OpensTheDeleteFlightDialog) {
  Start("3");
  ASSERT_TRUE(WaitWritten(3, "$NT800,1*")) << "the identification is out";
  Identify(3, kReply0Firmware28, "NT0815");
  const std::size_t writesBefore = Device(3).Writes().size();
  int listEntries = -1;
  ModalAnswerer answer([&](QWidget& modal) {
    if (auto* list = modal.findChild<QListWidget*>(QStringLiteral("id%1").arg(kIdFlightList))) listEntries = list->count();
    QTest::mouseClick(modal.findChild<QPushButton*>(QStringLiteral("id%1").arg(kIdDeleteFlight)), Qt::LeftButton);
    EXPECT_TRUE(modal.isVisible()) << "\"&Delete\" does nothing";
    QTest::keyClick(&modal, Qt::Key_Escape);
  });
  ClickAt(kIdDeleteAllFlights);
  ASSERT_TRUE(answer.answered());
  EXPECT_EQ(answer.className(), "brisko::CDeleteFlightDlg");
  EXPECT_EQ(answer.title(), "Delete flight");
  EXPECT_EQ(listEntries, 0);

  // The deletion on older firmware is the next thing written: nothing went out
  // on the path above.
  Identify(3, kReply0Firmware27, "NT0816");
  ModalAnswerer confirm(Press(QMessageBox::Yes));
  ClickAt(kIdDeleteAllFlights);
  EXPECT_EQ(confirm.className(), "QMessageBox");
  ASSERT_TRUE(WaitWritten(3, "$NT978,0*"));
  const auto writes = Device(3).Writes();
  ASSERT_GT(writes.size(), writesBefore);
  EXPECT_EQ(writes[writesBefore].bytes.rfind("$NT978,0*", 0), 0u) << "something was sent on this path";
}

TEST_F(LoggerDialogTest, EnterEndsTheDialogOnlyAfterASuccessfulReadBack) {
  Start("3");
  Identify(3, kReply800, "NT4711");
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
  EXPECT_EQ(settings_.writes, 0);

  auto& competitionClass = Control<QLineEdit>(kIdCompetitionClass);
  ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == &competitionClass; }));
  QTest::keyClick(&competitionClass, Qt::Key_Backspace);  // replaces the selection
  QTest::keyClicks(&competitionClass, "Club");
  QTest::keyClick(&competitionClass, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(settings_.writes, 1);
  EXPECT_EQ(settings_.stored, "3");
  EXPECT_FALSE(Device(3).isOpen());
}

TEST_F(LoggerDialogTest, EscapeExitAndTheCloseBoxEndWithoutAReadBack) {
  enum class Ending { Escape, ExitButton, EnterOnExit, CloseBox };
  for (Ending ending : {Ending::Escape, Ending::ExitButton, Ending::EnterOnExit, Ending::CloseBox}) {
    SCOPED_TRACE(static_cast<int>(ending));
    settings_.writes = 0;
    Start("3");
    Identify(3, kReply800, "NT4711");
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
    EXPECT_EQ(settings_.writes, 1);
    EXPECT_EQ(settings_.stored, "3");
    dialog_.reset();
    EXPECT_EQ(settings_.writes, 1) << "the settings are written once";
  }
}

TEST_F(LoggerDialogTest, EveryCommandQueuedBeforeTheEndReachesTheLogger) {
  settings_.stored = "3";
  CLoggerDlg dialog(settings_, Platform{ports_, clock_, StoppedClock});
  QTimer driver;
  bool setClicked = false;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    if (!dialog.isVisible()) return;
    if (dialog.Text(kIdSerialNumber).empty()) {
      if (Device(3).UnreadByteCount() == 0) Feed(3, kReply800);
      return;
    }
    if (setClicked) return;
    setClicked = true;
    dialog.ControlAs<QPushButton>(kIdSet)->click();
    dialog.ControlAs<QPushButton>(kCommandCancel)->click();
  });
  driver.start(20);
  EXPECT_EQ(dialog.DoModal(), QDialog::Rejected);
  EXPECT_TRUE(setClicked);
  EXPECT_TRUE(Written(3, "$NT806,4,2*"));
  EXPECT_TRUE(Written(3, "$NT806,4,3*")) << "the last command of Set went out before the port closed";
  EXPECT_FALSE(Device(3).isOpen());
  EXPECT_EQ(settings_.stored, "3");
}

TEST_F(LoggerDialogTest, TheContextMenuOffersTheAboutBox) {
  Start("3");
  QString entry;
  QTimer menuWatcher;
  QObject::connect(&menuWatcher, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    menuWatcher.stop();
    entry = menu->actions().value(0) ? menu->actions().value(0)->text() : QString();
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
  });
  menuWatcher.start(10);
  QString aboutText;
  ModalAnswerer about([&](QWidget& modal) {
    if (auto* text = modal.findChild<QLabel*>(QStringLiteral("aboutText"))) aboutText = text->text();
    QTest::keyClick(&modal, Qt::Key_Escape);
  });
  QWidget* target = dialog_->Control(kIdSerialNumber);
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), target->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(target, &event);

  EXPECT_EQ(entry, "Infor&mazioni su brisko...");
  ASSERT_TRUE(about.answered());
  EXPECT_TRUE(aboutText.contains(QString::fromLatin1(kApplicationTitle))) << aboutText.toStdString();
  EXPECT_TRUE(dialog_->isVisible()) << "the About box leaves the dialog running";
  EXPECT_TRUE(Device(3).isOpen());
}

TEST_F(LoggerDialogTest, SentencesPostedFromAnotherThreadAreHandledOnTheDialogsThread) {
  Start("3");
  Identify(3, kReply800, "NT4711");  // travels worker -> posted event -> dialog
  EXPECT_EQ(Shown(kIdSerialNumber), "NT4711");
  EXPECT_EQ(Shown(kIdFirmwareRev), "2.8");
  EXPECT_EQ(Shown(kIdSealStatus), "SEALED");
  EXPECT_TRUE(Control<QRadioButton>(kIdFixRate1 + 1).isChecked());
}

}  // namespace
}  // namespace brisko
