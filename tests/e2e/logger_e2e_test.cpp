// The tool's link and protocol against brisko-sim over a real pseudo-terminal:
// what the record shows after an open and a reopen, that damaged lines never
// reach the record, and a flood. Every wait is for a condition, with a
// generous deadline. What a Set and a deletion put on the wire and what the
// tool then shows, and the blanking of a silent logger, are recorded sessions
// (tests/replay).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "sim/position_sentences.h"
#include "tests/e2e/sim_logger.h"
#include "tests/e2e/sim_process.h"
#include "tests/e2e/tool_harness.h"

namespace brisko {
namespace {

using ::testing::ElementsAreArray;
using std::chrono::milliseconds;

constexpr milliseconds kDeadline{10000};

// A position line the simulator sent: its time, then its fixed position.
bool IsSimulatorPosition(const std::string& line) {
  // hhmmss.00,
  if (line.size() < 10 || line.compare(6, 4, ".00,") != 0) return false;
  const bool digits = std::all_of(line.begin(), line.begin() + 6, [](char c) { return c >= '0' && c <= '9'; });
  return digits && line.substr(10) == kGgaAfterTime;
}

// A reading shown with one decimal that lies within `drift` of `centre`.
bool IsReadingNear(const std::string& shown, double centre, double drift) {
  if (shown.empty()) return false;
  const double value = std::strtod(shown.c_str(), nullptr);
  return SimLogger::Decimal1(value) == shown && std::abs(value - centre) <= drift + 0.051;
}

// Every field of the record either blank (as opening and the staleness rule
// leave it) or exactly what the simulator was configured with. Returns the
// fields that are neither.
std::vector<std::string> WrongFields(const DeviceRecord& r, const SimLogger& logger) {
  std::vector<std::string> wrong;
  auto check = [&](const char* name, const std::string& shown, const std::string& expected) {
    if (!shown.empty() && shown != expected) wrong.push_back(std::string(name) + "=\"" + shown + "\"");
  };
  check("serialNumber", r.serialNumber.bytes(), logger.serial);
  check("hardwareRev", r.hardwareRev, logger.hardwareShown());
  check("firmwareRev", r.firmwareRev, logger.firmwareShown());
  check("sealStatus", r.sealStatus, logger.sealShown());
  const std::vector<std::string> texts = Texts(r);
  for (std::size_t i = 0; i < texts.size(); ++i) check("text", texts[i], logger.texts[i]);
  if (r.fixRateIndex != -1 && r.fixRateIndex != logger.fixRateSeconds - 1) {
    wrong.push_back("fixRateIndex=" + std::to_string(r.fixRateIndex));
  }
  if (r.recordMode != 0 && r.recordMode != logger.recordMode) {
    wrong.push_back("recordMode=" + std::to_string(r.recordMode));
  }
  if (!r.gpsFixLine.empty() && !IsSimulatorPosition(r.gpsFixLine.bytes())) {
    wrong.push_back("gpsFixLine=" + r.gpsFixLine.bytes());
  }
  if (!r.inputVoltage.empty() && !IsReadingNear(r.inputVoltage, logger.voltage, 0.3)) {
    wrong.push_back("inputVoltage=" + r.inputVoltage);
  }
  if (!r.temperature.empty() && !IsReadingNear(r.temperature, logger.temperature, 1.0)) {
    wrong.push_back("temperature=" + r.temperature);
  }
  if (!r.humidity.empty() && !IsReadingNear(r.humidity, logger.humidity, 2.0)) {
    wrong.push_back("humidity=" + r.humidity);
  }
  return wrong;
}

// The simulator playing one logger, and the tool beside it. Declared in this
// order so that the tool closes its port before the simulator goes.
struct Session {
  explicit Session(const SimLogger& played, const std::vector<std::string>& extraArgs = {})
      : logger(played), sim(Concat(played.Args(), extraArgs)) {}

  bool IsFilled() { return Filled(tool.record(), logger); }

  // Opens the simulator's port and waits until the record is filled and the
  // three identification commands have arrived.
  ::testing::AssertionResult OpenAndFill() {
    if (!sim.started()) return ::testing::AssertionFailure() << "no simulator: " << ::testing::PrintToString(sim.Lines());
    const std::size_t from = sim.Lines().size();
    tool.core().OpenPort(sim.port());
    if (!tool.PumpUntil([&] { return IsFilled(); }, kDeadline)) {
      return ::testing::AssertionFailure() << "record not filled; log " << ::testing::PrintToString(sim.Lines());
    }
    if (!sim.WaitForCommands(kIdentification.size(), kDeadline, from)) {
      return ::testing::AssertionFailure() << "identification not received";
    }
    return ::testing::AssertionSuccess();
  }

  static std::vector<std::string> Concat(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  SimLogger logger;
  SimProcess sim;
  ToolUnderTest tool;
};

class LoggerEndToEndTest : public ::testing::TestWithParam<int> {
 protected:
  SimLogger Logger() const {
    SimLogger logger;
    logger.family = GetParam();
    return logger;
  }
};

TEST_P(LoggerEndToEndTest, OpeningThePortFillsTheRecordWithWhatTheLoggerReports) {
  Session s(Logger());
  const SimLogger& logger = s.logger;
  ToolUnderTest& tool = s.tool;
  // Port enumeration opens and closes the port; the logger must survive it.
  EXPECT_THAT(tool.ListAfterLook(), ElementsAreArray({s.sim.port()}));
  ASSERT_TRUE(s.OpenAndFill());
  EXPECT_EQ(tool.record().portStatus, "COM" + std::to_string(s.sim.port()) + " Open Ok");

  const DeviceRecord& r = tool.record();
  EXPECT_EQ(r.hardwareRev, logger.hardwareShown());
  EXPECT_EQ(r.firmwareRev, logger.firmwareShown());
  EXPECT_EQ(r.sealStatus, "UNSEALED");
  EXPECT_EQ(r.fixRateIndex, logger.fixRateSeconds - 1);
  EXPECT_EQ(Texts(r), logger.texts);
  EXPECT_TRUE(IsSimulatorPosition(r.gpsFixLine.bytes())) << r.gpsFixLine.bytes();
  if (logger.family == 800) {
    EXPECT_EQ(r.recordMode, logger.recordMode);
    EXPECT_TRUE(IsReadingNear(r.inputVoltage, logger.voltage, 0.3)) << r.inputVoltage;
    EXPECT_TRUE(IsReadingNear(r.temperature, logger.temperature, 1.0)) << r.temperature;
    EXPECT_TRUE(IsReadingNear(r.humidity, logger.humidity, 2.0)) << r.humidity;
    EXPECT_TRUE(tool.dialog().recordControlsShown);
  } else {
    EXPECT_EQ(r.recordMode, 0);
    EXPECT_TRUE(r.temperature.empty() && r.humidity.empty() && r.inputVoltage.empty());
    EXPECT_FALSE(tool.dialog().recordControlsShown);
  }
  // The three identification commands went out in order, each checksum good.
  EXPECT_EQ(s.sim.ReceivedCommands(), kIdentification);
}

TEST_P(LoggerEndToEndTest, ClosingAndReopeningThePortGetsTheLoggersAnswersAgain) {
  Session s(Logger());
  ASSERT_TRUE(s.OpenAndFill());
  s.tool.core().ClosePort();
  EXPECT_FALSE(s.tool.core().IsPortOpen());
  ASSERT_TRUE(s.OpenAndFill());
  EXPECT_EQ(s.sim.ReceivedCommands(), Session::Concat(kIdentification, kIdentification));
}

TEST_P(LoggerEndToEndTest, DamagedAndGarbageLinesNeverPutAWrongValueInTheRecord) {
  Session s(Logger(), {"--noise", "0.004", "--garbage", "--seed", "20240512", "--verbose"});
  const SimLogger& logger = s.logger;
  SimProcess& sim = s.sim;
  ToolUnderTest& tool = s.tool;
  ASSERT_TRUE(sim.started());
  std::vector<std::string> wrong;
  tool.dialog().onRefresh = [&] {
    for (const auto& field : WrongFields(tool.record(), logger)) wrong.push_back(field);
  };
  // Damaged replies are lost for good, so the port is reopened (and the
  // logger asked again) until every value has arrived at least once.
  bool seen[6] = {};
  auto allSeen = [&] {
    const DeviceRecord& r = tool.record();
    seen[0] |= r.serialNumber.bytes() == logger.serial;
    seen[1] |= r.pilotName.bytes() == logger.texts[0];
    seen[2] |= r.gliderId.bytes() == logger.texts[4];
    seen[3] |= r.fixRateIndex == logger.fixRateSeconds - 1;
    seen[4] |= !r.gpsFixLine.empty();
    seen[5] |= logger.family == 0 || !r.temperature.empty();
    return std::all_of(std::begin(seen), std::end(seen), [](bool b) { return b; });
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  do {
    tool.core().OpenPort(sim.port());
    if (tool.PumpUntil(allSeen, milliseconds(2500))) break;
    tool.core().ClosePort();
  } while (std::chrono::steady_clock::now() < deadline);
  tool.PumpFor(milliseconds(3000));  // more noise and garbage on a filled record
  EXPECT_TRUE(allSeen()) << ::testing::PrintToString(sim.Lines());
  EXPECT_THAT(wrong, ::testing::IsEmpty());
  // The run did meet damaged lines and garbage, and good sentences among them.
  const auto logged = [&](const char* text) {
    const std::vector<std::string> lines = sim.Lines();
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& l) { return l.find(text) != std::string::npos; });
  };
  EXPECT_GT(logged("(damaged by --noise)"), 0);
  EXPECT_GT(logged("tx garbage"), 5);
  EXPECT_GT(tool.dialog().refreshes, 10);
}

INSTANTIATE_TEST_SUITE_P(Families, LoggerEndToEndTest, ::testing::Values(0, 800),
                         [](const ::testing::TestParamInfo<int>& param) {
                           return param.param == 0 ? std::string("FirstFamily") : std::string("SecondFamily");
                         });

// At the full line rate a user-interface thread that is busy for a while
// falls more than the ring's 30 slots behind: the sentences it missed are
// lost, but none may reach the record torn or mixed with a later one.
TEST(LoggerEndToEndFloodTest, AUserInterfaceThreadThatFallsBehindLosesSentencesButNeverReadsATornOne) {
  Session s(SimLogger{}, {"--flood"});
  ToolUnderTest& tool = s.tool;
  std::vector<std::string> wrong;
  tool.dialog().onRefresh = [&] {
    for (const auto& field : WrongFields(tool.record(), s.logger)) wrong.push_back(field);
  };
  ASSERT_TRUE(s.OpenAndFill());
  const long postedBefore = tool.sentencesPosted();
  const long refreshesBefore = tool.dialog().refreshes;
  for (const int busyMs : {100, 400, 250, 600, 150, 500}) {
    std::this_thread::sleep_for(milliseconds(busyMs));  // about 10 lines arrive every 100 ms
    tool.PumpFor(milliseconds(100));
  }
  EXPECT_THAT(wrong, ::testing::IsEmpty());
  const long dispatched = tool.dialog().refreshes - refreshesBefore;
  EXPECT_GT(dispatched, 30);
  // Sentences were lost to the ring while the thread was busy, so the check
  // above did meet slots that had been refilled.
  EXPECT_GT(tool.sentencesPosted() - postedBefore, dispatched + 10);
}

}  // namespace
}  // namespace brisko
