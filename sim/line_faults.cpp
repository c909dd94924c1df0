#include "sim/line_faults.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "link/sentence_framing.h"
#include "sim/wire_text.h"

namespace brisko {

namespace {

bool ForbiddenReplacement(unsigned char byte) { return byte == '$' || byte == '*' || byte == '\n' || byte == 0; }

int Pick(std::mt19937& random, int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); }

// "$" + body + a tail whose checksum is anything but the right one.
std::string WithWrongChecksum(const std::string& sentence, std::mt19937& random) {
  const unsigned right = XorOf(sentence.data() + 1, sentence.data() + sentence.size());
  const unsigned wrong = right ^ static_cast<unsigned>(1 + Pick(random, 255));
  char tail[8];
  (void)std::snprintf(tail, sizeof tail, "*%02X\r\n", wrong);
  return sentence + tail;
}

std::string RandomPrintable(std::mt19937& random, int length) {
  std::string text;
  for (int i = 0; i < length; ++i) {
    char c;
    do {
      c = static_cast<char>(0x20 + Pick(random, 0x7F - 0x20));
    } while (c == '$' || c == '*');
    text.push_back(c);
  }
  return text;
}

// Sentences the tool would act on, with texts it must never show.
std::string KnownHeaderSentence(std::mt19937& random) {
  const std::string marker = kGarbageMarker;
  switch (Pick(random, 8)) {
    case 0: return "$NT0," + marker + ",99,99,0,0,0,0,0,0,0,0,0,9";
    case 1: return "$NT6," + marker + "," + marker;
    case 2: return "$NT7," + marker + "," + marker + "," + marker;
    case 3: return "$NT800," + marker + ",99,99,0,0,9,3,0,0";
    case 4: return "$NT801,99.9,0.0,0.0,0.0,0,0,999,999,0";
    case 5: return "$NT805,1," + marker;
    case 6: return "$NT805,5," + marker;
    default: return "$GPGGA," + marker + ",0000.0000,S,00000.0000,W,0,00,99.9,0.0,M,0.0,M,,";
  }
}

}  // namespace

bool LineNoise::Apply(std::string& line, std::mt19937& random) const {
  if (rate_ <= 0.0 || line.empty()) return false;
  // One hit per line at most, so a line is hit with rate times its length:
  // that keeps the damaged fraction at the rate while lines stay shorter than
  // 1/rate bytes.
  const double lineHit = std::min(1.0, rate_ * static_cast<double>(line.size()));
  if (std::uniform_real_distribution<double>(0.0, 1.0)(random) >= lineHit) return false;
  const std::size_t pos = static_cast<std::size_t>(Pick(random, static_cast<int>(line.size())));
  unsigned char replacement;
  do {
    replacement = static_cast<unsigned char>(Pick(random, 256));
  } while (replacement == static_cast<unsigned char>(line[pos]) || ForbiddenReplacement(replacement));
  line[pos] = static_cast<char>(replacement);
  return true;
}

std::string GarbageLine(std::mt19937& random) {
  switch (Pick(random, 6)) {
    case 0: {  // a known sentence with a wrong checksum
      return WithWrongChecksum(KnownHeaderSentence(random), random);
    }
    case 1: {  // a known sentence without any checksum
      return KnownHeaderSentence(random) + "\r\n";
    }
    case 2: {  // lowercase digits: right value, wrong case, so not digits at all
      // The marker's letters give every one of these sentences a different
      // XOR; when the right digits hold no letter, lowercase changes nothing,
      // so a wrong checksum is sent instead.
      const std::string sentence = KnownHeaderSentence(random);
      std::string line = WithChecksumTail(sentence);
      const std::size_t star = line.rfind('*');
      bool changed = false;
      for (std::size_t i = star + 1; i <= star + 2; ++i) {
        if (line[i] >= 'A' && line[i] <= 'F') {
          line[i] = static_cast<char>(line[i] - 'A' + 'a');
          changed = true;
        }
      }
      return changed ? line : WithWrongChecksum(sentence, random);
    }
    case 3: {  // longer than a line may be, with a checksum that would match
      std::string sentence = "$NT805,1," + std::string(kGarbageMarker);
      sentence += RandomPrintable(random, 300);
      return WithChecksumTail(sentence);
    }
    case 4: {  // random bytes, no "$", "*" or line feed inside
      std::string line;
      const int length = 1 + Pick(random, 80);
      for (int i = 0; i < length; ++i) {
        unsigned char byte;
        do {
          byte = static_cast<unsigned char>(Pick(random, 256));
        } while (byte == '$' || byte == '*' || byte == '\n');
        line.push_back(static_cast<char>(byte));
      }
      return line + "\r\n";
    }
    default: {  // well formed, but a number or talker the tool has no handler for
      static const char* const kUnknown[] = {"$NT4,1,2,3", "$NT802,3,1", "$NT1", "$NT5,GARBAGE",
                                             "$PGRMZ,1234,f,3", "$GPGSA,A,3,01,02,03,,,,,,,,,,1.8,0.9,1.5"};
      return WithChecksumTail(kUnknown[Pick(random, static_cast<int>(std::size(kUnknown)))]);
    }
  }
}

}  // namespace brisko
