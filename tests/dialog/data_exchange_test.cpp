// The exchange between the device record and the main dialog's controls, on
// a surface without a window: texts both ways as Latin-1 bytes, the length
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

struct TextBinding {
  std::string DeviceRecord::*field;
  int controlId;
  int limit;  // 0: none
};

// In the exchange's order; the five edits carry their limits.
const TextBinding kTextBindings[] = {
    {&DeviceRecord::serialNumber, kIdSerialNumber, 0},
    {&DeviceRecord::firmwareRev, kIdFirmwareRev, 0},
    {&DeviceRecord::hardwareRev, kIdHardwareRev, 0},
    {&DeviceRecord::portStatus, kIdPortStatus, 0},
    {&DeviceRecord::gpsFixLine, kIdGpsFixLine, 0},
    {&DeviceRecord::pilotName, kIdPilotName, 31},
    {&DeviceRecord::competitionClass, kIdCompetitionClass, 15},
    {&DeviceRecord::competitionId, kIdCompetitionId, 15},
    {&DeviceRecord::gliderType, kIdGliderType, 15},
    {&DeviceRecord::gliderId, kIdGliderId, 15},
    {&DeviceRecord::sealStatus, kIdSealStatus, 0},
    {&DeviceRecord::temperature, kIdTemperature, 0},
    {&DeviceRecord::humidity, kIdHumidity, 0},
    {&DeviceRecord::inputVoltage, kIdInputVoltage, 0},
};

TEST_F(DataExchangeTest, EveryTextFieldReachesItsControlWithItsLimitAndComesBack) {
  exchange_.LimitLengths();
  int n = 0;
  for (const auto& binding : kTextBindings) record_.*binding.field = "v" + std::to_string(++n) + "\xE9";
  exchange_.Refresh();
  n = 0;
  for (const auto& binding : kTextBindings) {
    EXPECT_EQ(surface_.Text(binding.controlId), "v" + std::to_string(++n) + "\xE9") << binding.controlId;
    EXPECT_EQ(surface_.controls[binding.controlId].limit, binding.limit != 0 ? binding.limit : -1)
        << binding.controlId;
  }

  for (const auto& binding : kTextBindings) record_.*binding.field = "stale";
  EXPECT_TRUE(exchange_.ReadBack());
  n = 0;
  for (const auto& binding : kTextBindings) {
    // Latin-1 bytes survive the round trip unchanged.
    EXPECT_EQ(record_.*binding.field, "v" + std::to_string(++n) + "\xE9") << binding.controlId;
  }
}

TEST_F(DataExchangeTest, AnUnchangedTextIsNotWrittenAgain) {
  record_.pilotName = "Anna";
  exchange_.Refresh();
  const int writes = surface_.textWrites;
  exchange_.Refresh();
  EXPECT_EQ(surface_.textWrites, writes);
  record_.pilotName = "Bruno";
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
      {{"\xC0" "1"}, -1, "\xE0", 0, "\xC0" "1"},  // Latin-1 letters compare without case too
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
  for (const TextBinding& edit : kTextBindings) {
    if (edit.limit == 0) continue;
    SCOPED_TRACE(edit.controlId);
    const std::string overlong(static_cast<std::size_t>(edit.limit + 1), 'x');
    record_ = DeviceRecord();
    record_.serialNumber = "NT1";
    record_.*edit.field = overlong;
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
    record_.*edit.field = "old";
    surface_.boxes.clear();
    surface_.focus = 0;

    EXPECT_FALSE(exchange_.ReadBack());
    ASSERT_EQ(surface_.boxes.size(), 1u);
    EXPECT_EQ(surface_.boxes[0].text, "Non digitare pi\xF9 di " + std::to_string(edit.limit) + " caratteri.");
    EXPECT_EQ(surface_.boxes[0].caption, "brisko");
    EXPECT_EQ(surface_.boxes[0].kind, MessageBoxKind::Warning);
    EXPECT_EQ(surface_.focus, edit.controlId);
    EXPECT_TRUE(surface_.selectedAll);
    EXPECT_EQ(record_.serialNumber, "NT2") << "steps before the edit take effect";
    EXPECT_EQ(record_.*edit.field, overlong);
    EXPECT_EQ(record_.fixRateIndex, 4) << "steps after the edit must not run";
    EXPECT_EQ(record_.portNumber, "5");
  }
}

TEST_F(DataExchangeTest, TextsAtTheirLimitReadBack) {
  record_.pilotName = std::string(31, 'p');
  record_.competitionClass = std::string(15, 'c');
  record_.competitionId = std::string(15, 'i');
  record_.gliderType = std::string(15, 't');
  record_.gliderId = std::string(15, 'g');
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
  record_.pilotName = "Carla";
  record_.fixRateIndex = 1;
  record_.recordMode = -1;
  exchange_.Refresh();
  EXPECT_EQ(changed, (std::vector<int>{kIdPilotName, kIdFixRate1 + 1}));
  EXPECT_EQ(duringExchange, (std::vector<bool>{true, true}));
  EXPECT_FALSE(exchange_.InProgress());
}

}  // namespace
}  // namespace brisko
