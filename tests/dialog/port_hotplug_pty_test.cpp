// Ports that come and go while the dialog runs, on the machine's own port
// layer: pseudo-terminals linked into a private ports directory stand in for
// USB serial adapters plugged in and pulled out.
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog/control_ids.h"
#include "dialog/logger_dialog.h"
#include "protocol/platform.h"
#include "tests/support/far_end_terminal.h"
#include "tests/support/fake_surface.h"
#include "tests/support/on_the_wire.h"
#include "tests/support/wait_until.h"

namespace brisko {
namespace {

using testing::FakeSurface;
using testing::MemorySettings;
using testing::PostedNotice;

class PortHotplugTest : public ::testing::Test {
 protected:
  // One staleness tick, then the posted notices, as a front end's loop runs them.
  void Tick() {
    dialog_->OnTimer();
    Deliver();
  }
  void Deliver() {
    for (const PostedNotice& notice : surface_.TakePosted()) {
      if (notice.portLost) {
        dialog_->OnPortLostArrived(notice.run);
      } else {
        dialog_->OnSentenceArrived(notice.sentence);
      }
    }
    for (const auto& [port, openable] : surface_.TakeProbed()) dialog_->OnPortProbedArrived(port, openable);
  }
  bool DeliverUntil(const std::function<bool()>& condition) {
    return WaitUntil(condition, kGenerousWait, [this] { Deliver(); });
  }
  // The quick look runs every second tick of the staleness timer: within two
  // ticks a change has been seen, and a new port's probe is under way.
  bool SeenWithinTwoTicks(const std::function<bool()>& condition) {
    Tick();
    Tick();
    return DeliverUntil(condition);
  }
  bool Listed(const std::string& entry) {
    const std::vector<std::string> texts = surface_.ListTexts();
    return std::find(texts.begin(), texts.end(), entry) != texts.end();
  }

  PrivatePortsDirectory directory_;
  MachinePlatform machine_;
  MemorySettings settings_;
  FakeSurface surface_;
  std::unique_ptr<LoggerDialog> dialog_;
};

TEST_F(PortHotplugTest, APluggedInPortJoinsTheListAndIdentifiesThePulledOutOneLeaves) {
  FarEndTerminal early;
  FarEndTerminal logger;
  ASSERT_TRUE(early.ok() && logger.ok());
  ASSERT_TRUE(directory_.Link(5, early.slavePath()));
  dialog_ = std::make_unique<LoggerDialog>(surface_, settings_, machine_.platform());
  dialog_->OnInitDialog();
  ASSERT_TRUE(DeliverUntil([&] { return surface_.ListTexts() == std::vector<std::string>{"5"}; }));

  // The logger's adapter is plugged in after the start, numbered past 29.
  ASSERT_TRUE(directory_.Link(34, logger.slavePath()));
  ASSERT_TRUE(SeenWithinTwoTicks([&] { return Listed("34"); })) << "a new port shows in the list";
  EXPECT_EQ(surface_.ListTexts(), (std::vector<std::string>{"5", "34"}));
  surface_.listSelection = 1;
  dialog_->OnCommand(kIdPortList);
  ASSERT_EQ(surface_.Text(kIdPortStatus), "COM34 Open Ok");
  std::string identification;
  for (const std::string& command : IdentificationOnTheWire()) identification += command;
  ASSERT_EQ(FarEndTerminal::Joined(logger.Receive(identification.size())), identification);
  ASSERT_TRUE(logger.Send(Wire("$NT800,NT3434,12,28,0,0,2,1,1,0")));
  EXPECT_TRUE(DeliverUntil([&] { return surface_.Text(kIdSerialNumber) == "NT3434"; }));

  // The other adapter is pulled out: its entry leaves, the selection stays.
  ASSERT_EQ(::unlink((directory_.path() + "/COM5").c_str()), 0);
  ASSERT_TRUE(SeenWithinTwoTicks([&] { return !Listed("5"); })) << "a removed port leaves the list";
  EXPECT_EQ(surface_.ListTexts(), std::vector<std::string>{"34"});
  EXPECT_EQ(surface_.listSelection, 0);
  EXPECT_EQ(surface_.Text(kIdPortStatus), "COM34 Open Ok");

  // The open port's entry goes: reported lost at once, and the link is closed.
  ASSERT_EQ(::unlink((directory_.path() + "/COM34").c_str()), 0);
  Tick();
  Tick();
  EXPECT_EQ(surface_.Text(kIdPortStatus), "COM34 lost");
  dialog_->OnCommand(kIdSet);
  ASSERT_FALSE(surface_.boxes.empty());
  EXPECT_EQ(surface_.boxes.back().text, "First select a COM port !") << "the link is closed";
  dialog_->OnDestroy();
}

// The logger's adapter pulled out (its device node goes, the ports directory's
// link stays) and plugged in again: the port comes back by itself, while a
// burst of plugging another adapter in and out goes on, and a port plugged in
// after the burst still joins the list. Linux tells nothing: the timer's
// quick looks see it all.
TEST_F(PortHotplugTest, APulledOutPortComesBackByItselfAndABurstLosesNoArrival) {
  auto logger = std::make_unique<FarEndTerminal>();
  FarEndTerminal other;
  FarEndTerminal late;
  ASSERT_TRUE(logger->ok() && other.ok() && late.ok());
  ASSERT_TRUE(directory_.Link(3, logger->slavePath()));
  settings_.stored = "3";
  dialog_ = std::make_unique<LoggerDialog>(surface_, settings_, machine_.platform());
  dialog_->OnInitDialog();
  ASSERT_EQ(surface_.Text(kIdPortStatus), "COM3 Open Ok");
  std::string identification;
  for (const std::string& command : IdentificationOnTheWire()) identification += command;
  ASSERT_EQ(FarEndTerminal::Joined(logger->Receive(identification.size())), identification);

  // Its link goes too: the pseudo-terminal's number is soon another's, as
  // ttyUSB0 may be another adapter's once this one is out.
  const std::string com3 = directory_.path() + "/COM3";
  const std::string com6 = directory_.path() + "/COM6";
  logger.reset();
  ASSERT_EQ(::unlink(com3.c_str()), 0);
  ASSERT_TRUE(SeenWithinTwoTicks([&] { return surface_.Text(kIdPortStatus) == "COM3 lost"; }));
  // Three ticks a round: the quick looks see COM6 there and gone in turn.
  for (int round = 0; round < 20; ++round) {
    ASSERT_EQ(::symlink(other.slavePath().c_str(), com6.c_str()), 0);
    Tick();
    Tick();
    ASSERT_EQ(::unlink(com6.c_str()), 0);
    Tick();
    if (round == 10) {
      // The logger's adapter back, as a new node under the same number.
      logger = std::make_unique<FarEndTerminal>();
      ASSERT_TRUE(logger->ok());
      ASSERT_EQ(::symlink(logger->slavePath().c_str(), com3.c_str()), 0);
    }
  }
  ASSERT_TRUE(directory_.Link(7, late.slavePath()));
  EXPECT_TRUE(SeenWithinTwoTicks([&] { return Listed("7"); })) << "a port plugged in after the burst";
  // COM8 named while its device is not there yet, then there under the same
  // name before the next look: probed again, since the device changed.
  const std::string com8 = directory_.path() + "/COM8";
  ASSERT_TRUE(directory_.Link(8, directory_.path() + "/not-yet"));
  Tick();
  Tick();
  ASSERT_EQ(::unlink(com8.c_str()), 0);
  ASSERT_EQ(::symlink(other.slavePath().c_str(), com8.c_str()), 0);
  EXPECT_TRUE(SeenWithinTwoTicks([&] { return Listed("8"); })) << "a port whose device came under its name";
  EXPECT_TRUE(DeliverUntil([&] { return surface_.Text(kIdPortStatus) == "COM3 Open Ok"; }))
      << surface_.Text(kIdPortStatus);
  EXPECT_EQ(FarEndTerminal::Joined(logger->Receive(identification.size())), identification) << "identified again";
  EXPECT_FALSE(Listed("6"));
  dialog_->OnDestroy();
}

}  // namespace
}  // namespace brisko
