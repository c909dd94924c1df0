// The arithmetic and the readers behind the benchmark and soak figures: a
// wrong percentile or a misread /proc line would report figures that look
// plausible and are not.
#include <unistd.h>

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "bench/distribution.h"
#include "bench/process_usage.h"
#include "bench/soak_check.h"

namespace brisko {
namespace {

std::vector<double> OneTo(int n) {
  std::vector<double> values(static_cast<std::size_t>(n));
  std::iota(values.begin(), values.end(), 1.0);
  return values;
}

TEST(DistributionTest, NearestRankPercentiles) {
  struct Case {
    const char* name;
    std::vector<double> samples;
    std::size_t count;
    double min, median, p99, max;
  };
  const Case cases[] = {
      {"none", {}, 0, 0, 0, 0, 0},
      {"one", {7.5}, 1, 7.5, 7.5, 7.5, 7.5},
      {"two: the median is the lower", {3, 1}, 2, 1, 1, 3, 3},
      {"odd count", {5, 1, 4, 2, 3}, 5, 1, 3, 5, 5},
      {"1..100", OneTo(100), 100, 1, 50, 99, 100},
      {"1..1000: p99 below the maximum", OneTo(1000), 1000, 1, 500, 990, 1000},
      {"one outlier in a hundred stays out of p99", [] {
         std::vector<double> v(99, 1.0);
         v.push_back(500.0);
         return v;
       }(), 100, 1, 1, 1, 500},
  };
  for (const Case& c : cases) {
    const Distribution d = Summarize(c.samples);
    EXPECT_EQ(d.count, c.count) << c.name;
    EXPECT_DOUBLE_EQ(d.min, c.min) << c.name;
    EXPECT_DOUBLE_EQ(d.median, c.median) << c.name;
    EXPECT_DOUBLE_EQ(d.p99, c.p99) << c.name;
    EXPECT_DOUBLE_EQ(d.max, c.max) << c.name;
  }
}

TEST(ProcessUsageTest, StatLineGivesUserPlusSystemTicks) {
  const std::string tail = " S 1 2 3 4 5 6 7 8 9 10 1200 34 0 0 20 0 3 0 100 2000000 500";
  struct Case {
    const char* name;
    std::string stat;
    long long ticks;
  };
  const Case cases[] = {
      {"plain name", "4242 (brisko)" + tail, 1234},
      {"name with spaces and parentheses", "4242 (a (b) c) d)" + tail, 1234},
      {"cut short before stime", "4242 (brisko) S 1 2 3 4 5 6 7 8 9 10 1200", -1},
      {"no name", "4242 brisko S 1", -1},
      {"words where the times are", "4242 (x) S 1 2 3 4 5 6 7 8 9 10 a b", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseStatCpuTicks(c.stat), c.ticks) << c.name;
}

TEST(ProcessUsageTest, StatusGivesResidentSize) {
  struct Case {
    const char* name;
    std::string status;
    long kib;
  };
  const Case cases[] = {
      {"among other lines", "Name:\tbrisko\nVmHWM:\t  9000 kB\nVmRSS:\t  8123 kB\nRssAnon:\t 100 kB\n", 8123},
      {"first line", "VmRSS: 77 kB\n", 77},
      {"only the peak", "VmHWM:\t9000 kB\n", -1},
      {"a look-alike key", "XVmRSS:\t5 kB\n", -1},
      {"no unit", "VmRSS:\t5\n", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseStatusRssKiB(c.status), c.kib) << c.name;
}

TEST(ProcessUsageTest, ReadsThisProcessAndRefusesOneThatIsGone) {
  const ProcessUsage self = ReadProcessUsage(0);
  ASSERT_TRUE(self.ok);
  EXPECT_GT(self.rssKiB, 0);
  EXPECT_GE(self.cpuSeconds, 0.0);
  EXPECT_EQ(ReadProcessUsage(::getpid()).ok, true);
  EXPECT_FALSE(ReadProcessUsage(2147483646).ok);
}

TEST(SoakCheckTest, RssSpreadCountsOnlySamplesFromTheEndOfWarmUp) {
  const std::vector<RssSample> samples = {{5, 1000}, {60, 9000}, {65, 9500}, {120, 9300}};
  EXPECT_EQ(RssSpreadAfter(samples, 0), 8500);
  EXPECT_EQ(RssSpreadAfter(samples, 60), 500);  // a sample at the boundary counts
  EXPECT_EQ(RssSpreadAfter(samples, 100), 0);
  EXPECT_EQ(RssSpreadAfter(samples, 121), -1);
}

TEST(SoakCheckTest, LoggedCountIsTheFirstFromTheGivenLine) {
  const std::string label = "good sentences written before: ";
  const std::vector<std::string> log = {
      "[ 10 ms] the tool reads again; good sentences written before: 12",
      "[ 20 ms] the tool reads again; good sentences written before: ",
      "[ 30 ms] the tool reads again; good sentences written before: 345 and more",
      "brisko-sim: good sentences written: 99999999999",
  };
  std::uint64_t count = 0;
  ASSERT_TRUE(FindLoggedCount(log, label, count));
  EXPECT_EQ(count, 12u);
  ASSERT_TRUE(FindLoggedCount(log, label, count, 1));  // a label without digits is passed over
  EXPECT_EQ(count, 345u);
  ASSERT_TRUE(FindLoggedCount(log, "brisko-sim: good sentences written: ", count));
  EXPECT_EQ(count, 99999999999u);
  count = 7;
  EXPECT_FALSE(FindLoggedCount(log, label, count, 3));
  EXPECT_EQ(count, 7u);
}

TEST(SoakCheckTest, EveryGoodSentenceWrittenIsPostedAndHandled) {
  constexpr int kExited = 0;        // waitpid status of exit(0)
  constexpr int kExitedOne = 1 << 8;
  constexpr int kKilled = 11;       // terminated by SIGSEGV
  SoakCounts good;
  good.simulatorCountsLogged = true;
  good.writtenBeforeReading = 40;
  good.writtenAtExit = 1040;
  good.posted = 1000;
  good.handled = 1000;

  struct Case {
    const char* name;
    SoakCounts counts;
    long spread;
    int status;
    std::size_t failures;
    std::string firstFailure;
  };
  auto with = [&](auto change) {
    SoakCounts counts = good;
    change(counts);
    return counts;
  };
  const Case cases[] = {
      {"all counted", good, 1024, kExited, 0, ""},
      {"one sentence lost between line and post", with([](SoakCounts& c) { c.posted = 999; c.handled = 999; }), 0,
       kExited, 1, "1000 good sentences written, 999 posted"},
      {"posts left unhandled", with([](SoakCounts& c) { c.handled = 990; }), 0, kExited, 1, "1000 posted, 990 handled"},
      {"counts missing", with([](SoakCounts& c) { c.simulatorCountsLogged = false; }), 0, kExited, 1,
       "the simulator's counts are missing from its log"},
      {"counts that run backwards", with([](SoakCounts& c) { c.writtenAtExit = 10; }), 0, kExited, 1,
       "the simulator's counts are missing from its log"},
      {"memory grew", good, 1025, kExited, 1, "resident memory spread 1025 KiB after warm-up (at most 1024)"},
      {"no sample after warm-up", good, -1, kExited, 1, "resident memory spread -1 KiB after warm-up (at most 1024)"},
      {"simulator failed", good, 0, kExitedOne, 1, "the simulator ended with wait status 256"},
      {"simulator crashed and memory grew", good, 4096, kKilled, 2, "the simulator ended with wait status 11"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> failures = SoakFailures(c.counts, c.spread, 1024, c.status);
    ASSERT_EQ(failures.size(), c.failures) << c.name;
    if (!failures.empty()) {
      EXPECT_EQ(failures.front(), c.firstFailure) << c.name;
    }
  }
}

}  // namespace
}  // namespace brisko
