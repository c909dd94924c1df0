// Reply vectors: each sentence is dispatched into a record whose fields all
// hold old values; the record afterwards must equal the old one with exactly
// the listed changes.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "protocol/logger_protocol.h"
#include "tests/protocol/fake_callouts.h"

namespace brisko {
namespace {

using testing::FakeDialog;
using testing::FakePort;
using testing::Snapshot;

using Changes = std::map<std::string, std::string>;

struct ReplyCase {
  const char* name;
  std::string sentence;
  Changes changes;
};

std::ostream& operator<<(std::ostream& out, const ReplyCase& c) { return out << c.sentence; }

class ReplyVectors : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyVectors, ChangeExactlyTheListedFields) {
  const ReplyCase& c = GetParam();
  FakeDialog dialog;
  FakePort port;
  LoggerProtocol protocol(dialog, port, dialog.wallClock());
  testing::FillWithOldValues(protocol.record());
  auto expected = Snapshot(protocol);
  for (const auto& [field, value] : c.changes) {
    ASSERT_EQ(expected.count(field), 1u) << "no field " << field;
    expected[field] = value;
  }
  protocol.DispatchSentence(c.sentence);
  EXPECT_EQ(Snapshot(protocol), expected);
}

std::string Name(const ::testing::TestParamInfo<ReplyCase>& param) { return param.param.name; }

const Changes kFirstFamily = {{"family", std::to_string(static_cast<int>(LoggerFamily::First))}};
const Changes kSecondFamily = {{"family", std::to_string(static_cast<int>(LoggerFamily::Second))}};

Changes With(Changes base, const Changes& more) {
  for (const auto& [field, value] : more) base[field] = value;
  return base;
}

// Reply 0: serial, hardware, firmware, six unused, seal, two unused, fix rate.
std::string Reply0(const std::string& hardware, const std::string& firmware, const std::string& seal,
                   const std::string& fixRate) {
  return "$NT0,12345," + hardware + "," + firmware + ",a,b,c,d,e,f," + seal + ",g,h," + fixRate;
}

Changes Reply0Changes(const std::string& hardwareRev, const std::string& firmwareRev,
                      const std::string& sealStatus, const std::string& fixRateIndex) {
  return With(kFirstFamily, {{"serialNumber", "12345"},
                             {"hardwareRev", hardwareRev},
                             {"firmwareRev", firmwareRev},
                             {"sealStatus", sealStatus},
                             {"fixRateIndex", fixRateIndex}});
}

INSTANTIATE_TEST_SUITE_P(
    Reply0, ReplyVectors,
    ::testing::Values(
        ReplyCase{"Full", Reply0("12", "28", "1", "2"), Reply0Changes("1.2", "2.8", "SEALED", "1")},
        ReplyCase{"SealLeadingZero", Reply0("12", "28", "01", "2"), Reply0Changes("1.2", "2.8", "UNSEALED", "1")},
        ReplyCase{"SealTrailingSpace", Reply0("12", "28", "1 ", "2"), Reply0Changes("1.2", "2.8", "UNSEALED", "1")},
        ReplyCase{"SealTwo", Reply0("12", "28", "2", "2"), Reply0Changes("1.2", "2.8", "UNSEALED", "1")},
        ReplyCase{"SealEmpty", Reply0("12", "28", "", "2"), Reply0Changes("1.2", "2.8", "UNSEALED", "1")},
        ReplyCase{"FixRate10", Reply0("12", "28", "1", "10"), Reply0Changes("1.2", "2.8", "SEALED", "9")},
        ReplyCase{"FixRate11", Reply0("12", "28", "1", "11"), Reply0Changes("1.2", "2.8", "SEALED", "10")},
        ReplyCase{"FixRate0", Reply0("12", "28", "1", "0"), Reply0Changes("1.2", "2.8", "SEALED", "-1")},
        ReplyCase{"FixRateNegative", Reply0("12", "28", "1", "-3"), Reply0Changes("1.2", "2.8", "SEALED", "-4")},
        ReplyCase{"FixRateHuge", Reply0("12", "28", "1", "99999999999"),
                  Reply0Changes("1.2", "2.8", "SEALED", "2147483646")},
        ReplyCase{"FixRateHugeNegative", Reply0("12", "28", "1", "-99999999999"),
                  Reply0Changes("1.2", "2.8", "SEALED", "-2147483648")},
        ReplyCase{"TenthsOfOddFields", Reply0("-5", "1.8", "1", "2"), Reply0Changes("-0.5", "0.1", "SEALED", "1")},
        ReplyCase{"TenthsOfEmptyFields", Reply0("", " 7", "1", "2"), Reply0Changes("0.0", "0.7", "SEALED", "1")},
        ReplyCase{"TenthsSaturate", Reply0("99999999999", "-99999999999", "1", "2"),
                  Reply0Changes("214748364.7", "-214748364.8", "SEALED", "1")},
        ReplyCase{"Short", "$NT0,77", With(kFirstFamily, {{"serialNumber", "77"},
                                                          {"hardwareRev", "0.0"},
                                                          {"firmwareRev", "0.0"},
                                                          {"sealStatus", "UNSEALED"},
                                                          {"fixRateIndex", "-1"}})},
        ReplyCase{"ExtraFieldsIgnored", Reply0("12", "28", "1", "2") + ",14,15",
                  Reply0Changes("1.2", "2.8", "SEALED", "1")}),
    Name);

INSTANTIATE_TEST_SUITE_P(
    Reply3And6And7, ReplyVectors,
    ::testing::Values(
        ReplyCase{"Reply3ChangesNothing", "$NT3,1,2,3,4,5,6,7", {}},
        ReplyCase{"Reply6", "$NT6,JOHN SMITH,CLUB", {{"pilotName", "JOHN SMITH"}, {"competitionClass", "CLUB"}}},
        ReplyCase{"Reply6OneField", "$NT6,ANNA", {{"pilotName", "ANNA"}, {"competitionClass", ""}}},
        ReplyCase{"Reply6NameWithComma", "$NT6,SMITH,JOHN,CLUB", {{"pilotName", "SMITH"}, {"competitionClass", "JOHN"}}},
        ReplyCase{"Reply6Latin1Bytes", "$NT6,M\xFCller,\xC9lite", {{"pilotName", "M\xFCller"}, {"competitionClass", "\xC9lite"}}},
        ReplyCase{"Reply7", "$NT7,XY,LS4,D-1234",
                  {{"competitionId", "XY"}, {"gliderType", "LS4"}, {"gliderId", "D-1234"}}},
        ReplyCase{"Reply7KeepsSpaces", "$NT7, XY ,,D-1", {{"competitionId", " XY "}, {"gliderType", ""}, {"gliderId", "D-1"}}},
        ReplyCase{"Reply7LongText", "$NT7," + std::string(200, 'q'),
                  {{"competitionId", std::string(200, 'q')}, {"gliderType", ""}, {"gliderId", ""}}}),
    Name);

// Reply 800: serial, hardware, firmware, two unused, fix rate, record mode, seal, one unused.
Changes Reply800Changes(const std::string& recordMode, const std::string& sealStatus) {
  return With(kSecondFamily, {{"serialNumber", "12345"},
                              {"hardwareRev", "1.2"},
                              {"firmwareRev", "3.0"},
                              {"fixRateIndex", "1"},
                              {"recordMode", recordMode},
                              {"sealStatus", sealStatus}});
}

INSTANTIATE_TEST_SUITE_P(
    Reply800, ReplyVectors,
    ::testing::Values(
        ReplyCase{"Full", "$NT800,12345,12,30,a,b,2,3,1,c", Reply800Changes("3", "SEALED")},
        ReplyCase{"RecordModeOutOfRange", "$NT800,12345,12,30,a,b,2,7,0,c", Reply800Changes("7", "UNSEALED")},
        ReplyCase{"Short", "$NT800", With(kSecondFamily, {{"serialNumber", ""},
                                                          {"hardwareRev", "0.0"},
                                                          {"firmwareRev", "0.0"},
                                                          {"fixRateIndex", "-1"},
                                                          {"recordMode", "0"},
                                                          {"sealStatus", "UNSEALED"}})}),
    Name);

// Reply 801: "%lf,%lf,%lf,%lf,%d,%d,%d,%d,%d" with the voltage first and the
// temperature and humidity in tenths as values 7 and 8. Values that the scan
// did not reach leave their fields alone.
Changes Readings(const char* voltage, const char* temperature, const char* humidity) {
  Changes changes;
  if (voltage != nullptr) changes["inputVoltage"] = voltage;
  if (temperature != nullptr) changes["temperature"] = temperature;
  if (humidity != nullptr) changes["humidity"] = humidity;
  return changes;
}

INSTANTIATE_TEST_SUITE_P(
    Reply801, ReplyVectors,
    ::testing::Values(
        ReplyCase{"Full", "$NT801,12.6,0.0,0.0,0.0,0,0,215,473,0", Readings("12.6", "21.5", "47.3")},
        ReplyCase{"EightValues", "$NT801,12.6,1,2,3,4,5,215,473", Readings("12.6", "21.5", "47.3")},
        ReplyCase{"SevenValues", "$NT801,12.6,1,2,3,4,5,215", Readings("12.6", "21.5", nullptr)},
        ReplyCase{"OneValue", "$NT801,12.6", Readings("12.6", nullptr, nullptr)},
        ReplyCase{"NoValues", "$NT801", Readings(nullptr, nullptr, nullptr)},
        ReplyCase{"NotANumber", "$NT801,abc,1,2,3,4,5,215,473,0", Readings(nullptr, nullptr, nullptr)},
        ReplyCase{"SpacesBeforeNumbers", "$NT801, 12.6,\t1, 2,3,4,5, -215, 473,0", Readings("12.6", "-21.5", "47.3")},
        ReplyCase{"SpaceBeforeCommaStops", "$NT801,12.6 ,1,2,3,4,5,215,473,0", Readings("12.6", nullptr, nullptr)},
        ReplyCase{"EmptyFieldStops", "$NT801,12.6,,2,3,4,5,215,473,0", Readings("12.6", nullptr, nullptr)},
        ReplyCase{"RealWhereIntegerExpected", "$NT801,12.6,1,2,3,4,5,21.5,473,0", Readings("12.6", "2.1", nullptr)},
        ReplyCase{"IntegersReadAsReals", "$NT801,13,1,2,3,4,5,-5,0,0", Readings("13.0", "-0.5", "0.0")},
        ReplyCase{"VoltageRounds", "$NT801,12.65,1,2,3,4,5,1,1,1", Readings("12.7", "0.1", "0.1")},
        ReplyCase{"ExponentAndSign", "$NT801,+1.26e1,1,2,3,4,5,1,1,1", Readings("12.6", "0.1", "0.1")},
        ReplyCase{"DanglingExponentEaten", "$NT801,12.6e,1,2,3,4,5,1,1,1", Readings("12.6", "0.1", "0.1")},
        ReplyCase{"HexIsNotANumber", "$NT801,0x10,1,2,3,4,5,1,1,1", Readings("0.0", nullptr, nullptr)},
        ReplyCase{"InfinityIsNotANumber", "$NT801,inf,1,2,3,4,5,1,1,1", Readings(nullptr, nullptr, nullptr)},
        ReplyCase{"OverflowingReal", "$NT801,1e999,1,2,3,4,5,1,1,1", Readings("inf", "0.1", "0.1")},
        ReplyCase{"OverflowingIntegerSaturates", "$NT801,1,1,2,3,4,5,99999999999,-99999999999,0",
                  Readings("1.0", "214748364.7", "-214748364.8")},
        ReplyCase{"HugeRealWrittenWhole", "$NT801,1267650600228229401496703205376,1,2,3,4,5,1,1,1",
                  Readings("1267650600228229401496703205376.0", "0.1", "0.1")}),
    Name);

INSTANTIATE_TEST_SUITE_P(
    Reply805, ReplyVectors,
    ::testing::Values(ReplyCase{"Selector1", "$NT805,1,ANNA", {{"pilotName", "ANNA"}}},
                      ReplyCase{"Selector2", "$NT805,2,CLUB", {{"competitionClass", "CLUB"}}},
                      ReplyCase{"Selector3", "$NT805,3,XY", {{"competitionId", "XY"}}},
                      ReplyCase{"Selector4", "$NT805,4,LS4", {{"gliderType", "LS4"}}},
                      ReplyCase{"Selector5", "$NT805,5,D-1234", {{"gliderId", "D-1234"}}},
                      ReplyCase{"SelectorLeadingPart", "$NT805, 4x,LS4", {{"gliderType", "LS4"}}},
                      ReplyCase{"ValueMissing", "$NT805,4", {{"gliderType", ""}}},
                      ReplyCase{"ValueUpToComma", "$NT805,1,SMITH,JOHN", {{"pilotName", "SMITH"}}},
                      ReplyCase{"Selector0", "$NT805,0,X", {}},
                      ReplyCase{"Selector6", "$NT805,6,X", {}},
                      ReplyCase{"SelectorEmpty", "$NT805,,X", {}},
                      ReplyCase{"SelectorWrapsNot", "$NT805,4294967297,X", {}}),
    Name);

TEST(FamilyFlags, FollowTheLastIdentifyingReply) {
  struct Case {
    std::vector<std::string> replies;
    LoggerFamily family;
    int shows;
  };
  const std::string r0 = "$NT0,1";
  const std::string r800 = "$NT800,1";
  const Case cases[] = {
      {{}, LoggerFamily::Unknown, 0},
      {{r0}, LoggerFamily::First, 0},
      {{r800}, LoggerFamily::Second, 1},
      {{r800, r800}, LoggerFamily::Second, 1},
      {{r800, r0}, LoggerFamily::First, 1},
      {{r800, r0, r800}, LoggerFamily::Second, 2},
      {{r0, r800, r0, r0}, LoggerFamily::First, 1},
      {{"$NT3", "$NT6", "$NT7", "$NT801", "$NT805", "$GPGGA"}, LoggerFamily::Unknown, 0},
  };
  for (const Case& c : cases) {
    FakeDialog dialog;
    FakePort port;
    LoggerProtocol protocol(dialog, port, dialog.wallClock());
    for (const std::string& reply : c.replies) protocol.DispatchSentence(reply);
    const std::string trace = ::testing::PrintToString(c.replies);
    EXPECT_EQ(protocol.family(), c.family) << trace;
    EXPECT_EQ(dialog.shows, std::vector<Visibility>(static_cast<std::size_t>(c.shows), Visibility::Shown)) << trace;
  }
}

}  // namespace
}  // namespace brisko
