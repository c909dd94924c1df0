#include "sim/command_reader.h"

#include <cstdio>

#include "sim/wire_text.h"

namespace brisko {

namespace {

int UpperHexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

CommandReader::CommandReader() : slots_(std::make_unique<SentenceSlots>()), framer_(*slots_) {}

void CommandReader::Feed(const unsigned char* bytes, std::size_t count,
                         const std::function<void(const ReceivedLine&)>& onLine) {
  for (std::size_t i = 0; i < count; ++i) {
    const FrameResult result = framer_.AcceptByte(bytes[i]);
    switch (result.outcome) {
      case FrameOutcome::SentenceReady: onLine(LineFromSlot(result.slot, true)); break;
      case FrameOutcome::SentenceBad: onLine(LineFromSlot(result.slot, false)); break;
      case FrameOutcome::Restarted: onLine(ReceivedLine{ReceivedLine::Kind::Restarted, {}, -1, -1}); break;
      case FrameOutcome::Overrun: onLine(ReceivedLine{ReceivedLine::Kind::Overlong, {}, -1, -1}); break;
      case FrameOutcome::Continue: break;
    }
  }
}

ReceivedLine CommandReader::LineFromSlot(int slot, bool good) const {
  ReceivedLine line;
  line.text = slots_->Text(slot);
  if (good) return line;
  // The check cuts the slot at its "*" and leaves the digits behind the NUL;
  // a line that still ends in its line feed had no "*" at all.
  if (!line.text.empty() && line.text.back() == '\n') {
    line.kind = ReceivedLine::Kind::NoChecksum;
    return line;
  }
  line.kind = ReceivedLine::Kind::BadChecksum;
  const int star = static_cast<int>(line.text.size());
  if (star + 2 < kSlotSize) {
    const int high = UpperHexValue(slots_->At(slot, star + 1));
    const int low = UpperHexValue(slots_->At(slot, star + 2));
    if (high >= 0 && low >= 0) line.sentChecksum = high * 16 + low;
  }
  line.computedChecksum = line.text.size() > 1 ? XorOf(line.text.data() + 1, line.text.data() + line.text.size()) : 0;
  return line;
}

std::string FormatReceivedLine(const ReceivedLine& line) {
  std::string text;
  switch (line.kind) {
    case ReceivedLine::Kind::Good:
      text += "rx \"" + EscapeForLog(line.text) + "\" checksum ok";
      break;
    case ReceivedLine::Kind::BadChecksum: {
      char sums[64];
      if (line.sentChecksum >= 0) {
        (void)std::snprintf(sums, sizeof sums, " (sent %02X, computed %02X)", line.sentChecksum, line.computedChecksum);
      } else {
        (void)std::snprintf(sums, sizeof sums, " (no valid digits, computed %02X)", line.computedChecksum);
      }
      text += "rx \"" + EscapeForLog(line.text) + "\" checksum BAD" + sums + ", ignored";
      break;
    }
    case ReceivedLine::Kind::NoChecksum:
      text += "rx \"" + EscapeForLog(line.text) + "\" checksum MISSING, ignored";
      break;
    case ReceivedLine::Kind::Restarted:
      text += "rx \"$\" inside a line: the bytes before it are dropped";
      break;
    case ReceivedLine::Kind::Overlong:
      text += "rx line longer than 256 bytes dropped";
      break;
  }
  return text;
}

}  // namespace brisko
