// Each recorded session played again against the core, with the recording
// as the logger: the tool must send every command as recorded and show, step
// by step, what it showed when the session was recorded. And brisko-sim
// --replay doing the same over a pseudo-terminal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/line_trace.h"
#include "link/link_clock.h"
#include "tests/e2e/sim_process.h"
#include "tests/replay/recorded_sessions.h"
#include "tests/support/replay_ports.h"

namespace brisko {
namespace {

std::vector<std::string> ExpectedLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  }
  return lines;
}

int RecordedPort(const TraceFile& trace) {
  for (const TraceEvent& event : trace.events) {
    if (event.direction == TraceDirection::Open) return event.port;
  }
  return 0;
}

class ReplayedSession : public ::testing::TestWithParam<RecordedSession> {};

TEST_P(ReplayedSession, SendsWhatWasRecordedAndShowsWhatItShowedThen) {
  const RecordedSession& session = GetParam();
  const std::string base = SessionsDirectory() + "/" + session.name;
  std::ifstream in(base + ".trace", std::ios::binary);
  ASSERT_TRUE(in) << base << ".trace";
  TraceFile trace;
  std::string error;
  ASSERT_TRUE(ReadTrace(in, trace, error)) << error;
  const int port = RecordedPort(trace);
  ASSERT_GT(port, 0);
  const std::vector<RecordedExchange> exchanges = RecordedExchanges(trace);

  ReplayPorts ports(port, exchanges);
  const std::unique_ptr<LinkClock> clock = MakeSystemClock();
  std::vector<std::string> shown;
  {
    ToolUnderTest tool(ports, *clock);
    session.play(tool, port, shown);
    tool.core().ClosePort();
  }
  EXPECT_THAT(ports.replay().differences(), ::testing::IsEmpty());
  EXPECT_EQ(ports.replay().commandsReceived(), exchanges.size()) << "commands the recording holds and the tool did not send";
  EXPECT_EQ(shown, ExpectedLines(base + ".expected"));
}

INSTANTIATE_TEST_SUITE_P(Recorded, ReplayedSession, ::testing::ValuesIn(recorded::Sessions()),
                         [](const ::testing::TestParamInfo<RecordedSession>& param) {
                           std::string name;
                           for (const char c : param.param.name) name += c == '-' ? '_' : c;
                           return name;
                         });

const RecordedSession& Session(const std::string& name) {
  for (const RecordedSession& session : recorded::Sessions()) {
    if (session.name == name) return session;
  }
  throw std::invalid_argument(name);
}

bool Logged(const SimProcess& sim, const std::string& text) {
  return sim.WaitForLine([&](const std::string& line) { return line.find(text) != std::string::npos; },
                         std::chrono::seconds(10)) >= 0;
}

// brisko-sim --replay as the far end of the tool over a pseudo-terminal.
TEST(SimulatorReplay, AnswersAsRecordedAndNamesEveryCommandThatDiffers) {
  {
    SimProcess sim({"--replay", SessionsDirectory() + "/set-second-family.trace"});
    ASSERT_TRUE(sim.started()) << ::testing::PrintToString(sim.Lines());
    std::vector<std::string> shown;
    {
      ToolUnderTest tool;
      Session("set-second-family").play(tool, sim.port(), shown);
      EXPECT_TRUE(Logged(sim, "replay finished: 12 commands, 0 differ")) << ::testing::PrintToString(sim.Lines());
    }
    EXPECT_EQ(shown, ExpectedLines(SessionsDirectory() + "/set-second-family.expected"));
    const int status = sim.Stop(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  // A Set where the recording holds a deletion.
  SimProcess sim({"--replay", SessionsDirectory() + "/delete-second-family.trace"});
  ASSERT_TRUE(sim.started());
  {
    ToolUnderTest tool;
    tool.core().OpenPort(sim.port());
    // The family is known once the recorded identification has come.
    ASSERT_TRUE(tool.PumpUntil([&] { return !tool.record().serialNumber.empty(); }, std::chrono::seconds(10)));
    ApplyEdits(tool.record());
    tool.core().OnSet();
    EXPECT_TRUE(Logged(sim, "command 4 \"$NT806,4,2*22\\x0D\\x0A\" differs from the recording's \"$NT803,2*"));
    EXPECT_TRUE(Logged(sim, "command 12 \"$NT806,4,3*23\\x0D\\x0A\" is not in the recording"));
  }
  const int status = sim.Stop(SIGTERM);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << status;
}

}  // namespace
}  // namespace brisko
