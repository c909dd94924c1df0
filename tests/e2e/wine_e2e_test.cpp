// The Windows build of the tool under Wine against brisko-sim: this side
// starts the simulator on a pseudo-terminal, links it into the Wine prefix as
// a COM port (dosdevices/com<n>), runs the tool's side (wine_tool_test.cpp,
// built for Windows) under Wine and then reads the simulator's log: every
// command byte for byte, in order, each more than 100 ms after the one before.
// scripts/test-windows.sh runs it with
//   WINEPREFIX              a prefix made with wineboot, shared by the runs
//   BRISKO_WINE_TOOL_TESTS  the Windows program brisko_wine_tool_tests.exe
//   BRISKO_WINE_CLI         brisko-cli.exe, whose commands run against the simulator too
//   BRISKO_WINE             the loader (wine), BRISKO_WINESERVER its server
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/sim_logger.h"
#include "tests/e2e/sim_process.h"

extern char** environ;

namespace brisko {
namespace {

using ::testing::ElementsAreArray;

std::string Env(const char* name, const char* fallback = "") {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

// Runs `args` with `extraEnvironment` added, its output in `output`; returns
// its wait status.
int Run(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment,
        std::string& output) {
  char outputPath[] = "/tmp/brisko-wine-output-XXXXXX";
  const int outputFd = ::mkstemp(outputPath);
  if (outputFd < 0) return -1;
  std::vector<std::string> strings = args;
  std::vector<char*> argv;
  for (auto& arg : strings) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = extraEnvironment;
  for (char** variable = environ; *variable != nullptr; ++variable) environment.emplace_back(*variable);
  std::vector<char*> envp;
  for (auto& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, outputFd, STDERR_FILENO);
  // No terminal: nothing run here may wait for an answer.
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(outputFd);
  int status = -1;
  if (spawned == 0) {
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  std::ifstream file(outputPath, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  output = text.str();
  ::unlink(outputPath);
  return status;
}

// One Windows test of the tool's side, then the Wine server is stopped: it may
// hold the pseudo-terminal, which must not outlive the simulator.
::testing::AssertionResult RunToolUnderWine(const std::string& filter, const std::vector<std::string>& environment) {
  const std::string tool = Env("BRISKO_WINE_TOOL_TESTS");
  if (tool.empty() || Env("WINEPREFIX").empty()) {
    return ::testing::AssertionFailure() << "BRISKO_WINE_TOOL_TESTS and WINEPREFIX must be set";
  }
  std::string output;
  const int status = Run({Env("BRISKO_WINE", "wine"), tool, "--gtest_filter=" + filter}, environment, output);
  std::string ignored;
  Run({Env("BRISKO_WINESERVER", "wineserver"), "-k"}, {}, ignored);
  if (status != 0) return ::testing::AssertionFailure() << "status " << status << "\n" << output;
  if (output.find("[  PASSED  ] 1 test.") == std::string::npos) {
    return ::testing::AssertionFailure() << "the test did not run\n" << output;
  }
  // What the tool measured on its side, for the record.
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("gaps between", 0) == 0) std::cout << line << "\n";
  }
  return ::testing::AssertionSuccess();
}

// dosdevices/com<n> of the prefix, made to point at `device` for the life of
// this object.
class ComLink {
 public:
  ComLink(int portNumber, const std::string& device)
      : path_(Env("WINEPREFIX") + "/dosdevices/com" + std::to_string(portNumber)) {
    ::unlink(path_.c_str());
    linked_ = ::symlink(device.c_str(), path_.c_str()) == 0;
  }
  ~ComLink() { ::unlink(path_.c_str()); }
  ComLink(const ComLink&) = delete;
  ComLink& operator=(const ComLink&) = delete;
  bool linked() const { return linked_; }

 private:
  std::string path_;
  bool linked_ = false;
};

class WineEndToEndTest : public ::testing::TestWithParam<int> {};

TEST_P(WineEndToEndTest, IdentificationSetAndDeletionReachTheLoggerWholeAndPacedThroughTheWin32PortLayer) {
  SimLogger logger;
  logger.family = GetParam();
  // The two families on two COM numbers, so that both links are exercised.
  const int comNumber = logger.family == 800 ? 3 : 5;
  SimProcess sim(logger.Args());
  ASSERT_TRUE(sim.started()) << ::testing::PrintToString(sim.Lines());
  ComLink link(comNumber, sim.devicePath());
  ASSERT_TRUE(link.linked());
  const std::size_t from = sim.Lines().size();

  EXPECT_TRUE(RunToolUnderWine("WineToolTest.IdentifiesTheLogger*",
                               {"BRISKO_WINE_PORT=" + std::to_string(comNumber),
                                "BRISKO_WINE_FAMILY=" + std::to_string(logger.family)}));

  const std::vector<std::string> expected = IdentifySetAndDeleteCommands(logger.family);
  ASSERT_TRUE(sim.WaitForCommands(expected.size(), std::chrono::seconds(5), from))
      << ::testing::PrintToString(sim.Lines());
  EXPECT_THAT(sim.ReceivedCommands(from), ElementsAreArray(expected)) << ::testing::PrintToString(sim.Lines());
  // The simulator logs damaged lines too (bad or missing checksum): there
  // were none, every line received was one of the commands above.
  const auto logged = [&](const std::string& text) {
    const std::vector<std::string> lines = sim.Lines();
    return std::count_if(lines.begin() + static_cast<long>(from), lines.end(),
                         [&](const std::string& l) { return l.find(text) != std::string::npos; });
  };
  EXPECT_EQ(logged(" ms] rx "), static_cast<long>(expected.size()));
  EXPECT_EQ(logged("end of Set, settings stored"), 1);
  EXPECT_EQ(logged("all flights deleted: 5 -> 0"), 1);

  // The tool's side holds every gap between its writes over 100 ms, each
  // write timed where it is made. Here the simulator may read a command late,
  // which lengthens the gap before it and shortens the one after by as much,
  // so single gaps on the wire prove nothing on a busy machine. The whole run
  // still must span its gaps: only a late first read can shorten it, by less
  // than kReaderLatenessMs; commands sent without their pauses break it.
  constexpr long kReaderLatenessMs = 100;
  const std::vector<long> arrivals = sim.ReceivedCommandTimes(from);
  ASSERT_EQ(arrivals.size(), expected.size());
  const long pauses = static_cast<long>(arrivals.size() - 1) * 100;
  EXPECT_GE(arrivals.back() - arrivals.front(), pauses - kReaderLatenessMs);
  std::string gaps;
  for (std::size_t k = 1; k < arrivals.size(); ++k) gaps += " " + std::to_string(arrivals[k] - arrivals[k - 1]);
  std::cout << "gaps between commands on the wire (ms):" << gaps << "\n";
}

INSTANTIATE_TEST_SUITE_P(Families, WineEndToEndTest, ::testing::Values(0, 800),
                         [](const ::testing::TestParamInfo<int>& param) {
                           return param.param == 0 ? std::string("FirstFamily") : std::string("SecondFamily");
                         });

// brisko-cli.exe under Wine, one command after the other on one logger: its
// exit status, what it prints, and what reaches the logger after the
// identification each command starts with.
TEST(WineCommandLineTest, EachCommandEndsWithItsStatusAndPutsItsCommandsOnTheWire) {
  const std::string cli = Env("BRISKO_WINE_CLI");
  ASSERT_FALSE(cli.empty()) << "BRISKO_WINE_CLI must be set";
  SimProcess sim(SimLogger{}.Args());
  ASSERT_TRUE(sim.started());
  ComLink link(3, sim.devicePath());
  ASSERT_TRUE(link.linked());
  struct Row {
    std::vector<std::string> args;
    int status;
    std::string printed;
    std::vector<std::string> afterIdentification;
  };
  const std::vector<std::string> set = {"$NT806,4,2", "$NT805,1,Anna", "$NT805,2,Standard", "$NT805,3,CB",
                                        "$NT805,4,LS 8", "$NT805,5,D-9876", "$NT802,3,5", "$NT802,99", "$NT806,4,3",
                                        "$NT900,4,51,0", "$NT987,1", "$NT800,1"};
  const Row rows[] = {
      {{"--port", "3", "--show", "--json"}, 0, "\"serial-number\": \"E2E-42\"", {}},
      {{"--port", "3", "--set", "pilot=Anna", "--set", "fix-rate=5"}, 0, "verified: true", set},
      {{"--port", "3", "--delete-flights"}, 1, "nothing deleted", {}},
      {{"--port", "3", "--delete-flights", "--yes"}, 0, "All flights deleted", {"$NT803,2"}},
      {{"--port", "3", "--set", "pilot=Smith, John"}, 1, "Pilot name (pilot)", {}},
      {{"--port", "4", "--show"}, 4, "COM4 not found", {}},
      {{"--list-ports", "--port", "3"}, 2, "--list-ports", {}},
      {{"--diagnostics"}, 0, "\r\n  COM3\r\n    entry: //./COM3\r\n", {}},
      // A trace path beyond the ANSI code page (Z: is the root of the
      // machine that runs Wine).
      {{"--port", "3", "--show", "--trace", "Z:" + ::testing::TempDir() + "trace-\xC3\xA9\xE2\x82\xAC.txt"}, 0,
       "serial-number: E2E-42", {}},
  };
  for (const Row& row : rows) {
    const std::size_t from = sim.Lines().size();
    std::vector<std::string> args = {Env("BRISKO_WINE", "wine"), cli};
    args.insert(args.end(), row.args.begin(), row.args.end());
    std::string output;
    const int status = brisko::Run(args, {}, output);
    const std::string command = ::testing::PrintToString(row.args);
    ASSERT_TRUE(WIFEXITED(status)) << command;
    EXPECT_EQ(WEXITSTATUS(status), row.status) << command << "\n" << output;
    EXPECT_NE(output.find(row.printed), std::string::npos) << command << "\n" << output;
    std::vector<std::string> received = sim.ReceivedCommands(from);
    if (received.size() >= kIdentification.size()) received.erase(received.begin(), received.begin() + 3);
    EXPECT_THAT(received, ElementsAreArray(row.afterIdentification)) << command;
  }
  std::ifstream trace(::testing::TempDir() + "trace-\xC3\xA9\xE2\x82\xAC.txt", std::ios::binary);
  std::ostringstream traced;
  traced << trace.rdbuf();
  EXPECT_NE(traced.str().find("COM3 -> $NT900,"), std::string::npos) << traced.str();
  EXPECT_NE(traced.str().find("COM3 close"), std::string::npos) << traced.str();
  std::string ignored;
  brisko::Run({Env("BRISKO_WINESERVER", "wineserver"), "-k"}, {}, ignored);
}

TEST(WineEndToEndAbsentPortTest, AComNumberWithoutALinkFailsToOpenAsNotFound) {
  // COM3 has a logger behind it; COM4 has no link at all.
  SimProcess sim(SimLogger{}.Args());
  ASSERT_TRUE(sim.started());
  ComLink link(3, sim.devicePath());
  ASSERT_TRUE(link.linked());
  EXPECT_TRUE(RunToolUnderWine("WineToolTest.AComNumberWithoutADeviceIsNotFound", {"BRISKO_WINE_ABSENT_PORT=4"}));
}

}  // namespace
}  // namespace brisko
