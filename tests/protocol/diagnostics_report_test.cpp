// The diagnostics report: what the Linux facts read from a fake /proc, /dev
// and /etc tree, the text built from its sources, and what the core keeps
// for it.
#include "protocol/diagnostics_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "link/simulated_clock.h"
#include "link/simulated_port.h"
#include "protocol/logger_core.h"
#include "tests/support/adapters.h"
#include "tests/support/fake_dialog.h"
#include "tests/support/link_test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include "protocol/linux_system_facts.h"
#endif

namespace brisko {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::FtdiAdapter;

#ifndef _WIN32

// A machine in a directory: ports/COM<n> links, dev/, proc/ and etc/.
class FakeLinuxTree : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brisko-facts-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root_ = pattern;
    for (const char* dir : {"/ports", "/dev", "/etc", "/proc", "/proc/4242", "/proc/4242/fd", "/proc/812",
                            "/proc/812/fd", "/proc/900"}) {
      ASSERT_EQ(::mkdir((root_ + dir).c_str(), 0755), 0) << dir;
    }
    Write("/dev/ttyUSB0", "");
    struct stat info {};
    ASSERT_EQ(::stat((root_ + "/dev/ttyUSB0").c_str(), &info), 0);
    deviceGid_ = std::to_string(info.st_gid);
    Link("/ports/COM3", root_ + "/dev/ttyUSB0");
    Link("/ports/COM5", root_ + "/dev/ttyACM0");  // the adapter is gone
    Link("/proc/self", "4242");
    Link("/proc/4242/fd/7", root_ + "/dev/ttyUSB0");
    Write("/proc/4242/comm", "brisko\n");
    Write("/proc/812/comm", "ModemManager\n");
    Link("/proc/812/fd/3", root_ + "/dev/ttyUSB0");
    Write("/proc/900/comm", "sshd\n");  // another user's: no fd directory to read
    Write("/etc/passwd", "root:x:0:0::/root:/bin/sh\nanna:x:1000:1000::/home/anna:/bin/sh\n");
    // The adapter behind ttyUSB0, as sysfs and udev show it.
    for (const char* dir : {"/sys", "/sys/class", "/sys/class/tty", "/sys/class/tty/ttyUSB0", "/sys/devices",
                            "/sys/devices/1-2", "/sys/devices/1-2/1-2:1.0", "/by-id"}) {
      ASSERT_EQ(::mkdir((root_ + dir).c_str(), 0755), 0) << dir;
    }
    Link("/sys/class/tty/ttyUSB0/device", root_ + "/sys/devices/1-2/1-2:1.0");
    Write("/sys/devices/1-2/idVendor", "0403\n");
    Write("/sys/devices/1-2/idProduct", "6001\n");
    Write("/sys/devices/1-2/product", "FT232R USB UART\n");
    Write("/sys/devices/1-2/serial", "A50285BI\n");
    Link("/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", root_ + "/dev/ttyUSB0");
    ::setenv("BRISKO_PORTS_DIR", (root_ + "/ports").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("BRISKO_PORTS_DIR");
    (void)std::system(("rm -rf " + root_).c_str());
  }

  void Write(const std::string& path, const std::string& text) { std::ofstream(root_ + path) << text; }
  void Link(const std::string& path, const std::string& target) {
    ASSERT_EQ(::symlink(target.c_str(), (root_ + path).c_str()), 0) << path;
  }
  std::unique_ptr<SystemFacts> Facts() {
    return MakeLinuxSystemFacts(
        {root_ + "/proc", root_ + "/etc/group", root_ + "/etc/passwd", root_ + "/sys", root_ + "/by-id"});
  }

  std::string root_;
  std::string deviceGid_;
};

TEST_F(FakeLinuxTree, ThePortsDeviceItsGroupAndWhoHoldsIt) {
  struct Case {
    const char* name;
    std::string groupLine;    // the device group's line in /etc/group
    std::string groupsOfSession;  // "Groups:" of /proc/self/status
    const char* access;
  };
  const std::vector<Case> cases = {
      {"in the group now", "dialout:x:" + deviceGid_ + ":anna", deviceGid_ + " 27", "this user is in it"},
      {"added, not logged in again", "dialout:x:" + deviceGid_ + ":bob,anna", "27",
       "this user was added to it after logging in: log out and in again"},
      {"not in the group", "dialout:x:" + deviceGid_ + ":bob", "27",
       "this user is not in it (sudo usermod -aG dialout anna, then log out and in again)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write("/etc/group", "other:x:" + std::to_string(std::stoul(deviceGid_) + 1) + ":anna\n" + c.groupLine + "\n");
    Write("/proc/self/status", "Name:\tbrisko\nUid:\t1000\t1000\t1000\t1000\nGid:\t1000\t1000\t1000\t1000\nGroups:\t" +
                                   c.groupsOfSession + "\n");
    const PortFacts facts = Facts()->ForPort(3);
    EXPECT_EQ(facts.entry, root_ + "/ports/COM3");
    EXPECT_EQ(facts.device, root_ + "/dev/ttyUSB0");
    EXPECT_EQ(facts.group, "dialout");
    EXPECT_EQ(facts.groupAccess, c.access);
    EXPECT_THAT(facts.heldBy, HasSubstr("pid 4242 (brisko, this program)"));
    EXPECT_THAT(facts.heldBy, HasSubstr("pid 812 (ModemManager)"));
    EXPECT_EQ(DescribeAdapter(facts.adapter), "FT232R USB UART, 0403:6001, serial A50285BI");
    EXPECT_EQ(facts.adapter.byIdPath, root_ + "/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
  }
  EXPECT_EQ(Facts()->ForPort(5).device, "does not exist");
  EXPECT_THAT(Facts()->GrabbingServices(), ElementsAre("ModemManager: running (pid 812)", "brltty: not running"));
}

TEST_F(FakeLinuxTree, AFreeDeviceNamesOtherUsersProcessesItCouldNotRead) {
  ASSERT_EQ(::unlink((root_ + "/proc/4242/fd/7").c_str()), 0);
  ASSERT_EQ(::unlink((root_ + "/proc/812/fd/3").c_str()), 0);
  EXPECT_EQ(Facts()->ForPort(3).heldBy, "no process of this user; 1 processes of other users are not readable");
}

#endif

TEST(DiagnosticsReport, SaysWhatEachSourceGaveAndLeavesOutWhatIsNotKnown) {
  DiagnosticsInput input;
  input.program = "brisko 1.8";
  input.build = "64-bit";
  input.system = "Linux 6.1.0 x86_64";
  input.codePage = "UTF-8";
  input.listedPorts = {1, 3};
  input.ports[1] = PortFacts{"/home/anna/.config/brisko/ports/COM1", "/dev/ttyS0", "dialout",
                             "this user is in it", "", {}};
  input.ports[3] = PortFacts{"/home/anna/.config/brisko/ports/COM3", "/dev/ttyUSB0", "dialout",
                             "this user is in it", "pid 4242 (brisko, this program)", FtdiAdapter()};
  input.ports[7] = PortFacts{"/home/anna/.config/brisko/ports/COM7", "does not exist", "", "", "", {}};
  input.openPort = "COM3 Open Ok";
  input.failures = {{1, "Device or resource busy"}, {7, "No such file or directory"}};
  input.services = {"ModemManager: not running", "brltty: not running"};
  input.tracePath = "/tmp/t.trace";
  input.traceTail = {"       0 COM3 open /dev/ttyUSB0", "     101 COM3 -> $NT900,4,51,0*0F\\x0D\\x0A"};
  EXPECT_EQ(BuildDiagnosticsReport(input),
            "Brisko diagnostics\n"
            "program: brisko 1.8 (64-bit)\n"
            "system: Linux 6.1.0 x86_64\n"
            "code page: UTF-8\n"
            "open port: COM3 Open Ok\n"
            "listed ports:\n"
            "  COM1\n"
            "    entry: /home/anna/.config/brisko/ports/COM1\n"
            "    device: /dev/ttyS0\n"
            "    group: dialout, this user is in it\n"
            "    last error: Device or resource busy\n"
            "  COM3\n"
            "    entry: /home/anna/.config/brisko/ports/COM3\n"
            "    device: /dev/ttyUSB0\n"
            "    adapter: FT232R USB UART, 0403:6001, serial A50285BI\n"
            "    by-id: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\n"
            "    manufacturer: FTDI\n"
            "    driver: ftdi_sio\n"
            "    group: dialout, this user is in it\n"
            "    open by: pid 4242 (brisko, this program)\n"
            "failed ports, not listed:\n"
            "  COM7\n"
            "    entry: /home/anna/.config/brisko/ports/COM7\n"
            "    device: does not exist\n"
            "    last error: No such file or directory\n"
            "programs that take serial adapters:\n"
            "  ModemManager: not running\n"
            "  brltty: not running\n"
            "trace: /tmp/t.trace, its last 2 lines:\n"
            "         0 COM3 open /dev/ttyUSB0\n"
            "       101 COM3 -> $NT900,4,51,0*0F\\x0D\\x0A\n");
}

TEST(DiagnosticsReport, AWindowsAdapterGivesItsSetupApiNamesAndDriver) {
  DiagnosticsInput input;
  input.listedPorts = {4};
  AdapterInfo adapter;
  adapter.identity = "USB\\VID_10C4&PID_EA60\\0001";
  adapter.name = "Silicon Labs CP210x USB to UART Bridge (COM4)";
  adapter.manufacturer = "Silicon Labs";
  adapter.vendorId = "10c4";
  adapter.productId = "ea60";
  adapter.serial = "0001";
  adapter.hardwareId = "USB\\VID_10C4&PID_EA60&REV_0100";
  adapter.driver = "silabser";
  adapter.driverProvider = "Silicon Laboratories Inc.";
  adapter.driverVersion = "10.1.10.0";
  input.ports[4] = PortFacts{"//./COM4", "", "", "", "", adapter};
  EXPECT_THAT(BuildDiagnosticsReport(input),
              HasSubstr("  COM4\n"
                        "    entry: //./COM4\n"
                        "    adapter: Silicon Labs CP210x USB to UART Bridge (COM4), 10c4:ea60, serial 0001\n"
                        "    manufacturer: Silicon Labs\n"
                        "    hardware id: USB\\VID_10C4&PID_EA60&REV_0100\n"
                        "    device instance: USB\\VID_10C4&PID_EA60\\0001\n"
                        "    driver: silabser, Silicon Laboratories Inc., 10.1.10.0\n"));
}

// What the core keeps for the report: each port's last failure for the whole
// run, the open port's status and a running trace's last lines.
TEST(DiagnosticsReport, TheCoreKeepsEveryPortsLastFailureAndTheTracesEnd) {
  class NoFacts : public SystemFacts {
   public:
    PortFacts ForPort(int) override { return {}; }
    std::vector<std::string> GrabbingServices() override { return {}; }
  } facts;
  SimulatedClock clock(5000, std::chrono::microseconds(50));
  SimulatedPortSystem ports;
  ports.AddDevice(3, clock);
  ports.Refuse(4, PortErrorKind::Busy, "Device or resource busy");
  testing::FakeDialog dialog;
  RecordingPoster poster;
  LoggerCore core(dialog, poster, Platform{ports, clock, dialog.wallClock()});
  const std::string tracePath = ::testing::TempDir() + "report.trace";
  std::string error;
  ASSERT_TRUE(core.StartTrace(tracePath, error)) << error;
  core.OpenPort(4);
  core.OpenPort(3);
  const auto tailHasOpen = [&](const std::vector<std::string>& tail) {
    return std::any_of(tail.begin(), tail.end(), [](const std::string& l) { return l.find("COM3 open") != l.npos; });
  };
  ASSERT_TRUE(WaitUntil([&] { return tailHasOpen(core.trace().Tail()); }));

  const DiagnosticsInput input = GatherDiagnostics(core, {3}, facts);
  EXPECT_EQ(input.openPort, "COM3 Open Ok");
  EXPECT_EQ(input.failures, (std::map<int, std::string>{{4, "Device or resource busy"}}));
  EXPECT_EQ(input.tracePath, tracePath);
  EXPECT_TRUE(tailHasOpen(input.traceTail));
  EXPECT_THAT(input.traceTail, ::testing::Contains(HasSubstr("COM4 open failed: ")));
  core.ClosePort();
  core.StopTrace();
  EXPECT_EQ(GatherDiagnostics(core, {3}, facts).tracePath, "");
}

}  // namespace
}  // namespace brisko
