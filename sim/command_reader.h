// Turns the bytes the tool writes into received lines, with the link's own
// framing (a "$" restarts a line, lines over 256 bytes are dropped, the line
// feed ends a line and its checksum is checked), and says for each line what
// was wrong with it so that the log can show it. Single-threaded.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "link/sentence_framing.h"
#include "link/sentence_slots.h"

namespace brisko {

struct ReceivedLine {
  enum class Kind {
    Good,         // checksum matched; text is the command without its tail
    BadChecksum,  // text is the command without its tail
    NoChecksum,   // no "*" before the line feed; text is the whole line
    Restarted,    // a "$" inside a line threw away what came before it
    Overlong,     // more than 256 bytes without a line feed; dropped
  };
  Kind kind = Kind::Good;
  std::string text;
  int sentChecksum = -1;      // BadChecksum: the two characters after "*" as a number, -1 when not hex
  int computedChecksum = -1;  // BadChecksum: the XOR of the text after its first byte
};

class CommandReader {
 public:
  CommandReader();

  // Frames the bytes and reports every finished or dropped line, in order.
  void Feed(const unsigned char* bytes, std::size_t count, const std::function<void(const ReceivedLine&)>& onLine);

 private:
  ReceivedLine LineFrom(const FrameResult& result) const;

  std::unique_ptr<SentenceSlots> slots_;  // large: kept off the stack
  SentenceFramer framer_;
};

// The log text of a received line, e.g.  rx "$NT800,1" checksum ok
std::string FormatReceivedLine(const ReceivedLine& line);

}  // namespace brisko
