// brisko-sim's failure modes against the tool: damaged lines (--noise), lines
// the tool must ignore (--garbage) and the full line rate (--flood), each with
// a logger of either family, while the user sets new texts and reopens the
// port now and then. At every refresh, every field of the record must hold a
// value that some sentence of the simulator carried, or the blank it starts
// with. The values a sentence can carry are found by dispatching it alone
// into a fresh protocol core, for every sentence the simulator logged as sent
// (damaged ones included, by their text before the damage: a damaged line
// that passes its checksum can only be one whose damage left the content
// alone).
//
// Each case runs BRISKO_FAULT_MODE_SECONDS seconds (4 by default); the long
// form runs a minute each:
//   BRISKO_FAULT_MODE_SECONDS=60 build/tests/fault/brisko_fault_tests --gtest_filter='SimModes/*'
#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "protocol/logger_protocol.h"
#include "tests/e2e/sim_process.h"
#include "tests/e2e/tool_harness.h"
#include "tests/protocol/fake_callouts.h"

namespace brisko {
namespace {

using std::chrono::milliseconds;
using FieldValues = std::map<std::string, std::set<std::string>>;

std::chrono::seconds ModeDuration() {
  const char* text = std::getenv("BRISKO_FAULT_MODE_SECONDS");
  const int seconds = text != nullptr ? std::atoi(text) : 0;
  return std::chrono::seconds(seconds > 0 ? seconds : 4);
}

// The fields that the logger's sentences (and nothing else) write, by name.
std::map<std::string, std::string> LoggerFields(const DeviceRecord& record) {
  std::map<std::string, std::string> fields = testing::Snapshot(record);
  for (const char* notFromTheLogger : {"portStatus", "portNumber"}) {
    fields.erase(notFromTheLogger);
  }
  return fields;
}

// Every value the sentences can put into each field, and the blanks that
// opening a port and the staleness rule leave.
FieldValues ValuesCarriedBy(const std::vector<std::string>& sentences) {
  const std::string unset = "\x01unset";
  testing::FakeDialog dialog;
  testing::FakePort port;
  FieldValues allowed;
  LoggerProtocol blank(dialog, port, dialog.wallClock());
  blank.ClearDeviceFields();
  for (const auto& [name, value] : LoggerFields(blank.record())) allowed[name].insert(value);

  for (const std::string& sentence : sentences) {
    LoggerProtocol oracle(dialog, port, dialog.wallClock());
    DeviceRecord& r = oracle.record();
    for (std::string* text : {&r.firmwareRev, &r.hardwareRev, &r.sealStatus, &r.temperature, &r.humidity,
                              &r.inputVoltage}) {
      *text = unset;
    }
    for (LoggerText* text : {&r.serialNumber, &r.gpsFixLine, &r.pilotName, &r.competitionClass, &r.competitionId,
                             &r.gliderType, &r.gliderId}) {
      *text = LoggerText(unset);
    }
    r.fixRateIndex = INT_MIN + 1;
    r.recordMode = INT_MIN + 1;
    oracle.DispatchSentence(sentence);
    for (const auto& [name, value] : LoggerFields(oracle.record())) {
      if (value != unset && value != std::to_string(INT_MIN + 1)) allowed[name].insert(value);
    }
  }
  return allowed;
}

// [   1234 ms] tx "$NT805,1,Anna Rossi" (damaged by --noise)
// Garbage lines are logged as tx garbage "..." and are not sentences.
std::vector<std::string> SentencesSent(const std::vector<std::string>& log) {
  static const std::string kTx = " ms] tx \"";
  std::vector<std::string> sentences;
  for (const std::string& line : log) {
    const std::size_t at = line.find(kTx);
    if (line.rfind("[", 0) != 0 || at == std::string::npos) continue;
    std::string shown;
    for (std::size_t i = at + kTx.size(); i < line.size() && line[i] != '"'; ++i) {
      shown.push_back(line[i]);
      if (line[i] == '\\' && i + 1 < line.size()) shown.push_back(line[++i]);
    }
    sentences.push_back(UnescapeLogText(shown));
  }
  return sentences;
}

std::size_t LinesContaining(const std::vector<std::string>& log, const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; }));
}

struct ModeCase {
  const char* name;
  std::vector<std::string> args;
  const char* evidence;         // a log text that shows the mode at work
  std::size_t evidenceAtLeast;  // how often it must show over the run
};

void PrintTo(const ModeCase& c, std::ostream* out) { *out << c.name; }

const ModeCase kModes[] = {
    {"noise", {"--noise", "0.01"}, "(damaged by --noise)", 1},
    {"garbage", {"--garbage"}, "tx garbage", 1},
    // More position lines than the ring has slots: the line was full.
    {"flood", {"--flood"}, "tx \"$GPGGA", 31},
};

class SimModesTest : public ::testing::TestWithParam<std::tuple<ModeCase, int>> {};

TEST_P(SimModesTest, RecordOnlyEverHoldsValuesTheSimulatorSent) {
  const ModeCase& mode = std::get<0>(GetParam());
  const int family = std::get<1>(GetParam());
  std::vector<std::string> args = {"--family", std::to_string(family), "--seed", "20240512", "--verbose"};
  args.insert(args.end(), mode.args.begin(), mode.args.end());
  SimProcess sim(args);
  ASSERT_TRUE(sim.started()) << ::testing::PrintToString(sim.Lines());

  ToolUnderTest tool;
  FieldValues observed;
  tool.dialog().onRefresh = [&] {
    for (const auto& [name, value] : LoggerFields(tool.record())) observed[name].insert(value);
  };
  LoggerCore& core = tool.core();
  DeviceRecord& r = tool.record();
  const auto seen = [&](const char* field, const std::function<bool(const std::string&)>& match) {
    const auto& values = observed[field];
    return std::any_of(values.begin(), values.end(), match);
  };
  const auto serialSeen = [&] { return seen("serialNumber", [](const std::string& v) { return v == "NT1234"; }); };
  const auto setSeen = [&] {
    return seen("pilotName", [](const std::string& v) { return v.rfind("Round ", 0) == 0; });
  };

  // Damaged identification replies are lost for good: the port is opened
  // again until the logger's identity has come through once.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  do {
    core.OpenPort(sim.port());
    ASSERT_EQ(r.portStatus, "COM" + std::to_string(sim.port()) + " Open Ok");
  } while (!tool.PumpUntil(serialSeen, milliseconds(2500)) && std::chrono::steady_clock::now() < deadline);

  // Then for the duration, and until one Set has come back: every 1.5 s the
  // user sets new texts (what the logger reports back must show them), and
  // every third time reopens the port instead. The typed texts are put back
  // right after the Set: only what comes from the logger may reach a refresh.
  const auto duration = ModeDuration();
  const auto end = std::chrono::steady_clock::now() + duration;
  const auto goOn = [&] {
    const auto now = std::chrono::steady_clock::now();
    return now < end || (!setSeen() && now < deadline);
  };
  const std::size_t roundsFrom = sim.Lines().size();  // the log line where the rounds began
  for (int round = 1; goOn(); ++round) {
    if (round % 3 == 0) {
      core.ClosePort();
      core.OpenPort(sim.port());
    } else {
      const DeviceRecord shown = r;
      const std::string k = std::to_string(round);
      r.pilotName = LoggerText("Round " + k);
      r.competitionClass = LoggerText("C" + k);
      r.competitionId = LoggerText("K" + k);
      r.gliderType = LoggerText("T" + k);
      r.gliderId = LoggerText("G" + k);
      r.fixRateIndex = round % 10;
      core.OnSet();
      r = shown;
    }
    tool.PumpFor(milliseconds(1500));
  }
  core.ClosePort();
  sim.Stop(SIGTERM);

  const std::vector<std::string> log = sim.Lines();
  const FieldValues allowed = ValuesCarriedBy(SentencesSent(log));
  for (const auto& [name, values] : observed) {
    for (const std::string& value : values) {
      EXPECT_EQ(allowed.at(name).count(value), 1u) << name << " held \"" << value << "\", which no sentence carried";
    }
  }

  // The run did what it claims: the logger's identity and the texts set by
  // the user came through, and the mode was at work while the user acted.
  EXPECT_TRUE(serialSeen());
  EXPECT_TRUE(setSeen()) << "no Set came back from the logger";
  ASSERT_LE(roundsFrom, log.size());
  const std::vector<std::string> rounds(log.begin() + static_cast<std::ptrdiff_t>(roundsFrom), log.end());
  EXPECT_GE(LinesContaining(rounds, mode.evidence), mode.evidenceAtLeast) << mode.evidence;
}

INSTANTIATE_TEST_SUITE_P(SimModes, SimModesTest,
                         ::testing::Combine(::testing::ValuesIn(kModes), ::testing::Values(0, 800)),
                         [](const ::testing::TestParamInfo<std::tuple<ModeCase, int>>& param) {
                           return std::string(std::get<0>(param.param).name) +
                                  (std::get<1>(param.param) == 0 ? "_FirstFamily" : "_SecondFamily");
                         });

}  // namespace
}  // namespace brisko
