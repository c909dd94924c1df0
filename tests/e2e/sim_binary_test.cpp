// brisko-sim as a program: how it announces and withdraws its port, and how
// it refuses a bad command line. (Its logic is tested in tests/sim.)
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/e2e/sim_process.h"

namespace brisko {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

bool EntryExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

std::string LinkTarget(const std::string& path) {
  char buffer[512];
  const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

TEST(SimBinaryTest, PublishesTheFirstFreePortAndRemovesItOnEachStopSignal) {
  for (const int signalNumber : {SIGTERM, SIGINT}) {
    SimProcess sim({"--family", "0"});
    ASSERT_TRUE(sim.started()) << ::testing::PrintToString(sim.Lines());
    EXPECT_EQ(sim.port(), 1);
    const std::string entry = sim.portsDirectory() + "/COM1";
    EXPECT_EQ(LinkTarget(entry), sim.devicePath());
    {
      // A second simulator in the same directory takes the next number, and
      // removes only its own entry.
      SimProcess second({}, sim.portsDirectory());
      ASSERT_TRUE(second.started());
      EXPECT_EQ(second.port(), 2);
      EXPECT_NE(second.devicePath(), sim.devicePath());
    }
    EXPECT_FALSE(EntryExists(sim.portsDirectory() + "/COM2"));
    EXPECT_EQ(LinkTarget(entry), sim.devicePath());
    const int status = sim.Stop(signalNumber);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_FALSE(EntryExists(entry)) << "signal " << signalNumber;
    EXPECT_THAT(sim.Lines(), Contains("brisko-sim: COM1 removed"));
  }
}

TEST(SimBinaryTest, HelpAndBadOptionsExitWithoutPublishingAnything) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* output;
  };
  for (const Case& c : {Case{{"--help"}, 0, "Usage: brisko-sim"}, Case{{"--family", "7"}, 2, "bad value \"7\""},
                        Case{{"--bogus"}, 2, "unknown option --bogus"}}) {
    SimProcess sim(c.args);
    EXPECT_FALSE(sim.started());
    const int status = sim.Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << c.args.front();
    EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << c.args.front();
    std::string output;
    for (const auto& line : sim.Lines()) output += line + "\n";
    EXPECT_THAT(output, HasSubstr(c.output));
    EXPECT_FALSE(EntryExists(sim.portsDirectory()));
  }
}

}  // namespace
}  // namespace brisko
