// The POSIX port layer on real pseudo-terminals.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "link/port_names.h"
#include "link/link_clock.h"
#include "link/serial_link.h"
#include "link/serial_port.h"
#include "tests/support/far_end_terminal.h"
#include "tests/support/link_test_support.h"
#include "tests/support/on_the_wire.h"

namespace brisko {
namespace {

class PosixPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(terminal_.ok());
    ASSERT_TRUE(ports_.Link(3, terminal_.slavePath()));
  }

  std::unique_ptr<SerialPort> OpenOrFail(int portNumber = 3) {
    PortOpenError error;
    auto port = system_->Open(portNumber, error);
    EXPECT_NE(port, nullptr) << error.devicePath << ": " << error.systemMessage;
    return port;
  }

  std::string ReadAvailable(SerialPort& port, std::size_t count) {
    std::string got;
    WaitUntil([&] {
      unsigned char buffer[64];
      std::size_t read = 0;
      while (got.size() < count && port.ReadSome(buffer, sizeof buffer, read) == ReadOutcome::Bytes) {
        got.append(reinterpret_cast<const char*>(buffer), read);
      }
      return got.size() >= count;
    });
    return got;
  }

  FarEndTerminal terminal_;
  PrivatePortsDirectory ports_;
  std::unique_ptr<PortSystem> system_ = MakePlatformPortSystem();
};

TEST_F(PosixPortTest, OpenSetsFullRaw57600EightNOneWithImmediateReads) {
  auto port = OpenOrFail();
  ASSERT_NE(port, nullptr);
  termios tio{};
  // On Linux the master answers with the settings of its slave.
  ASSERT_EQ(::tcgetattr(terminal_.master(), &tio), 0);
  EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B57600));
  EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B57600));
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  EXPECT_EQ(tio.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
  EXPECT_EQ(tio.c_cc[VMIN], 0);
  EXPECT_EQ(tio.c_cc[VTIME], 0);
}

TEST_F(PosixPortTest, BytesCrossUntranslatedInBothDirections) {
  auto port = OpenOrFail();
  ASSERT_NE(port, nullptr);
  // CR, LF, XON, XOFF, ^C and DEL would all be acted on by a cooked terminal.
  const std::string incoming = "$NT0,1*00\r\n\r\x11\x13\x03\x7f\n";
  ASSERT_TRUE(terminal_.Send(incoming));
  EXPECT_EQ(ReadAvailable(*port, incoming.size()), incoming);

  const std::string outgoing = "$NT800,1*3F\r\na\nb\r";
  ASSERT_TRUE(port->Write(outgoing));
  EXPECT_EQ(FarEndTerminal::Joined(terminal_.Receive(outgoing.size())), outgoing);
}

// The read never blocks; the wait lasts its whole time only while nothing
// arrives and nobody wakes it, and ends as soon as a byte has.
TEST_F(PosixPortTest, ReadReturnsAtOnceAndTheWaitEndsWithTheFirstByteOrAWake) {
  auto port = OpenOrFail();
  ASSERT_NE(port, nullptr);
  unsigned char buffer[16];
  std::size_t count = 99;
  EXPECT_EQ(port->ReadSome(buffer, sizeof buffer, count), ReadOutcome::Nothing);
  EXPECT_EQ(count, 0u);

  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(port->WaitReadable(30));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(29));

  // A wake asked for ends the next wait at once, with nothing to read, and
  // is used up by it.
  ASSERT_TRUE(port->Wakes());
  port->Wake();
  start = std::chrono::steady_clock::now();
  EXPECT_FALSE(port->WaitReadable(60000));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << "the wake was not seen";
  start = std::chrono::steady_clock::now();
  EXPECT_FALSE(port->WaitReadable(30));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(29));

  ASSERT_TRUE(terminal_.Send("$"));
  start = std::chrono::steady_clock::now();
  EXPECT_TRUE(port->WaitReadable(60000));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << "the wait ran its whole time";
  EXPECT_EQ(port->ReadSome(buffer, sizeof buffer, count), ReadOutcome::Bytes);
  EXPECT_EQ(count, 1u);
}

// The worker sleeps on a pseudo-terminal for its whole idle wait while the
// logger is silent: a command queued meanwhile must wake it.
TEST_F(PosixPortTest, ACommandQueuedWhileTheLoggerIsSilentLeavesAtOnce) {
  static_assert(kIdleWaitMs >= 60000, "the receive bound below must end well before the idle wait");
  auto clock = MakeSystemClock();
  RecordingPoster poster;
  SerialLink link(*system_, *clock, poster);
  PortOpenError error;
  ASSERT_TRUE(link.Open(3, error)) << error.systemMessage;
  for (const char* command : {"$NT800,1", "$NT987,1"}) {  // the second while the worker waits
    link.QueueCommands({command});
    EXPECT_EQ(FarEndTerminal::Joined(terminal_.Receive(Wire(command).size())), Wire(command)) << "the worker slept on";
  }
}

TEST_F(PosixPortTest, PortIsExclusiveUntilClosed) {
  auto first = OpenOrFail();
  ASSERT_NE(first, nullptr);
  PortOpenError error;
  EXPECT_EQ(system_->Open(3, error), nullptr);
  EXPECT_EQ(error.kind, PortErrorKind::Busy);
  EXPECT_EQ(error.devicePath, ports_.path() + "/COM3");

  first.reset();
  EXPECT_NE(OpenOrFail(), nullptr) << "closing must release the lock and the exclusive flag";
}

// Listing the ports must not reconfigure a device that is never chosen: a GPS
// mouse at 9600 baud in canonical mode stays exactly so.
TEST_F(PosixPortTest, ProbeLeavesTheDeviceSettingsAsTheyWere) {
  termios before{};
  ASSERT_EQ(::tcgetattr(terminal_.master(), &before), 0);
  ::cfsetispeed(&before, B9600);
  ::cfsetospeed(&before, B9600);
  before.c_lflag |= ICANON | ECHO;
  ASSERT_EQ(::tcsetattr(terminal_.master(), TCSANOW, &before), 0);
  ASSERT_EQ(::tcgetattr(terminal_.master(), &before), 0);

  EXPECT_TRUE(system_->Probe(3));

  termios after{};
  ASSERT_EQ(::tcgetattr(terminal_.master(), &after), 0);
  EXPECT_EQ(::cfgetispeed(&after), static_cast<speed_t>(B9600));
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(after.c_cc), NCCS),
            std::string(reinterpret_cast<const char*>(before.c_cc), NCCS));
  EXPECT_NE(OpenOrFail(), nullptr) << "the probe leaves no lock and no exclusive flag behind";
}

TEST_F(PosixPortTest, ProbeLeavesOutWhatCannotBeOpened) {
  ASSERT_TRUE(ports_.Link(5, ports_.path() + "/unplugged-adapter"));
  ASSERT_TRUE(ports_.Link(7, ports_.File("plain-file")));
  auto held = OpenOrFail();
  ASSERT_NE(held, nullptr);
  EXPECT_FALSE(system_->Probe(3)) << "held by this or another program";
  EXPECT_FALSE(system_->Probe(4)) << "no entry";
  EXPECT_FALSE(system_->Probe(5)) << "dangling entry";
  EXPECT_FALSE(system_->Probe(7)) << "not a terminal";
  held.reset();
  EXPECT_TRUE(system_->Probe(3));
}

// The quick look names the entries of the ports directory, dangling ones
// too, by their exact "COM<n>" names up to 255, and opens none of them.
TEST_F(PosixPortTest, PresentPortsAreTheDirectoryEntriesByName) {
  ASSERT_TRUE(ports_.Link(5, ports_.path() + "/unplugged-adapter"));
  ASSERT_TRUE(ports_.Link(255, terminal_.slavePath()));
  ASSERT_TRUE(ports_.Link(256, terminal_.slavePath()));
  ports_.File("COM07");
  ports_.File("com9");
  ports_.File("COM12x");
  auto held = OpenOrFail();
  const PortPresence presence = system_->PresentPorts();
  EXPECT_EQ(presence.numbers, (std::vector<int>{3, 5, 255}));
  EXPECT_TRUE(presence.complete);
  EXPECT_NE(held, nullptr) << "the open port is still named";
}

// The names a system gives its COM ports, as the port list reads them.
TEST(PortNames, NumberOfName) {
  const std::pair<const char*, int> cases[] = {
      {"COM1", 1},   {"COM34", 34}, {"com34", 34}, {"Com255", 255}, {"COM256", 0}, {"COM0", 0},
      {"COM03", 0},  {"COM", 0},    {"COM3x", 0},  {"LPT1", 0},     {"COM-3", 0},  {"COM1000", 0},
  };
  for (const auto& [name, number] : cases) EXPECT_EQ(PortNumberOfName(name), number) << name;
  // Windows gives them in wide characters: only ASCII may spell one, even
  // where a character's low byte is a digit or a letter.
  const std::pair<std::wstring_view, int> wide[] = {
      {L"COM34", 34}, {L"com5", 5}, {L"COM\x0133", 0}, {L"COM3\x0130", 0}, {L"\x0143OM3", 0},
  };
  for (const auto& [name, number] : wide) EXPECT_EQ(PortNumberOfWideName(name), number) << name.size();
}

// Without BRISKO_PORTS_DIR, an entry of the user's ports directory names its
// port, and the built-in table maps every number it does not name.
TEST(PortNames, UsersDirectoryThenTheBuiltInTable) {
  std::vector<std::pair<std::string, std::string>> saved;
  for (const char* name : {"BRISKO_PORTS_DIR", "XDG_CONFIG_HOME"}) {
    const char* value = ::getenv(name);
    saved.emplace_back(name, value != nullptr ? value : "\n");  // "\n": unset
  }
  char config[] = "/tmp/brisko-config-XXXXXX";
  ASSERT_NE(::mkdtemp(config), nullptr);
  const std::string ports = std::string(config) + "/brisko/ports";
  std::filesystem::create_directories(ports);
  std::filesystem::create_symlink("/dev/ttyUSB3", ports + "/COM2");
  ::unsetenv("BRISKO_PORTS_DIR");
  ::setenv("XDG_CONFIG_HOME", config, 1);

  const std::pair<int, std::string> cases[] = {
      {1, "/dev/ttyS0"},     {2, ports + "/COM2"}, {8, "/dev/ttyS7"},   {9, "/dev/ttyUSB0"}, {16, "/dev/ttyUSB7"},
      {17, "/dev/ttyACM0"}, {24, "/dev/ttyACM7"},  {25, "/dev/rfcomm0"}, {29, "/dev/rfcomm4"}, {30, ""},
  };
  for (const auto& [number, path] : cases) EXPECT_EQ(DevicePathForPort(number), path) << number;

  std::filesystem::remove_all(config);
  for (const auto& [name, value] : saved) {
    if (value == "\n") {
      ::unsetenv(name.c_str());
    } else {
      ::setenv(name.c_str(), value.c_str(), 1);
    }
  }
}

TEST_F(PosixPortTest, PortsThatLeadNowhereAreNotFound) {
  ASSERT_TRUE(ports_.Link(5, ports_.path() + "/unplugged-adapter"));
  struct Case {
    int portNumber;
    std::string devicePath;
  };
  const Case cases[] = {
      {5, ports_.path() + "/COM5"},  // dangling entry
      {4, ""},                       // no entry, and the private directory hides the built-in table
      {0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.portNumber);
    PortOpenError error;
    EXPECT_EQ(system_->Open(c.portNumber, error), nullptr);
    EXPECT_EQ(error.kind, PortErrorKind::NotFound);
    EXPECT_EQ(error.devicePath, c.devicePath);
    EXPECT_FALSE(error.systemMessage.empty());
  }
}

// Root opens anything, so as root the open is tried by a child process that
// has given up its privileges.
TEST_F(PosixPortTest, DeviceWithoutAccessReportsPermissionDeniedAndItsGroup) {
  const std::string device = ports_.File("locked-device");
  ASSERT_TRUE(ports_.Link(6, device));
  const bool asRoot = ::geteuid() == 0;
  if (asRoot) {
    const group* dialout = ::getgrnam("dialout");
    ASSERT_EQ(::chown(device.c_str(), 0, dialout != nullptr ? dialout->gr_gid : 0), 0);
    ASSERT_EQ(::chmod(ports_.path().c_str(), 0755), 0);
  } else {
    ASSERT_EQ(::chmod(device.c_str(), 0), 0);
  }
  struct stat info {};
  ASSERT_EQ(::stat(device.c_str(), &info), 0);
  const group* owner = ::getgrgid(info.st_gid);
  ASSERT_NE(owner, nullptr);
  const std::string expectedGroup = owner->gr_name;

  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = asRoot ? ::fork() : 0;
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (asRoot && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    PortOpenError error;
    const bool opened = system_->Open(6, error) != nullptr;
    const std::string report = std::to_string(static_cast<int>(error.kind)) + " " + error.deviceGroup;
    if (::write(channel[1], report.data(), report.size()) < 0 || opened) {
      if (asRoot) ::_exit(1);
    }
    if (asRoot) ::_exit(0);
  }
  ::close(channel[1]);
  if (asRoot) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "the child could not drop privileges, or the open succeeded";
  }
  char buffer[256];
  const ssize_t got = ::read(channel[0], buffer, sizeof buffer);
  ::close(channel[0]);
  ASSERT_GT(got, 0);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(got)),
            std::to_string(static_cast<int>(PortErrorKind::PermissionDenied)) + " " + expectedGroup);
}

}  // namespace
}  // namespace brisko
