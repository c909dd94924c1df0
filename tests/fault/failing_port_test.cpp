// Every read failing, every write failing, and both, on a simulated port under
// the whole core (worker thread, queue, drains, dispatch): each pass handles
// the failure once (clear, then purge) and then waits on the clock, queued
// commands still leave the ring at their pace, the drains end, and the link
// works again as soon as the port does.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "link/simulated_clock.h"
#include "link/simulated_port.h"
#include "tests/e2e/tool_harness.h"
#include "tests/fault/fault_injecting_ports.h"
#include "tests/fault/port_trace.h"
#include "tests/support/on_the_wire.h"
#include "tests/support/logger_bytes.h"

namespace brisko {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kDeadline{20000};
constexpr int kPort = 1;

// A pass as the worker must run it while the fault lasts: one write attempt
// at most, then the read step ended by one read (reads that returned bytes
// before it folded into it), each failure followed by one clear and one
// purge.
struct FailureCase {
  const char* name;
  bool readsFail;
  bool writesFail;
  std::set<std::string> passShapes;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

const FailureCase kCases[] = {
    {"every read fails", true, false, {"RCP", "wRCP"}},
    {"every write fails", false, true, {"r", "WCPr"}},
    {"every read and write fails", true, true, {"RCP", "WCPRCP"}},
};

class FailingPortTest : public ::testing::TestWithParam<FailureCase> {
 protected:
  FailingPortTest()
      : clock_(1000, std::chrono::microseconds(50)),
        tracingClock_(clock_, trace_),
        ports_(simulatedPorts_, trace_),
        device_(simulatedPorts_.AddDevice(kPort, clock_)),
        tool_(ports_, tracingClock_) {}

  void SetFaults(bool on) {
    ports_.switches().failReads = on && GetParam().readsFail;
    ports_.switches().failWrites = on && GetParam().writesFail;
  }

  bool Pump(const std::function<bool()>& done) { return tool_.PumpUntil(done, kDeadline); }
  // The logger repeats its pilot reply whenever nothing of it is waiting
  // unread, as a logger asked again would, until the record shows it.
  bool FeedUntilPilot(const std::string& pilot) {
    return Pump([&] {
      if (tool_.record().pilotName.bytes() == pilot) return true;
      if (device_.UnreadByteCount() == 0) device_.Feed(Wire("$NT805,1," + pilot));
      return false;
    });
  }
  // Every write the worker attempted, failed or not: a command leaves the
  // ring with its one attempt.
  std::size_t Attempts() { return trace_.Writes().size(); }
  std::size_t GoodWrites() {
    const auto writes = trace_.Writes();
    return static_cast<std::size_t>(std::count_if(writes.begin(), writes.end(), [](auto& w) { return w.ok; }));
  }

  PortTrace trace_;
  SimulatedClock clock_;
  TracingClock tracingClock_;
  SimulatedPortSystem simulatedPorts_;
  FaultInjectingPorts ports_;
  SimulatedDevice& device_;
  ToolUnderTest tool_;
};

TEST_P(FailingPortTest, EachPassHandlesTheFailureOnceAndTheLinkRecoversWithThePort) {
  const FailureCase& c = GetParam();
  LoggerCore& core = tool_.core();
  core.OpenPort(kPort);
  ASSERT_EQ(tool_.record().portStatus, "COM1 Open Ok");
  // Fed once the worker runs: its start purges whatever arrived before.
  ASSERT_TRUE(Pump([&] { return GoodWrites() >= 1; }));
  device_.Feed(Wire("$NT800,SN-7,12,28,0,0,3,1,1,0"));
  ASSERT_TRUE(Pump([&] { return tool_.record().serialNumber == "SN-7"_logger&& GoodWrites() == 3; }));

  // The fault begins; the first pass seen after the mark may have begun before it.
  SetFaults(true);
  const std::size_t mark = trace_.Mark();
  const long postedBefore = tool_.sentencesPosted();
  core.OnSet();
  device_.Feed(Wire("$NT805,1,During"));
  ASSERT_TRUE(Pump([&] { return Attempts() == 3 + 9 && trace_.Passes(mark).size() > 30; }))
      << "the ring still holds commands after " << trace_.Passes(mark).size() << " passes";

  std::vector<std::string> passes = trace_.Passes(mark);
  passes.erase(passes.begin());
  std::set<std::string> shapes;
  for (std::string pass : passes) {
    // A read step ends at its first read that returns nothing or fewer bytes
    // than asked for; which of the two it was depends on when the logger's
    // reply arrived, so both count as the one read that ends it.
    std::replace(pass.begin(), pass.end(), static_cast<char>(PortEvent::ReadBytes),
                 static_cast<char>(PortEvent::ReadNothing));
    pass.erase(std::unique(pass.begin(), pass.end(),
                           [](char a, char b) { return a == b && a == static_cast<char>(PortEvent::ReadNothing); }),
               pass.end());
    shapes.insert(pass);
  }
  EXPECT_EQ(shapes, c.passShapes);

  // The nine commands of the Set left the ring, each attempted once, more
  // than 100 ms after the one before, whether the write failed or not.
  const std::vector<TracedWrite> writes = trace_.Writes();
  ASSERT_EQ(writes.size(), 3u + 9u);
  for (std::size_t i = 3; i < writes.size(); ++i) {
    SCOPED_TRACE(writes[i].bytes);
    EXPECT_EQ(writes[i].ok, !c.writesFail);
    EXPECT_GT(writes[i].tick - writes[i - 1].tick, 100u);
  }
  EXPECT_EQ(writes[3].bytes, Wire("$NT806,4,2"));
  EXPECT_EQ(writes[11].bytes, Wire("$NT806,4,3"));

  // Failed reads purge what arrived, so nothing is dispatched; with reads
  // working the logger's reply still comes through.
  if (c.readsFail) {
    tool_.PumpFor(milliseconds(200));
    EXPECT_EQ(tool_.sentencesPosted(), postedBefore);
    EXPECT_EQ(device_.UnreadByteCount(), 0u);
    EXPECT_NE(tool_.record().pilotName, "During"_logger);
  } else {
    // A failed write purges what has not been read yet, so the reply is sent
    // again until one arrives between two failures, as a logger repeats itself.
    EXPECT_TRUE(FeedUntilPilot("During"));
  }
  EXPECT_TRUE(core.IsPortOpen());

  // The port works again: replies are read and a Set goes out whole.
  // A read that failed just before the switch still purges, so the reply
  // may have to come again.
  SetFaults(false);
  ASSERT_TRUE(FeedUntilPilot("After"));
  // Counted before the Set: the worker may write its first command at once.
  const std::size_t goodBefore = GoodWrites();
  const std::size_t attemptsBefore = Attempts();
  core.OnSet();
  ASSERT_TRUE(Pump([&] { return Attempts() == attemptsBefore + 9 && GoodWrites() == goodBefore + 9; }));

  // The exit drain ends although the commands it waits for may all fail.
  SetFaults(true);
  core.OnSet();
  core.ExitDrain();
  const std::size_t sentByTheDrain = c.writesFail ? 0 : 9;
  EXPECT_FALSE(core.IsPortOpen());
  EXPECT_EQ(Attempts(), attemptsBefore + 9 + 9) << "the drain left commands in the ring";
  EXPECT_FALSE(device_.isOpen());

  SetFaults(false);
  core.OpenPort(kPort);
  EXPECT_EQ(tool_.record().portStatus, "COM1 Open Ok");
  EXPECT_TRUE(Pump([&] { return GoodWrites() == goodBefore + 9 + sentByTheDrain + 3; }));
}

INSTANTIATE_TEST_SUITE_P(Faults, FailingPortTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FailureCase>& param) {
                           std::string name = param.param.name;
                           std::replace(name.begin(), name.end(), ' ', '_');
                           return name;
                         });

}  // namespace
}  // namespace brisko
