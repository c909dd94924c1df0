// One run of the tool against brisko-sim over a pseudo-terminal, through the
// machine's real port layer: the restored port opens, the logger identifies
// itself, the user changes the pilot name and presses Set, the simulator
// receives it, the user leaves, and the settings file keeps the port.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/settings_file.h"
#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"
#include "protocol/commands.h"
#include "protocol/platform.h"
#include "qt/qt_main_dialog.h"
#include "tests/e2e/sim_process.h"
#include "tests/qt/qt_test_support.h"

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
    const MachinePlatform machine;
    QtMainDialog dialog(settings, machine.platform());
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
  }
  std::ifstream file(kSettingsFileName, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()), port);
}

// The texts and the fix rate that Set sends, as the dialog shows them.
DeviceRecord ShownRecord(const QtMainDialog& dialog) {
  DeviceRecord record;
  record.pilotName = LoggerText(dialog.Text(kIdPilotName));
  record.competitionClass = LoggerText(dialog.Text(kIdCompetitionClass));
  record.competitionId = LoggerText(dialog.Text(kIdCompetitionId));
  record.gliderType = LoggerText(dialog.Text(kIdGliderType));
  record.gliderId = LoggerText(dialog.Text(kIdGliderId));
  const std::vector<int>& fixRates = RadioGroupIds(kIdFixRate1);
  for (std::size_t i = 0; i < fixRates.size(); ++i) {
    if (dialog.Checked(fixRates[i])) record.fixRateIndex = static_cast<std::int32_t>(i);
  }
  return record;
}

// The log's time stamp of a line such as `[    403 ms] rx "$NT806,4,2" checksum ok`.
long LogMilliseconds(const std::string& line) { return std::strtol(line.c_str() + 1, nullptr, 10); }

TEST(WindowEndToEndTest, ASetFollowedAtOnceByExitStillReachesTheLoggerWhole) {
  test::PrivateWorkingDirectory directory;
  SimProcess simulator({"--family", "800"});
  ASSERT_TRUE(simulator.started());
  WriteSettingsFile(std::to_string(simulator.port()));

  std::vector<std::string> expected;
  std::size_t fromLine = 0;
  {
    SettingsFile settings;
    const MachinePlatform machine;
    QtMainDialog dialog(settings, machine.platform());
    dialog.OnInitDialog();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* pilot = dialog.ControlAs<QLineEdit>(kIdPilotName);
    ASSERT_TRUE(WaitFor([&] { return !pilot->text().isEmpty(); })) << "the logger's texts arrive";
    pilot->setFocus();
    pilot->selectAll();
    QTest::keyClicks(pilot, "Ugo Verdi");

    fromLine = simulator.Lines().size();
    expected = SetSequence(LoggerFamily::Second, ShownRecord(dialog));
    dialog.ControlAs<QPushButton>(kIdSet)->click();
    // Leave before the first command of the sequence can have gone out.
    dialog.ControlAs<QPushButton>(kCommandCancel)->click();
    EXPECT_FALSE(dialog.isVisible());
  }
  ASSERT_EQ(expected.size(), 9u);
  EXPECT_EQ(expected[1], "$NT805,1,Ugo Verdi");

  ASSERT_TRUE(simulator.WaitForCommands(expected.size(), std::chrono::seconds(10), fromLine));
  EXPECT_EQ(simulator.ReceivedCommands(fromLine), expected) << "every command, in order, byte for byte";

  // The Set was queued after the simulator logged the line before `fromLine`,
  // and its ninth command leaves more than 8 x 100 ms after its first: a lower
  // bound that no delay in reading or logging can break.
  const std::vector<std::string> lines = simulator.Lines();
  long beforeSet = -1;
  for (std::size_t i = 0; i < fromLine; ++i) {
    if (lines[i].rfind("[", 0) == 0) beforeSet = LogMilliseconds(lines[i]);
  }
  long lastArrival = -1;
  for (std::size_t i = fromLine; i < lines.size(); ++i) {
    if (lines[i].find("] rx \"$NT80") != std::string::npos) lastArrival = LogMilliseconds(lines[i]);
  }
  ASSERT_GE(beforeSet, 0);
  EXPECT_GE(lastArrival - beforeSet, 800);
}

}  // namespace
}  // namespace brisko
