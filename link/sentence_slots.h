// The ring of 30 receive buffers in which the link worker assembles lines.
// Only the worker's thread writes a slot; the user-interface thread copies the
// slot that a posted sentence names. Every byte is a relaxed atomic and each
// slot carries a stamp, so a copy that races with the worker refilling the
// slot is detected (seqlock) instead of being dispatched as a torn sentence.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace brisko {

inline constexpr int kSlotCount = 30;
inline constexpr int kMaxLineLength = 256;
inline constexpr int kSlotSize = kMaxLineLength + 1;  // a line of at most 256 bytes plus its NUL

class SentenceSlots {
 public:
  SentenceSlots();
  SentenceSlots(const SentenceSlots&) = delete;
  SentenceSlots& operator=(const SentenceSlots&) = delete;

  // Worker thread: byte access for the framing. Positions are 0..256.
  void Store(int slot, int pos, unsigned char byte) {
    bytes_[static_cast<std::size_t>(slot)][static_cast<std::size_t>(pos)].store(byte, std::memory_order_relaxed);
  }
  unsigned char At(int slot, int pos) const {
    return bytes_[static_cast<std::size_t>(slot)][static_cast<std::size_t>(pos)].load(std::memory_order_relaxed);
  }

  // Worker thread: the slot is about to be rewritten; any sentence it held is gone.
  void Invalidate(int slot);
  // Worker thread: the slot holds a checked sentence that is posted as sequenceNumber.
  void Publish(int slot, std::uint32_t sequenceNumber);

  // User-interface thread: copies the sentence of a posted (sequenceNumber, slot)
  // into out, up to its NUL and at most 256 bytes. Returns false, leaving out
  // empty, when the worker has begun to refill the slot since it was posted.
  bool CopySentence(int slot, std::uint32_t sequenceNumber, std::string& out) const;

  // The slot's bytes up to its NUL (at most 257), without the stamp check:
  // for tests and single-threaded use.
  std::string Text(int slot) const;

 private:
  static constexpr std::uint64_t kNoSentence = 0;
  std::array<std::array<std::atomic<unsigned char>, kSlotSize>, kSlotCount> bytes_;
  std::array<std::atomic<std::uint64_t>, kSlotCount> stamp_;
};

}  // namespace brisko
