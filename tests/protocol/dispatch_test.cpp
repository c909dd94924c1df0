// Dispatch of checked sentences into the record: fields, headers, the time
// stamp and refresh, the copy out of the slots, and the staleness rule.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "link/sentence_framing.h"
#include "link/sentence_slots.h"
#include "link/sentence_text.h"
#include "protocol/logger_protocol.h"
#include "tests/protocol/fake_callouts.h"
#include "tests/support/logger_bytes.h"

namespace brisko {
namespace {

using testing::FakeDialog;
using testing::FakePort;
using testing::Snapshot;
using testing::StampedAt;

TEST(NextField, TakesFieldsOffTheFront) {
  struct Case {
    std::string workLine;
    std::vector<std::string> fields;  // then one more call gives "" and false
  };
  const Case cases[] = {
      {"a,,b", {"a", "", "b"}},
      {"", {}},
      {",", {""}},
      {"abc", {"abc"}},
      {"a,b,", {"a", "b"}},
      {" a , b", {" a ", " b"}},  // no trimming
      {std::string("a\0b,c", 5), {std::string("a\0b", 3), "c"}},
      {"\xE9t\xE9,\xFF", {"\xE9t\xE9", "\xFF"}},
  };
  for (const Case& c : cases) {
    FieldReader reader(c.workLine);
    // Takes the next field into `field`; true when it is not empty.
    const auto NextField = [&reader](std::string& field) {
      field = reader.Take();
      return !field.empty();
    };
    std::string field = "stale";
    for (const std::string& expected : c.fields) {
      EXPECT_EQ(NextField(field), !expected.empty()) << c.workLine;
      EXPECT_EQ(field, expected) << c.workLine;
    }
    EXPECT_FALSE(NextField(field)) << c.workLine;
    EXPECT_EQ(field, "") << c.workLine;
    EXPECT_EQ(reader.Rest(), "") << c.workLine;
  }
}

TEST(NextField, LeavesTheRestAfterTheComma) {
  FieldReader reader("$GPGGA,1,2");
  reader.Take();
  EXPECT_EQ(reader.Rest(), "1,2");
}

// Every header is dispatched with the same fields; the record it leaves must
// equal the one that the expected reply number leaves (or the untouched record
// when nothing should be dispatched). The fields make each handler leave a
// different mark.
constexpr char kProbeFields[] = ",1,2,3,4,5,6,7,8,9,1,11,12,13";
constexpr int kNothing = -1;

struct HeaderCase {
  std::string header;
  int dispatchedAs;
};

class DispatchRules : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(DispatchRules, HeaderSelectsTheHandler) {
  const HeaderCase& c = GetParam();
  FakeDialog dialog;
  FakePort port;
  LoggerProtocol actual(dialog, port, dialog.wallClock());
  actual.DispatchSentence(c.header + kProbeFields);

  FakeDialog referenceDialog;
  LoggerProtocol reference(referenceDialog, port, referenceDialog.wallClock());
  if (c.dispatchedAs != kNothing) {
    reference.DispatchSentence("$NT" + std::to_string(c.dispatchedAs) + kProbeFields);
  }
  EXPECT_EQ(Snapshot(actual), Snapshot(reference));
  EXPECT_EQ(dialog.shows, referenceDialog.shows);
  EXPECT_EQ(dialog.refreshes, 1);
  EXPECT_TRUE(StampedAt(actual, dialog, dialog.now));
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DispatchRules,
    ::testing::Values(HeaderCase{"$NT0", 0}, HeaderCase{"$NT3", 3}, HeaderCase{"$NT6", 6},
                      HeaderCase{"$NT7", 7}, HeaderCase{"$NT800", 800}, HeaderCase{"$NT801", 801},
                      HeaderCase{"$NT805", 805},
                      HeaderCase{"$NT", 0},          // no digits: number 0
                      HeaderCase{"$NTX", 0},         // a letter: number 0
                      HeaderCase{"$NT0800", 800},    // leading zeros
                      HeaderCase{"$NT 800", 800},    // leading white space
                      HeaderCase{"$NT+6", 6},
                      HeaderCase{"$NT-0", 0},
                      HeaderCase{"$NT800X", 800},    // digits up to the first other character
                      HeaderCase{"$NT1", kNothing}, HeaderCase{"$NT2", kNothing},
                      HeaderCase{"$NT4", kNothing}, HeaderCase{"$NT5", kNothing},
                      HeaderCase{"$NT802", kNothing}, HeaderCase{"$NT-6", kNothing},
                      HeaderCase{"$NT4294967296", kNothing},  // must not wrap to 0
                      HeaderCase{"$NT4294968096", kNothing},  // must not wrap to 800
                      HeaderCase{"$nt800", kNothing},         // case-sensitive
                      HeaderCase{"$Nt0", kNothing}, HeaderCase{"NT800", kNothing},
                      HeaderCase{" $NT800", kNothing}, HeaderCase{"$GPRMC", kNothing},
                      HeaderCase{"$gpgga", kNothing}, HeaderCase{"", kNothing}));

TEST(Dispatch, PositionSentences) {
  struct Case {
    std::string sentence;
    std::string gpsFixLine;
  };
  const Case cases[] = {
      {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
       "123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"},
      {"$GPGGA", ""},
      {"$GPGGA,", ""},
      {"$GPRMC,123519,A,4807.038,N", "old-fix"},
      {"$GPGGAX,1,2", "old-fix"},
      {"$GPGGA,1," + std::string(300, 'x'), "1," + std::string(256 - 9, 'x')},  // 256-byte cap
      {std::string("$GPGGA,ab\0cd", 12), "ab"},                                     // stops at a NUL
  };
  for (const Case& c : cases) {
    FakeDialog dialog;
    FakePort port;
    LoggerProtocol protocol(dialog, port, dialog.wallClock());
    protocol.record().gpsFixLine = "old-fix"_logger;
    protocol.DispatchSentence(c.sentence);
    EXPECT_EQ(protocol.record().gpsFixLine.bytes(), c.gpsFixLine) << c.sentence.substr(0, 20);
    EXPECT_EQ(dialog.refreshes, 1);
    EXPECT_TRUE(StampedAt(protocol, dialog, dialog.now));
  }
}

TEST(Dispatch, WithoutCommaHandlersReadEmptyFields) {
  FakeDialog dialog;
  FakePort port;
  LoggerProtocol protocol(dialog, port, dialog.wallClock());
  protocol.record().pilotName = "old"_logger;
  protocol.record().competitionClass = "old"_logger;
  protocol.DispatchSentence("$NT6");
  EXPECT_EQ(protocol.record().pilotName, ""_logger);
  EXPECT_EQ(protocol.record().competitionClass, ""_logger);
}

// 2038 and after: the stamp keeps the full 64-bit time.
TEST(Dispatch, StampsTimesBeyond32Bits) {
  FakeDialog dialog;
  FakePort port;
  LoggerProtocol protocol(dialog, port, dialog.wallClock());
  dialog.now = std::int64_t{1} << 33;
  protocol.DispatchSentence("$NT3");
  EXPECT_TRUE(StampedAt(protocol, dialog, std::int64_t{1} << 33));
}

class SlotDispatch : public ::testing::Test {
 protected:
  // Frames one line into the next slot and publishes it as the worker does.
  int Receive(const std::string& body) {
    std::string line = body;
    AppendChecksum(line);
    for (const char c : line) {
      const FrameResult result = framer.AcceptByte(static_cast<unsigned char>(c));
      if (result.outcome == FrameOutcome::SentenceReady) {
        slots.Publish(result.slot, sequence);
        return result.slot;
      }
    }
    ADD_FAILURE() << "not framed: " << body;
    return -1;
  }

  SentenceSlots slots;
  SentenceFramer framer{slots};
  std::uint32_t sequence = 0;
  FakeDialog dialog;
  FakePort port;
  LoggerProtocol protocol{dialog, port, dialog.wallClock()};
};

TEST_F(SlotDispatch, PostedSentenceIsDispatched) {
  const int slot = Receive("$NT6,ANNA,CLUB");
  protocol.OnSentence(slots, sequence, slot);
  EXPECT_EQ(protocol.record().pilotName, "ANNA"_logger);
  EXPECT_EQ(dialog.refreshes, 1);
  EXPECT_TRUE(StampedAt(protocol, dialog, dialog.now));
}

TEST_F(SlotDispatch, RefilledSlotIsDroppedUnseen) {
  const int slot = Receive("$NT6,ANNA,CLUB");
  const std::uint32_t posted = sequence;
  for (int line = 1; line < kSlotCount; ++line) {
    ++sequence;
    Receive("$NT6,BERT,CLUB");
  }
  framer.AcceptByte('$');  // the worker starts refilling the first slot
  protocol.OnSentence(slots, posted, slot);
  EXPECT_EQ(protocol.record().pilotName, ""_logger);
  EXPECT_EQ(dialog.refreshes, 0);
  EXPECT_TRUE(StampedAt(protocol, dialog, 0));
}

class Staleness : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::FillWithOldValues(protocol.record());
    dialog.now = kStamp;
    protocol.DispatchSentence("$NT3");
    dialog.refreshes = 0;
  }
  void TickAt(std::int64_t now) {
    dialog.now = now;
    protocol.OnTimer();
  }
  bool Blanked() const { return protocol.record().serialNumber.empty(); }

  // Past 2038, so a 32-bit stamp would have wrapped.
  static constexpr std::int64_t kStamp = (std::int64_t{1} << 31) + 100;
  FakeDialog dialog;
  FakePort port;
  LoggerProtocol protocol{dialog, port, dialog.wallClock()};
};

TEST_F(Staleness, OneSecondIsNotStale) {
  TickAt(kStamp);
  TickAt(kStamp + 1);
  EXPECT_FALSE(Blanked());
  EXPECT_EQ(dialog.refreshes, 0);
  TickAt(kStamp + 2);
  EXPECT_TRUE(Blanked()) << "the stamp stays until it is stale";
}

TEST_F(Staleness, TwoSecondsBlankOnce) {
  TickAt(kStamp + 2);
  EXPECT_TRUE(Blanked());
  EXPECT_EQ(dialog.refreshes, 1);
  protocol.record().serialNumber = "new"_logger;
  TickAt(kStamp + 3);
  TickAt(kStamp + 100);
  EXPECT_EQ(protocol.record().serialNumber, "new"_logger) << "the rule fires once per stamp";
  EXPECT_EQ(dialog.refreshes, 1);
}

TEST_F(Staleness, ClockSetBackwardsBlanksNothingUntilItPassesTheStamp) {
  TickAt(kStamp - 3600);
  TickAt(kStamp + 1);
  EXPECT_FALSE(Blanked());
  TickAt(kStamp + 2);
  EXPECT_TRUE(Blanked());
}

TEST_F(Staleness, ExtremeClocksDoNotOverflow) {
  protocol.setLastSentenceTime(std::numeric_limits<std::int64_t>::min());
  TickAt(std::numeric_limits<std::int64_t>::max());
  EXPECT_TRUE(Blanked());
  protocol.record().serialNumber = "new"_logger;
  protocol.setLastSentenceTime(std::numeric_limits<std::int64_t>::max());
  TickAt(std::numeric_limits<std::int64_t>::min());
  EXPECT_FALSE(Blanked());
}

TEST_F(Staleness, ZeroStampWatchesNothing) {
  protocol.setLastSentenceTime(0);
  TickAt(kStamp + 100);
  EXPECT_FALSE(Blanked());
}

TEST(ClearDeviceFields, BlanksExactlyTheLoggerFields) {
  FakeDialog dialog;
  FakePort port;
  LoggerProtocol protocol(dialog, port, dialog.wallClock());
  protocol.DispatchSentence("$NT800,1,2,3,4,5,6,7,8,9");
  testing::FillWithOldValues(protocol.record());
  auto expected = Snapshot(protocol);
  for (const char* field : {"serialNumber", "firmwareRev", "hardwareRev", "gpsFixLine", "sealStatus",
                            "pilotName", "competitionClass", "competitionId", "gliderType", "gliderId"}) {
    expected[field] = "";
  }
  expected["fixRateIndex"] = "-1";
  const int refreshesBefore = dialog.refreshes;
  const auto showsBefore = dialog.shows;

  protocol.ClearDeviceFields();
  EXPECT_EQ(Snapshot(protocol), expected);
  EXPECT_EQ(dialog.refreshes, refreshesBefore + 1);
  EXPECT_EQ(dialog.shows, showsBefore) << "record-mode controls keep their visibility";
  EXPECT_TRUE(StampedAt(protocol, dialog, dialog.now)) << "the caller handles the stamp";
}

}  // namespace
}  // namespace brisko
