// Profiles: what a file or a --set may carry to the record, what is refused
// (naming the field and the reason, with the record left as it was), the
// round trip of the JSON file and the import of a plane file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "dialog/windows_1252.h"
#include "protocol/profile.h"
#include "tests/protocol/fake_callouts.h"
#include "tests/support/logger_bytes.h"

namespace brisko {
namespace {

using ::testing::HasSubstr;

DeviceRecord LoggerRecord() {
  DeviceRecord record;
  testing::FillWithOldValues(record);
  return record;
}

std::vector<std::string> Settings(const DeviceRecord& r) {
  return {r.pilotName.bytes(),  r.competitionClass.bytes(), r.competitionId.bytes(),
          r.gliderType.bytes(), r.gliderId.bytes(),         std::to_string(r.fixRateIndex)};
}

TEST(Profile, RefusalsNameTheFieldAndTheReasonAndChangeNothing) {
  struct Case {
    const char* json;
    const char* refusal;
  };
  const Case cases[] = {
      {R"({"brisko-profile":1,"glider-id":"D-1","pilot":"\u0141ukasz"})", "Pilot name (pilot): the logger's code page cannot write \"\xC5\x81\""},
      {R"({"brisko-profile":1,"pilot":"Smith, John"})", "Pilot name (pilot): \",\" would break the command"},
      {R"({"brisko-profile":1,"glider-type":"LS*4"})", "Glider type (glider-type): \"*\" would break"},
      {R"({"brisko-profile":1,"glider-id":"D\t1"})", "Glider id (glider-id): a control character would break"},
      {R"({"brisko-profile":1,"pilot":"Bartholomew Alessandro di Mont V"})", "Pilot name (pilot): 32 characters, the logger takes at most 31"},
      {R"({"brisko-profile":1,"competition-class":"Sixteen chars 16"})", "Competition class (competition-class): 16 characters"},
      {R"({"brisko-profile":1,"fix-rate":11})", "Fix rate (fix-rate): a whole number of seconds from 1 to 10"},
      {R"({"brisko-profile":1,"fix-rate":"5"})", "Fix rate (fix-rate)"},
      {R"({"brisko-profile":1,"pilot":7})", "Pilot name (pilot): not a text"},
      {R"({"brisko-profile":1,"pilto":"Anna"})", "unknown setting \"pilto\""},
      {R"({"brisko-profile":2,"pilot":"Anna"})", "profile format 2 is newer"},
      {R"({"pilot":"Anna"})", "not a profile"},
      {R"({"brisko-profile":1,"pilot":"Anna")", "not a profile"},
  };
  for (const Case& c : cases) {
    DeviceRecord record = LoggerRecord();
    Profile profile;
    std::string error = ParseProfileJson(c.json, profile);
    if (error.empty()) error = ApplyProfile(profile, kWindows1252, record);
    EXPECT_THAT(error, HasSubstr(c.refusal)) << c.json;
    EXPECT_EQ(Settings(record), Settings(LoggerRecord())) << c.json;
  }
  // The longest texts the window takes are taken, in the code page's bytes.
  DeviceRecord record;
  Profile longest;
  ASSERT_EQ(ParseProfileJson(R"({"brisko-profile":1,"pilot":"Bartholomew Alessandro di Mont\u00e9","glider-id":"15 characters.."})", longest), "");
  EXPECT_EQ(ApplyProfile(longest, kWindows1252, record), "");
  EXPECT_EQ(record.pilotName, "Bartholomew Alessandro di Mont\xE9"_logger);
}

TEST(Profile, SetValues) {
  struct Case {
    const char* assignment;
    const char* refusal;  // empty: taken
  };
  const Case cases[] = {
      {"pilot=Anna=Maria", ""},     {"fix-rate=10", ""},  {"glider-id=", ""},
      {"fix-rate=0", "Fix rate"},   {"fix-rate=5s", "Fix rate"}, {"fix-rate=", "Fix rate"},
      {"seal=1", "unknown setting \"seal\""}, {"pilot", "is not key=value"},
  };
  for (const Case& c : cases) {
    Profile profile;
    const std::string result = SetProfileValue(c.assignment, profile);
    EXPECT_TRUE(*c.refusal == '\0' ? result.empty() : result.find(c.refusal) != std::string::npos)
        << c.assignment << ": " << result;
  }
  Profile profile;
  ASSERT_EQ(SetProfileValue("pilot=Anna=Maria", profile), "");
  EXPECT_EQ(profile.texts[0], "Anna=Maria");
}

TEST(Profile, SavedFromTheRecordLoadsBackIntoAnotherUnchanged) {
  DeviceRecord shown = LoggerRecord();
  shown.pilotName = "Jos\xE9 \x80uro"_logger;  // Windows-1252: "é" and the euro sign
  shown.competitionClass = ""_logger;
  const std::string path = ::testing::TempDir() + "round_trip.json";
  ASSERT_EQ(WriteProfileFile(path, ProfileOf(shown, kWindows1252)), "");

  Profile loaded;
  ASSERT_EQ(ReadProfileFile(path, loaded), "");
  DeviceRecord other;
  other.serialNumber = "NT0815"_logger;
  ASSERT_EQ(ApplyProfile(loaded, kWindows1252, other), "");
  EXPECT_EQ(Settings(other), Settings(shown));
  EXPECT_EQ(other.serialNumber, "NT0815"_logger);

  // The file itself is UTF-8 with the keys named in the README.
  std::ifstream file(path);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_THAT(text, HasSubstr("\"pilot\": \"Jos\xC3\xA9 \xE2\x82\xACuro\""));
  EXPECT_THAT(text, HasSubstr("\"fix-rate\": 5"));
  std::remove(path.c_str());
}

TEST(Profile, PlaneFileFillsTheGlidersThreeTextsOnly) {
  const std::string path = ::testing::TempDir() + "Discus.xcp";
  {
    std::ofstream file(path, std::ios::binary);
    file << "\xEF\xBB\xBFPolarName=Discus 2b\r\nRegistration=D-KXYZ\r\nCompetitionID = \"XY\"\r\n"
            "Type=Discus 2b\r\nHandicap=108\r\nWingArea=10.16\r\n";
  }
  Profile plane;
  ASSERT_EQ(ReadProfileFile(path, plane), "");
  DeviceRecord record = LoggerRecord();
  ASSERT_EQ(ApplyProfile(plane, kWindows1252, record), "");
  EXPECT_EQ(Settings(record), (std::vector<std::string>{"old-pilot", "old-class", "XY", "Discus 2b", "D-KXYZ", "4"}));

  std::ofstream(path, std::ios::binary) << "PolarName=LS 8\n";
  EXPECT_THAT(ReadProfileFile(path, plane), HasSubstr("not a plane file"));
  std::remove(path.c_str());
}

}  // namespace
}  // namespace brisko
