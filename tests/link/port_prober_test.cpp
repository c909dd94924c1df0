// The port prober over ports whose probes the test holds and lets go: a
// request is never lost to the probe in progress, a probe that hangs holds up
// only itself, and the owner's own open waits (bounded) for the probe of its
// port.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "link/port_prober.h"
#include "tests/support/link_test_support.h"

namespace brisko {
namespace {

using std::chrono::milliseconds;

class HeldPorts final : public PortSystem {
 public:
  std::unique_ptr<SerialPort> Open(int /*portNumber*/, PortOpenError& /*error*/) override { return nullptr; }
  PortPresence PresentPorts() override { return {}; }
  // Openable when plugged in as the probe starts; then blocks while the test
  // holds the port.
  bool Probe(int portNumber) override {
    std::unique_lock<std::mutex> lock(mutex_);
    started_.push_back(portNumber);
    const bool openable = plugged_.count(portNumber) != 0;
    released_.wait(lock, [&] { return held_.count(portNumber) == 0; });
    return openable;
  }
  void Hold(int portNumber) { Locked([&] { held_.insert(portNumber); }); }
  void Release(int portNumber) {
    Locked([&] { held_.erase(portNumber); });
    released_.notify_all();
  }
  void Plug(int portNumber) { Locked([&] { plugged_.insert(portNumber); }); }
  std::vector<int> started() {
    std::lock_guard<std::mutex> lock(mutex_);
    return started_;
  }

 private:
  template <typename Change>
  void Locked(Change change) {
    std::lock_guard<std::mutex> lock(mutex_);
    change();
  }
  std::mutex mutex_;
  std::condition_variable released_;
  std::set<int> held_;
  std::set<int> plugged_;
  std::vector<int> started_;
};

class PortProberTest : public ::testing::Test {
 protected:
  std::vector<std::pair<int, bool>> reports() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
  }
  bool Reported(int portNumber, bool openable) {
    const auto all = reports();
    return std::find(all.begin(), all.end(), std::make_pair(portNumber, openable)) != all.end();
  }
  bool Started(int portNumber) {
    const auto all = ports_.started();
    return std::find(all.begin(), all.end(), portNumber) != all.end();
  }

  HeldPorts ports_;
  std::mutex mutex_;
  std::vector<std::pair<int, bool>> reports_;
  PortProber prober_{ports_, [this](int portNumber, bool openable) {
                       std::lock_guard<std::mutex> lock(mutex_);
                       reports_.emplace_back(portNumber, openable);
                     }};
};

// An adapter plugged in while its number is being probed: the probe began
// before it was there, so only a second probe can find it.
TEST_F(PortProberTest, ARequestForThePortBeingProbedProbesItAgainAfterwards) {
  ports_.Hold(6);
  prober_.Probe({6});
  ASSERT_TRUE(WaitUntil([&] { return Started(6); }));
  ports_.Plug(6);
  prober_.Probe({6});
  ports_.Release(6);
  ASSERT_TRUE(WaitUntil([&] { return reports().size() == 2; }));
  EXPECT_EQ(reports(), (std::vector<std::pair<int, bool>>{{6, false}, {6, true}}));
}

// A driver that hangs in the middle of a removal: the next look gives the
// other ports a thread of their own, and the hung port is not probed twice.
TEST_F(PortProberTest, AProbeThatHangsHoldsUpOnlyItself) {
  ports_.Hold(3);
  ports_.Plug(4);
  prober_.Probe({3, 4});
  ASSERT_TRUE(WaitUntil([&] { return Started(3); }));
  std::this_thread::sleep_for(kProbeStuckAfter + milliseconds(50));
  prober_.Probe({3});  // the next look, asking for the hung port again
  EXPECT_TRUE(WaitUntil([&] { return Reported(4, true); }, milliseconds(5000)));
  EXPECT_EQ(ports_.started(), (std::vector<int>{3, 4})) << "the hung port's request waits for its probe";
  ports_.Release(3);
  EXPECT_TRUE(WaitUntil([&] { return reports().size() == 3; }));
}

// The user chooses a port: its probe in progress ends first (within the
// bound), and a probe still waiting is dropped, since the open tells more.
TEST_F(PortProberTest, TheOwnersOpenWaitsForTheProbeOfItsPortWithinABound) {
  ports_.Hold(1);
  ports_.Hold(5);
  prober_.Probe({1, 2, 5});
  ASSERT_TRUE(WaitUntil([&] { return Started(1); }));
  EXPECT_TRUE(prober_.AwaitProbeOf(2, milliseconds(0))) << "waiting, not being probed";
  EXPECT_FALSE(prober_.AwaitProbeOf(1, milliseconds(50))) << "held beyond the bound";
  std::thread release([&] {
    std::this_thread::sleep_for(milliseconds(100));
    ports_.Release(1);
  });
  EXPECT_TRUE(prober_.AwaitProbeOf(1, milliseconds(5000)));
  EXPECT_TRUE(Reported(1, false)) << "its result is out before the open";
  release.join();
  ASSERT_TRUE(WaitUntil([&] { return Started(5); }));
  EXPECT_EQ(ports_.started(), (std::vector<int>{1, 5})) << "port 2 was not probed";
  ports_.Release(5);
}

}  // namespace
}  // namespace brisko
