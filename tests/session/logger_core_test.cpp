// Opening, closing and changing ports through the core, against simulated
// ports and clock, with the link's real worker thread.
#include "protocol/logger_core.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "link/simulated_clock.h"
#include "link/simulated_port.h"
#include "protocol/port_list.h"
#include "tests/protocol/fake_callouts.h"
#include "tests/support/link_test_support.h"
#include "tests/support/on_the_wire.h"
#include "tests/support/port_look.h"
#include "tests/support/logger_bytes.h"

namespace brisko {
namespace {

std::vector<std::string> Texts(const std::vector<SimulatedWrite>& writes) {
  std::vector<std::string> texts;
  for (const auto& write : writes) texts.push_back(write.bytes);
  return texts;
}

class LoggerCoreTest : public ::testing::Test {
 protected:
  LoggerCoreTest()
      : clock_(100000, std::chrono::microseconds(50)),
        core_(dialog_, poster_, Platform{ports_, clock_, dialog_.wallClock()}) {
    dialog_.now = 5000;
  }

  SimulatedDevice& AddDevice(int portNumber) { return ports_.AddDevice(portNumber, clock_); }

  // Opens and waits until the worker has begun (it purges the port first, so
  // bytes fed earlier would be lost).
  void OpenAndWaitForWorker(int portNumber) {
    SimulatedDevice* device = ports_.Device(portNumber);
    ASSERT_NE(device, nullptr);
    const int purgesBefore = device->purgeCount();
    core_.OpenPort(portNumber);
    ASSERT_TRUE(core_.IsPortOpen()) << core_.portStatusDetail();
    ASSERT_TRUE(WaitUntil([&] { return device->purgeCount() > purgesBefore; }));
  }

  void ExpectStampedAt(std::int64_t stamp) { EXPECT_TRUE(testing::StampedAt(core_, dialog_, stamp)); }

  testing::FakeDialog dialog_;
  RecordingPoster poster_;
  SimulatedClock clock_;
  SimulatedPortSystem ports_;
  LoggerCore core_;
};

TEST_F(LoggerCoreTest, OpenPortStartsTheLinkQueuesTheIdentificationAndShowsOpenOk) {
  SimulatedDevice& device = AddDevice(3);
  testing::FillWithOldValues(core_.record());
  core_.OpenPort(3);

  EXPECT_TRUE(core_.IsPortOpen());
  EXPECT_EQ(core_.record().portStatus, "COM3 Open Ok");
  EXPECT_TRUE(core_.portStatusDetail().empty());
  EXPECT_EQ(dialog_.portControlChanges, std::vector<bool>{true});
  // The logger-derived fields are blanked and shown; the rest stays.
  EXPECT_EQ(core_.record().serialNumber, ""_logger);
  EXPECT_EQ(core_.record().fixRateIndex, -1);
  EXPECT_EQ(core_.record().temperature, "1.1");
  EXPECT_EQ(core_.record().portNumber, "3");
  EXPECT_GE(dialog_.refreshes, 1);
  ExpectStampedAt(5000);

  core_.ClosePort();
  EXPECT_FALSE(core_.IsPortOpen());
  EXPECT_FALSE(device.isOpen());
  EXPECT_EQ(Texts(device.Writes()), IdentificationOnTheWire());
  // Closing leaves what the dialog shows as it was.
  EXPECT_EQ(core_.record().portStatus, "COM3 Open Ok");
  EXPECT_EQ(dialog_.portControlChanges, std::vector<bool>{true});
}

TEST_F(LoggerCoreTest, FailedOpenSaysWhyInAFewWordsAndKeepsTheWholeReasonForTheTooltip) {
  struct Case {
    const char* name;
    int portNumber;
    std::string status;
    std::vector<std::string> detailMentions;
  };
  AddDevice(3);
  SimulatedDevice& held = AddDevice(4);
  PortOpenError ignored;
  auto otherProgram = ports_.Open(4, ignored);  // another program holds COM4
  ports_.Refuse(7, PortErrorKind::PermissionDenied, "Permission denied", "dialout");
  ports_.Refuse(9, PortErrorKind::Other, "Input/output error");
  const Case cases[] = {
      {"no such port", 8, "COM8 not found", {"COM8", "No such device", "plugged in"}},
      {"held by another program", 4, "COM4 busy", {"sim:COM4", "Another program"}},
      {"no permission", 7, "COM7 no access", {"Permission denied", "\"dialout\"", "log out and in again"}},
      {"anything else", 9, "COM9 failed", {"Input/output error"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    core_.OpenPort(3);  // a working port first: the failure must undo its enabling
    ASSERT_TRUE(core_.IsPortOpen());
    core_.ClosePort();
    testing::FillWithOldValues(core_.record());
    dialog_.portControlChanges.clear();
    dialog_.now += 10;

    core_.OpenPort(c.portNumber);

    EXPECT_FALSE(core_.IsPortOpen());
    EXPECT_EQ(core_.record().portStatus, c.status);
    // Short enough for a status field about 60 dialog units wide.
    EXPECT_LE(core_.record().portStatus.size(), 16u);
    for (const std::string& mention : c.detailMentions) {
      EXPECT_NE(core_.portStatusDetail().find(mention), std::string::npos)
          << mention << " not in: " << core_.portStatusDetail();
    }
    EXPECT_EQ(dialog_.portControlChanges, std::vector<bool>{false});
    EXPECT_EQ(core_.record().serialNumber, ""_logger);
    EXPECT_EQ(core_.record().inputVoltage, "3.3");
    ExpectStampedAt(dialog_.now);
  }
  EXPECT_TRUE(held.isOpen());  // still the other program's
}

TEST_F(LoggerCoreTest, ChoosingAnotherPortClosesTheOldOneAfterItsCommandsAndOpensTheChoice) {
  struct Case {
    const char* name;
    bool readBackSucceeds;
    std::string chosenText;
    int openedPort;
    std::string status;
  };
  const Case cases[] = {
      {"a listed port", true, "4", 4, "COM4 Open Ok"},
      {"number read by its leading digits", true, " 4 (USB)", 4, "COM4 Open Ok"},
      {"a port that has gone", true, "12", 12, "COM12 not found"},
      {"read-back stopped by a length limit: the old port again", false, "4", 3, "COM3 Open Ok"},
  };
  SimulatedDevice& first = AddDevice(3);
  SimulatedDevice& second = AddDevice(4);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    core_.record().portNumber = "3";
    // Counted before the open: the worker may send all three at once.
    const std::size_t firstWritesBefore = first.Writes().size();
    core_.OpenPort(3);
    const int firstOpensBefore = first.openCount();
    const std::size_t secondWritesBefore = second.Writes().size();
    dialog_.readBack = [&] {
      if (c.readBackSucceeds) core_.record().portNumber = c.chosenText;
      return c.readBackSucceeds;
    };

    core_.OnPortSelChange();

    EXPECT_EQ(core_.record().portStatus, c.status);
    // The old port's identification went out in full before it closed.
    EXPECT_EQ(first.Writes().size(), firstWritesBefore + 3);
    EXPECT_EQ(first.isOpen(), c.openedPort == 3);
    EXPECT_EQ(first.openCount(), firstOpensBefore + (c.openedPort == 3 ? 1 : 0));
    EXPECT_EQ(second.isOpen(), c.openedPort == 4);
    core_.ClosePort();
    EXPECT_EQ(second.Writes().size(), secondWritesBefore + (c.openedPort == 4 ? 3 : 0));
  }
}

TEST_F(LoggerCoreTest, EnumerationListsPortsOneTo255ThatOpenAndLeavesNoneOpen) {
  SimulatedDevice& com1 = AddDevice(1);
  AddDevice(2);
  SimulatedDevice& com3 = AddDevice(3);
  SimulatedDevice& com29 = AddDevice(29);
  SimulatedDevice& com34 = AddDevice(34);
  SimulatedDevice& com256 = AddDevice(256);
  PortOpenError ignored;
  auto otherProgram = ports_.Open(2, ignored);
  ports_.Refuse(5, PortErrorKind::PermissionDenied, "Permission denied");

  EXPECT_EQ(ListAfterLook(core_, ports_, poster_), (std::vector<int>{1, 3, 29, 34}));
  for (SimulatedDevice* device : {&com1, &com3, &com29, &com34}) {
    EXPECT_FALSE(device->isOpen());
    EXPECT_EQ(device->openCount(), 1);
  }
  EXPECT_EQ(com256.openCount(), 0);
  EXPECT_FALSE(core_.IsPortOpen());
}

// A probe opens the device a second time: a look never probes the held port,
// even before it is listed.
TEST_F(LoggerCoreTest, ALookNeverProbesTheHeldPortListedOrNot) {
  AddDevice(3);
  AddDevice(5);
  PortOpenError ignored;
  const auto held = ports_.Open(3, ignored);
  ASSERT_NE(held, nullptr);
  RecordingPoster poster;
  PortList list(ports_, dialog_, poster);
  list.Look(true, 3, 0);
  // One probing thread takes the numbers in ascending order: 3 would go first.
  EXPECT_TRUE(WaitUntil([&] {
    for (const auto& [number, openable] : poster.TakeProbed()) list.OnProbed(number, openable);
    return list.listed() == std::vector<int>{5};
  }));
  EXPECT_EQ(ports_.ProbeCount(3), 0);
}

TEST_F(LoggerCoreTest, ExitDrainSendsEverythingQueuedThenCloses) {
  SimulatedDevice& device = AddDevice(3);
  core_.OpenPort(3);
  ASSERT_TRUE(core_.QueueCommands({"$NT1", "$NT2"}));
  core_.ExitDrain();
  EXPECT_FALSE(core_.IsPortOpen());
  EXPECT_FALSE(device.isOpen());
  std::vector<std::string> expected = IdentificationOnTheWire();
  expected.push_back(Wire("$NT1"));
  expected.push_back(Wire("$NT2"));
  EXPECT_EQ(Texts(device.Writes()), expected);
}

// The dispatcher has fallen behind: by the time it handles a post, the worker
// may have gone round the ring and begun to refill that post's slot.
TEST_F(LoggerCoreTest, PostWhoseSlotWasRefilledIsDroppedInsteadOfDispatched) {
  struct Case {
    int laterLines;
    std::string gpsFixLineAfterTheOldPost;  // empty: dropped, nothing dispatched
  };
  const Case cases[] = {{29, "first"}, {30, ""}};
  SimulatedDevice& device = AddDevice(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.laterLines);
    poster_.Clear();
    OpenAndWaitForWorker(3);
    device.Feed(Wire("$GPGGA,first"));
    for (int line = 0; line < c.laterLines; ++line) device.Feed(Wire("$GPGGA,later" + std::to_string(line)));
    const std::size_t expectedPosts = static_cast<std::size_t>(c.laterLines) + 1;
    ASSERT_TRUE(WaitUntil([&] { return poster_.count() == expectedPosts; }));
    const auto posted = poster_.posted();
    ASSERT_EQ(posted.front(), (Posted{0, 0}));

    const long refreshesBefore = dialog_.refreshes;
    core_.OnSentence(posted.front().run, posted.front().sequenceNumber, posted.front().slot);
    EXPECT_EQ(core_.record().gpsFixLine.bytes(), c.gpsFixLineAfterTheOldPost);
    EXPECT_EQ(dialog_.refreshes - refreshesBefore, c.gpsFixLineAfterTheOldPost.empty() ? 0 : 1);

    // The newest post is always good.
    dialog_.now += 10;
    core_.OnSentence(posted.back().run, posted.back().sequenceNumber, posted.back().slot);
    EXPECT_EQ(core_.record().gpsFixLine.bytes(), "later" + std::to_string(c.laterLines - 1));
    ExpectStampedAt(dialog_.now);
    core_.ClosePort();
  }
}

// A post made before the port was changed and handled after it names a slot
// that the new run may have refilled under the same number: it must not be
// dispatched (twice, or torn), only the new run's own post.
TEST_F(LoggerCoreTest, PostFromAnEndedRunNeverReadsTheNextRunsSlot) {
  SimulatedDevice& device = AddDevice(3);
  OpenAndWaitForWorker(3);
  device.Feed(Wire("$GPGGA,old"));
  ASSERT_TRUE(WaitUntil([&] { return poster_.count() == 1; }));
  const Posted old = poster_.posted().front();
  core_.ClosePort();

  poster_.Clear();
  OpenAndWaitForWorker(3);
  device.Feed(Wire("$GPGGA,new"));
  ASSERT_TRUE(WaitUntil([&] { return poster_.count() == 1; }));
  const Posted fresh = poster_.posted().front();
  ASSERT_EQ(fresh, old) << "the new run refilled the same slot under the same number";
  ASSERT_NE(fresh.run, old.run);

  const long refreshesBefore = dialog_.refreshes;
  core_.OnSentence(old.run, old.sequenceNumber, old.slot);
  EXPECT_EQ(core_.record().gpsFixLine, ""_logger) << "the old post read the new run's sentence";
  EXPECT_EQ(dialog_.refreshes, refreshesBefore);
  core_.OnSentence(fresh.run, fresh.sequenceNumber, fresh.slot);
  EXPECT_EQ(core_.record().gpsFixLine, "new"_logger);

  // After a close, a late post of the closed run is dropped too.
  core_.ClosePort();
  core_.record().gpsFixLine = "closed"_logger;
  const long refreshesAfterClose = dialog_.refreshes;
  core_.OnSentence(fresh.run, fresh.sequenceNumber, fresh.slot);
  EXPECT_EQ(core_.record().gpsFixLine, "closed"_logger);
  EXPECT_EQ(dialog_.refreshes, refreshesAfterClose);
}

// The adapter is pulled out while open: the worker stops by itself, the port
// is closed and the user sees "COM3 lost" with the reason, and the controls
// go off as after a failed open. Plugged in again, choosing it reopens.
TEST_F(LoggerCoreTest, UnpluggedDeviceStopsTheWorkerAndTheStatusSaysLost) {
  SimulatedDevice& device = AddDevice(3);
  OpenAndWaitForWorker(3);
  ASSERT_TRUE(WaitUntil([&] { return device.Writes().size() == 3; }));
  ASSERT_TRUE(core_.QueueCommands({"$NT1", "$NT2"}));
  device.Unplug(true);
  ASSERT_TRUE(WaitUntil([&] { return poster_.lostRuns().size() == 1; })) << "the worker must stop on its own";
  EXPECT_TRUE(core_.IsPortOpen()) << "closing is the user-interface thread's job";
  EXPECT_EQ(core_.record().portStatus, "COM3 Open Ok");

  core_.OnPortLost(poster_.lostRuns().front());
  EXPECT_FALSE(core_.IsPortOpen());
  EXPECT_FALSE(device.isOpen());
  EXPECT_EQ(core_.record().portStatus, "COM3 lost");
  EXPECT_EQ(core_.portStatusDetail().rfind("COM3: No such device.", 0), 0u) << core_.portStatusDetail();
  EXPECT_EQ(dialog_.portControlChanges, (std::vector<bool>{true, false}));
  core_.OnSet();
  ASSERT_FALSE(dialog_.messages.empty());
  EXPECT_EQ(dialog_.messages.back().text, "First select a COM port !");

  // A second notice of the same run changes nothing.
  core_.OnPortLost(poster_.lostRuns().front());
  EXPECT_EQ(dialog_.portControlChanges.size(), 2u);

  device.Unplug(false);
  core_.record().portNumber = "3";
  core_.OnPortSelChange();
  EXPECT_EQ(core_.record().portStatus, "COM3 Open Ok");
  EXPECT_TRUE(core_.portStatusDetail().empty());
  EXPECT_EQ(dialog_.portControlChanges.back(), true);
  core_.ClosePort();
}

// A notice of a run whose port the user has changed meanwhile must not close
// the new port; the exit drain ends although the lost worker left commands.
TEST_F(LoggerCoreTest, LostNoticeOfAnEndedRunIsIgnoredAndDrainsDoNotWaitForAStoppedWorker) {
  SimulatedDevice& com3 = AddDevice(3);
  SimulatedDevice& com4 = AddDevice(4);
  OpenAndWaitForWorker(3);
  com3.Unplug(true);
  ASSERT_TRUE(WaitUntil([&] { return poster_.lostRuns().size() == 1; }));
  ASSERT_TRUE(core_.QueueCommands({"$NT1"})) << "queued after the worker stopped";
  core_.record().portNumber = "4";
  core_.OnPortSelChange();  // must not wait for ever on the command left in the ring
  ASSERT_TRUE(core_.IsPortOpen());

  core_.OnPortLost(poster_.lostRuns().front());
  EXPECT_TRUE(core_.IsPortOpen());
  EXPECT_EQ(core_.record().portStatus, "COM4 Open Ok");

  com4.Unplug(true);
  ASSERT_TRUE(WaitUntil([&] { return poster_.lostRuns().size() == 2; }));
  ASSERT_TRUE(core_.QueueCommands({"$NT2"}));
  core_.ExitDrain();
  EXPECT_FALSE(core_.IsPortOpen());
}

}  // namespace
}  // namespace brisko
