// The port a run starts with and the one it leaves in "BRISKO.INI" of the
// current working directory, with the dialog and simulated ports.
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/settings_file.h"
#include "dialog/control_ids.h"
#include "qt/qt_main_dialog.h"
#include "tests/support/dialog_machine.h"
#include "tests/qt/qt_test_support.h"

namespace brisko {
namespace {

// The settings file takes the place of the machine's settings store.
class PortMemoryTest : public ::testing::Test, protected testing::DialogMachine {
 protected:
  void StoreFile(const std::string& bytes) { std::ofstream(kSettingsFileName, std::ios::binary) << bytes; }
  std::string StoredFile() {
    std::ifstream in(kSettingsFileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  QtMainDialog& Start() {
    dialog_ = std::make_unique<QtMainDialog>(settingsFile_, platform());
    dialog_->OnInitDialog();
    dialog_->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
    EXPECT_TRUE(AwaitStart([&] { return PortList().count() == 2; }, test::ProcessEvents));
    return *dialog_;
  }
  void Exit() { dialog_->ControlAs<QPushButton>(kCommandCancel)->click(); }
  QComboBox& PortList() { return *dialog_->ControlAs<QComboBox>(kIdPortList); }
  bool AnyPortOpen() { return Device(3).isOpen() || Device(5).isOpen(); }

  test::PrivateWorkingDirectory directory_;
  SettingsFile settingsFile_;
  std::unique_ptr<QtMainDialog> dialog_;
};

TEST_F(PortMemoryTest, WithoutAFileNoPortOpensAndThePortPickedIsKept) {
  Start();
  EXPECT_FALSE(AnyPortOpen());
  EXPECT_FALSE(dialog_->Control(kIdSet)->isEnabled());
  PortList().setFocus();
  QTest::keyClick(&PortList(), Qt::Key_End);  // the last entry, "5"
  EXPECT_TRUE(Device(5).isOpen());
  Exit();
  EXPECT_EQ(StoredFile(), "5");
}

TEST_F(PortMemoryTest, TheStoredPortOpensAtStartAndIsWrittenBackUnchanged) {
  struct Case {
    const char* content;
    bool opens;
    QString selected;
    const char* written;
  } const cases[] = {
      {"3", true, "3", "3"},
      {"3\r\n", true, "3", "3"},      // a hand-edited line end does not lose the port
      {"5\n", true, "5", "5"},
      {"12abc", false, "", "12abc"},  // no port 12: nothing read back, so the text goes back as it was
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    StoreFile(c.content);
    Start();
    EXPECT_EQ(AnyPortOpen(), c.opens);
    EXPECT_EQ(PortList().currentIndex() >= 0 ? PortList().currentText() : QString(), c.selected);
    Exit();
    EXPECT_EQ(StoredFile(), c.written);
    dialog_.reset();
  }
}

TEST_F(PortMemoryTest, AnUnwritableFileEndsTheRunSilently) {
  ASSERT_TRUE(QDir(directory_.path()).mkdir(kSettingsFileName));
  Start();
  Exit();
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_TRUE(QFileInfo(QString::fromLatin1(kSettingsFileName)).isDir());
}

}  // namespace
}  // namespace brisko
