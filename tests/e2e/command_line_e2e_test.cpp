// The command line against brisko-sim over a real pseudo-terminal: for each
// command, the exit status, what it prints and what reaches the logger after
// its identification. One row per outcome.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/command_run.h"
#include "dialog/windows_1252.h"
#include "protocol/profile.h"
#include "tests/e2e/sim_logger.h"
#include "tests/e2e/sim_process.h"

namespace brisko {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

class AnsweringTerminal : public Terminal {
 public:
  AnsweringTerminal(bool interactive, bool answer) : interactive_(interactive), answer_(answer) {}
  bool Interactive() const override { return interactive_; }
  bool AskYesNo(const std::string&) override {
    ++questions;
    return answer_;
  }
  int questions = 0;

 private:
  bool interactive_;
  bool answer_;
};

// The profile file a row applies: the edits the window's tests make.
std::string EditsProfileFile() {
  Profile edits;
  for (std::size_t i = 0; i < kProfileTexts.size(); ++i) {
    edits.texts[i] = ShownText(LoggerText(kEditedTexts[i]), kWindows1252);
  }
  edits.fixRateSeconds = kEditedFixRateIndex + 1;
  const std::string path = ::testing::TempDir() + "edits.json";
  EXPECT_EQ(WriteProfileFile(path, edits), "");
  return path;
}

struct Row {
  const char* name;
  int family;
  int firmwareTenths;
  std::vector<std::string> simArgs;   // beyond the logger's
  std::vector<std::string> args;      // the command line; "{file}" is the profile, "{trace}" a trace file
  bool interactive;                   // a person at the terminal, who answers yes
  int status;
  std::vector<std::string> printed;   // each somewhere on standard output or error, or in the trace
  std::vector<std::string> afterIdentification;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

std::vector<std::string> With(std::vector<std::string> head, const std::vector<std::string>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

class CommandLineEndToEnd : public ::testing::TestWithParam<Row> {};

TEST_P(CommandLineEndToEnd, ExitStatusOutputAndWire) {
  const Row& row = GetParam();
  SimLogger logger;
  logger.family = row.family;
  logger.firmwareTenths = row.firmwareTenths;
  SimProcess sim(With(logger.Args(), row.simArgs));
  ASSERT_TRUE(sim.started());

  const std::string port = std::to_string(sim.port());
  // Rows run side by side (CTest starts each as a program of its own).
  const std::string tracePath = ::testing::TempDir() + row.name + ".trace";
  std::remove(tracePath.c_str());
  std::vector<std::string> args;
  for (const std::string& arg : row.args) {
    args.push_back(arg == "{port}" ? port : arg == "{file}" ? EditsProfileFile() : arg == "{trace}" ? tracePath : arg);
  }
  CommandLine line;
  std::ostringstream out;
  std::ostringstream err;
  int status = ParseCommandLine(args, line, out, err).value_or(-1);
  if (status == -1) {
    const MachinePlatform machine;
    AnsweringTerminal terminal(row.interactive, true);
    status = RunCommand(line, machine.platform(), kWindows1252, terminal, out, err);
  }
  std::ostringstream traced;
  traced << std::ifstream(tracePath).rdbuf();
  const std::string printed = out.str() + err.str() + traced.str();
  EXPECT_EQ(status, row.status) << printed;
  for (std::string text : row.printed) {
    for (std::size_t at = text.find("{port}"); at != std::string::npos; at = text.find("{port}")) {
      text.replace(at, 6, port);
    }
    EXPECT_THAT(printed, HasSubstr(text));
  }

  std::vector<std::string> received = sim.ReceivedCommands();
  if (received.size() >= kIdentification.size()) {
    EXPECT_EQ(std::vector<std::string>(received.begin(), received.begin() + 3), kIdentification);
    received.erase(received.begin(), received.begin() + 3);
  }
  EXPECT_THAT(received, ElementsAreArray(row.afterIdentification));
}

const std::vector<std::string> kPort = {"--port", "{port}"};

INSTANTIATE_TEST_SUITE_P(
    Outcomes, CommandLineEndToEnd,
    ::testing::Values(
        Row{"ListPorts", 800, 27, {}, {"--list-ports"}, false, kExitDone, {"{port}\n"}, {}},
        Row{"Diagnostics", 800, 27, {}, {"--diagnostics"}, false, kExitDone,
            {"Brisko diagnostics\n", "listed ports:\n", "  COM{port}\n", "open port: none"}, {}},
        Row{"ShowTraced", 0, 27, {}, With(kPort, {"--show", "--trace", "{trace}"}), false, kExitDone,
            {"# brisko line trace", "COM{port} -> $NT900,", "COM{port} <- $NT0,E2E-42,", "COM{port} close"}, {}},
        Row{"TraceNotWritten", 0, 27, {}, With(kPort, {"--show", "--trace", "/no/such/folder/x.trace"}), false,
            kExitUsage, {"No trace: /no/such/folder/x.trace: "}, {}},
        Row{"ShowFirstFamily", 0, 27, {}, With(kPort, {"--show"}), false, kExitDone,
            {"family: first", "serial-number: E2E-42", "pilot: Carla Bianchi", "glider-id: D-9876", "fix-rate: 4"}, {}},
        Row{"ShowJsonSecondFamily", 800, 27, {}, With(kPort, {"--show", "--json"}), false, kExitDone,
            {"\"family\": \"second\"", "\"record-mode\": \"10mt\"", "\"fix-rate\": 4", "\"temperature\": \"1"}, {}},
        // The profile round trip: written, applied, then read back from the logger.
        Row{"ApplyProfileIsVerified", 800, 27, {}, With(kPort, {"--apply", "{file}"}), false, kExitDone,
            {"pilot: Jos\xC3\xA9 Neri", "verified: true"}, With(EditedSetCommands(800), kIdentification)},
        Row{"SetOverFirstFamily", 0, 27, {}, With(kPort, {"--set", "glider-id=I-KJN", "--set", "fix-rate=7"}), false,
            kExitDone, {"glider-id: I-KJN", "fix-rate: 7"},
            With({"$NT969,2", "$NT968,Carla Bianchi", "$NT967,Standard", "$NT966,CB", "$NT965,LS 8", "$NT964,I-KJN",
                  "$NT902,7", "$NT990,1", "$NT969,3"},
                 kIdentification)},
        Row{"RefusedValueSendsNothing", 800, 27, {}, With(kPort, {"--set", "pilot=\xC5\x81ukasz"}), false,
            kExitRefused, {"Pilot name (pilot)", "cannot write"}, {}},
        Row{"LoggerSilentAfterSetIsNotVerified", 800, 27, {"--silent-after", "1.2"},
            With(kPort, {"--set", "pilot=Anna"}), false, kExitRefused, {"Not verified"},
            With({"$NT806,4,2", "$NT805,1,Anna", "$NT805,2,Standard", "$NT805,3,CB", "$NT805,4,LS 8",
                  "$NT805,5,D-9876", "$NT802,3,4", "$NT802,99", "$NT806,4,3"},
                 kIdentification)},
        Row{"DeleteWithYes", 800, 27, {}, With(kPort, {"--delete-flights", "--yes"}), false, kExitDone,
            {"deleted"}, {"$NT803,2"}},
        Row{"DeleteAskedOnTheTerminal", 0, 27, {}, With(kPort, {"--delete-flights"}), true, kExitDone, {"deleted"},
            {"$NT978,0"}},
        Row{"DeleteWithoutTerminalDeletesNothing", 800, 27, {}, With(kPort, {"--delete-flights"}), false,
            kExitRefused, {"nothing deleted"}, {}},
        Row{"DeleteOnNewFirmwareTakesTheWindowsDialog", 0, 28, {}, With(kPort, {"--delete-flights", "--yes"}),
            false, kExitRefused, {"Delete flight", "nothing deleted"}, {}},
        Row{"SilentLogger", 800, 27, {"--silent-after", "0"}, With(kPort, {"--show"}), false, kExitNoLogger,
            {"no logger answered"}, {}},
        Row{"PortNotOpened", 800, 27, {}, {"--port", "254", "--show"}, false, kExitPortNotOpened,
            {"COM254 not found", "no device is assigned"}, {}},
        Row{"WrongUsage", 800, 27, {}, {"--show", "--list-ports"}, false, kExitUsage, {"one of"}, {}},
        Row{"UnknownOption", 800, 27, {}, {"--sh0w"}, false, kExitUsage, {}, {}}),
    [](const ::testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace brisko
