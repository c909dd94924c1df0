// What the simulator makes of the bytes the tool writes, and how its log
// shows them: fed whole and byte by byte, the same lines come out.
#include "sim/command_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/sentence_framing.h"
#include "sim/wire_text.h"

namespace brisko {
namespace {

using Kind = ReceivedLine::Kind;

struct Expected {
  Kind kind;
  std::string text;
};

struct ReaderCase {
  const char* name;
  std::string bytes;
  std::vector<Expected> lines;
  std::string firstLog;  // the log text of the first line
};

std::vector<ReceivedLine> FeedAll(const std::string& bytes, std::size_t chunk) {
  CommandReader reader;
  std::vector<ReceivedLine> lines;
  for (std::size_t i = 0; i < bytes.size(); i += chunk) {
    const std::size_t n = std::min(chunk, bytes.size() - i);
    reader.Feed(reinterpret_cast<const unsigned char*>(bytes.data() + i), n,
                [&](const ReceivedLine& line) { lines.push_back(line); });
  }
  return lines;
}

class CommandReaderTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(CommandReaderTest, ReportsEachLineWholeOrByteByByte) {
  const ReaderCase& c = GetParam();
  for (const std::size_t chunk : {c.bytes.size(), std::size_t{1}, std::size_t{7}}) {
    const std::vector<ReceivedLine> lines = FeedAll(c.bytes, chunk);
    ASSERT_EQ(lines.size(), c.lines.size()) << "chunk " << chunk;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].kind, c.lines[i].kind) << "line " << i << ", chunk " << chunk;
      EXPECT_EQ(lines[i].text, c.lines[i].text) << "line " << i << ", chunk " << chunk;
    }
    if (!lines.empty()) {
      EXPECT_EQ(FormatReceivedLine(lines.front()), c.firstLog);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandReaderTest,
    ::testing::Values(
        ReaderCase{"Good", "$NT800,1*3F\r\n", {{Kind::Good, "$NT800,1"}}, "rx \"$NT800,1\" checksum ok"},
        ReaderCase{"TwoInARow",
                   "$NT987,1*31\r\n$NT900,4,51,0*0F\r\n",
                   {{Kind::Good, "$NT987,1"}, {Kind::Good, "$NT900,4,51,0"}},
                   "rx \"$NT987,1\" checksum ok"},
        ReaderCase{"WrongDigits",
                   "$NT800,1*3E\r\n",
                   {{Kind::BadChecksum, "$NT800,1"}},
                   "rx \"$NT800,1\" checksum BAD (sent 3E, computed 3F), ignored"},
        ReaderCase{"LowercaseDigits",
                   "$NT800,1*3f\r\n",
                   {{Kind::BadChecksum, "$NT800,1"}},
                   "rx \"$NT800,1\" checksum BAD (no valid digits, computed 3F), ignored"},
        ReaderCase{"NoChecksum",
                   "$NT800,1\r\n",
                   {{Kind::NoChecksum, "$NT800,1\r\n"}},
                   "rx \"$NT800,1\\r\\n\" checksum MISSING, ignored"},
        ReaderCase{"NoiseThenDollarRestarts",
                   "xy$NT800,1*3F\r\n",
                   {{Kind::Restarted, ""}, {Kind::Good, "$NT800,1"}},
                   "rx \"$\" inside a line: the bytes before it are dropped"},
        ReaderCase{"OverlongLineIsDroppedAndItsRestStandsAlone",
                   "$" + std::string(300, 'A') + "\r\n",
                   {{Kind::Overlong, ""}, {Kind::NoChecksum, std::string(44, 'A') + "\r\n"}},
                   "rx line longer than 256 bytes dropped"},
        ReaderCase{"LatinOneBytesAreEscapedInTheLog",
                   WithChecksumTail("$NT968,Jos\xE8"),
                   {{Kind::Good, "$NT968,Jos\xE8"}},
                   "rx \"$NT968,Jos\\xE8\" checksum ok"}),
    [](const ::testing::TestParamInfo<ReaderCase>& param) { return param.param.name; });

TEST(EscapeForLogTest, ShowsEveryByteReversibly) {
  struct Case {
    std::string bytes;
    std::string shown;
  };
  for (const Case& c : {Case{"plain text 123", "plain text 123"}, Case{"a\\b", "a\\\\b"}, Case{"say \"hi\"", "say \\\"hi\\\""},
                        Case{"\r\n\t", "\\r\\n\\t"}, Case{std::string("\0\x01\x7F", 3), "\\x00\\x01\\x7F"},
                        Case{"\x80\xFF", "\\x80\\xFF"}}) {
    EXPECT_EQ(EscapeForLog(c.bytes), c.shown);
  }
}

}  // namespace
}  // namespace brisko
