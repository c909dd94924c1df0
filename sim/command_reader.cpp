#include "sim/command_reader.h"

#include "link/sentence_text.h"
#include "sim/wire_text.h"

namespace brisko {

CommandReader::CommandReader() : slots_(std::make_unique<SentenceSlots>()), framer_(*slots_) {}

void CommandReader::Feed(const unsigned char* bytes, std::size_t count,
                         const std::function<void(const ReceivedLine&)>& onLine) {
  for (std::size_t i = 0; i < count; ++i) {
    const FrameResult result = framer_.AcceptByte(bytes[i]);
    switch (result.outcome) {
      case FrameOutcome::SentenceReady:
      case FrameOutcome::SentenceBad: onLine(LineFrom(result)); break;
      case FrameOutcome::Restarted: onLine(ReceivedLine{ReceivedLine::Kind::Restarted, {}, -1, -1}); break;
      case FrameOutcome::Overrun: onLine(ReceivedLine{ReceivedLine::Kind::Overlong, {}, -1, -1}); break;
      case FrameOutcome::Continue: break;
    }
  }
}

ReceivedLine CommandReader::LineFrom(const FrameResult& result) const {
  ReceivedLine line;
  line.text = slots_->Text(result.slot);
  if (result.outcome == FrameOutcome::SentenceReady) return line;
  // The framing computes a checksum only for a line that has a "*"; the slot
  // of a line without one still holds the whole line.
  if (result.computedChecksum < 0) {
    line.kind = ReceivedLine::Kind::NoChecksum;
    return line;
  }
  line.kind = ReceivedLine::Kind::BadChecksum;
  line.sentChecksum = result.sentChecksum;
  line.computedChecksum = result.computedChecksum;
  return line;
}

std::string FormatReceivedLine(const ReceivedLine& line) {
  std::string text;
  switch (line.kind) {
    case ReceivedLine::Kind::Good:
      text += "rx \"" + EscapeForLog(line.text) + "\" checksum ok";
      break;
    case ReceivedLine::Kind::BadChecksum: {
      text += "rx \"" + EscapeForLog(line.text) + "\" checksum BAD (";
      if (line.sentChecksum >= 0) {
        text += "sent ";
        AppendUpperHex(text, static_cast<unsigned char>(line.sentChecksum));
        text += ", computed ";
      } else {
        text += "no valid digits, computed ";
      }
      AppendUpperHex(text, static_cast<unsigned char>(line.computedChecksum));
      text += "), ignored";
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
