// The Western code page of the Linux front end and the field rule written in
// it: every byte from the logger survives the trip through the toolkit's
// characters, and the user may type what the page writes, nothing else.
#include <gtest/gtest.h>

#include <string>

#include "dialog/windows_1252.h"
#include "protocol/field_edit.h"

namespace brisko {
namespace {

TEST(Windows1252Test, EveryByteComesBackAsItWent) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  const std::u16string shown = Windows1252ToUtf16(all);
  ASSERT_EQ(shown.size(), all.size());
  EXPECT_EQ(Utf16ToWindows1252(shown), all);
}

TEST(Windows1252Test, CharactersAndTheirBytes) {
  struct Case {
    char16_t character;
    const char* bytes;  // nullptr: the page has no byte for it
    bool travels;       // may the user type it into a field
  } const cases[] = {
      {u'a', "a", true},
      {u'\u00E9', "\xE9", true},    // é, where Latin-1 has it
      {u'\u00FF', "\xFF", true},
      {u'\u20AC', "\x80", true},    // €
      {u'\u201C', "\x93", true},    // curly quote
      {u'\u2013', "\x96", true},    // en dash
      {u'\u0178', "\x9F", true},    // Ÿ, the last of the upper controls' places
      {u'\u0141', nullptr, false},  // Ł: Central European, not here
      {u'\u0100', nullptr, false},
      {u'\u0081', "\x81", false},   // an unassigned byte reads as a control character
      {u'\u0085', nullptr, false},  // a C1 control whose place holds "..."
      {u',', ",", false},
      {u'*', "*", false},
      {u'$', "$", false},
      {u'\t', "\t", false},
      {u'\x7F', "\x7F", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.character));
    std::string bytes;
    EXPECT_EQ(EncodeWindows1252(c.character, bytes), c.bytes != nullptr);
    EXPECT_EQ(bytes, c.bytes != nullptr ? std::string(c.bytes) : std::string());
    if (c.bytes != nullptr) {
      EXPECT_EQ(Windows1252ToUtf16(c.bytes), std::u16string(1, c.character));
    } else {
      EXPECT_EQ(Utf16ToWindows1252(std::u16string(1, c.character)), "?");
    }
    EXPECT_EQ(CanTravelInField(c.character, EncodeWindows1252), c.travels);
  }
}

TEST(Windows1252Test, APasteWithOneCharacterThePageLacksIsRefusedWhole) {
  EXPECT_FALSE(MayAcceptFieldEdit(u"Anna", u"Anna \u0141ukasz", 31, EncodeWindows1252));
  EXPECT_TRUE(MayAcceptFieldEdit(u"Anna", u"Anna \u20AC \u00E9", 31, EncodeWindows1252));
  // What the logger sent is not judged again when the user adds elsewhere.
  EXPECT_TRUE(MayAcceptFieldEdit(u"\u0141,", u"\u0141,a", 31, EncodeWindows1252));
}

// A double-byte page as Japanese Windows has one: kana and ideographs take
// two bytes, ASCII one.
bool EncodeDoubleByte(char16_t character, std::string& bytes) {
  if (character < 0x80) {
    bytes.push_back(static_cast<char>(character));
  } else {
    bytes.append({'\x82', '\xA0'});
  }
  return true;
}

// The limit counts bytes of the page, as the read-back does: 15 bytes hold
// seven double-byte characters and one more single-byte one, not eight.
TEST(Windows1252Test, TheLimitCountsBytesOfTheCodePage) {
  struct Case {
    std::u16string accepted;
    std::u16string edited;
    bool accepted_;
  } const cases[] = {
      {u"", u"\u3042\u3042\u3042\u3042\u3042\u3042\u3042", true},
      {u"\u3042\u3042\u3042\u3042\u3042\u3042\u3042", u"\u3042\u3042\u3042\u3042\u3042\u3042\u3042a", true},
      {u"\u3042\u3042\u3042\u3042\u3042\u3042\u3042", u"\u3042\u3042\u3042\u3042\u3042\u3042\u3042\u3042", false},
      // A logger's overlong text may still be shortened.
      {u"\u3042\u3042\u3042\u3042\u3042\u3042\u3042\u3042\u3042", u"\u3042\u3042\u3042\u3042\u3042\u3042\u3042\u3042", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MayAcceptFieldEdit(c.accepted, c.edited, 15, EncodeDoubleByte), c.accepted_) << c.edited.size();
  }
}

}  // namespace
}  // namespace brisko
