// Receive framing and checksum: lines of bytes in, outcomes and slot texts out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/sentence_framing.h"
#include "link/sentence_slots.h"

namespace brisko {
namespace {

struct Event {
  FrameOutcome outcome;
  int slot;
  bool operator==(const Event& other) const { return outcome == other.outcome && slot == other.slot; }
};

std::ostream& operator<<(std::ostream& out, const Event& event) {
  static const char* const kNames[] = {"Continue", "SentenceReady", "SentenceBad", "Restarted", "Overrun"};
  return out << kNames[static_cast<int>(event.outcome)] << "@" << event.slot;
}

// Feeds every byte and keeps every outcome but Continue.
std::vector<Event> Feed(SentenceFramer& framer, const std::string& bytes) {
  std::vector<Event> events;
  for (const char c : bytes) {
    const FrameResult result = framer.AcceptByte(static_cast<unsigned char>(c));
    if (result.outcome != FrameOutcome::Continue) events.push_back({result.outcome, result.slot});
  }
  return events;
}

std::string WithTail(const std::string& body) {
  std::string line = body;
  AppendChecksum(line);
  return line;
}

// "$" + filler + checksum tail, exactly `length` bytes including CR LF.
std::string LineOfLength(std::size_t length) {
  std::string body = "$";
  body.append(length - 1 - 5, 'A');
  return WithTail(body);
}

constexpr auto kReady = FrameOutcome::SentenceReady;
constexpr auto kBad = FrameOutcome::SentenceBad;
constexpr auto kRestarted = FrameOutcome::Restarted;
constexpr auto kOverrun = FrameOutcome::Overrun;

struct FramingCase {
  const char* name;
  std::string bytes;
  std::vector<Event> events;
  std::string slot0Text;  // slot 0 after the bytes
};

class FramingTable : public ::testing::TestWithParam<FramingCase> {};

TEST_P(FramingTable, OutcomesAndSlotText) {
  const FramingCase& c = GetParam();
  SentenceSlots slots;
  SentenceFramer framer(slots);
  EXPECT_EQ(Feed(framer, c.bytes), c.events);
  EXPECT_EQ(slots.Text(0), c.slot0Text);
}

const std::string k255 = LineOfLength(255);
const std::string k256 = LineOfLength(256);

INSTANTIATE_TEST_SUITE_P(
    Lines, FramingTable,
    ::testing::Values(
        FramingCase{"WorkedExample", "$NT800,1*3F\r\n", {{kReady, 0}}, "$NT800,1"},
        FramingCase{"WrongDigits", "$NT800,1*3E\r\n", {{kBad, 0}}, "$NT800,1"},
        FramingCase{"NoTailAtAll", "$GPGGA,1,2\r\n", {{kBad, 0}}, "$GPGGA,1,2\r\n"},
        FramingCase{"NoiseThenDollar", "xyz$A*41\r\n", {{kRestarted, -1}, {kReady, 0}}, "$A"},
        FramingCase{"DollarSecondByte", "$$A*41\r\n", {{kRestarted, -1}, {kReady, 0}}, "$A"},
        FramingCase{"DollarMidLineRestarts", "$NT80$A*41\r\n", {{kRestarted, -1}, {kReady, 0}}, "$A"},
        FramingCase{"UppercaseDigitsCount", "$J*4A\r\n", {{kReady, 0}}, "$J"},
        FramingCase{"LowercaseDigitsDoNot", "$J*4a\r\n", {{kBad, 0}}, "$J"},
        FramingCase{"LowercaseCountsAsZero", "$JJ*0a\r\n", {{kReady, 0}}, "$JJ"},
        FramingCase{"MissingDigitsZeroXor", "$AA*\r\n", {{kReady, 0}}, "$AA"},
        FramingCase{"MissingDigitsNonzeroXor", "$A*\r\n", {{kBad, 0}}, "$A"},
        FramingCase{"OneDigitOnly", "$A*4\r\n", {{kBad, 0}}, "$A"},
        FramingCase{"StarFirstEmptySentence", "*00\r\n", {{kReady, 0}}, ""},
        FramingCase{"NoDollarNeeded", "A*00\r\n", {{kReady, 0}}, "A"},
        FramingCase{"OnlyFirstStarCounts", "$A*41*00\r\n", {{kReady, 0}}, "$A"},
        FramingCase{"NulBeforeStar", std::string("$A\0*41\r\n", 8), {{kBad, 0}}, "$A"},
        FramingCase{"NulAfterStar", std::string("$A*41\0\r\n", 8), {{kReady, 0}}, "$A"},
        FramingCase{"HighBytesUnsigned", "$\xC1\x80*41\r\n", {{kReady, 0}}, "$\xC1\x80"},
        FramingCase{"HighBytesWrongDigits", "$\xC1*41\r\n", {{kBad, 0}}, "$\xC1"},
        FramingCase{"Line255", k255, {{kReady, 0}}, k255.substr(0, 250)},
        FramingCase{"Line256", k256, {{kReady, 0}}, k256.substr(0, 251)},
        // All 257 bytes were stored before the overrun test dropped the line.
        FramingCase{"Line257", LineOfLength(257), {{kOverrun, -1}}, LineOfLength(257)},
        FramingCase{"OverrunThenGoodLineSameSlot",
                    std::string(256, 'x') + "\n" + "$A*41\r\n",
                    {{kOverrun, -1}, {kReady, 0}},
                    "$A"},
        FramingCase{"DollarAs257thByteRestarts",
                    std::string(256, 'x') + "$A*41\r\n",
                    {{kRestarted, -1}, {kReady, 0}},
                    "$A"},
        FramingCase{"BadLineUsesItsSlot", "$A*00\r\n$B*42\r\n", {{kBad, 0}, {kReady, 1}}, "$A"}),
    [](const ::testing::TestParamInfo<FramingCase>& param) { return std::string(param.param.name); });

TEST(Framing, Line256PutsItsNulInTheLastByte) {
  SentenceSlots slots;
  SentenceFramer framer(slots);
  // Fill slot 0 with non-zero left-overs first, so a missing NUL would show.
  Feed(framer, std::string(256, 'y'));
  EXPECT_EQ(framer.linePos(), 256);
  Feed(framer, "z");  // the 257th byte overruns
  ASSERT_EQ(framer.linePos(), 0);
  Feed(framer, k256);
  EXPECT_EQ(slots.At(0, 255), '\n');
  EXPECT_EQ(slots.At(0, 256), 0);
}

TEST(Framing, OverrunKeepsTheSlotAndStartsAtPositionZero) {
  SentenceSlots slots;
  SentenceFramer framer(slots);
  Feed(framer, "$A*41\r\n");
  Feed(framer, std::string(257, 'q'));
  EXPECT_EQ(framer.slotIndex(), 1);
  EXPECT_EQ(framer.linePos(), 0);
  Feed(framer, "B");
  EXPECT_EQ(slots.At(1, 0), 'B');
}

TEST(Framing, RingWrapsAfterSlot29) {
  SentenceSlots slots;
  SentenceFramer framer(slots);
  std::vector<Event> expected;
  std::string bytes;
  for (int line = 0; line < 32; ++line) {
    bytes += WithTail("$L" + std::to_string(line));
    expected.push_back({kReady, line % kSlotCount});
  }
  EXPECT_EQ(Feed(framer, bytes), expected);
  EXPECT_EQ(slots.Text(29), "$L29");
  EXPECT_EQ(slots.Text(0), "$L30");
  EXPECT_EQ(slots.Text(1), "$L31");
  EXPECT_EQ(framer.slotIndex(), 2);
}

TEST(Checksum, AppendedTails) {
  struct Case {
    std::string text;
    std::string sent;
  };
  const Case cases[] = {
      {"$NT800,1", "$NT800,1*3F\r\n"},
      {"$NT987,1", "$NT987,1*31\r\n"},
      {"$NT900,4,51,0", "$NT900,4,51,0*0F\r\n"},
      {"", "*00\r\n"},
      {"$", "$*00\r\n"},
      {"$\x01", "$\x01*01\r\n"},  // leading zero digit
      {"$\xFF", "$\xFF*FF\r\n"},  // high byte as unsigned
      {"\xFF", "\xFF*00\r\n"},    // the first byte is never summed
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    AppendChecksum(text);
    EXPECT_EQ(text, c.sent) << "for " << c.text;
  }
}

// Whatever a command holds, what the tool sends is accepted by the same
// framing on the other side and arrives unchanged: all byte values but the
// ones that frame a line ("$", "*", LF, NUL).
TEST(Checksum, EveryBodyByteSurvivesTheRoundTrip) {
  SentenceSlots slots;
  SentenceFramer framer(slots);
  for (int value = 1; value < 256; ++value) {
    if (value == '$' || value == '*' || value == '\n') continue;
    const std::string body = std::string("$NT6,") + static_cast<char>(value) + "x";
    const std::vector<Event> events = Feed(framer, WithTail(body));
    ASSERT_EQ(events.size(), 1u) << "byte " << value;
    EXPECT_EQ(events[0].outcome, kReady) << "byte " << value;
    EXPECT_EQ(slots.Text(events[0].slot), body) << "byte " << value;
  }
}

TEST(SentenceSlotsCopy, RefusesASlotRefilledSincePosted) {
  SentenceSlots slots;
  SentenceFramer framer(slots);
  ASSERT_EQ(Feed(framer, "$A*41\r\n"), (std::vector<Event>{{kReady, 0}}));
  slots.Publish(0, 7);

  std::string out = "left-over";
  EXPECT_TRUE(slots.CopySentence(0, 7, out));
  EXPECT_EQ(out, "$A");
  EXPECT_FALSE(slots.CopySentence(0, 8, out)) << "another post's number";
  EXPECT_EQ(out, "");
  EXPECT_FALSE(slots.CopySentence(30, 7, out)) << "slot out of range";
  EXPECT_FALSE(slots.CopySentence(-1, 7, out)) << "slot out of range";

  // 29 more lines leave slot 0 alone; the first byte of the next one refills it.
  for (int line = 1; line < kSlotCount; ++line) Feed(framer, "$B*42\r\n");
  EXPECT_TRUE(slots.CopySentence(0, 7, out));
  EXPECT_EQ(out, "$A");
  Feed(framer, "$");
  EXPECT_FALSE(slots.CopySentence(0, 7, out));
  EXPECT_EQ(out, "");
}

TEST(SentenceSlotsCopy, StopsAt256BytesWithoutNul) {
  SentenceSlots slots;
  for (int pos = 0; pos < kSlotSize; ++pos) slots.Store(3, pos, 'k');
  slots.Publish(3, 1);
  std::string out;
  ASSERT_TRUE(slots.CopySentence(3, 1, out));
  EXPECT_EQ(out, std::string(256, 'k'));
}

}  // namespace
}  // namespace brisko
