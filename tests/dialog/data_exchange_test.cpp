// The exchange between the device record and the main dialog's controls, on
// a surface without a window: the logger's texts through the surface's code
// page and the program's as they are, both ways, the length
// limits, the length message and what a failed read-back leaves alone, radio
// indexes, the port list's prefix selection, and the notifications that a
// refresh sets off.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog/control_ids.h"
#include "dialog/data_exchange.h"
#include "dialog/dialog_template.h"
#include "tests/support/fake_surface.h"
#include "tests/support/logger_bytes.h"

namespace brisko {
namespace {

using testing::FakeSurface;

class DataExchangeTest : public ::testing::Test {
 protected:
  std::vector<int> CheckedIds(int firstId) {
    std::vector<int> checked;
    for (int id : RadioGroupIds(firstId)) {
      if (surface_.Checked(id)) checked.push_back(id);
    }
    return checked;
  }
  void SetPortEntries(const std::vector<std::string>& entries) {
    surface_.listEntries.clear();
    for (const std::string& entry : entries) surface_.InsertListEntry(kIdPortList, surface_.ListCount(kIdPortList), entry, "");
  }

  DeviceRecord record_;
  FakeSurface surface_;
  DataExchange exchange_{record_, surface_};
};

// In the exchange's order; the five edits carry their limits.
struct TextBinding {
  LoggerText DeviceRecord::*field;
  int controlId;
  int limit;  // 0: none
};
const TextBinding kLoggerTexts[] = {
    {&DeviceRecord::serialNumber, kIdSerialNumber, 0},
    {&DeviceRecord::gpsFixLine, kIdGpsFixLine, 0},
    {&DeviceRecord::pilotName, kIdPilotName, 31},
    {&DeviceRecord::competitionClass, kIdCompetitionClass, 15},
    {&DeviceRecord::competitionId, kIdCompetitionId, 15},
    {&DeviceRecord::gliderType, kIdGliderType, 15},
    {&DeviceRecord::gliderId, kIdGliderId, 15},
};
const std::pair<std::string DeviceRecord::*, int> kProgramTexts[] = {
    {&DeviceRecord::firmwareRev, kIdFirmwareRev}, {&DeviceRecord::hardwareRev, kIdHardwareRev},
    {&DeviceRecord::portStatus, kIdPortStatus},   {&DeviceRecord::sealStatus, kIdSealStatus},
    {&DeviceRecord::temperature, kIdTemperature}, {&DeviceRecord::humidity, kIdHumidity},
    {&DeviceRecord::inputVoltage, kIdInputVoltage},
};

TEST_F(DataExchangeTest, EveryTextFieldReachesItsControlWithItsLimitAndComesBack) {
  exchange_.LimitLengths();
  // The logger's bytes are shown as the page's characters: 0x80 is the euro
  // sign in Windows-1252, 0xE9 an e with an acute accent.
  for (const TextBinding& text : kLoggerTexts) {
    record_.*text.field = LoggerText(std::to_string(text.controlId) + "\x80\xE9");
  }
  for (const auto& [field, id] : kProgramTexts) record_.*field = std::to_string(id) + " \u00b0C";
  exchange_.Refresh();
  for (const TextBinding& text : kLoggerTexts) {
    EXPECT_EQ(surface_.Text(text.controlId), std::to_string(text.controlId) + "\u20ac\u00e9");
    EXPECT_EQ(surface_.controls[text.controlId].limit, text.limit != 0 ? text.limit : -1) << text.controlId;
  }
  for (const auto& [field, id] : kProgramTexts) EXPECT_EQ(surface_.Text(id), std::to_string(id) + " \u00b0C");

  for (const TextBinding& text : kLoggerTexts) record_.*text.field = "stale"_logger;
  for (const auto& [field, id] : kProgramTexts) record_.*field = "stale";
  EXPECT_TRUE(exchange_.ReadBack());
  for (const TextBinding& text : kLoggerTexts) {
    EXPECT_EQ(record_.*text.field, LoggerText(std::to_string(text.controlId) + "\x80\xE9"));
  }
  for (const auto& [field, id] : kProgramTexts) EXPECT_EQ(record_.*field, std::to_string(id) + " \u00b0C");
}

// A page that cannot give every byte back: 0xFF reads as U+FFFD, which it
// cannot write; the other bytes are Latin-1.
bool EncodeLossy(char16_t character, std::string& bytes) {
  if (character > 0xFE) return false;
  bytes.push_back(static_cast<char>(character));
  return true;
}
std::u16string DecodeLossy(std::string_view bytes) {
  std::u16string text;
  for (const char byte : bytes) text.push_back(byte == '\xFF' ? u'\uFFFD' : static_cast<unsigned char>(byte));
  return text;
}

TEST_F(DataExchangeTest, TheReadBackKeepsTheLoggersBytesUnlessTheUserChangedTheText) {
  struct Case {
    const char* note;
    CodePage page;
    LoggerText logger;
    const char* typed;  // nullptr: the user left the edit alone
    LoggerText readBack;
    bool fits;          // within the edit's limit of 15 bytes
  } const cases[] = {
      {"unchanged, bytes the page cannot give back", {EncodeLossy, DecodeLossy}, "A\xFF\x81"_logger, nullptr,
       "A\xFF\x81"_logger, true},
      {"changed: written anew in the page", {EncodeLossy, DecodeLossy}, "A\xFF"_logger, "B\u00e9", "B\xE9"_logger,
       true},
      {"a character the page lacks", kWindows1252, "A"_logger, "\u0141", "?"_logger, true},
      {"the limit counts the page's bytes", kWindows1252, ""_logger,
       "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u20ac",
       "\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\x80"_logger, true},
      {"one more is too many", kWindows1252, ""_logger, "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9xxxxxxxx",
       "\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9xxxxxxxx"_logger, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.note);
    surface_.codePage = c.page;
    record_.gliderId = c.logger;
    exchange_.Refresh();
    if (c.typed != nullptr) surface_.controls[kIdGliderId].text = c.typed;
    EXPECT_EQ(exchange_.ReadBack(), c.fits);
    EXPECT_EQ(record_.gliderId, c.readBack);
  }
}

TEST_F(DataExchangeTest, AnUnchangedTextIsNotWrittenAgain) {
  record_.pilotName = "Anna"_logger;
  exchange_.Refresh();
  const int writes = surface_.textWrites;
  exchange_.Refresh();
  EXPECT_EQ(surface_.textWrites, writes);
  record_.pilotName = "Bruno"_logger;
  exchange_.Refresh();
  EXPECT_EQ(surface_.textWrites, writes + 1);
}

TEST_F(DataExchangeTest, RadioIndexChecksOneButtonOrNoneAndReadsBackMinusOne) {
  struct Case {
    std::int32_t DeviceRecord::*field;
    int firstId;
    std::int32_t value;
    std::vector<int> checked;
    std::int32_t readBack;
  } const cases[] = {
      {&DeviceRecord::fixRateIndex, kIdFixRate1, 0, {kIdFixRate1}, 0},
      {&DeviceRecord::fixRateIndex, kIdFixRate1, 9, {kIdFixRate1 + 9}, 9},
      {&DeviceRecord::fixRateIndex, kIdFixRate1, -1, {}, -1},
      {&DeviceRecord::fixRateIndex, kIdFixRate1, 10, {}, -1},
      {&DeviceRecord::fixRateIndex, kIdFixRate1, 12, {}, -1},
      {&DeviceRecord::recordMode, kIdRecordModeNo, 2, {kIdRecordModeNo + 2}, 2},
      {&DeviceRecord::recordMode, kIdRecordModeNo, 3, {kIdRecordModeNo + 3}, 3},
      {&DeviceRecord::recordMode, kIdRecordModeNo, 4, {}, -1},
      {&DeviceRecord::recordMode, kIdRecordModeNo, 7, {}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.firstId << " value " << c.value);
    // Start from a checked button: an out-of-range value must clear it.
    record_.*c.field = 1;
    exchange_.Refresh();
    record_.*c.field = c.value;
    exchange_.Refresh();
    EXPECT_EQ(CheckedIds(c.firstId), c.checked);
    EXPECT_TRUE(exchange_.ReadBack());
    EXPECT_EQ(record_.*c.field, c.readBack);
  }
}

TEST_F(DataExchangeTest, PortListSelectsTheFirstEntryThatBeginsWithThePortNumber) {
  struct Case {
    std::vector<std::string> entries;
    int preselected;
    std::string portNumber;
    int selected;
    std::string readBack;
  } const cases[] = {
      {{"1", "3", "10"}, -1, "1", 0, "1"},
      {{"3", "10"}, -1, "1", 1, "10"},  // a prefix match: the next read-back stores "10"
      {{"1", "3", "10"}, -1, "3", 1, "3"},
      {{"1", "3"}, 1, "3\n", 1, "3"},  // no match: the list stays as it was
      {{"1", "3"}, -1, "7", -1, "7"},  // nothing selected: the read-back keeps the port
      {{"1", "3"}, -1, "", -1, ""},  // no port remembered: nothing is selected
      {{"1", "3"}, 1, "", 1, "3"},   // ... and the user's choice stays
      {{"Com1", "COM2"}, -1, "com2", 1, "COM2"},
      {{"\u00c01"}, -1, "\u00e0", 0, "\u00c01"},  // Latin-1 letters compare without case too
      {{}, -1, "3", -1, "3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.portNumber);
    SetPortEntries(c.entries);
    surface_.listSelection = c.preselected;
    record_.portNumber = c.portNumber;
    exchange_.Refresh();
    EXPECT_EQ(surface_.listSelection, c.selected);
    EXPECT_TRUE(exchange_.ReadBack());
    EXPECT_EQ(record_.portNumber, c.readBack);
  }
}

TEST_F(DataExchangeTest, AnOverlongTextFromTheLoggerIsShownWholeButFailsTheReadBackWithTheLengthMessage) {
  for (const TextBinding& edit : kLoggerTexts) {
    if (edit.limit == 0) continue;
    SCOPED_TRACE(edit.controlId);
    const std::string overlong(static_cast<std::size_t>(edit.limit + 1), 'x');
    record_ = DeviceRecord();
    record_.serialNumber = "NT1"_logger;
    record_.*edit.field = LoggerText(overlong);
    record_.fixRateIndex = 4;
    SetPortEntries({"5"});
    record_.portNumber = "5";
    exchange_.Refresh();
    EXPECT_EQ(surface_.Text(edit.controlId), overlong) << "a refresh must not cut the text";

    // What the user changed meanwhile: a field before the edit and the ones after it.
    surface_.controls[kIdSerialNumber].text = "NT2";
    surface_.controls[kIdFixRate1 + 4].checked = false;
    surface_.controls[kIdFixRate1].checked = true;
    surface_.listEntries.clear();
    surface_.listSelection = -1;
    record_.*edit.field = "old"_logger;
    surface_.boxes.clear();
    surface_.focus = 0;

    EXPECT_FALSE(exchange_.ReadBack());
    ASSERT_EQ(surface_.boxes.size(), 1u);
    EXPECT_EQ(surface_.boxes[0].text, "Non digitare pi\u00f9 di " + std::to_string(edit.limit) + " caratteri.");
    EXPECT_EQ(surface_.boxes[0].caption, "brisko");
    EXPECT_EQ(surface_.boxes[0].kind, MessageBoxKind::Warning);
    EXPECT_EQ(surface_.focus, edit.controlId);
    EXPECT_TRUE(surface_.selectedAll);
    EXPECT_EQ(record_.serialNumber, "NT2"_logger) << "steps before the edit take effect";
    EXPECT_EQ(record_.*edit.field, LoggerText(overlong));
    EXPECT_EQ(record_.fixRateIndex, 4) << "steps after the edit must not run";
    EXPECT_EQ(record_.portNumber, "5");
  }
}

TEST_F(DataExchangeTest, TextsAtTheirLimitReadBack) {
  record_.pilotName = LoggerText(std::string(31, 'p'));
  record_.competitionClass = LoggerText(std::string(15, 'c'));
  record_.competitionId = LoggerText(std::string(15, 'i'));
  record_.gliderType = LoggerText(std::string(15, 't'));
  record_.gliderId = LoggerText(std::string(15, 'g'));
  exchange_.Refresh();
  EXPECT_TRUE(exchange_.ReadBack());
  EXPECT_TRUE(surface_.boxes.empty());
}

TEST_F(DataExchangeTest, NotificationsDuringARefreshSeeTheExchangeRunning) {
  std::vector<int> changed;
  std::vector<bool> duringExchange;
  surface_.onChange = [&](int id) {
    changed.push_back(id);
    duringExchange.push_back(exchange_.InProgress());
  };
  record_.pilotName = "Carla"_logger;
  record_.fixRateIndex = 1;
  record_.recordMode = -1;
  exchange_.Refresh();
  EXPECT_EQ(changed, (std::vector<int>{kIdPilotName, kIdFixRate1 + 1}));
  EXPECT_EQ(duringExchange, (std::vector<bool>{true, true}));
  EXPECT_FALSE(exchange_.InProgress());
}

}  // namespace
}  // namespace brisko
