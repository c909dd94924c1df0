#include "link/sentence_framing.h"

namespace brisko {

namespace {

constexpr unsigned char kDollar = 0x24;
constexpr unsigned char kLineFeed = 0x0A;

// Uppercase hexadecimal digits only; anything else, lowercase included, counts
// as no digit.
int HexDigitValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

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
    const bool good = VerifyChecksum(slots_, slot);
    slotIndex_ = (slotIndex_ + 1) % kSlotCount;
    linePos_ = 0;
    return {good ? FrameOutcome::SentenceReady : FrameOutcome::SentenceBad, slot};
  }
  return {FrameOutcome::Continue, -1};
}

bool VerifyChecksum(SentenceSlots& slots, int slot) {
  int star = -1;
  for (int pos = 0; pos < kMaxLineLength; ++pos) {
    const unsigned char c = slots.At(slot, pos);
    if (c == 0) break;
    if (c == '*') {
      star = pos;
      break;
    }
  }
  if (star < 0) return false;

  unsigned char sum = 0;
  for (int pos = 1; pos < star; ++pos) sum ^= slots.At(slot, pos);

  // The digits may be missing: the line feed or the NUL then stands in their
  // place and gives no digit. Nothing past the line's NUL or the slot's end is
  // read, since those bytes are left-overs of earlier lines.
  const unsigned char first = star + 1 < kSlotSize ? slots.At(slot, star + 1) : 0;
  const unsigned char second = first != 0 && star + 2 < kSlotSize ? slots.At(slot, star + 2) : 0;
  const int high = HexDigitValue(first);
  const int low = HexDigitValue(second);
  const int expected = low < 0 ? 0 : (high < 0 ? 0 : high * 16) + low;

  slots.Store(slot, star, 0);
  return sum == expected;
}

unsigned char XorOf(const char* begin, const char* end) {
  unsigned char sum = 0;
  for (const char* p = begin; p < end; ++p) sum ^= static_cast<unsigned char>(*p);
  return sum;
}

void AppendChecksum(std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const unsigned char sum = text.size() > 1 ? XorOf(text.data() + 1, text.data() + text.size()) : 0;
  text.push_back('*');
  text.push_back(kHex[sum >> 4]);
  text.push_back(kHex[sum & 0x0F]);
  text.push_back('\r');
  text.push_back('\n');
}

}  // namespace brisko
