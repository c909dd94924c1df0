// One run of the tool against brisko-sim over a pseudo-terminal, through the
// machine's real port layer: the restored port opens, the logger identifies
// itself, the user changes the pilot name and presses Set, the simulator
// receives it, the user leaves, and the settings file keeps the port.
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/logger_app.h"
#include "app/settings_file.h"
#include "qt_test_support.h"
#include "sim_process.h"
#include "ui/control_ids.h"
#include "ui/logger_dialog.h"

namespace brisko {
namespace {

using test::WaitFor;

TEST(WindowEndToEndTest, SetReachesTheSimulatorAndTheFileKeepsThePort) {
  test::PrivateWorkingDirectory directory;
  // Publishes its port in a private ports directory, which this process then uses too.
  SimProcess simulator({"--family", "800"});
  ASSERT_TRUE(simulator.started());
  const std::string port = std::to_string(simulator.port());
  WriteSettingsFile(port);
  const auto received = [&](const std::string& text) {
    return simulator.WaitForLine([&](const std::string& line) { return line.find(text) != std::string::npos; },
                                 std::chrono::seconds(20)) >= 0;
  };

  {
    SettingsFile settings;
    CLoggerDlg dialog(settings);
    dialog.OnInitDialog();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(dialog.ControlAs<QLabel>(kIdPortStatus)->text().toStdString(), "COM" + port + " Open Ok");

    auto* serial = dialog.ControlAs<QLabel>(kIdSerialNumber);
    ASSERT_TRUE(WaitFor([&] { return serial->text() == "NT1234"; }));
    EXPECT_TRUE(dialog.Control(kIdRecordModeGroup)->isVisible()) << "a second-family logger";

    auto* pilot = dialog.ControlAs<QLineEdit>(kIdPilotName);
    ASSERT_TRUE(WaitFor([&] { return !pilot->text().isEmpty(); }));
    pilot->setFocus();
    pilot->selectAll();
    QTest::keyClicks(pilot, "Lea Bianchi");
    dialog.ControlAs<QPushButton>(kIdSet)->click();
    EXPECT_TRUE(received("rx \"$NT805,1,Lea Bianchi\" checksum ok"));

    dialog.ControlAs<QPushButton>(kCommandCancel)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.core().IsPortOpen());
  }
  std::ifstream file(kSettingsFileName, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()), port);
}

}  // namespace
}  // namespace brisko
