// The tool's side of the end-to-end run of the Windows build under Wine: the
// real LoggerCore, without its window, on the Windows port layer and clock,
// against brisko-sim on a pseudo-terminal that the Wine prefix maps to a COM
// port. wine_e2e_test.cpp, on Linux, starts the simulator, links the port,
// runs these tests and then reads what reached the simulator. It says what to
// expect through the environment: BRISKO_WINE_PORT and BRISKO_WINE_FAMILY
// (the simulator's COM number and command family), BRISKO_WINE_ABSENT_PORT
// (a COM number with nothing behind it).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>

#include "link/link_clock.h"
#include "link/sentence_framing.h"
#include "link/serial_port.h"
#include "tests/e2e/sim_logger.h"
#include "tests/e2e/tool_harness.h"
#include "tests/fault/fault_injecting_ports.h"
#include "tests/fault/port_trace.h"

namespace brisko {
namespace {

using ::testing::Contains;
using ::testing::Not;

constexpr std::chrono::milliseconds kDeadline{10000};

int EnvNumber(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::atoi(value) : -1;
}

TEST(WineToolTest, IdentifiesTheLoggerSetsDeletesAndLeavesThroughTheExitDrain) {
  const int port = EnvNumber("BRISKO_WINE_PORT");
  ASSERT_GT(port, 0) << "BRISKO_WINE_PORT is not set";
  SimLogger logger;
  logger.family = EnvNumber("BRISKO_WINE_FAMILY");
  ASSERT_TRUE(logger.family == 0 || logger.family == 800) << "BRISKO_WINE_FAMILY is not set";

  // The platform's ports and clock, with every write traced on its way.
  const auto platformPorts = MakePlatformPortSystem();
  const auto platformClock = MakeSystemClock();
  PortTrace trace;
  FaultInjectingPorts ports(*platformPorts, trace);
  TracingClock clock(*platformClock, trace);
  ToolUnderTest tool(ports, clock);
  EXPECT_THAT(tool.ListAfterLook(), Contains(port));
  tool.core().OpenPort(port);
  ASSERT_EQ(tool.record().portStatus, "COM" + std::to_string(port) + " Open Ok") << tool.core().portStatusDetail();
  ASSERT_TRUE(tool.PumpUntil([&] { return Filled(tool.record(), logger); }, kDeadline))
      << "serial \"" << tool.record().serialNumber.bytes() << "\"";
  const DeviceRecord& r = tool.record();
  EXPECT_EQ(r.hardwareRev, logger.hardwareShown());
  EXPECT_EQ(r.firmwareRev, logger.firmwareShown());
  EXPECT_EQ(r.sealStatus, logger.sealShown());
  EXPECT_EQ(r.fixRateIndex, logger.fixRateSeconds - 1);
  EXPECT_EQ(Texts(r), logger.texts);

  ApplyEdits(tool.record());
  tool.core().OnSet();
  // Blanked here, so what shows afterwards came back from the logger.
  for (LoggerText* text : {&tool.record().pilotName, &tool.record().competitionClass,
                           &tool.record().competitionId, &tool.record().gliderType, &tool.record().gliderId}) {
    *text = LoggerText();
  }
  ASSERT_TRUE(tool.PumpUntil([&] { return ShowsTheEdits(tool.record()); }, kDeadline))
      << ::testing::PrintToString(Texts(tool.record()));

  // The deletion is still queued when the program ends: the exit drain must
  // let it out before the port closes.
  tool.core().OnDeleteAllFlights();
  ASSERT_EQ(tool.dialog().messages.size(), 1u);
  tool.core().ExitDrain();
  EXPECT_FALSE(tool.core().IsPortOpen());

  // Every command went out whole in one WriteFile, which succeeded, and more
  // than 100 ms after the one before. The clock here is not the link's, and
  // counts whole milliseconds, so a gap of 100 may have been up to 101.
  std::vector<std::string> onTheWire = IdentifySetAndDeleteCommands(logger.family);
  for (std::string& command : onTheWire) AppendChecksum(command);
  const std::vector<TracedWrite> writes = trace.Writes();
  std::vector<std::string> written;
  for (const TracedWrite& write : writes) {
    written.push_back(write.bytes);
    EXPECT_TRUE(write.ok) << write.bytes;
  }
  EXPECT_EQ(written, onTheWire);
  std::string gaps;
  for (std::size_t k = 1; k < writes.size(); ++k) {
    const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(writes[k].startedAt - writes[k - 1].startedAt);
    EXPECT_GE(gap.count(), 100) << "before " << writes[k].bytes;
    gaps += " " + std::to_string(gap.count());
  }
  std::cout << "gaps between WriteFile calls (ms):" << gaps << "\n";
}

TEST(WineToolTest, AComNumberWithoutADeviceIsNotFound) {
  const int absent = EnvNumber("BRISKO_WINE_ABSENT_PORT");
  ASSERT_GT(absent, 0) << "BRISKO_WINE_ABSENT_PORT is not set";
  const std::string name = "COM" + std::to_string(absent);
  ToolUnderTest tool;
  EXPECT_THAT(tool.ListAfterLook(), Not(Contains(absent)));
  tool.core().OpenPort(absent);
  EXPECT_FALSE(tool.core().IsPortOpen());
  EXPECT_EQ(tool.record().portStatus, name + " not found");
  EXPECT_EQ(tool.core().portStatusDetail().rfind(name + " (//./" + name + "): ", 0), 0u)
      << tool.core().portStatusDetail();
  EXPECT_FALSE(tool.dialog().portControlsEnabled);
}

}  // namespace
}  // namespace brisko
