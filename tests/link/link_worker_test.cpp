// The worker driven one pass at a time on the test's thread, against a
// simulated port and a clock that moves only when the worker waits.
#include "link/link_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "link/simulated_clock.h"
#include "link/simulated_port.h"
#include "tests/support/link_test_support.h"

namespace brisko {
namespace {

class LinkWorkerTest : public ::testing::Test {
 protected:
  explicit LinkWorkerTest(std::uint32_t startTick = 1000) : clock_(startTick), device_(ports_.AddDevice(1, clock_)) {
    PortOpenError error;
    port_ = ports_.Open(1, error);
  }

  LinkWorker MakeWorker() { return LinkWorker(LinkParts{*port_, queue_, slots_, state_, poster_, clock_}); }

  // Runs passes until the condition holds and returns how many it took;
  // fails the test after 5000.
  template <typename Condition>
  int RunUntil(LinkWorker& worker, Condition condition) {
    int pass = 0;
    for (; pass < 5000 && !condition(); ++pass) worker.RunPass();
    EXPECT_TRUE(condition()) << "condition not reached in 5000 passes";
    return pass;
  }

  void Queue(const std::vector<std::string>& commands) { ASSERT_TRUE(queue_.QueueCommands(commands)); }

  std::vector<std::string> WrittenTexts() const {
    std::vector<std::string> texts;
    for (const auto& write : device_.Writes()) texts.push_back(write.bytes);
    return texts;
  }

  SimulatedClock clock_;
  SimulatedPortSystem ports_;
  SimulatedDevice& device_;
  std::unique_ptr<SerialPort> port_;
  CommandQueue queue_;
  SentenceSlots slots_;
  std::atomic<LinkState> state_{LinkState::Running};
  RecordingPoster poster_;
};

TEST_F(LinkWorkerTest, IdentificationLeavesInOrderEachMoreThan100MsAfterThePrevious) {
  LinkWorker worker = MakeWorker();
  ASSERT_TRUE(worker.Begin());
  const std::uint32_t start = clock_.Tick();
  Queue({"$NT900,4,51,0", "$NT987,1", "$NT800,1"});
  const int passes = RunUntil(worker, [&] { return device_.Writes().size() == 3; });

  const auto writes = device_.Writes();
  EXPECT_EQ(WrittenTexts(), (std::vector<std::string>{"$NT900,4,51,0*0F\r\n", "$NT987,1*31\r\n", "$NT800,1*3F\r\n"}));
  // Each leaves once more than 100 ms have passed, not a wait later; the
  // worker sleeps through the spacing in a few waits instead of passing
  // every millisecond.
  std::uint32_t previous = start;
  for (const auto& write : writes) {
    EXPECT_EQ(write.tick - previous, 101u) << write.bytes;
    previous = write.tick;
  }
  EXPECT_LE(passes, 3 * 3 + 1);  // three waits per spacing, and the pass that writes the last
  EXPECT_FALSE(queue_.AnySlotHoldsCommand());
}

TEST_F(LinkWorkerTest, CommandsOf256BytesOrMoreWithTheirTailAreDroppedButUseUpTheirSlot) {
  struct Case {
    std::size_t bareLength;
    bool written;
  };
  const Case cases[] = {{1, true}, {250, true}, {251, false}, {400, false}};
  LinkWorker worker = MakeWorker();
  ASSERT_TRUE(worker.Begin());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bareLength);
    const std::string bare = "$" + std::string(c.bareLength - 1, 'A');
    std::string expected = bare;
    AppendChecksum(expected);
    const std::size_t writesBefore = device_.Writes().size();
    const int readBefore = queue_.readIndex();

    Queue({bare});
    RunUntil(worker, [&] { return queue_.readIndex() != readBefore; });

    EXPECT_FALSE(queue_.AnySlotHoldsCommand());
    const auto writes = device_.Writes();
    if (c.written) {
      ASSERT_EQ(writes.size(), writesBefore + 1);
      EXPECT_EQ(writes.back().bytes, expected);
      EXPECT_EQ(writes.back().bytes.size(), c.bareLength + 5);
    } else {
      EXPECT_EQ(writes.size(), writesBefore);
    }
  }
}

// The clock starts just below the wrap of the 32-bit tick. Whatever the
// distance, no command may leave before more than 100 ms have passed since the
// previous write (or the start), and the wrap may cost at most one spacing
// more: at worst the counter wraps just as 100 ms have passed, and the spacing
// then starts again from 0.
class TickWrapTest : public LinkWorkerTest, public ::testing::WithParamInterface<std::uint32_t> {
 protected:
  TickWrapTest() : LinkWorkerTest(GetParam()) {}
};

TEST_P(TickWrapTest, NoCommandLeavesEarlyAndNoneIsLost) {
  LinkWorker worker = MakeWorker();
  ASSERT_TRUE(worker.Begin());
  const std::uint32_t start = clock_.Tick();
  Queue({"$NT1", "$NT2", "$NT3"});
  RunUntil(worker, [&] { return device_.Writes().size() == 3; });

  std::uint32_t previous = start;
  for (const auto& write : device_.Writes()) {
    const std::uint32_t elapsed = write.tick - previous;  // unsigned: right across the wrap
    EXPECT_GT(elapsed, 100u) << write.bytes;
    EXPECT_LE(elapsed, 202u) << write.bytes;
    previous = write.tick;
  }
}

INSTANTIATE_TEST_SUITE_P(StartTicks, TickWrapTest,
                         ::testing::Values(0xFFFFFFFFu, 0xFFFFFFF0u, 0xFFFFFFC0u, 0xFFFFFF9Cu, 0xFFFFFF9Bu, 0xFFFFFF00u,
                                           0xFFFFFE70u));

TEST_F(LinkWorkerTest, ClockThatJumpsBackRestartsTheSpacingInsteadOfWaitingForEver) {
  LinkWorker worker = MakeWorker();
  ASSERT_TRUE(worker.Begin());
  Queue({"$NT1"});
  clock_.SetTick(10);  // lower than the tick the run started at
  RunUntil(worker, [&] { return device_.Writes().size() == 1; });
  // The pass that notices the jump counts the spacing from there.
  EXPECT_EQ(device_.Writes()[0].tick, 10u + 101u);
}

TEST_F(LinkWorkerTest, FailedWriteClearsAndPurgesAndTheNextCommandWaitsItsTurn) {
  LinkWorker worker = MakeWorker();
  ASSERT_TRUE(worker.Begin());
  const int clearsAfterBegin = device_.clearCount();
  const int purgesAfterBegin = device_.purgeCount();
  device_.FailWrites(true);
  Queue({"$NT1", "$NT2"});
  RunUntil(worker, [&] { return queue_.readIndex() == 1; });
  const std::uint32_t failedAt = worker.lastWriteTick();
  device_.FailWrites(false);

  EXPECT_TRUE(device_.Writes().empty());
  EXPECT_EQ(device_.clearCount(), clearsAfterBegin + 1);
  EXPECT_EQ(device_.purgeCount(), purgesAfterBegin + 1);

  RunUntil(worker, [&] { return device_.Writes().size() == 1; });
  EXPECT_EQ(device_.Writes()[0].bytes, "$NT2*28\r\n");
  EXPECT_GT(device_.Writes()[0].tick - failedAt, 100u);
  EXPECT_EQ(device_.clearCount(), clearsAfterBegin + 1);
}

TEST_F(LinkWorkerTest, ReadsFailingOnEveryPassClearAndPurgeEachPassAndCommandsStillLeaveTheRing) {
  LinkWorker worker = MakeWorker();
  ASSERT_TRUE(worker.Begin());
  const int clearsAfterBegin = device_.clearCount();
  const int purgesAfterBegin = device_.purgeCount();
  device_.FailReads(true);
  device_.FailWrites(true);  // an adapter that was pulled out
  Queue({"$NT1", "$NT2", "$NT3"});

  const int passes = 400;
  for (int pass = 0; pass < passes; ++pass) ASSERT_TRUE(worker.RunPass());

  const int failedWrites = 3;
  EXPECT_EQ(device_.failedReadCount(), passes);
  EXPECT_EQ(device_.clearCount(), clearsAfterBegin + passes + failedWrites);
  EXPECT_EQ(device_.purgeCount(), purgesAfterBegin + passes + failedWrites);
  EXPECT_FALSE(queue_.AnySlotHoldsCommand());
  EXPECT_EQ(poster_.count(), 0u);
  EXPECT_EQ(state_.load(), LinkState::Running);
}

TEST_F(LinkWorkerTest, PostsGoodSentencesNumberedFromZeroAndBadLinesUseUpTheirSlot) {
  LinkWorker worker = MakeWorker();
  ASSERT_TRUE(worker.Begin());
  device_.Feed("$NT800,1*3F\r\n");
  device_.Feed("$NT800,1*00\r\n");  // wrong checksum
  device_.Feed("noise$NT987,1*31\r\n");
  worker.RunPass();  // one read step takes everything that has arrived

  EXPECT_EQ(poster_.posted(), (std::vector<Posted>{{0, 0}, {1, 2}}));
  std::string text;
  ASSERT_TRUE(slots_.CopySentence(0, 0, text));
  EXPECT_EQ(text, "$NT800,1");
  ASSERT_TRUE(slots_.CopySentence(2, 1, text));
  EXPECT_EQ(text, "$NT987,1");
  EXPECT_EQ(worker.sequenceNumber(), 2u);
}

TEST_F(LinkWorkerTest, EveryRunStartsWithFreshFramingAndSequenceNumberZero) {
  {
    LinkWorker first = MakeWorker();
    ASSERT_TRUE(first.Begin());
    device_.Feed("$NT800,1*3F\r\n$NT800,1*3F\r\n$NT8");  // ends in half a line
    first.RunPass();
    ASSERT_EQ(poster_.count(), 2u);
  }
  poster_.Clear();
  device_.Feed("00,1*3F\r\n");  // the rest of the line, left in the driver from before
  LinkWorker second = MakeWorker();
  ASSERT_TRUE(second.Begin());  // purges what was pending
  device_.Feed("$NT987,1*31\r\n");
  second.RunPass();
  EXPECT_EQ(poster_.posted(), (std::vector<Posted>{{0, 0}}));
  std::string text;
  ASSERT_TRUE(slots_.CopySentence(0, 0, text));
  EXPECT_EQ(text, "$NT987,1");
}

TEST_F(LinkWorkerTest, WhileDrainingNothingIsReadButCommandsStillGoOut) {
  LinkWorker worker = MakeWorker();
  ASSERT_TRUE(worker.Begin());
  state_ = LinkState::Draining;
  device_.Feed("$NT800,1*3F\r\n");
  Queue({"$NT1"});
  RunUntil(worker, [&] { return device_.Writes().size() == 1; });
  EXPECT_EQ(device_.UnreadByteCount(), 13u);
  EXPECT_EQ(poster_.count(), 0u);
}

TEST_F(LinkWorkerTest, BytesReadInTheStepWhereTheStateChangedAreDroppedUnframed) {
  LinkWorker worker = MakeWorker();
  ASSERT_TRUE(worker.Begin());
  device_.OnByteRead([this](unsigned char byte) {
    if (byte == '\n') state_ = LinkState::Draining;
  });
  device_.Feed("$NT800,1*3F\r\n$NT987,1*31\r\n");
  EXPECT_TRUE(worker.RunPass());
  EXPECT_EQ(poster_.count(), 0u);

  // Had the framing seen the first line up to its carriage return, a lone
  // line feed would now complete it.
  device_.OnByteRead(nullptr);
  state_ = LinkState::Running;
  device_.Feed("\n");
  worker.RunPass();
  EXPECT_EQ(poster_.count(), 0u);
  device_.Feed("$NT987,1*31\r\n");
  worker.RunPass();
  EXPECT_EQ(poster_.count(), 1u);
}

// One pass with nothing to read: how long the worker sleeps, and where. It
// sleeps on the port while it reads (bytes end that wait at once), on the
// clock otherwise, never longer than its bound there, and no longer than until
// the next command falls due.
TEST_F(LinkWorkerTest, EachPassSleepsUntilTheNextCommandIsDueOrTheStopBound) {
  struct Case {
    const char* name;
    LinkState state;
    bool readsFail;
    bool commandQueued;
    std::uint32_t sinceLastWrite;
    std::uint32_t slept;
    bool onThePort;
  };
  const Case cases[] = {
      {"idle", LinkState::Running, false, false, 0, kUnwokenReadWaitMs, true},
      {"idle long after a write", LinkState::Running, false, false, 5000, kUnwokenReadWaitMs, true},
      {"command due in 71 ms", LinkState::Running, false, true, 30, 71, true},
      {"command due in 21 ms", LinkState::Running, false, true, 80, 21, true},
      {"command due in 1 ms", LinkState::Running, false, true, 100, 1, true},
      {"draining, command due in 21 ms", LinkState::Draining, false, true, 80, 21, false},
      {"draining with bytes unread", LinkState::Draining, false, false, 0, kStopBoundMs, false},
      {"reads failing", LinkState::Running, true, false, 0, kStopBoundMs, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    state_ = LinkState::Running;
    device_.FailReads(false);
    LinkWorker worker = MakeWorker();
    ASSERT_TRUE(worker.Begin());
    if (c.commandQueued) Queue({"$NT1"});
    if (c.state == LinkState::Draining) device_.Feed("$NT800,1*3F\r\n");
    device_.FailReads(c.readsFail);
    state_ = c.state;
    clock_.SetTick(worker.lastWriteTick() + c.sinceLastWrite);
    const std::uint32_t before = clock_.Tick();
    const int portWaitsBefore = device_.emptyWaitCount();

    EXPECT_TRUE(worker.RunPass());
    EXPECT_EQ(clock_.Tick() - before, c.slept);
    EXPECT_EQ(device_.emptyWaitCount() - portWaitsBefore, c.onThePort ? 1 : 0);
    EXPECT_TRUE(device_.Writes().empty());
    queue_.Reset();
  }
}

TEST_F(LinkWorkerTest, WorkerThatFindsAStopAlreadyAskedEndsAtOnceAndSaysStopped) {
  state_ = LinkState::StopRequested;
  Queue({"$NT1"});
  device_.Feed("$NT800,1*3F\r\n");
  LinkWorker worker = MakeWorker();
  worker.Run();  // returns without a single pass
  EXPECT_EQ(state_.load(), LinkState::Stopped);
  EXPECT_TRUE(device_.Writes().empty());
  EXPECT_EQ(poster_.count(), 0u);
  EXPECT_EQ(device_.clearCount(), 1);  // the start still cleared the port
  EXPECT_EQ(device_.purgeCount(), 1);
}

TEST_F(LinkWorkerTest, StopAskedDuringARunEndsItAfterThatPass) {
  LinkWorker worker = MakeWorker();
  ASSERT_TRUE(worker.Begin());
  EXPECT_TRUE(worker.RunPass());
  state_ = LinkState::StopRequested;
  EXPECT_FALSE(worker.RunPass());
  worker.End();
  EXPECT_EQ(state_.load(), LinkState::Stopped);
}

}  // namespace
}  // namespace brisko
