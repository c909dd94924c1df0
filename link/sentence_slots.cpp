#include "link/sentence_slots.h"

namespace brisko {

namespace {
// Stamps are sequenceNumber + 1 so that 0 can mean "no sentence".
std::uint64_t StampOf(std::uint32_t sequenceNumber) { return std::uint64_t{sequenceNumber} + 1; }
}  // namespace

SentenceSlots::SentenceSlots() {
  for (auto& slot : bytes_) {
    for (auto& byte : slot) byte.store(0, std::memory_order_relaxed);
  }
  for (auto& stamp : stamp_) stamp.store(kNoSentence, std::memory_order_relaxed);
}

void SentenceSlots::Invalidate(int slot) {
  auto& stamp = stamp_[static_cast<std::size_t>(slot)];
  if (stamp.load(std::memory_order_relaxed) == kNoSentence) return;
  stamp.store(kNoSentence, std::memory_order_relaxed);
  // Orders the invalidation before the byte stores that follow it.
  std::atomic_thread_fence(std::memory_order_release);
}

void SentenceSlots::Publish(int slot, std::uint32_t sequenceNumber) {
  stamp_[static_cast<std::size_t>(slot)].store(StampOf(sequenceNumber), std::memory_order_release);
}

bool SentenceSlots::CopySentence(int slot, std::uint32_t sequenceNumber, std::string& out) const {
  out.clear();
  if (slot < 0 || slot >= kSlotCount) return false;
  const auto& stamp = stamp_[static_cast<std::size_t>(slot)];
  const std::uint64_t expected = StampOf(sequenceNumber);
  if (stamp.load(std::memory_order_acquire) != expected) return false;
  for (int pos = 0; pos < kMaxLineLength; ++pos) {
    const unsigned char byte = At(slot, pos);
    if (byte == 0) break;
    out.push_back(static_cast<char>(byte));
  }
  // Orders the byte loads before the second look at the stamp.
  std::atomic_thread_fence(std::memory_order_acquire);
  if (stamp.load(std::memory_order_relaxed) != expected) {
    out.clear();
    return false;
  }
  return true;
}

std::string SentenceSlots::Text(int slot) const {
  std::string text;
  for (int pos = 0; pos < kSlotSize; ++pos) {
    const unsigned char byte = At(slot, pos);
    if (byte == 0) break;
    text.push_back(static_cast<char>(byte));
  }
  return text;
}

}  // namespace brisko
