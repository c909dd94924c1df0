// The wire's text helpers that the tool, the simulator and the tests share:
// hexadecimal digits, the checksum tail, the checksums a framed line carried,
// reading fields and the bytes a field may hold.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/sentence_framing.h"
#include "link/sentence_slots.h"
#include "link/sentence_text.h"

namespace brisko {
namespace {

TEST(UpperHexDigitValue, OnlyUppercaseDigitsCount) {
  struct Case {
    char c;
    int value;
  };
  for (const Case& c : {Case{'0', 0}, Case{'9', 9}, Case{'A', 10}, Case{'F', 15}, Case{'a', -1}, Case{'f', -1},
                        Case{'G', -1}, Case{'/', -1}, Case{':', -1}, Case{'@', -1}, Case{'\n', -1}, Case{'\0', -1}}) {
    EXPECT_EQ(UpperHexDigitValue(static_cast<unsigned char>(c.c)), c.value) << int(c.c);
  }
}

TEST(ChecksumTail, TwoUppercaseDigitsWithALeadingZero) {
  struct Case {
    unsigned char checksum;
    const char* tail;
  };
  for (const Case& c : {Case{0x00, "*00\r\n"}, Case{0x0F, "*0F\r\n"}, Case{0xA5, "*A5\r\n"}, Case{0xFF, "*FF\r\n"}}) {
    EXPECT_EQ(ChecksumTail(c.checksum), c.tail);
  }
  EXPECT_EQ(WithChecksumTail("$NT800,1"), "$NT800,1*3F\r\n");
  EXPECT_EQ(SentenceChecksum("$"), 0);
  EXPECT_EQ(SentenceChecksum("$\xFF\x01"), 0xFE);
}

// What a framed line reports about its checksum, since its slot keeps only
// the text before the "*".
TEST(FrameResult, CarriesTheSentAndComputedChecksum) {
  struct Case {
    const char* name;
    std::string line;
    FrameOutcome outcome;
    int sent;
    int computed;
  };
  const Case cases[] = {
      {"Good", "$NT800,1*3F\r\n", FrameOutcome::SentenceReady, 0x3F, 0x3F},
      {"WrongDigits", "$NT800,1*3E\r\n", FrameOutcome::SentenceBad, 0x3E, 0x3F},
      {"LowercaseDigits", "$NT800,1*3f\r\n", FrameOutcome::SentenceBad, -1, 0x3F},
      {"DigitsMissing", "$NT800,1*\r\n", FrameOutcome::SentenceBad, -1, 0x3F},
      {"NoStar", "$NT800,1\r\n", FrameOutcome::SentenceBad, -1, -1},
      {"NulBeforeStar", std::string("$NT8\0,1*3F\r\n", 12), FrameOutcome::SentenceBad, -1, -1},
  };
  for (const Case& c : cases) {
    auto slots = std::make_unique<SentenceSlots>();
    SentenceFramer framer(*slots);
    FrameResult last{FrameOutcome::Continue, -1};
    for (const char byte : c.line) last = framer.AcceptByte(static_cast<unsigned char>(byte));
    EXPECT_EQ(last.outcome, c.outcome) << c.name;
    EXPECT_EQ(last.sentChecksum, c.sent) << c.name;
    EXPECT_EQ(last.computedChecksum, c.computed) << c.name;
  }
}

TEST(FieldReader, TakesSkipsAndConvertsInOrder) {
  FieldReader fields("SN1,12,x,y,z,-7abc,,last");
  EXPECT_EQ(fields.Take(), "SN1");
  EXPECT_EQ(fields.Int(), 12);
  fields.Skip(3);
  EXPECT_EQ(fields.Int(), -7);
  EXPECT_EQ(fields.Int(), 0);  // an empty field
  EXPECT_EQ(fields.Rest(), "last");
  EXPECT_FALSE(fields.Exhausted());
  EXPECT_EQ(fields.Take(), "last");
  EXPECT_TRUE(fields.Exhausted());
  // Past the end every field is empty, and skipping is harmless.
  fields.Skip(5);
  EXPECT_EQ(fields.Take(), "");
  EXPECT_EQ(fields.Int(), 0);
}

TEST(SplitFields, EveryFieldIncludingEmptyOnes) {
  struct Case {
    std::string text;
    std::vector<std::string_view> fields;
  };
  const Case cases[] = {
      {"a,,b", {"a", "", "b"}}, {"", {""}},          {",", {"", ""}},
      {"a,", {"a", ""}},        {"abc", {"abc"}},    {" a , b", {" a ", " b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitFields(c.text), c.fields) << c.text;
}

TEST(CanTravelInField, RefusesSeparatorsFramingAndControlBytesButKeepsTheCodePagesUpperHalf) {
  struct Case {
    unsigned char byte;
    bool travels;
  };
  const Case cases[] = {
      {'A', true},   {' ', true},   {'~', true},  {0xA0, true},  {0xE8, true},  {0xFF, true},
      {',', false},  {'*', false},  {'$', false}, {0x00, false}, {'\t', false}, {0x01, false},
      {'\r', false}, {'\n', false}, {0x7F, false}, {0x80, true},  {0x9F, true},
  };
  for (const Case& c : cases) EXPECT_EQ(CanTravelInField(c.byte), c.travels) << int(c.byte);
}

}  // namespace
}  // namespace brisko
