// The simulator's run over time, driven by a fake clock: what goes out on its
// own account, how it answers, and the failure modes' effect on the output.
#include "sim/logger_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/sentence_framing.h"
#include "link/sentence_slots.h"
#include "sim/wire_text.h"

namespace brisko {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr std::int64_t kUnixTime = 1715508900;  // 10:15:00 UTC

class SessionHarness {
 public:
  explicit SessionHarness(SimOptions options)
      : session_(options, 42, [this](const std::string& line) { log_.push_back(line); }) {}

  void Send(const std::string& command, long long nowMs) {
    const std::string line = WithChecksumTail(command);
    session_.Receive(reinterpret_cast<const unsigned char*>(line.data()), line.size(), nowMs);
  }
  void Tick(long long nowMs) { session_.Tick(nowMs, kUnixTime + nowMs / 1000); }

  // Everything queued so far, as the tool's framing sees it: good sentences.
  std::vector<std::string> Drain() {
    std::string bytes(session_.output().data(), session_.output().pending());
    session_.output().Consume(bytes.size());
    std::vector<std::string> good;
    for (const char c : bytes) {
      const FrameResult result = framer_.AcceptByte(static_cast<unsigned char>(c));
      if (result.outcome == FrameOutcome::SentenceReady) good.push_back(slots_.Text(result.slot));
    }
    return good;
  }
  std::size_t DrainBytes() {
    const std::size_t n = session_.output().pending();
    session_.output().Consume(n);
    return n;
  }

  LoggerSession& session() { return session_; }
  const std::vector<std::string>& log() const { return log_; }

 private:
  std::vector<std::string> log_;
  LoggerSession session_;
  SentenceSlots slots_;
  SentenceFramer framer_{slots_};
};

std::vector<std::string> Headers(const std::vector<std::string>& sentences) {
  std::vector<std::string> headers;
  for (const auto& s : sentences) headers.push_back(s.substr(0, s.find(',')));
  return headers;
}

SimOptions Options(SimulatedFamily family) {
  SimOptions options;
  options.logger.family = family;
  return options;
}

TEST(LoggerSessionTest, SendsPositionEverySecondAndReadingsEveryThreeForTheSecondFamily) {
  SessionHarness sim(Options(SimulatedFamily::Second));
  std::vector<std::string> headers;
  for (long long ms = 0; ms <= 6000; ms += 100) {
    sim.Tick(ms);
    for (const auto& h : Headers(sim.Drain())) headers.push_back(h);
  }
  EXPECT_EQ(std::count(headers.begin(), headers.end(), "$GPGGA"), 7);
  EXPECT_EQ(std::count(headers.begin(), headers.end(), "$GPRMC"), 7);
  EXPECT_EQ(std::count(headers.begin(), headers.end(), "$NT801"), 3);
  EXPECT_EQ(headers.size(), 17u);

  SessionHarness first(Options(SimulatedFamily::First));
  first.Tick(0);
  EXPECT_THAT(Headers(first.Drain()), ElementsAre("$GPGGA", "$GPRMC"));
  first.Tick(999);
  EXPECT_THAT(first.Drain(), IsEmpty());
  EXPECT_EQ(first.session().NextTickMs(), 1000);
}

TEST(LoggerSessionTest, AnswersCommandsAndLogsEachLineWithItsTime) {
  SessionHarness sim(Options(SimulatedFamily::First));
  sim.Send("$NT900,4,51,0", 1234);
  EXPECT_THAT(Headers(sim.Drain()), ElementsAre("$NT0"));
  EXPECT_THAT(sim.log(), Contains("[   1234 ms] rx \"$NT900,4,51,0\" checksum ok"));
  EXPECT_THAT(sim.log(), Contains(HasSubstr("tx \"$NT0,NT1234,")));

  const std::string bad = "$NT987,1*00\r\n";
  sim.session().Receive(reinterpret_cast<const unsigned char*>(bad.data()), bad.size(), 1300);
  EXPECT_THAT(sim.Drain(), IsEmpty());
  EXPECT_THAT(sim.log().back(), HasSubstr("checksum BAD"));
}

TEST(LoggerSessionTest, FallsSilentAfterTheGivenTimeFromTheFirstCommand) {
  SimOptions options = Options(SimulatedFamily::Second);
  options.silentAfterSeconds = 2.0;
  SessionHarness sim(options);
  sim.Tick(0);
  sim.Tick(5000);  // no command yet: the clock has not started
  EXPECT_FALSE(sim.session().silent());
  sim.Drain();
  sim.Send("$NT800,1", 5100);
  EXPECT_THAT(Headers(sim.Drain()), Contains("$NT800"));
  EXPECT_EQ(sim.session().NextTickMs(), 6000);
  sim.Tick(7099);
  EXPECT_FALSE(sim.session().silent());
  sim.Drain();
  sim.Tick(7100);
  EXPECT_TRUE(sim.session().silent());
  for (long long ms = 7100; ms < 20000; ms += 250) sim.Tick(ms);
  sim.Send("$NT800,1", 20000);
  EXPECT_EQ(sim.DrainBytes(), 0u);
  EXPECT_THAT(sim.log(), Contains(HasSubstr("silent from now on")));
  EXPECT_THAT(sim.log().back(), HasSubstr("(silent: nothing sent)"));
}

TEST(LoggerSessionTest, FloodFillsTheLineAtItsFullRateAndStillAnswers) {
  SimOptions options = Options(SimulatedFamily::Second);
  options.flood = true;
  SessionHarness sim(options);
  std::size_t bytes = 0;
  bool answered = false;
  for (long long ms = 0; ms <= 10000; ms += 10) {
    if (ms == 5000) sim.Send("$NT800,1", ms);
    sim.Tick(ms);
    if (ms == 5000) answered = !Headers(sim.Drain()).empty();
    bytes += sim.DrainBytes();
  }
  EXPECT_TRUE(answered);
  // Ten seconds at 5760 bytes a second, give or take the replies and one queue ahead.
  EXPECT_GT(bytes, 57600u * 95 / 100);
  EXPECT_LT(bytes, 57600u * 105 / 100);
}

TEST(LoggerSessionTest, OutputTheToolDoesNotReadIsCappedAndDroppedInWholeSentences) {
  SimOptions options = Options(SimulatedFamily::Second);
  options.flood = true;
  SessionHarness sim(options);
  for (long long ms = 0; ms <= 20000; ms += 10) {
    sim.Tick(ms);
    ASSERT_LE(sim.session().output().pending(), kOutputCapacity);
  }
  // Nothing was read: the flood keeps one small queue ahead and stops there.
  EXPECT_LE(sim.session().output().pending(), 1024u);
  SimOptions slow = Options(SimulatedFamily::Second);
  SessionHarness stuck(slow);
  for (int i = 0; i < 200; ++i) stuck.Send("$NT800,1", 100 + i);
  EXPECT_LE(stuck.session().output().pending(), kOutputCapacity);
  EXPECT_EQ(std::count_if(stuck.log().begin(), stuck.log().end(),
                          [](const std::string& l) { return l.find("output dropped") != std::string::npos; }),
            1);
  // What is queued is whole sentences, every one good.
  const std::vector<std::string> good = stuck.Drain();
  EXPECT_EQ(stuck.DrainBytes(), 0u);
  std::size_t bytes = 0;
  for (const auto& s : good) bytes += s.size() + 5;
  EXPECT_GT(good.size(), 100u);
  EXPECT_GE(bytes + 1000, kOutputCapacity);
}

TEST(LoggerSessionTest, GarbageIsInterleavedTwiceASecondAndNeverPassesAsAStoredReply) {
  SimOptions options = Options(SimulatedFamily::First);
  options.garbage = true;
  SessionHarness sim(options);
  std::vector<std::string> good;
  for (long long ms = 0; ms <= 60000; ms += 100) {
    sim.Tick(ms);
    for (const auto& s : sim.Drain()) good.push_back(s);
  }
  for (const auto& s : good) {
    EXPECT_EQ(s.find(kGarbageMarker), s.rfind("$NT5,", 0) == 0 ? 5u : std::string::npos) << EscapeForLog(s);
  }
  const auto positions = std::count_if(good.begin(), good.end(), [](const std::string& s) {
    return s.rfind("$GPGGA,", 0) == 0;
  });
  EXPECT_EQ(positions, 61);
}

}  // namespace
}  // namespace brisko
