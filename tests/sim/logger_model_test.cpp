// The simulated logger as a table of the protocol: which command each family
// understands, what it answers, and what the Set sequences leave behind.
#include "sim/logger_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/sentence_framing.h"
#include "link/sentence_slots.h"
#include "link/sentence_text.h"
#include "sim/wire_text.h"

namespace brisko {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

LoggerSettings Settings(SimulatedFamily family) {
  LoggerSettings settings;
  settings.family = family;
  settings.serialNumber = "SN77";
  settings.hardwareTenths = 13;
  settings.firmwareTenths = 27;
  settings.sealed = false;
  settings.fixRateSeconds = 4;
  settings.recordMode = 3;
  settings.texts = {"Pilot", "Std", "XY", "LS4", "I-ABCD"};
  settings.flightCount = 7;
  return settings;
}

std::vector<std::string> RunCommands(LoggerModel& model, const std::vector<std::string>& commands) {
  std::vector<std::string> replies;
  for (const auto& command : commands) {
    const CommandResult result = model.HandleCommand(command);
    replies.insert(replies.end(), result.replies.begin(), result.replies.end());
  }
  return replies;
}

// Field n of a reply, counting the header as field 0 as the tool's handlers do.
std::string Field(const std::string& reply, std::size_t n) {
  const auto fields = SplitFields(reply);
  return n < fields.size() ? std::string(fields[n]) : "<missing>";
}

TEST(LoggerModelTest, FirstFamilyIdentifiesWithReplyZeroThenTheTexts) {
  LoggerModel model(Settings(SimulatedFamily::First));
  EXPECT_THAT(RunCommands(model, {"$NT900,4,51,0"}), ElementsAre("$NT0,SN77,13,27,7,14,1,8,1,0,0,100,0,4"));
  EXPECT_THAT(RunCommands(model, {"$NT987,1"}), ElementsAre("$NT3,7,574,4096,0,0,0,0", "$NT6,Pilot,Std", "$NT7,XY,LS4,I-ABCD"));
  EXPECT_THAT(RunCommands(model, {"$NT800,1"}), IsEmpty());
}

TEST(LoggerModelTest, SecondFamilyIdentifiesWithReply800TextsAndReadings) {
  LoggerSettings settings = Settings(SimulatedFamily::Second);
  settings.inputVoltage = 11.8;
  settings.temperatureTenths = -35;
  settings.humidityTenths = 900;
  LoggerModel model(settings);
  EXPECT_THAT(RunCommands(model, {"$NT800,1"}),
              ElementsAre("$NT800,SN77,13,27,7,14,4,3,0,0", "$NT805,1,Pilot", "$NT805,2,Std", "$NT805,3,XY",
                          "$NT805,4,LS4", "$NT805,5,I-ABCD", "$NT801,11.8,1013.2,3.9,0.0,8,1,-35,900,0"));
  EXPECT_THAT(RunCommands(model, {"$NT900,4,51,0", "$NT987,1"}), IsEmpty());
}

// The positions the tool reads: reply 0 fields 1, 2, 3, 10, 13; reply 800
// fields 1, 2, 3, 6, 7, 8; the seal is exactly "1" when sealed.
TEST(LoggerModelTest, IdentityRepliesCarryEachValueAtItsPosition) {
  for (const bool sealed : {false, true}) {
    LoggerSettings settings = Settings(SimulatedFamily::First);
    settings.sealed = sealed;
    const LoggerModel model(settings);
    const std::string reply0 = model.Reply0();
    EXPECT_EQ(Field(reply0, 1), "SN77");
    EXPECT_EQ(Field(reply0, 2), "13");
    EXPECT_EQ(Field(reply0, 3), "27");
    EXPECT_EQ(Field(reply0, 10), sealed ? "1" : "0");
    EXPECT_EQ(Field(reply0, 13), "4");
    EXPECT_EQ(SplitFields(reply0).size(), 14u);
    const std::string reply800 = model.Reply800();
    EXPECT_EQ(Field(reply800, 1), "SN77");
    EXPECT_EQ(Field(reply800, 2), "13");
    EXPECT_EQ(Field(reply800, 3), "27");
    EXPECT_EQ(Field(reply800, 6), "4");
    EXPECT_EQ(Field(reply800, 7), "3");
    EXPECT_EQ(Field(reply800, 8), sealed ? "1" : "0");
    EXPECT_EQ(SplitFields(reply800).size(), 10u);
  }
}

struct SetCase {
  const char* name;
  SimulatedFamily family;
  std::vector<std::string> commands;
  std::vector<std::string> expectedReplies;
};

class SetSequenceTest : public ::testing::TestWithParam<SetCase> {};

TEST_P(SetSequenceTest, StoresWhatTheSequenceCarriesAndReportsIt) {
  const SetCase& c = GetParam();
  LoggerModel model(Settings(c.family));
  EXPECT_EQ(RunCommands(model, c.commands), c.expectedReplies);
}

INSTANTIATE_TEST_SUITE_P(
    Families, SetSequenceTest,
    ::testing::Values(
        SetCase{"FirstFamily",
                SimulatedFamily::First,
                {"$NT969,2", "$NT968,Bruno Neri", "$NT967,15m", "$NT966,BN", "$NT965,Discus", "$NT964,D-5555",
                 "$NT902,10", "$NT990,1", "$NT969,3"},
                {"$NT6,Bruno Neri,15m", "$NT7,BN,Discus,D-5555", "$NT0,SN77,13,27,7,14,1,8,1,0,0,100,0,10"}},
        SetCase{"FirstFamilyWithEmptyTexts",
                SimulatedFamily::First,
                {"$NT969,2", "$NT968,", "$NT967,", "$NT966,", "$NT965,", "$NT964,", "$NT902,1", "$NT990,1",
                 "$NT969,3"},
                {"$NT6,,", "$NT7,,,", "$NT0,SN77,13,27,7,14,1,8,1,0,0,100,0,1"}},
        SetCase{"SecondFamily",
                SimulatedFamily::Second,
                {"$NT806,4,2", "$NT805,1,Bruno Neri", "$NT805,2,15m", "$NT805,3,BN", "$NT805,4,Discus",
                 "$NT805,5,D-5555", "$NT802,3,10", "$NT802,99", "$NT806,4,3"},
                {"$NT805,1,Bruno Neri", "$NT805,2,15m", "$NT805,3,BN", "$NT805,4,Discus", "$NT805,5,D-5555",
                 "$NT800,SN77,13,27,7,14,10,3,0,0"}},
        // Fields outside a sequence are ignored; the end reports what is stored.
        SetCase{"SecondFamilyFieldsBeforeTheStartAreIgnored",
                SimulatedFamily::Second,
                {"$NT805,1,Early", "$NT802,3,9", "$NT806,4,2", "$NT805,4,Late", "$NT806,4,3"},
                {"$NT805,1,Pilot", "$NT805,2,Std", "$NT805,3,XY", "$NT805,4,Late", "$NT805,5,I-ABCD",
                 "$NT800,SN77,13,27,7,14,4,3,0,0"}},
        // A second start drops what the unfinished sequence carried.
        SetCase{"FirstFamilyRestartDropsTheUnfinishedSequence",
                SimulatedFamily::First,
                {"$NT969,2", "$NT968,Lost", "$NT902,9", "$NT969,2", "$NT967,Kept", "$NT969,3"},
                {"$NT6,Pilot,Kept", "$NT7,XY,LS4,I-ABCD", "$NT0,SN77,13,27,7,14,1,8,1,0,0,100,0,4"}},
        SetCase{"EndWithoutStartSendsNothing", SimulatedFamily::First, {"$NT969,3", "$NT990,1"}, {}},
        // The other family's sequence is not understood at all.
        SetCase{"FirstFamilyIgnoresTheSecondFamilysSet",
                SimulatedFamily::First,
                {"$NT806,4,2", "$NT805,1,X", "$NT802,3,5", "$NT802,99", "$NT806,4,3"},
                {}},
        SetCase{"SecondFamilyIgnoresTheFirstFamilysSet",
                SimulatedFamily::Second,
                {"$NT969,2", "$NT968,X", "$NT902,5", "$NT990,1", "$NT969,3"},
                {}}),
    [](const ::testing::TestParamInfo<SetCase>& param) { return param.param.name; });

TEST(LoggerModelTest, FixRateOutsideOneToSixtyOrNotANumberKeepsTheOldOne) {
  for (const std::string bad : {"0", "61", "-2", "", "5x", "x", " 5"}) {
    LoggerModel model(Settings(SimulatedFamily::Second));
    RunCommands(model, {"$NT806,4,2", "$NT802,3," + bad, "$NT806,4,3"});
    EXPECT_EQ(model.settings().fixRateSeconds, 4) << "fix rate field \"" << bad << "\"";
  }
  for (const int good : {1, 60}) {
    LoggerModel model(Settings(SimulatedFamily::First));
    RunCommands(model, {"$NT969,2", "$NT902," + std::to_string(good), "$NT969,3"});
    EXPECT_EQ(model.settings().fixRateSeconds, good);
  }
}

TEST(LoggerModelTest, TextsAreSingleFieldsKeptByteForByteAndCutWhenTooLong) {
  LoggerModel model(Settings(SimulatedFamily::Second));
  const std::string latin1 = "Jos\xE8 M\xFCller";
  const std::string overlong(100, 'L');
  RunCommands(model, {"$NT806,4,2", "$NT805,1," + latin1, "$NT805,2,Open,Extra", "$NT805,3," + overlong, "$NT806,4,3"});
  EXPECT_EQ(model.settings().text(TextSetting::PilotName), latin1);
  EXPECT_EQ(model.settings().text(TextSetting::CompetitionClass), "Open");
  EXPECT_EQ(model.settings().text(TextSetting::CompetitionId), std::string(kMaxStoredText, 'L'));
}

TEST(LoggerModelTest, EachFamilyDeletesFlightsOnlyWithItsOwnCommand) {
  struct Case {
    SimulatedFamily family;
    const char* command;
    int flightsAfter;
  };
  for (const Case& c : {Case{SimulatedFamily::First, "$NT978,0", 0}, Case{SimulatedFamily::First, "$NT803,2", 7},
                        Case{SimulatedFamily::First, "$NT978,1", 7}, Case{SimulatedFamily::Second, "$NT803,2", 0},
                        Case{SimulatedFamily::Second, "$NT978,0", 7}, Case{SimulatedFamily::Second, "$NT803", 7}}) {
    LoggerModel model(Settings(c.family));
    const CommandResult result = model.HandleCommand(c.command);
    EXPECT_EQ(model.settings().flightCount, c.flightsAfter) << c.command;
    EXPECT_EQ(result.understood, c.flightsAfter == 0) << c.command;
    EXPECT_THAT(result.replies, IsEmpty());
  }
  LoggerModel model(Settings(SimulatedFamily::First));
  RunCommands(model, {"$NT978,0"});
  EXPECT_EQ(Field(model.Reply0(), 4), "0");
}

TEST(LoggerModelTest, MalformedAndUnknownCommandsChangeNothing) {
  for (const SimulatedFamily family : {SimulatedFamily::First, SimulatedFamily::Second}) {
    for (const char* command : {"", "$", "$NT", "$NTx", "$NT-1", "$NT+800,1", "$NT 800,1", "$NT1234567,1",
                                "NT800,1", "$nt800,1", "$NT800", "$NT800,2", "$NT800,1,1", "$NT900,4,51",
                                "$NT805,9,x", "$NT805,0,x", "$NT805,,x", "$NT805", "$NT1,2", "$GPGGA,1"}) {
      LoggerModel model(Settings(family));
      RunCommands(model, {family == SimulatedFamily::First ? "$NT969,2" : "$NT806,4,2"});
      const CommandResult result = model.HandleCommand(command);
      EXPECT_FALSE(result.understood) << command;
      EXPECT_THAT(result.replies, IsEmpty()) << command;
      EXPECT_THAT(result.note, ::testing::StartsWith("ignored: ")) << command;
      RunCommands(model, {family == SimulatedFamily::First ? "$NT969,3" : "$NT806,4,3"});
      const LoggerModel untouched(Settings(family));
      EXPECT_EQ(model.settings().texts, untouched.settings().texts) << command;
      EXPECT_EQ(model.settings().fixRateSeconds, 4) << command;
      EXPECT_EQ(model.settings().flightCount, 7) << command;
    }
  }
}

// Every reply, even with the longest texts the logger stores, passes the
// link's framing whole: at most 256 bytes with its tail, checksum good.
TEST(LoggerModelTest, EveryReplyFramesAsOneGoodSentence) {
  LoggerSettings settings = Settings(SimulatedFamily::Second);
  for (auto& text : settings.texts) text.assign(kMaxStoredText, '\xE9');
  settings.serialNumber.assign(kMaxStoredText, 'S');
  const LoggerModel model(settings);
  const std::vector<std::string> replies = {model.Reply0(),   model.Reply3(),   model.Reply6(),
                                            model.Reply7(),   model.Reply800(), model.Reply801(),
                                            model.Reply805(TextSetting::GliderId)};
  SentenceSlots slots;
  SentenceFramer framer(slots);
  for (const auto& reply : replies) {
    const std::string line = WithChecksumTail(reply);
    ASSERT_LE(line.size(), static_cast<std::size_t>(kMaxLineLength)) << reply;
    FrameResult last{FrameOutcome::Continue, -1};
    for (const char c : line) last = framer.AcceptByte(static_cast<unsigned char>(c));
    ASSERT_EQ(last.outcome, FrameOutcome::SentenceReady) << reply;
    EXPECT_EQ(slots.Text(last.slot), reply);
  }
}

TEST(LoggerModelTest, ReadingsDriftWithinTheirBoundsOnATenthsGrid) {
  LoggerSettings settings = Settings(SimulatedFamily::Second);
  settings.inputVoltage = 12.4;
  settings.temperatureTenths = 215;
  settings.humidityTenths = 473;
  LoggerModel model(settings);
  std::mt19937 random(7);
  bool moved = false;
  for (int i = 0; i < 5000; ++i) {
    model.DriftReadings(random);
    const LoggerSettings& now = model.settings();
    ASSERT_GE(now.inputVoltage, 12.4 - kVoltageDrift - 1e-9);
    ASSERT_LE(now.inputVoltage, 12.4 + kVoltageDrift + 1e-9);
    ASSERT_NEAR(now.inputVoltage * 10.0, std::round(now.inputVoltage * 10.0), 1e-6);
    ASSERT_LE(std::abs(now.temperatureTenths - 215), kTemperatureDriftTenths);
    ASSERT_LE(std::abs(now.humidityTenths - 473), kHumidityDriftTenths);
    moved = moved || now.temperatureTenths != 215;
  }
  EXPECT_TRUE(moved);
}

}  // namespace
}  // namespace brisko
