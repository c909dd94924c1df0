// Each recorded session played again against the core, with the recording
// as the logger: the tool must send every command as recorded and show, step
// by step, what it showed when the session was recorded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "link/line_trace.h"
#include "link/link_clock.h"
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

}  // namespace
}  // namespace brisko
