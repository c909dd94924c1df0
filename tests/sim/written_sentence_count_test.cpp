// The simulator's count of good sentences written must match what the tool's
// framing makes of the same bytes, however the writes split them.
#include "sim/written_sentence_count.h"

#include <gtest/gtest.h>

#include <string>

#include "link/sentence_framing.h"

namespace brisko {
namespace {

struct CountCase {
  const char* name;
  std::string stream;
  std::uint64_t good;
};

const std::string kGga = WithChecksumTail("$GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
const std::string k801 = WithChecksumTail("$NT801,12.4,0.0,0.0,0.0,0,0,215,473,0");

std::string Damaged(std::string line, std::size_t pos, char byte) {
  line[pos] = byte;
  return line;
}

TEST(WrittenSentenceCountTest, CountsWhatTheToolsFramingAccepts) {
  const CountCase cases[] = {
      {"nothing", "", 0},
      {"two good lines", kGga + k801, 2},
      {"a damaged field is dropped", Damaged(kGga, 10, 'X') + k801, 1},
      {"noise on the dollar still passes", Damaged(kGga, 0, '#') + k801, 2},
      {"noise on the carriage return still passes", Damaged(k801, k801.size() - 2, 'Z'), 1},
      {"a lost line feed loses that line only", Damaged(kGga, kGga.size() - 1, 'Q') + k801, 1},
      {"junk before a line", "\x01\x02garbage" + kGga, 1},
      {"a line cut short by the next", kGga.substr(0, 20) + k801, 1},
      {"lower-case checksum digits", "$NT801,1*3a\r\n" + k801, 1},
      {"a line over 256 bytes", "$NT805,1," + std::string(300, 'A') + "*00\r\n" + kGga, 1},
  };
  for (const auto& c : cases) {
    WrittenSentenceCount whole;
    whole.Written(c.stream.data(), c.stream.size());
    EXPECT_EQ(whole.good(), c.good) << c.name;

    // Writes to a pseudo-terminal take what fits: any split must count the same.
    for (std::size_t cut = 1; cut < c.stream.size(); ++cut) {
      WrittenSentenceCount split;
      split.Written(c.stream.data(), cut);
      split.Written(c.stream.data() + cut, c.stream.size() - cut);
      ASSERT_EQ(split.good(), c.good) << c.name << ", split at " << cut;
    }
  }
}

}  // namespace
}  // namespace brisko
