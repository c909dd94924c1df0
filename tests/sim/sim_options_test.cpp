// The command line: every option reaches the setting it names, and bad values
// are refused with a message instead of starting a logger that lies.
#include "sim/sim_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace brisko {
namespace {

using ::testing::HasSubstr;

TEST(SimOptionsTest, EachOptionSetsItsValueWithASpaceOrAnEqualsSign) {
  struct Case {
    std::vector<std::string> args;
    std::function<bool(const SimOptions&)> holds;
  };
  const std::vector<Case> cases = {
      {{"--family", "0"}, [](const SimOptions& o) { return o.logger.family == SimulatedFamily::First; }},
      {{"--family=800"}, [](const SimOptions& o) { return o.logger.family == SimulatedFamily::Second; }},
      {{"--port", "12"}, [](const SimOptions& o) { return o.port == 12; }},
      {{"--serial=AB-99"}, [](const SimOptions& o) { return o.logger.serialNumber == "AB-99"; }},
      {{"--hardware", "15", "--firmware", "31"},
       [](const SimOptions& o) { return o.logger.hardwareTenths == 15 && o.logger.firmwareTenths == 31; }},
      {{"--sealed", "0"}, [](const SimOptions& o) { return !o.logger.sealed; }},
      {{"--fix-rate", "60"}, [](const SimOptions& o) { return o.logger.fixRateSeconds == 60; }},
      {{"--record-mode", "3"}, [](const SimOptions& o) { return o.logger.recordMode == 3; }},
      {{"--pilot", "Jos\xE8 M", "--class", "", "--comp-id", "Z9", "--glider-type", "DG 808", "--glider-id", "HB-1"},
       [](const SimOptions& o) {
         return o.logger.texts == std::array<std::string, 5>{"Jos\xE8 M", "", "Z9", "DG 808", "HB-1"};
       }},
      {{"--voltage", "11.9"}, [](const SimOptions& o) { return o.logger.inputVoltage == 11.9; }},
      {{"--temperature", "-3.5", "--humidity", "99.9"},
       [](const SimOptions& o) { return o.logger.temperatureTenths == -35 && o.logger.humidityTenths == 999; }},
      {{"--flights", "0"}, [](const SimOptions& o) { return o.logger.flightCount == 0; }},
      {{"--silent-after", "2.5"}, [](const SimOptions& o) { return o.silentAfterSeconds == 2.5; }},
      {{"--noise", "0.01"}, [](const SimOptions& o) { return o.noiseRate == 0.01; }},
      {{"--garbage", "--flood", "--verbose"}, [](const SimOptions& o) { return o.garbage && o.flood && o.verbose; }},
      {{"--seed", "4294967295"}, [](const SimOptions& o) { return o.seedGiven && o.seed == 4294967295u; }},
  };
  for (const Case& c : cases) {
    SimOptions options;
    std::string error;
    ASSERT_EQ(ParseSimOptions(c.args, options, error), ParseOutcome::Run) << c.args.front() << ": " << error;
    EXPECT_TRUE(c.holds(options)) << c.args.front();
  }
}

TEST(SimOptionsTest, RefusesWhatWouldBreakTheSentencesOrMakesNoSense) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{"--family", "1"}, "bad value \"1\" for --family"},
      {{"--port", "0"}, "for --port"},
      {{"--port", "3x"}, "for --port"},
      {{"--serial", ""}, "for --serial"},
      {{"--pilot", "A,B"}, "for --pilot"},
      {{"--pilot", "A*B"}, "for --pilot"},
      {{"--glider-id", "$X"}, "for --glider-id"},
      {{"--comp-id", "A\tB"}, "for --comp-id"},
      {{"--glider-type", "A\x01"}, "for --glider-type"},
      {{"--class", std::string(64, 'c')}, "for --class"},
      {{"--fix-rate", "0"}, "for --fix-rate"},
      {{"--record-mode", "4"}, "for --record-mode"},
      {{"--sealed", "yes"}, "for --sealed"},
      {{"--noise", "1.5"}, "for --noise"},
      {{"--noise", "nan"}, "for --noise"},
      {{"--silent-after", "-1"}, "for --silent-after"},
      {{"--seed", "-1"}, "for --seed"},
      {{"--seed", "4294967296"}, "for --seed"},
      {{"--firmware"}, "--firmware needs a value"},
      {{"--garbage=1"}, "--garbage takes no value"},
      {{"--colour", "red"}, "unknown option --colour"},
      {{"stray"}, "unknown option stray"},
  };
  for (const Case& c : cases) {
    SimOptions options;
    std::string error;
    EXPECT_EQ(ParseSimOptions(c.args, options, error), ParseOutcome::Error) << c.args.front();
    EXPECT_THAT(error, HasSubstr(c.message));
  }
}

TEST(SimOptionsTest, HelpDocumentsEveryOption) {
  SimOptions options;
  std::string error;
  EXPECT_EQ(ParseSimOptions({"--port", "3", "--help"}, options, error), ParseOutcome::ShowHelp);
  EXPECT_EQ(ParseSimOptions({"-h"}, options, error), ParseOutcome::ShowHelp);
  const std::string help = SimHelpText();
  for (const char* option :
       {"--family", "--port", "--serial", "--hardware", "--firmware", "--sealed", "--fix-rate", "--record-mode",
        "--pilot", "--class", "--comp-id", "--glider-type", "--glider-id", "--voltage", "--temperature",
        "--humidity", "--flights", "--silent-after", "--noise", "--garbage", "--flood", "--seed", "--verbose",
        "--help"}) {
    EXPECT_THAT(help, HasSubstr(std::string("  ") + option)) << option;
    // Every option the help names is one the parser takes.
    if (std::string(option) == "--help") continue;
    error.clear();
    ParseSimOptions({option}, options, error);
    EXPECT_THAT(error, ::testing::Not(HasSubstr("unknown option"))) << option;
  }
}

}  // namespace
}  // namespace brisko
