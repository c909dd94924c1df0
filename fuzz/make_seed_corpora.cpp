// Writes the seed corpora of the fuzz targets from the simulator's own
// sentences: brisko_fuzz_seeds <directory> fills <directory>/receive,
// <directory>/commands and <directory>/settings (fuzz/corpus/ in the
// repository). Each seed is a small file named after what it holds.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "sim/line_faults.h"
#include "sim/logger_model.h"
#include "sim/position_sentences.h"
#include "link/sentence_framing.h"

namespace {

using namespace brisko;

constexpr std::int64_t kNoonOfASummerDay = 1715515200;  // 2024-05-12 12:00:00 UTC

bool WriteSeed(const std::string& directory, const std::string& name, const std::string& bytes) {
  ::mkdir(directory.c_str(), 0755);
  const std::string path = directory + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::perror(path.c_str());
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

LoggerModel Logger(SimulatedFamily family) {
  LoggerSettings settings;
  settings.family = family;
  return LoggerModel(settings);
}

// What a logger sends after an open: its answer to the identification, the
// position and (second family) the readings, each line with its tail.
std::string SessionLines(SimulatedFamily family) {
  LoggerModel logger = Logger(family);
  std::vector<std::string> sentences;
  for (const char* command : {"$NT900,4,51,0", "$NT987,1", "$NT800,1"}) {
    for (auto& reply : logger.HandleCommand(command).replies) sentences.push_back(reply);
  }
  sentences.push_back(GgaSentence(kNoonOfASummerDay));
  sentences.push_back(RmcSentence(kNoonOfASummerDay));
  if (family == SimulatedFamily::Second) sentences.push_back(logger.Reply801());
  std::string lines;
  for (const auto& sentence : sentences) lines += WithChecksumTail(sentence);
  return lines;
}

// What a logger sends while a Set sequence of its family comes in.
std::string SetReplies(SimulatedFamily family, const std::vector<std::string>& commands) {
  LoggerModel logger = Logger(family);
  std::string lines;
  for (const auto& command : commands) {
    for (auto& reply : logger.HandleCommand(command).replies) lines += WithChecksumTail(reply);
  }
  return lines;
}

// The receive target reads eight control bytes first: port open, the answer
// to the confirmation, the clock's start, and six per-line actions.
std::string Control(std::uint8_t flags, std::uint8_t clock, std::uint8_t action) {
  std::string control = {static_cast<char>(flags), static_cast<char>(clock)};
  control.append(6, static_cast<char>(action));
  return control;
}

bool ReceiveSeeds(const std::string& directory) {
  const std::string first = SessionLines(SimulatedFamily::First);
  const std::string second = SessionLines(SimulatedFamily::Second);
  const std::string firstSet = SetReplies(
      SimulatedFamily::First, {"$NT969,2", "$NT968,Bruno Neri", "$NT967,Open", "$NT966,BN", "$NT965,LS 4",
                            "$NT964,I-ABCD", "$NT902,5", "$NT990,1", "$NT969,3"});
  const std::string secondSet = SetReplies(
      SimulatedFamily::Second, {"$NT806,4,2", "$NT805,1,Bruno Neri", "$NT805,2,Open", "$NT805,3,BN",
                             "$NT805,4,LS 4", "$NT805,5,I-ABCD", "$NT802,3,5", "$NT802,99", "$NT806,4,3"});

  std::mt19937 random(20240512);
  std::string garbage;
  for (int i = 0; i < 12; ++i) garbage += GarbageLine(random);
  std::string noisy = second;
  const LineNoise noise(0.02);
  std::string damaged;
  for (std::size_t start = 0; start < noisy.size();) {
    const std::size_t end = noisy.find('\n', start) + 1;
    std::string line = noisy.substr(start, end - start);
    noise.Apply(line, random);
    damaged += line;
    start = end;
  }

  bool ok = true;
  ok &= WriteSeed(directory, "first-family-session", Control(0x03, 0, 0x00) + first);
  ok &= WriteSeed(directory, "second-family-session", Control(0x03, 0, 0x00) + second);
  ok &= WriteSeed(directory, "first-family-set-replies", Control(0x01, 1, 0x02) + first + firstSet);
  ok &= WriteSeed(directory, "second-family-set-replies", Control(0x01, 2, 0x02) + second + secondSet);
  ok &= WriteSeed(directory, "family-change", Control(0x03, 3, 0x04) + first + second + first);
  ok &= WriteSeed(directory, "staleness-between-lines", Control(0x01, 4, 0x19) + second);
  ok &= WriteSeed(directory, "late-dispatch", Control(0x01, 0, 0x20) + second + second + second + second);
  ok &= WriteSeed(directory, "garbage", Control(0x03, 0, 0x80) + garbage + second);
  ok &= WriteSeed(directory, "noise", Control(0x03, 0, 0x40) + damaged);
  return ok;
}

// The commands target reads a settings byte (bit 7: second family; the rest:
// the clock's step per pass), the fix-rate index, then length-prefixed texts.
std::string CommandSeed(bool secondFamily, std::uint8_t step, std::int32_t fixRateIndex,
                        const std::vector<std::string>& texts) {
  std::string seed(1, static_cast<char>((secondFamily ? 0x80 : 0x00) | (step & 0x7F)));
  for (int shift = 0; shift < 32; shift += 8) {
    seed.push_back(static_cast<char>((static_cast<std::uint32_t>(fixRateIndex) >> shift) & 0xFF));
  }
  for (const auto& text : texts) {
    seed.push_back(static_cast<char>(text.size() & 0xFF));
    seed += text.substr(0, 255);
  }
  return seed;
}

bool CommandSeeds(const std::string& directory) {
  const LoggerSettings defaults;
  const std::vector<std::string> texts(defaults.texts.begin(), defaults.texts.end());
  // A glider id that brings "$NT805,5," + id to 250 and 251 bytes: the last
  // length the link sends and the first it refuses.
  const std::string longest(250 - 9, 'X');
  const std::string tooLong(251 - 9, 'X');
  bool ok = true;
  ok &= WriteSeed(directory, "first-family-defaults", CommandSeed(false, 1, defaults.fixRateSeconds - 1, texts));
  ok &= WriteSeed(directory, "second-family-defaults", CommandSeed(true, 1, defaults.fixRateSeconds - 1, texts));
  ok &= WriteSeed(directory, "no-fix-rate-and-empty-texts", CommandSeed(true, 60, -1, {"", "", "", "", ""}));
  ok &= WriteSeed(directory, "latin1-and-commas",
                  CommandSeed(false, 101, 9, {"Jos\xE9 Neri", "Club,Open", "AR", "Discus 2b", "D-1234"}));
  ok &= WriteSeed(directory, "length-limit",
                  CommandSeed(true, 7, 59, {texts[0], texts[1], texts[2], texts[3], longest}));
  ok &= WriteSeed(directory, "over-length-limit",
                  CommandSeed(true, 7, 59, {texts[0], texts[1], texts[2], texts[3], tooLong}));
  ok &= WriteSeed(directory, "framing-bytes-in-texts",
                  CommandSeed(false, 33, 2147483647, {"A*B", "$NT0", "line\nfeed", std::string("nul\0x", 5), "ok"}));
  return ok;
}

bool SettingsSeeds(const std::string& directory) {
  bool ok = true;
  ok &= WriteSeed(directory, "port-3", "3");
  ok &= WriteSeed(directory, "port-3-crlf", "3\r\n");
  ok &= WriteSeed(directory, "digits-then-letters", "12abc\n7\n");
  ok &= WriteSeed(directory, "com-prefix", "COM3");
  ok &= WriteSeed(directory, "empty", "");
  ok &= WriteSeed(directory, "signed-with-space", " -7\r\n");
  ok &= WriteSeed(directory, "overlong-line", std::string(200, '9'));
  ok &= WriteSeed(directory, "nul-inside", std::string("2\0" "9", 3));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  ::mkdir(root.c_str(), 0755);
  const bool ok = ReceiveSeeds(root + "/receive") && CommandSeeds(root + "/commands") &&
                  SettingsSeeds(root + "/settings");
  return ok ? 0 : 1;
}
