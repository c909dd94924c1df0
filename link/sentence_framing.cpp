#include "link/sentence_framing.h"

#include "link/sentence_text.h"

namespace brisko {

namespace {

constexpr unsigned char kDollar = 0x24;
constexpr unsigned char kLineFeed = 0x0A;

}  // namespace

FrameResult SentenceFramer::AcceptByte(unsigned char byte) {
  if (linePos_ == 0) slots_.Invalidate(slotIndex_);
  slots_.Store(slotIndex_, linePos_, byte);
  ++linePos_;

  if (byte == kDollar) {
    if (linePos_ > 1) {
      slots_.Store(slotIndex_, 0, kDollar);
      linePos_ = 1;
      return {FrameOutcome::Restarted, -1};
    }
    return {FrameOutcome::Continue, -1};
  }
  if (linePos_ > kMaxLineLength) {
    linePos_ = 0;
    return {FrameOutcome::Overrun, -1};
  }
  if (byte == kLineFeed) {
    slots_.Store(slotIndex_, linePos_, 0);
    const int slot = slotIndex_;
    const ChecksumCheck check = VerifyChecksum(slots_, slot);
    slotIndex_ = (slotIndex_ + 1) % kSlotCount;
    linePos_ = 0;
    return {check.matches ? FrameOutcome::SentenceReady : FrameOutcome::SentenceBad, slot, check.sent,
            check.computed};
  }
  return {FrameOutcome::Continue, -1};
}

ChecksumCheck VerifyChecksum(SentenceSlots& slots, int slot) {
  int star = -1;
  for (int pos = 0; pos < kMaxLineLength; ++pos) {
    const unsigned char c = slots.At(slot, pos);
    if (c == 0) break;
    if (c == '*') {
      star = pos;
      break;
    }
  }
  if (star < 0) return {};

  unsigned char sum = 0;
  for (int pos = 1; pos < star; ++pos) sum ^= slots.At(slot, pos);

  // The digits may be missing: the line feed or the NUL then stands in their
  // place and gives no digit. Nothing past the line's NUL or the slot's end is
  // read, since those bytes are left-overs of earlier lines.
  const unsigned char first = star + 1 < kSlotSize ? slots.At(slot, star + 1) : 0;
  const unsigned char second = first != 0 && star + 2 < kSlotSize ? slots.At(slot, star + 2) : 0;
  const int high = UpperHexDigitValue(first);
  const int low = UpperHexDigitValue(second);
  // A missing or odd first digit counts as 0; a missing or odd second digit
  // makes the whole expected value 0.
  const int expected = low < 0 ? 0 : (high < 0 ? 0 : high * 16) + low;

  slots.Store(slot, star, 0);
  return {sum == expected, high >= 0 && low >= 0 ? high * 16 + low : -1, sum};
}

unsigned char SentenceChecksum(std::string_view sentence) {
  unsigned char sum = 0;
  for (std::size_t i = 1; i < sentence.size(); ++i) sum ^= static_cast<unsigned char>(sentence[i]);
  return sum;
}

std::string ChecksumTail(unsigned char checksum) {
  std::string tail = "*";
  AppendUpperHex(tail, checksum);
  tail += "\r\n";
  return tail;
}

void AppendChecksum(std::string& text) { text += ChecksumTail(SentenceChecksum(text)); }

std::string WithChecksumTail(std::string sentence) {
  AppendChecksum(sentence);
  return sentence;
}

}  // namespace brisko
