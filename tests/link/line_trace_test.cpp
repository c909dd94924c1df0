// The trace of the line: its text read back as it was written, the writer
// thread's hand-over and its end on a failed write, the link's events in a
// trace of a port that is lost, and the replay of a recording.
#include "link/line_trace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>  // fmemopen
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "link/sentence_framing.h"
#include "link/serial_link.h"
#include "link/simulated_clock.h"
#include "link/simulated_port.h"
#include "link/trace_replay.h"
#include "link/trace_writer.h"
#include "tests/support/link_test_support.h"

namespace brisko {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const TraceHeader kHeader{"brisko 9.9", "64-bit", "TestOS 1.0", "UTF-8", "2026-01-02T03:04:05Z"};

std::string TempPath(const char* name) { return ::testing::TempDir() + name; }

TraceFile ReadBack(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  TraceFile trace;
  std::string error;
  EXPECT_TRUE(ReadTrace(in, trace, error)) << error;
  return trace;
}

struct EscapeCase {
  std::string bytes;
  std::string shown;
};

TEST(TraceText, BytesAreShownPrintableOrAsHexAndReadBackUnchanged) {
  const std::vector<EscapeCase> cases = {
      {"$NT800,1*3F\r\n", "$NT800,1*3F\\x0D\\x0A"},
      {"a\\b", "a\\x5Cb"},  // the escape character itself
      {"Jos\xE9 Neri", "Jos\\xE9 Neri"},
      {std::string("\0\x7F\xFF", 3), "\\x00\\x7F\\xFF"},
      {"  spaces at both ends  ", "  spaces at both ends  "},
      {"", ""},
  };
  for (const EscapeCase& c : cases) {
    EXPECT_EQ(EscapeTraceBytes(c.bytes), c.shown);
    std::string back;
    EXPECT_TRUE(UnescapeTraceBytes(c.shown, back)) << c.shown;
    EXPECT_EQ(back, c.bytes) << c.shown;
  }
  std::string ignored;
  for (const char* malformed : {"\\", "\\x4", "\\y41", "\\xG1", "ab\\x"}) {
    EXPECT_FALSE(UnescapeTraceBytes(malformed, ignored)) << malformed;
  }
}

TEST(TraceText, EveryKindOfEventReadsBackFromItsLine) {
  const std::vector<std::pair<TraceEvent, std::string>> cases = {
      {{0, TraceDirection::Open, 3, "/dev/ttyUSB0"}, "       0 COM3 open /dev/ttyUSB0"},
      {{101, TraceDirection::ToLogger, 3, "$NT800,1*3F\r\n"}, "     101 COM3 -> $NT800,1*3F\\x0D\\x0A"},
      {{150, TraceDirection::FromLogger, 3, " $NT0,x \n"}, "     150 COM3 <-  $NT0,x \\x0A"},
      {{3021, TraceDirection::Lost, 12, "Input/output error"}, "    3021 COM12 lost Input/output error"},
      {{3022, TraceDirection::Error, 3, "read failed"}, "    3022 COM3 error read failed"},
      {{3500, TraceDirection::Close, 3, ""}, "    3500 COM3 close"},
      {{123456789012, TraceDirection::Appeared, 29, ""}, "123456789012 COM29 appeared"},
      {{7, TraceDirection::Removed, 0, ""}, "       7 - removed"},
  };
  for (const auto& [event, line] : cases) {
    EXPECT_EQ(FormatTraceLine(event), line);
    TraceEvent back;
    ASSERT_TRUE(ParseTraceLine(line, back)) << line;
    EXPECT_EQ(back, event) << line;
  }
  TraceEvent ignored;
  for (const char* notEvent : {"", "12", "12 COM3", "12 COM3 sideways", "x COM3 close", "12 LPT1 close",
                               "12 COM0 close", "12 COM3 -> bad\\escape"}) {
    EXPECT_FALSE(ParseTraceLine(notEvent, ignored)) << notEvent;
  }
}

TEST(TraceText, AWholeTraceGivesItsHeaderAndEventsAndNamesTheFirstBadLine) {
  std::string text;
  for (const std::string& line : TraceHeaderLines(kHeader)) text += line + "\n";
  text += "       0 COM3 open /dev/pts/4\r\n\n     101 COM3 -> $NT800,1*3F\\x0D\\x0A\n";
  std::istringstream in(text);
  TraceFile trace;
  std::string error;
  ASSERT_TRUE(ReadTrace(in, trace, error)) << error;
  EXPECT_EQ(trace.HeaderValue("program"), "brisko 9.9");
  EXPECT_EQ(trace.HeaderValue("build"), "64-bit");
  EXPECT_EQ(trace.HeaderValue("system"), "TestOS 1.0");
  EXPECT_EQ(trace.HeaderValue("code page"), "UTF-8");
  EXPECT_EQ(trace.HeaderValue("started"), "2026-01-02T03:04:05Z");
  EXPECT_THAT(trace.events, ElementsAre(TraceEvent{0, TraceDirection::Open, 3, "/dev/pts/4"},
                                        TraceEvent{101, TraceDirection::ToLogger, 3, "$NT800,1*3F\r\n"}));

  std::istringstream bad("# brisko line trace\n       0 COM3 open\nnot an event\n");
  EXPECT_FALSE(ReadTrace(bad, trace, error));
  EXPECT_THAT(error, HasSubstr("line 3"));
}

TEST(TraceWriter, EventsFromTwoThreadsAreAllWrittenEachInItsOrder) {
  const std::string path = TempPath("two_threads.trace");
  TraceWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Start(path, kHeader, error)) << error;
  constexpr int kEach = 1000;
  std::thread worker([&] {
    for (int i = 0; i < kEach; ++i) writer.Note(TraceDirection::FromLogger, 3, "w" + std::to_string(i));
  });
  for (int i = 0; i < kEach; ++i) writer.Note(TraceDirection::ToLogger, 3, "u" + std::to_string(i));
  worker.join();
  writer.Stop();
  writer.Note(TraceDirection::Close, 3, "after the stop");  // nothing, no crash

  const TraceFile trace = ReadBack(path);
  EXPECT_EQ(trace.HeaderValue("program"), "brisko 9.9");
  std::vector<int> next(2, 0);
  std::int64_t lastMs = 0;
  for (const TraceEvent& event : trace.events) {
    const int who = event.direction == TraceDirection::FromLogger ? 0 : 1;
    EXPECT_EQ(event.data, std::string(who == 0 ? "w" : "u") + std::to_string(next[who]++));
    EXPECT_GE(event.ms, 0);
    lastMs = std::max(lastMs, event.ms);
  }
  EXPECT_EQ(next, (std::vector<int>{kEach, kEach})) << writer.droppedEvents() << " dropped";
  EXPECT_EQ(writer.Tail().size(), kTraceTailLines);
  EXPECT_EQ(writer.Tail().back(), FormatTraceLine(trace.events.back()));
}

#ifndef _WIN32
// A stream of 2 KiB stands for a disk that fills up (fmemopen is POSIX).
TEST(TraceWriter, AFailedWriteEndsTheTraceWithOneNoticeAndNothingElse) {
  char buffer[2048];
  std::FILE* small = fmemopen(buffer, sizeof buffer, "w");
  ASSERT_NE(small, nullptr);
  TraceWriter writer;
  std::atomic<int> notices{0};
  std::string notice;
  writer.SetFailureNotice([&](const std::string& message) {
    notice = message;
    ++notices;
  });
  std::string error;
  ASSERT_TRUE(writer.StartOn(small, "full.trace", kHeader, error)) << error;
  for (int i = 0; i < 200 && writer.running(); ++i) {
    writer.Note(TraceDirection::FromLogger, 3, std::string(100, 'x'));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(WaitUntil([&] { return notices.load() > 0; }));
  EXPECT_FALSE(writer.running());
  writer.Note(TraceDirection::FromLogger, 3, "after the failure");
  writer.Stop();
  EXPECT_EQ(notices.load(), 1);
  EXPECT_THAT(notice, HasSubstr("full.trace"));
  EXPECT_EQ(writer.failure(), notice);

  EXPECT_FALSE(writer.Start("/nonexistent-dir/x.trace", kHeader, error));
  EXPECT_THAT(error, HasSubstr("/nonexistent-dir/x.trace: "));
}
#endif

// The link's own events around the worker's bytes, up to a lost port: the
// loss and the close are the last lines, on disk once the trace stops.
TEST(TraceOfALink, OpenBytesBothWaysLossAndClose) {
  SimulatedClock clock(5000, std::chrono::microseconds(50));
  SimulatedPortSystem ports;
  SimulatedDevice& device = ports.AddDevice(3, clock);
  RecordingPoster poster;
  SerialLink link(ports, clock, poster);
  const std::string path = TempPath("lost.trace");
  std::string error;
  ASSERT_TRUE(link.trace().Start(path, kHeader, error)) << error;
  PortOpenError openError;
  ASSERT_TRUE(link.Open(3, openError));
  ASSERT_TRUE(WaitUntil([&] { return device.purgeCount() > 0; }));
  ASSERT_TRUE(link.QueueCommands({"$NT800,1"}));
  ASSERT_TRUE(WaitUntil([&] { return !device.Writes().empty(); }));
  std::string reply = "$NT0,x";
  AppendChecksum(reply);
  device.Feed(reply);
  ASSERT_TRUE(WaitUntil([&] { return poster.count() == 1; }));
  device.Unplug(true);
  ASSERT_TRUE(WaitUntil([&] { return !poster.lostRuns().empty(); }));
  std::string reason;
  ASSERT_TRUE(link.CloseLostPort(link.run(), reason));
  link.trace().Stop();

  std::vector<std::string> lines;
  for (const TraceEvent& event : ReadBack(path).events) {
    lines.push_back(std::string(TraceDirectionWord(event.direction)) + " " + EscapeTraceBytes(event.data));
  }
  std::string command = "$NT800,1";
  AppendChecksum(command);
  EXPECT_THAT(lines, ElementsAre(HasSubstr("open"), "-> " + EscapeTraceBytes(command), "<- " + EscapeTraceBytes(reply),
                                 "lost " + EscapeTraceBytes(reason), "close "));
}

TEST(TraceReplay, AnswersEachCommandWithWhatFollowedItAndNamesTheOnesThatDiffer) {
  std::istringstream recording(
      "       0 COM3 open /dev/pts/4\n"
      "       5 COM3 <- early\n"
      "     100 COM3 -> A\\x0A\n"
      "     130 COM3 <- a1\n"
      "     160 COM3 <- a2\n"
      "     200 COM3 -> B\\x0A\n"
      "     200 COM3 <- b\n");
  TraceFile trace;
  std::string error;
  ASSERT_TRUE(ReadTrace(recording, trace, error)) << error;
  TraceReplay replay(RecordedExchanges(trace));

  EXPECT_EQ(replay.NextDueMs(), -1);
  EXPECT_THAT(replay.Receive("A", 1, 1000), ElementsAre());  // not yet a whole line
  EXPECT_THAT(replay.Receive("\n", 1, 1000), ElementsAre(HasSubstr("as recorded")));
  EXPECT_EQ(replay.TakeDue(1000), "early");  // what came before the first command, at once
  EXPECT_EQ(replay.TakeDue(1029), "");
  EXPECT_EQ(replay.TakeDue(1030), "a1");
  EXPECT_EQ(replay.NextDueMs(), 1060);
  // The next command comes early: its answer waits for the one before.
  EXPECT_THAT(replay.Receive("C\n", 2, 1040), ElementsAre(HasSubstr("differs from the recording's \"B\\x0A\"")));
  EXPECT_EQ(replay.TakeDue(2000), "a2b");
  EXPECT_TRUE(replay.finished());
  EXPECT_THAT(replay.Receive("D\n", 2, 2000), ElementsAre(HasSubstr("not in the recording")));
  EXPECT_EQ(replay.differences().size(), 2u);
}

}  // namespace
}  // namespace brisko
