// The link with its real worker thread: opening, the stop handshake and the
// exit drain, against simulated ports. Most tests run on the simulated clock
// (the 100 ms polls and 500 ms waits then cost microseconds); the handshake is
// also timed on the real clock.
#include "link/serial_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/simulated_clock.h"
#include "link/simulated_port.h"
#include "tests/support/link_test_support.h"

namespace brisko {
namespace {

const std::vector<std::string> kFiveCommands = {"$NT1", "$NT2", "$NT3", "$NT4", "$NT5"};

std::vector<std::string> WithTails(const std::vector<std::string>& commands) {
  std::vector<std::string> sent;
  for (std::string command : commands) {
    AppendChecksum(command);
    sent.push_back(command);
  }
  return sent;
}

std::vector<std::string> Texts(const std::vector<SimulatedWrite>& writes) {
  std::vector<std::string> texts;
  for (const auto& write : writes) texts.push_back(write.bytes);
  return texts;
}

// The worker starts counting at a tick no earlier than `start` and lets the
// k-th command out more than k x 100 ms later; the device stamps the write
// after that decision, by however long a busy machine delays it. So each
// stamp has a lower bound, while a single gap between two stamps has none.
// The exact rule is tested pass by pass in the worker's own tests.
void ExpectEachWriteAfterItsEarliestTick(const std::vector<SimulatedWrite>& writes, std::uint32_t start) {
  for (std::size_t k = 0; k < writes.size(); ++k) {
    EXPECT_GT(writes[k].tick - start, 100u * static_cast<std::uint32_t>(k + 1)) << "command " << k + 1;
  }
}

class SerialLinkTest : public ::testing::Test {
 protected:
  SerialLinkTest()
      : clock_(5000, std::chrono::microseconds(50)),
        device_(ports_.AddDevice(3, clock_)),
        link_(ports_, clock_, poster_) {}

  // Returns once the worker has started: its first act purges the port, and
  // bytes fed before that would be thrown away.
  void OpenOrFail(int portNumber = 3) {
    SimulatedDevice* device = ports_.Device(portNumber);
    ASSERT_NE(device, nullptr);
    const int purgesBefore = device->purgeCount();
    PortOpenError error;
    ASSERT_TRUE(link_.Open(portNumber, error)) << error.systemMessage;
    ASSERT_TRUE(WaitUntil([&] { return device->purgeCount() > purgesBefore; }));
  }

  SimulatedClock clock_;
  SimulatedPortSystem ports_;
  SimulatedDevice& device_;
  RecordingPoster poster_;
  SerialLink link_;
};

TEST_F(SerialLinkTest, CloseWithAnEmptyQueueWaitsAtLeast700MsAndClosesThePort) {
  OpenOrFail();
  ASSERT_TRUE(device_.isOpen());
  const std::uint32_t before = clock_.Tick();
  link_.Close();
  EXPECT_GE(clock_.Tick() - before, 700u);
  EXPECT_FALSE(link_.IsOpen());
  EXPECT_FALSE(device_.isOpen());
}

TEST_F(SerialLinkTest, CloseLetsFiveQueuedCommandsOutFirst) {
  OpenOrFail();
  ASSERT_TRUE(link_.QueueCommands(kFiveCommands));
  link_.Close();
  const auto writes = device_.Writes();
  EXPECT_EQ(Texts(writes), WithTails(kFiveCommands));
  EXPECT_FALSE(device_.isOpen());
}

TEST_F(SerialLinkTest, ExitDrainStillReadsRepliesToTheLastCommandsWhileTheHandshakeDoesNot) {
  struct Case {
    const char* name;
    bool exitDrain;
    std::size_t repliesPosted;
  };
  const Case cases[] = {{"exit drain", true, 1}, {"stop handshake", false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    poster_.Clear();
    OpenOrFail();
    const std::size_t writesBefore = device_.Writes().size();
    // The reply comes back while the last command still waits its turn in
    // the queue, so the exit drain, which runs until the queue is empty, is
    // bound to see the worker read it; the stop handshake reads nothing.
    device_.OnWrite([this](const std::string& bytes) {
      if (bytes.rfind("$NT4*", 0) == 0) device_.Feed("$NT800,1*3F\r\n");
    });
    ASSERT_TRUE(link_.QueueCommands(kFiveCommands));
    if (c.exitDrain) {
      link_.ExitDrain();
    } else {
      link_.Close();
    }
    const auto writes = device_.Writes();
    EXPECT_EQ(Texts({writes.begin() + static_cast<std::ptrdiff_t>(writesBefore), writes.end()}),
              WithTails(kFiveCommands));
    EXPECT_EQ(poster_.count(), c.repliesPosted);
    EXPECT_FALSE(device_.isOpen());
  }
}

TEST_F(SerialLinkTest, ReopenStartsWithAnEmptyQueueFreshFramingAndSequenceNumberZero) {
  OpenOrFail();
  device_.Feed("$NT800,1*3F\r\n$NT800,1*3F\r\n");
  ASSERT_TRUE(WaitUntil([&] { return poster_.count() == 2; }));
  device_.Feed("$NT8");  // half a line when the port closes
  ASSERT_TRUE(WaitUntil([&] { return device_.UnreadByteCount() == 0; }));
  link_.Close();

  ASSERT_TRUE(link_.QueueCommands({"$NT1"}));  // queued while closed: the open empties the queue
  poster_.Clear();
  OpenOrFail();
  EXPECT_FALSE(link_.CommandsPending());
  device_.Feed("$NT987,1*31\r\n");
  ASSERT_TRUE(WaitUntil([&] { return poster_.count() == 1; }));
  EXPECT_EQ(poster_.posted()[0], (Posted{0, 0}));
  std::string text;
  ASSERT_TRUE(link_.slots().CopySentence(0, 0, text));
  EXPECT_EQ(text, "$NT987,1");
  link_.Close();
  EXPECT_TRUE(device_.Writes().empty());
  EXPECT_EQ(device_.openCount(), 2);
}

TEST_F(SerialLinkTest, OpeningAnotherPortWhileOneIsOpenClosesTheFirstProperly) {
  SimulatedDevice& other = ports_.AddDevice(4, clock_);
  OpenOrFail(3);
  ASSERT_TRUE(link_.QueueCommands({"$NT1"}));
  OpenOrFail(4);
  EXPECT_FALSE(device_.isOpen());
  EXPECT_EQ(Texts(device_.Writes()), WithTails({"$NT1"}));
  EXPECT_TRUE(other.isOpen());
  link_.Close();
  EXPECT_FALSE(other.isOpen());
}

TEST_F(SerialLinkTest, FailedOpenKeepsTheReasonStartsNoWorkerAndStillEmptiesTheQueue) {
  ASSERT_TRUE(link_.QueueCommands({"$NT1"}));
  ASSERT_TRUE(link_.CommandsPending());
  ports_.Refuse(7, PortErrorKind::PermissionDenied, "Permission denied", "dialout");
  PortOpenError error;
  EXPECT_FALSE(link_.Open(7, error));
  EXPECT_EQ(error.kind, PortErrorKind::PermissionDenied);
  EXPECT_EQ(error.deviceGroup, "dialout");
  EXPECT_FALSE(link_.IsOpen());
  EXPECT_FALSE(link_.CommandsPending());

  EXPECT_FALSE(link_.Open(8, error));
  EXPECT_EQ(error.kind, PortErrorKind::NotFound);
  const std::uint32_t before = clock_.Tick();
  link_.Close();  // nothing open: returns at once
  EXPECT_EQ(clock_.Tick(), before);
}

TEST_F(SerialLinkTest, WorkerThreadThatDoesNotStartIsAFailedOpenAndReleasesThePort) {
  SerialLink link(ports_, clock_, poster_, [](std::thread&, std::function<void()>, std::string& why) {
    why = "Resource temporarily unavailable";
    return false;
  });
  PortOpenError error;
  EXPECT_FALSE(link.Open(3, error));
  EXPECT_EQ(error.kind, PortErrorKind::Other);
  EXPECT_NE(error.systemMessage.find("Resource temporarily unavailable"), std::string::npos);
  EXPECT_FALSE(link.IsOpen());
  EXPECT_FALSE(device_.isOpen());
  const std::uint32_t before = clock_.Tick();
  link.Close();  // would wait for ever for a worker that never ran
  EXPECT_EQ(clock_.Tick(), before);
}

// The handshake on the real clock, measured with a clock of the test's own.
class SerialLinkRealTimeTest : public ::testing::Test {
 protected:
  SerialLinkRealTimeTest()
      : clock_(MakeSystemClock()), device_(ports_.AddDevice(1, *clock_)), link_(ports_, *clock_, poster_) {}

  std::unique_ptr<LinkClock> clock_;
  SimulatedPortSystem ports_;
  SimulatedDevice& device_;
  RecordingPoster poster_;
  SerialLink link_;
};

TEST_F(SerialLinkRealTimeTest, HandshakeWithEmptyQueueTakesAbout700Ms) {
  PortOpenError error;
  ASSERT_TRUE(link_.Open(1, error));
  const auto start = std::chrono::steady_clock::now();
  link_.Close();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(700));
  EXPECT_FALSE(device_.isOpen());
}

TEST_F(SerialLinkRealTimeTest, HandshakeWithFiveQueuedCommandsWaitsForEachOfThem) {
  PortOpenError error;
  const std::uint32_t startTick = clock_->Tick();
  ASSERT_TRUE(link_.Open(1, error));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(link_.QueueCommands(kFiveCommands));
  link_.Close();
  // Five writes each more than 100 ms apart, then a poll, the stop poll and
  // the 500 ms wait.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1100));
  const auto writes = device_.Writes();
  EXPECT_EQ(Texts(writes), WithTails(kFiveCommands));
  ExpectEachWriteAfterItsEarliestTick(writes, startTick);
}

}  // namespace
}  // namespace brisko
