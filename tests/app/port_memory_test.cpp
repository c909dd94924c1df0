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
#include "link/simulated_clock.h"
#include "link/simulated_port.h"
#include "qt/qt_main_dialog.h"
#include "tests/support/fake_surface.h"
#include "tests/qt/qt_test_support.h"

namespace brisko {
namespace {

class PortMemoryTest : public ::testing::Test {
 protected:
  PortMemoryTest() {
    ports_.AddDevice(3, clock_);
    ports_.AddDevice(5, clock_);
  }

  void StoreFile(const std::string& bytes) { std::ofstream(kSettingsFileName, std::ios::binary) << bytes; }
  std::string StoredFile() {
    std::ifstream in(kSettingsFileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  QtMainDialog& Start() {
    dialog_ = std::make_unique<QtMainDialog>(settings_, Platform{ports_, clock_, testing::StoppedClock});
    dialog_->OnInitDialog();
    dialog_->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
    // The ports not open join the list as their probes come back.
    EXPECT_TRUE(test::WaitFor([&] { return PortList().count() == 2; }));
    return *dialog_;
  }
  void Exit() { dialog_->ControlAs<QPushButton>(kCommandCancel)->click(); }
  QComboBox& PortList() { return *dialog_->ControlAs<QComboBox>(kIdPortList); }
  bool AnyPortOpen() { return ports_.Device(3)->isOpen() || ports_.Device(5)->isOpen(); }

  test::PrivateWorkingDirectory directory_;
  SimulatedClock clock_{0, std::chrono::microseconds(200)};
  SimulatedPortSystem ports_;
  SettingsFile settings_;
  std::unique_ptr<QtMainDialog> dialog_;
};

TEST_F(PortMemoryTest, WithoutAFileNoPortOpensAndThePortPickedIsKept) {
  Start();
  EXPECT_FALSE(AnyPortOpen());
  EXPECT_FALSE(dialog_->Control(kIdSet)->isEnabled());
  PortList().setFocus();
  QTest::keyClick(&PortList(), Qt::Key_End);  // the last entry, "5"
  EXPECT_TRUE(ports_.Device(5)->isOpen());
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
