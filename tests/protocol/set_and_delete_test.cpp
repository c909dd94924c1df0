// The "&Set" and "&Delete all flights" decisions: what is shown, what runs and
// what is queued, for each state of port, family, firmware and answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/sentence_framing.h"
#include "link/sentence_slots.h"
#include "protocol/commands.h"
#include "protocol/logger_protocol.h"
#include "tests/protocol/fake_callouts.h"
#include "tests/support/logger_bytes.h"

namespace brisko {
namespace {

using testing::FakeDialog;
using testing::FakePort;
using testing::MessageBoxCall;
using Sequences = std::vector<std::vector<std::string>>;

using Family = LoggerFamily;

// Brings the protocol into a family the way a logger does: by its reply.
void Identify(LoggerProtocol& protocol, Family family) {
  if (family == Family::First) protocol.DispatchSentence("$NT0,1");
  if (family == Family::Second) protocol.DispatchSentence("$NT800,1");
}

const MessageBoxCall kNoPortOnSet{"First select a COM port !", "Set", MessageBoxKind::Warning};
const MessageBoxCall kNoPortOnDelete{"First select a COM port !", "Delete all flights", MessageBoxKind::Warning};
const MessageBoxCall kConfirm{"Proceed with flight deletion ?", "Delete all flights", MessageBoxKind::Question};

void FillSettings(DeviceRecord& record) {
  record.pilotName = "Smith, John"_logger;  // a comma goes out unchanged
  record.competitionClass = "Club"_logger;
  record.competitionId = "XY"_logger;
  record.gliderType = "LS4"_logger;
  record.gliderId = ""_logger;
  record.fixRateIndex = -1;
  record.recordMode = 3;  // never sent
}

const Sequences kFirstFamilySet = {{"$NT969,2", "$NT968,Smith, John", "$NT967,Club", "$NT966,XY", "$NT965,LS4",
                                    "$NT964,", "$NT902,0", "$NT990,1", "$NT969,3"}};
const Sequences kSecondFamilySet = {{"$NT806,4,2", "$NT805,1,Smith, John", "$NT805,2,Club", "$NT805,3,XY",
                                     "$NT805,4,LS4", "$NT805,5,", "$NT802,3,0", "$NT802,99", "$NT806,4,3"}};

TEST(OnSet, Decisions) {
  struct Case {
    const char* name;
    bool portOpen;
    Family family;
    std::vector<MessageBoxCall> messages;
    Sequences queued;
  };
  const Case cases[] = {
      {"ClosedPortWithFamily", false, Family::Second, {kNoPortOnSet}, {}},
      {"ClosedPortNoFamily", false, Family::Unknown, {kNoPortOnSet}, {}},
      {"NoFamilyYet", true, Family::Unknown, {}, {}},
      {"FirstFamily", true, Family::First, {}, kFirstFamilySet},
      {"SecondFamily", true, Family::Second, {}, kSecondFamilySet},
  };
  for (const Case& c : cases) {
    FakeDialog dialog;
    FakePort port;
    port.open = c.portOpen;
    LoggerProtocol protocol(dialog, port, dialog.wallClock());
    Identify(protocol, c.family);
    FillSettings(protocol.record());
    const auto before = testing::Snapshot(protocol);

    protocol.OnSet();
    EXPECT_EQ(dialog.messages, c.messages) << c.name;
    EXPECT_EQ(port.queued, c.queued) << c.name;
    EXPECT_EQ(dialog.deleteDialogRuns, 0) << c.name;
    EXPECT_EQ(testing::Snapshot(protocol), before) << c.name << ": Set changes nothing in the record";
  }
}

TEST(SetSequences, FixRateAndBytesGoOutUnchanged) {
  struct Case {
    std::int32_t fixRateIndex;
    std::string pilotName;
    std::string firstFamilyFixRate;
    std::string secondFamilyFixRate;
  };
  const Case cases[] = {
      {0, "A", "$NT902,1", "$NT802,3,1"},
      {9, "A", "$NT902,10", "$NT802,3,10"},
      {-1, "", "$NT902,0", "$NT802,3,0"},
      {2147483647, "M\xFCller", "$NT902,2147483648", "$NT802,3,2147483648"},  // no overflow
      {-2147483647 - 1, "\x80\xFF", "$NT902,-2147483647", "$NT802,3,-2147483647"},
  };
  for (const Case& c : cases) {
    DeviceRecord record;
    record.fixRateIndex = c.fixRateIndex;
    record.pilotName = LoggerText(c.pilotName);
    const auto first = SetSequence(LoggerFamily::First, record);
    const auto second = SetSequence(LoggerFamily::Second, record);
    ASSERT_EQ(first.size(), 9u);
    ASSERT_EQ(second.size(), 9u);
    EXPECT_EQ(first[6], c.firstFamilyFixRate);
    EXPECT_EQ(second[6], c.secondFamilyFixRate);
    EXPECT_EQ(first[1], "$NT968," + c.pilotName);
    EXPECT_EQ(second[1], "$NT805,1," + c.pilotName);
  }
}

TEST(Identification, QueuedInOrder) {
  EXPECT_EQ(IdentificationSequence(), (std::vector<std::string>{"$NT900,4,51,0", "$NT987,1", "$NT800,1"}));
}

TEST(OnDeleteAllFlights, Decisions) {
  struct Case {
    const char* name;
    bool portOpen;
    Family family;
    std::string firmwareRev;
    MessageBoxAnswer answer;
    std::vector<MessageBoxCall> messages;
    Sequences queued;
    int deleteDialogRuns;
    bool portLostDuringBox = false;  // the device goes while the question is up
  };
  const Case cases[] = {
      {"ClosedPort", false, Family::Second, "3.0", MessageBoxAnswer::Yes, {kNoPortOnDelete}, {}, 0},
      {"ClosedPortNoFamily", false, Family::Unknown, "", MessageBoxAnswer::Yes, {kNoPortOnDelete}, {}, 0},
      {"SecondFamilyYes", true, Family::Second, "", MessageBoxAnswer::Yes, {kConfirm}, {{"$NT803,2"}}, 0},
      {"SecondFamilyNo", true, Family::Second, "", MessageBoxAnswer::No, {kConfirm}, {}, 0},
      {"SecondFamilyIgnoresFirmware", true, Family::Second, "2.8", MessageBoxAnswer::Yes, {kConfirm}, {{"$NT803,2"}}, 0},
      {"Firmware28RunsDialog", true, Family::First, "2.8", MessageBoxAnswer::Yes, {}, {}, 1},
      {"Firmware30RunsDialog", true, Family::First, "3.0", MessageBoxAnswer::Yes, {}, {}, 1},
      {"Firmware10RunsDialog", true, Family::First, "10.0", MessageBoxAnswer::Yes, {}, {}, 1},
      {"NoFamilyFirmware28", true, Family::Unknown, "2.8", MessageBoxAnswer::Yes, {}, {}, 1},
      {"Firmware27Yes", true, Family::First, "2.7", MessageBoxAnswer::Yes, {kConfirm}, {{"$NT978,0"}}, 0},
      {"Firmware27No", true, Family::First, "2.7", MessageBoxAnswer::No, {kConfirm}, {}, 0},
      {"Firmware27Ok", true, Family::First, "2.7", MessageBoxAnswer::Ok, {kConfirm}, {}, 0},  // only Yes counts
      {"FirmwareBlankYes", true, Family::First, "", MessageBoxAnswer::Yes, {kConfirm}, {{"$NT978,0"}}, 0},
      {"NoFamilyBlankYes", true, Family::Unknown, "", MessageBoxAnswer::Yes, {kConfirm}, {{"$NT978,0"}}, 0},
      {"FirmwareJustBelow", true, Family::First, "2.7999", MessageBoxAnswer::Yes, {kConfirm}, {{"$NT978,0"}}, 0},
      {"FirmwareWithComma", true, Family::First, "2,8", MessageBoxAnswer::Yes, {kConfirm}, {{"$NT978,0"}}, 0},
      {"FirmwareAsExponent", true, Family::First, "28e-1", MessageBoxAnswer::Yes, {}, {}, 1},
      {"SecondFamilyYesAfterLoss", true, Family::Second, "", MessageBoxAnswer::Yes, {kConfirm, kNoPortOnDelete}, {},
       0, true},
      {"Firmware27YesAfterLoss", true, Family::First, "2.7", MessageBoxAnswer::Yes, {kConfirm, kNoPortOnDelete}, {},
       0, true},
      {"Firmware27NoAfterLoss", true, Family::First, "2.7", MessageBoxAnswer::No, {kConfirm}, {}, 0, true},
  };
  for (const Case& c : cases) {
    FakeDialog dialog;
    dialog.answer = c.answer;
    FakePort port;
    port.open = c.portOpen;
    if (c.portLostDuringBox) dialog.onMessageBox = [&port] { port.open = false; };
    LoggerProtocol protocol(dialog, port, dialog.wallClock());
    Identify(protocol, c.family);
    protocol.record().firmwareRev = c.firmwareRev;
    const auto before = testing::Snapshot(protocol);

    protocol.OnDeleteAllFlights();
    EXPECT_EQ(dialog.messages, c.messages) << c.name;
    EXPECT_EQ(port.queued, c.queued) << c.name;
    EXPECT_EQ(dialog.deleteDialogRuns, c.deleteDialogRuns) << c.name;
    EXPECT_EQ(testing::Snapshot(protocol), before) << c.name;
  }
}

// A sequence that the full ring refuses is neither half-sent nor dropped in
// silence: the user is told to try again.
TEST(FullRing, RefusedSetOrDeletionIsToldToTheUser) {
  const MessageBoxCall busy{"The logger is still busy with earlier commands.\nPlease try again in a moment.",
                            "brisko", MessageBoxKind::Warning};
  struct Case {
    const char* name;
    Family family;
    std::string firmwareRev;
    bool deletion;
    MessageBoxAnswer answer;
    std::vector<MessageBoxCall> messages;
  };
  const auto yes = MessageBoxAnswer::Yes;
  const Case cases[] = {
      {"SetFirstFamily", Family::First, "", false, yes, {busy}},
      {"SetSecondFamily", Family::Second, "", false, yes, {busy}},
      {"DeleteSecondFamily", Family::Second, "", true, yes, {kConfirm, busy}},
      {"DeleteOldFirmware", Family::First, "2.7", true, yes, {kConfirm, busy}},
      {"SetNoFamilyQueuesNothing", Family::Unknown, "", false, yes, {}},
      {"DeletionDeclined", Family::Second, "", true, MessageBoxAnswer::No, {kConfirm}},
  };
  for (const Case& c : cases) {
    FakeDialog dialog;
    dialog.answer = c.answer;
    FakePort port;
    port.full = true;
    LoggerProtocol protocol(dialog, port, dialog.wallClock());
    Identify(protocol, c.family);
    protocol.record().firmwareRev = c.firmwareRev;

    if (c.deletion) {
      protocol.OnDeleteAllFlights();
    } else {
      protocol.OnSet();
    }
    EXPECT_EQ(dialog.messages, c.messages) << c.name;
    EXPECT_TRUE(port.queued.empty()) << c.name;
  }
}

// A name the logger reports goes back to it byte for byte: reply in, Set out,
// framed and checked on the logger's side.
TEST(ByteTransparency, NameFromTheLoggerGoesBackUnchanged) {
  FakeDialog dialog;
  FakePort port;
  LoggerProtocol protocol(dialog, port, dialog.wallClock());
  const std::string name = "J\xF6rg \x80\xFE~";
  protocol.DispatchSentence("$NT800,1");
  protocol.DispatchSentence("$NT805,1," + name);
  protocol.OnSet();
  ASSERT_EQ(port.queued.size(), 1u);
  std::string line = port.queued[0][1];
  AppendChecksum(line);

  SentenceSlots slots;
  SentenceFramer framer(slots);
  FrameResult result{FrameOutcome::Continue, -1};
  for (const char c : line) result = framer.AcceptByte(static_cast<unsigned char>(c));
  ASSERT_EQ(result.outcome, FrameOutcome::SentenceReady);
  EXPECT_EQ(slots.Text(result.slot), "$NT805,1," + name);
}

}  // namespace
}  // namespace brisko
