// The core on the machine's own port layer, with pseudo-terminals (or
// brisko-sim behind one) standing in for the logger's port, while the
// platform misbehaves: the far end goes away mid-session, another program
// holds the port, the port's entry is removed while open, and port numbers
// lead nowhere. Nothing may crash or hang, nothing may be queued for a port
// that did not open, and the port must open again once it is back.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/link_clock.h"
#include "protocol/commands.h"
#include "tests/e2e/sim_process.h"
#include "tests/e2e/tool_harness.h"
#include "tests/fault/fault_injecting_ports.h"
#include "tests/fault/port_trace.h"
#include "tests/support/far_end_terminal.h"
#include "tests/support/on_the_wire.h"
#include "tests/support/logger_bytes.h"

namespace brisko {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr milliseconds kDeadline{15000};

std::string PortName(int portNumber) { return "COM" + std::to_string(portNumber); }

// The tool on the machine's serial ports and clock, both wrapped so that the
// test sees every call the worker makes.
class PtyFaultTest : public ::testing::Test {
 protected:
  PtyFaultTest()
      : platformPorts_(MakePlatformPortSystem()),
        systemClock_(MakeSystemClock()),
        clock_(*systemClock_, trace_),
        ports_(*platformPorts_, trace_) {}

  // Created by each test once the ports directory it uses is current.
  ToolUnderTest& StartTool() {
    tool_ = std::make_unique<ToolUnderTest>(ports_, clock_);
    return *tool_;
  }

  bool Pump(const std::function<bool()>& done, milliseconds timeout = kDeadline) {
    return tool_->PumpUntil(done, timeout);
  }

  // After a failed open: the status says why, the controls are off, and a
  // Set is refused for want of a port.
  void ExpectRefused(int portNumber, const std::string& status) {
    LoggerCore& core = tool_->core();
    core.OpenPort(portNumber);
    EXPECT_FALSE(core.IsPortOpen());
    EXPECT_EQ(tool_->record().portStatus, PortName(portNumber) + " " + status) << core.portStatusDetail();
    EXPECT_FALSE(tool_->dialog().portControlsEnabled);
    core.OnSet();
    ASSERT_FALSE(tool_->dialog().messages.empty());
    EXPECT_EQ(tool_->dialog().messages.back().text, "First select a COM port !");
  }

  // A Set was queued and then the far end went away: the worker sees the
  // hang-up, stops by itself and the port is closed; the status says so with
  // the system's reason, the controls are off as after a failed open, and
  // nothing more is written or read.
  void ExpectPortLost(int portNumber, std::size_t mark) {
    ToolUnderTest& tool = *tool_;
    ASSERT_TRUE(Pump([&] { return !tool.core().IsPortOpen(); })) << "the lost port stays open";
    EXPECT_EQ(tool.record().portStatus, PortName(portNumber) + " lost");
    EXPECT_NE(tool.core().portStatusDetail().find("plug the logger's cable or adapter in again"), std::string::npos)
        << tool.core().portStatusDetail();
    EXPECT_FALSE(tool.dialog().portControlsEnabled);
    EXPECT_TRUE(tool.record().serialNumber.empty());

    const std::string events = trace_.Events(mark);
    const std::size_t lostAt = events.find('L');
    ASSERT_NE(lostAt, std::string::npos) << events.substr(0, 400);
    EXPECT_EQ(events.find_first_not_of("L.", lostAt), std::string::npos)
        << "the worker went on after the loss: " << events.substr(lostAt, 40);
    EXPECT_EQ(events.find('w', 1), std::string::npos) << "a write reached a far end that is gone";

    tool.core().OnSet();
    EXPECT_EQ(tool.dialog().messages.back().text, "First select a COM port !");
  }

  PortTrace trace_;
  std::unique_ptr<PortSystem> platformPorts_;
  std::unique_ptr<LinkClock> systemClock_;
  TracingClock clock_;
  FaultInjectingPorts ports_;
  std::unique_ptr<ToolUnderTest> tool_;
};

// The freed pseudo-terminal number may be taken at once by another test's
// device, so the tests below never open a vanished port's old path again:
// the logger comes back under a new device, as a replugged adapter does.
TEST_F(PtyFaultTest, SimulatorKilledMidSessionThenStartedAgain) {
  auto sim = std::make_unique<SimProcess>(std::vector<std::string>{"--family", "800", "--serial", "KILLED"});
  ASSERT_TRUE(sim->started()) << ::testing::PrintToString(sim->Lines());
  ToolUnderTest& tool = StartTool();
  tool.core().OpenPort(sim->port());
  ASSERT_TRUE(Pump([&] { return tool.record().serialNumber == "KILLED"_logger; }));

  tool.core().OnSet();
  const std::size_t mark = trace_.Mark();
  sim->Stop(SIGKILL);  // no chance to remove its entry, which now leads nowhere
  ExpectPortLost(sim->port(), mark);

  // The logger is back, under the first free number (the dead entry counts
  // as free).
  SimProcess again({"--family", "0", "--serial", "AGAIN"}, sim->portsDirectory());
  ASSERT_TRUE(again.started()) << ::testing::PrintToString(again.Lines());
  tool.core().OpenPort(again.port());
  EXPECT_EQ(tool.record().portStatus, PortName(again.port()) + " Open Ok");
  EXPECT_TRUE(tool.dialog().portControlsEnabled);
  EXPECT_TRUE(Pump([&] { return tool.record().serialNumber == "AGAIN"_logger; }));
  EXPECT_TRUE(again.WaitForCommands(3, kDeadline));
  EXPECT_EQ(again.ReceivedCommands(), IdentificationSequence());
  tool.core().ClosePort();
}

// The far end closes its side: the device node disappears and the port is
// hung up under the open descriptor, as when an adapter is pulled out. Plugged
// in again, it comes back under the same COM entry, and choosing that entry
// reopens it.
TEST_F(PtyFaultTest, FarEndClosedThenRecreatedUnderTheSameEntry) {
  PrivatePortsDirectory directory;
  auto logger = std::make_unique<FarEndTerminal>();
  ASSERT_TRUE(logger->ok());
  ASSERT_TRUE(directory.Link(3, logger->slavePath()));
  ToolUnderTest& tool = StartTool();
  tool.core().OpenPort(3);
  ASSERT_EQ(tool.record().portStatus, "COM3 Open Ok");
  const std::string identification = OnTheWire(IdentificationSequence());
  ASSERT_EQ(FarEndTerminal::Joined(logger->Receive(identification.size())), identification);
  ASSERT_TRUE(logger->Send(Wire("$NT800,GONE,12,28,0,0,3,1,1,0")));
  ASSERT_TRUE(Pump([&] { return tool.record().serialNumber == "GONE"_logger; }));

  tool.core().OnSet();
  const std::size_t mark = trace_.Mark();
  logger.reset();
  ExpectPortLost(3, mark);
  EXPECT_NE(tool.core().portStatusDetail().find("hung up"), std::string::npos) << tool.core().portStatusDetail();

  // The same entry now leads to the replugged device.
  FarEndTerminal replugged;
  ASSERT_TRUE(replugged.ok());
  const std::string entry = directory.path() + "/COM3";
  ASSERT_EQ(::unlink(entry.c_str()), 0);
  ASSERT_EQ(::symlink(replugged.slavePath().c_str(), entry.c_str()), 0);
  tool.record().portNumber = "3";
  tool.core().OnPortSelChange();
  EXPECT_EQ(tool.record().portStatus, "COM3 Open Ok");
  EXPECT_TRUE(tool.dialog().portControlsEnabled);
  EXPECT_EQ(FarEndTerminal::Joined(replugged.Receive(identification.size())), identification);
  tool.core().ClosePort();
}

// A child process that opens the device and locks it, as another serial
// program would, until it is told to let go.
class OtherProgram {
 public:
  explicit OtherProgram(const std::string& device) {
    int ready[2];
    int release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(release[1]);
      const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
      const char state = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
      if (::write(ready[1], &state, 1) != 1) ::_exit(1);
      char ignored;
      while (::read(release[0], &ignored, 1) > 0) {
      }
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    release_ = release[1];
    char state = 'n';
    holding_ = pid_ > 0 && ::read(ready[0], &state, 1) == 1 && state == 'y';
    ::close(ready[0]);
  }
  ~OtherProgram() { LetGo(); }
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;

  bool holding() const { return holding_; }
  void LetGo() {
    if (release_ >= 0) ::close(release_);
    release_ = -1;
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  bool holding_ = false;
};

TEST_F(PtyFaultTest, PortHeldByAnotherProgramIsBusyAndGetsNothing) {
  PrivatePortsDirectory directory;
  FarEndTerminal logger;
  ASSERT_TRUE(logger.ok());
  ASSERT_TRUE(directory.Link(3, logger.slavePath()));
  OtherProgram holder(logger.slavePath());
  ASSERT_TRUE(holder.holding());

  ToolUnderTest& tool = StartTool();
  EXPECT_EQ(tool.ListAfterLook(), std::vector<int>{});
  ExpectRefused(3, "busy");
  EXPECT_NE(tool.core().portStatusDetail().find("Another program"), std::string::npos)
      << tool.core().portStatusDetail();

  // Once the port is free, the identification is the first thing the far end
  // receives: nothing went out while the port was refused.
  holder.LetGo();
  EXPECT_EQ(tool.ListAfterLook(), std::vector<int>{3});
  tool.core().OpenPort(3);
  EXPECT_EQ(tool.record().portStatus, "COM3 Open Ok");
  const std::string identification = OnTheWire(IdentificationSequence());
  EXPECT_EQ(FarEndTerminal::Joined(logger.Receive(identification.size())), identification);
  tool.core().ClosePort();
}

// The open descriptor is the port: removing its name changes nothing until
// the port is opened again by that name.
TEST_F(PtyFaultTest, EntryRemovedWhileOpenKeepsTheLinkUntilItIsClosed) {
  PrivatePortsDirectory directory;
  FarEndTerminal logger;
  ASSERT_TRUE(logger.ok());
  ASSERT_TRUE(directory.Link(3, logger.slavePath()));
  ToolUnderTest& tool = StartTool();
  tool.core().OpenPort(3);
  ASSERT_EQ(tool.record().portStatus, "COM3 Open Ok");
  const std::string identification = OnTheWire(IdentificationSequence());
  ASSERT_EQ(FarEndTerminal::Joined(logger.Receive(identification.size())), identification);

  ASSERT_EQ(::unlink((directory.path() + "/COM3").c_str()), 0);
  ASSERT_TRUE(logger.Send(Wire("$NT800,STILL,12,28,0,0,3,1,1,0")));
  ASSERT_TRUE(Pump([&] { return tool.record().serialNumber == "STILL"_logger; }));
  tool.record().pilotName = "Still Here"_logger;
  tool.core().OnSet();
  const std::string set = OnTheWire(SetSequence(LoggerFamily::Second, tool.record()));
  EXPECT_EQ(FarEndTerminal::Joined(logger.Receive(set.size())), set);

  tool.core().ClosePort();
  ExpectRefused(3, "not found");
}

// Port numbers whose entry leads nowhere, or to something that is not a
// serial port: the open fails with the reason, and nothing is written there.
TEST_F(PtyFaultTest, EntriesThatLeadNowhereOrToNoSerialPortDoNotOpen) {
  PrivatePortsDirectory directory;
  const std::string plainFile = directory.File("not-a-port");
  struct Case {
    const char* name;
    int portNumber;
    std::string target;  // empty: no entry at all
    const char* status;
  };
  const Case cases[] = {
      {"link to a path that does not exist", 1, directory.path() + "/unplugged", "not found"},
      {"link that points at itself", 3, directory.path() + "/COM3", "not found"},
      {"link to a directory", 4, directory.path(), "failed"},
      {"link to a plain file", 5, plainFile, "failed"},
      {"link to /dev/null", 6, "/dev/null", "failed"},
      {"no entry", 7, "", "not found"},
  };
  for (const Case& c : cases) {
    if (!c.target.empty()) {
      ASSERT_TRUE(directory.Link(c.portNumber, c.target)) << c.name;
    }
  }
  ToolUnderTest& tool = StartTool();
  EXPECT_EQ(tool.ListAfterLook(), std::vector<int>{});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectRefused(c.portNumber, c.status);
  }
  struct stat info {};
  ASSERT_EQ(::stat(plainFile.c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 0) << "commands were written into a plain file";
}

}  // namespace
}  // namespace brisko
