// The core on the machine's own port layer and clock, with pseudo-terminals
// standing in for the logger's port.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "link/link_clock.h"
#include "link/serial_port.h"
#include "protocol/logger_core.h"
#include "protocol/platform.h"
#include "tests/support/fake_dialog.h"
#include "tests/support/far_end_terminal.h"
#include "tests/support/link_test_support.h"
#include "tests/support/on_the_wire.h"
#include "tests/support/port_look.h"

namespace brisko {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

class LoggerCorePtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(logger_.ok());
    ASSERT_TRUE(ports_.Link(3, logger_.slavePath()));
    machine_ = std::make_unique<MachinePlatform>();
  }

  std::unique_ptr<LoggerCore> MakeCore(testing::FakeDialog& dialog) {
    return std::make_unique<LoggerCore>(dialog, poster_, machine_->platform());
  }

  FarEndTerminal logger_;
  PrivatePortsDirectory ports_;
  RecordingPoster poster_;
  // Made in SetUp, so that it sees the private ports directory.
  std::unique_ptr<MachinePlatform> machine_;
};

TEST_F(LoggerCorePtyTest, IdentificationReachesTheWireByteForByteMoreThan100MsApart) {
  testing::FakeDialog dialog;
  auto core = MakeCore(dialog);
  const auto opened = steady_clock::now();
  core->OpenPort(3);
  ASSERT_EQ(core->record().portStatus, "COM3 Open Ok") << core->portStatusDetail();

  const std::vector<std::string> expected = IdentificationOnTheWire();
  std::string all;
  for (const auto& command : expected) all += command;
  const auto chunks = logger_.Receive(all.size());
  EXPECT_EQ(FarEndTerminal::Joined(chunks), all);

  const auto arrivals = FarEndTerminal::Arrivals(chunks, expected);
  ASSERT_EQ(arrivals.size(), 3u);
  // The worker writes the k-th command more than k x 100 ms after it started,
  // and a command cannot arrive before it was written; the reader here may
  // wake late for one command and not the next, so single gaps are only
  // reported, while each arrival is held to its earliest possible time.
  auto previous = opened;
  std::string measured;
  for (std::size_t k = 0; k < arrivals.size(); ++k) {
    EXPECT_GT(arrivals[k] - opened, milliseconds(100) * static_cast<int>(k + 1)) << "command " << k + 1;
    const auto spacing = std::chrono::duration_cast<std::chrono::microseconds>(arrivals[k] - previous);
    measured += " " + std::to_string(spacing.count() / 1000.0) + " ms";
    previous = arrivals[k];
  }
  RecordProperty("identification_spacing", measured);
  std::cout << "identification spacing (open→1st, 1st→2nd, 2nd→3rd):" << measured << "\n";
}

TEST_F(LoggerCorePtyTest, HeldPortFailsToOpenWithAClearStatus) {
  struct Case {
    const char* name;
    bool heldByAnotherTool;  // else by a program that only locks the device
  };
  for (const Case& c : {Case{"another copy of the tool", true}, Case{"a program holding a lock", false}}) {
    SCOPED_TRACE(c.name);
    testing::FakeDialog holderDialog;
    std::unique_ptr<LoggerCore> holder;
    int lockedFd = -1;
    if (c.heldByAnotherTool) {
      holder = MakeCore(holderDialog);
      holder->OpenPort(3);
      ASSERT_TRUE(holder->IsPortOpen());
    } else {
      lockedFd = ::open(logger_.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
      ASSERT_GE(lockedFd, 0);
      ASSERT_EQ(::flock(lockedFd, LOCK_EX | LOCK_NB), 0);
    }

    testing::FakeDialog dialog;
    auto core = MakeCore(dialog);
    EXPECT_EQ(ListAfterLook(*core, machine_->platform().ports, poster_), std::vector<int>{}) << "a held port is not listed";
    core->OpenPort(3);
    EXPECT_FALSE(core->IsPortOpen());
    EXPECT_EQ(core->record().portStatus, "COM3 busy");
    EXPECT_NE(core->portStatusDetail().find(ports_.path() + "/COM3"), std::string::npos) << core->portStatusDetail();
    EXPECT_NE(core->portStatusDetail().find("Another program"), std::string::npos);
    EXPECT_EQ(dialog.portControlChanges, std::vector<bool>{false});

    if (lockedFd >= 0) ::close(lockedFd);
    holder.reset();  // closes through the handshake
    core->OpenPort(3);
    EXPECT_EQ(core->record().portStatus, "COM3 Open Ok") << core->portStatusDetail();
  }
}

TEST_F(LoggerCorePtyTest, EnumerationListsOnlyPortsThatOpen) {
  FarEndTerminal second;
  FarEndTerminal beyondTheList;
  ASSERT_TRUE(second.ok() && beyondTheList.ok());
  ASSERT_TRUE(ports_.Link(1, second.slavePath()));
  ASSERT_TRUE(ports_.Link(2, ports_.path() + "/unplugged"));  // dangling
  ASSERT_TRUE(ports_.Link(256, beyondTheList.slavePath()));

  testing::FakeDialog dialog;
  auto core = MakeCore(dialog);
  EXPECT_EQ(ListAfterLook(*core, machine_->platform().ports, poster_), (std::vector<int>{1, 3}));
  // Nothing stays open: both ports open again at once, and 256 opens although
  // it is never listed.
  for (int portNumber : {1, 3, 256}) {
    core->OpenPort(portNumber);
    EXPECT_EQ(core->record().portStatus, "COM" + std::to_string(portNumber) + " Open Ok");
    core->ClosePort();
  }
}

TEST_F(LoggerCorePtyTest, DanglingPortEntryIsNotFound) {
  ASSERT_TRUE(ports_.Link(5, ports_.path() + "/unplugged"));
  testing::FakeDialog dialog;
  auto core = MakeCore(dialog);
  core->OpenPort(5);
  EXPECT_FALSE(core->IsPortOpen());
  EXPECT_EQ(core->record().portStatus, "COM5 not found");
  EXPECT_NE(core->portStatusDetail().find(ports_.path() + "/COM5"), std::string::npos);
  EXPECT_NE(core->portStatusDetail().find("No such file or directory"), std::string::npos);

  core->OpenPort(6);  // no entry at all
  EXPECT_EQ(core->record().portStatus, "COM6 not found");
  EXPECT_NE(core->portStatusDetail().find("ln -s /dev/ttyUSB0 " + ports_.path() + "/COM6"), std::string::npos)
      << core->portStatusDetail();
}

}  // namespace
}  // namespace brisko
