// Nothing the user asked to send is lost when the program ends, or the port
// is changed, right after the asking: a Set (and a deletion) queued behind the
// identification of a port that has only just opened, then at once the exit
// drain or a change of port. The far end, a pseudo-terminal read directly,
// must receive every command in order, byte for byte with its checksum tail,
// each more than 100 ms after the one before.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "link/link_clock.h"
#include "tests/e2e/tool_harness.h"
#include "tests/fault/fault_injecting_ports.h"
#include "tests/fault/port_trace.h"
#include "tests/support/far_end_terminal.h"
#include "tests/support/on_the_wire.h"
#include "tests/support/logger_bytes.h"

namespace brisko {
namespace {

using Chunks = std::vector<FarEndTerminal::Chunk>;

// What the logger must receive, checksum tails worked out by hand.
const std::vector<std::string> kIdentificationWire = IdentificationOnTheWire();
// The record below: a Latin-1 letter, a comma inside a text, an empty glider
// id, fix rate 10 s.
const std::vector<std::string> kFirstFamilyWire = {
    "$NT969,2*32\r\n",        "$NT968,Jos\xE9 Neri*AE\r\n", "$NT967,Club,Open*2E\r\n",
    "$NT966,JN*0B\r\n",       "$NT965,Discus 2b*47\r\n",   "$NT964,*0D\r\n",
    "$NT902,10*0C\r\n",       "$NT990,1*37\r\n",           "$NT969,3*33\r\n",
};
const std::vector<std::string> kSecondFamilyWire = {
    "$NT806,4,2*22\r\n",      "$NT805,1,Jos\xE9 Neri*B9\r\n", "$NT805,2,Club,Open*35\r\n",
    "$NT805,3,JN*10\r\n",     "$NT805,4,Discus 2b*58\r\n",   "$NT805,5,*12\r\n",
    "$NT802,3,10*12\r\n",     "$NT802,99*0C\r\n",            "$NT806,4,3*23\r\n",
};

enum class Ending { ExitDrain, PortChange };

struct LostCase {
  const char* name;
  const char* identity;  // the logger's reply that sets its family
  std::vector<std::string> setWire;
  const char* deletionWire;  // also queued when the program ends
  Ending ending;
};

void PrintTo(const LostCase& c, std::ostream* out) { *out << c.name; }

const LostCase kCases[] = {
    {"first family, program ends", "$NT0,SN-L,12,27,0,0,0,0,0,0,1,0,0,2", kFirstFamilyWire, "$NT978,0*30\r\n",
     Ending::ExitDrain},
    {"second family, program ends", "$NT800,SN-L,12,28,0,0,2,1,1,0", kSecondFamilyWire, "$NT803,2*3F\r\n",
     Ending::ExitDrain},
    {"first family, port changed", "$NT0,SN-L,12,27,0,0,0,0,0,0,1,0,0,2", kFirstFamilyWire, "", Ending::PortChange},
    {"second family, port changed", "$NT800,SN-L,12,28,0,0,2,1,1,0", kSecondFamilyWire, "", Ending::PortChange},
};

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const auto& line : lines) all += line;
  return all;
}

class NothingLostTest : public ::testing::TestWithParam<LostCase> {
 protected:
  NothingLostTest()
      : systemClock_(MakeSystemClock()),
        clock_(*systemClock_, trace_),
        platformPorts_(MakePlatformPortSystem()),
        ports_(*platformPorts_, trace_) {}

  PortTrace trace_;
  std::unique_ptr<LinkClock> systemClock_;
  TracingClock clock_;
  std::unique_ptr<PortSystem> platformPorts_;
  FaultInjectingPorts ports_;
};

TEST_P(NothingLostTest, EveryCommandArrivesInOrderByteForByteAndPaced) {
  const LostCase& c = GetParam();
  PrivatePortsDirectory directory;
  FarEndTerminal logger;
  FarEndTerminal nextLogger;
  ASSERT_TRUE(logger.ok() && nextLogger.ok());
  ASSERT_TRUE(directory.Link(3, logger.slavePath()));
  ASSERT_TRUE(directory.Link(4, nextLogger.slavePath()));

  std::vector<std::string> expected = kIdentificationWire;
  expected.insert(expected.end(), c.setWire.begin(), c.setWire.end());
  if (c.ending == Ending::ExitDrain) expected.push_back(c.deletionWire);
  const std::string expectedBytes = Joined(expected);
  // Written on the port's side once the tool has ended: what arrives before
  // it is everything the tool wrote.
  const std::string marker = "#end#";
  auto received =
      std::async(std::launch::async, [&] { return logger.Receive(expectedBytes.size() + marker.size()); });
  const std::string nextIdentification = Joined(kIdentificationWire);
  auto receivedNext = std::async(std::launch::async, [&] {
    return c.ending == Ending::PortChange ? nextLogger.Receive(nextIdentification.size()) : Chunks{};
  });

  {
    ToolUnderTest tool(ports_, clock_);
    LoggerCore& core = tool.core();
    core.OpenPort(3);
    ASSERT_EQ(tool.record().portStatus, "COM3 Open Ok");
    // The logger's identity reply, sent again until it has been read (the
    // worker's start purges what arrived before it), then the user's edits.
    const std::string reply = Wire(c.identity);
    ASSERT_TRUE(tool.PumpUntil([&] { return tool.record().serialNumber == "SN-L"_logger|| (logger.Send(reply), false); },
                               std::chrono::seconds(15)));
    DeviceRecord& r = tool.record();
    r.pilotName = "Jos\xE9 Neri"_logger;
    r.competitionClass = "Club,Open"_logger;
    r.competitionId = "JN"_logger;
    r.gliderType = "Discus 2b"_logger;
    r.gliderId = ""_logger;
    r.fixRateIndex = 9;
    core.OnSet();
    if (c.ending == Ending::ExitDrain) {
      core.OnDeleteAllFlights();  // confirmed
      core.ExitDrain();
      EXPECT_FALSE(core.IsPortOpen());
    } else {
      r.portNumber = "4";  // the entry chosen in the port list
      core.OnPortSelChange();
      EXPECT_EQ(r.portStatus, "COM4 Open Ok");
    }
  }  // the tool ends: the port it has open is closed

  ASSERT_TRUE(logger.WriteFromPortSide(marker));
  const Chunks chunks = received.get();
  EXPECT_EQ(FarEndTerminal::Joined(chunks), expectedBytes + marker) << "all that was asked, and nothing more";
  if (c.ending == Ending::PortChange) {
    EXPECT_EQ(FarEndTerminal::Joined(receivedNext.get()), nextIdentification);
  }

  // The pacing, where the tool last has a hand on it: each write more than
  // 100 ms of the link's clock after the one before.
  const std::vector<TracedWrite> writes = trace_.Writes();
  ASSERT_EQ(writes.size(), expected.size() + (c.ending == Ending::PortChange ? 3 : 0));
  EXPECT_TRUE(writes.front().ok);
  for (std::size_t i = 1; i < writes.size(); ++i) {
    EXPECT_TRUE(writes[i].ok);
    EXPECT_GT(writes[i].tick - writes[i - 1].tick, 100u) << writes[i].bytes;
  }
}

INSTANTIATE_TEST_SUITE_P(Endings, NothingLostTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<LostCase>& param) {
                           std::string name;
                           for (const char* p = param.param.name; *p != '\0'; ++p) {
                             if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z')) name.push_back(*p);
                           }
                           return name;
                         });

}  // namespace
}  // namespace brisko
