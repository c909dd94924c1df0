// The failure modes must damage lines in ways the link's checksum catches: a
// line that still passes must carry exactly what the logger meant to send.
#include "sim/line_faults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "link/sentence_framing.h"
#include "link/sentence_slots.h"
#include "sim/logger_model.h"
#include "sim/position_sentences.h"
#include "sim/wire_text.h"

namespace brisko {
namespace {

// Headers whose sentences the tool stores in its record.
bool IsStoredHeader(const std::string& sentence) {
  static const std::set<std::string> stored = {"$NT0", "$NT6", "$NT7", "$NT800", "$NT801", "$NT805", "$GPGGA"};
  return stored.count(sentence.substr(0, sentence.find(','))) > 0;
}

class Framed {
 public:
  // Feeds a line and returns the text of every good sentence it completed.
  std::vector<std::string> Feed(const std::string& bytes) {
    std::vector<std::string> good;
    for (const char c : bytes) {
      const FrameResult result = framer_.AcceptByte(static_cast<unsigned char>(c));
      ++outcomes_[result.outcome];
      if (result.outcome == FrameOutcome::SentenceReady) good.push_back(slots_.Text(result.slot));
    }
    return good;
  }
  int Count(FrameOutcome outcome) { return outcomes_[outcome]; }

 private:
  SentenceSlots slots_;
  SentenceFramer framer_{slots_};
  std::map<FrameOutcome, int> outcomes_;
};

std::vector<std::string> LoggerSentences() {
  LoggerSettings settings;
  const LoggerModel model(settings);
  return {model.Reply0(),   model.Reply3(),   model.Reply6(),
          model.Reply7(),   model.Reply800(), model.Reply801(),
          model.Reply805(TextSetting::PilotName), GgaSentence(1715508900), RmcSentence(1715508900)};
}

TEST(LineNoiseTest, EveryDamagedLineIsDroppedOrKeepsItsContentUnderAnUnknownHeader) {
  const std::vector<std::string> sentences = LoggerSentences();
  const LineNoise noise(0.02);
  std::mt19937 random(12345);
  Framed framed;
  int damaged = 0;
  int passedIntact = 0;
  for (int i = 0; i < 200000; ++i) {
    const std::string& sentence = sentences[static_cast<std::size_t>(i) % sentences.size()];
    std::string line = WithChecksumTail(sentence);
    if (noise.Apply(line, random)) ++damaged;
    for (const std::string& good : framed.Feed(line)) {
      // Either exactly a sentence that was sent (it may complete while a later
      // line is fed, when its line feed was hit), or one whose "$" was hit:
      // the same content under a header the tool does not recognise.
      const auto sent = std::find(sentences.begin(), sentences.end(), good);
      if (sent != sentences.end()) {
        ++passedIntact;
        continue;
      }
      ASSERT_FALSE(IsStoredHeader(good)) << "a damaged line passed as \"" << EscapeForLog(good) << "\"";
      ASSERT_TRUE(std::any_of(sentences.begin(), sentences.end(),
                              [&](const std::string& s) { return s.substr(1) == good.substr(1); }))
          << EscapeForLog(good);
    }
  }
  EXPECT_GT(damaged, 50000);
  EXPECT_GT(passedIntact, 200000 - damaged);  // a hit CR or a hit digit pair may still pass, intact
  EXPECT_GT(framed.Count(FrameOutcome::SentenceBad), 40000);
}

TEST(LineNoiseTest, DamagesAboutTheGivenFractionOfBytes) {
  const std::string line = WithChecksumTail(LoggerSentences()[5]);
  for (const double rate : {0.001, 0.005}) {
    const LineNoise noise(rate);
    std::mt19937 random(99);
    long long bytes = 0;
    long long changed = 0;
    for (int i = 0; i < 100000; ++i) {
      std::string copy = line;
      noise.Apply(copy, random);
      bytes += static_cast<long long>(line.size());
      for (std::size_t k = 0; k < line.size(); ++k) changed += copy[k] != line[k];
    }
    const double fraction = static_cast<double>(changed) / static_cast<double>(bytes);
    EXPECT_NEAR(fraction, rate, rate * 0.1) << "rate " << rate;
  }
  std::string untouched = line;
  std::mt19937 random(1);
  EXPECT_FALSE(LineNoise(0.0).Apply(untouched, random));
  EXPECT_EQ(untouched, line);
}

TEST(GarbageLineTest, NothingTheToolWouldStoreEverPassesTheFraming) {
  std::mt19937 random(2024);
  Framed framed;
  std::set<std::string> unknownPassed;
  for (int i = 0; i < 20000; ++i) {
    const std::string line = GarbageLine(random);
    ASSERT_EQ(line.find('$', 1), std::string::npos) << EscapeForLog(line);
    ASSERT_GE(line.size(), 2u);
    ASSERT_EQ(line.substr(line.size() - 2), "\r\n");
    for (const std::string& good : framed.Feed(line)) {
      ASSERT_FALSE(IsStoredHeader(good)) << "garbage passed as \"" << EscapeForLog(good) << "\"";
      ASSERT_EQ(good.find(kGarbageMarker), good.rfind("$NT5,", 0) == 0 ? 5u : std::string::npos)
          << EscapeForLog(good);
      if (good.rfind("$", 0) == 0) unknownPassed.insert(good.substr(0, good.find(',')));
    }
  }
  // Every kind showed up: dropped lines, overlong lines, and well-formed
  // sentences of numbers the tool does not handle.
  EXPECT_GT(framed.Count(FrameOutcome::SentenceBad), 5000);
  EXPECT_GT(framed.Count(FrameOutcome::Overrun), 1000);
  EXPECT_TRUE(unknownPassed.count("$NT4") && unknownPassed.count("$PGRMZ") && unknownPassed.count("$NT1"));
}

}  // namespace
}  // namespace brisko
