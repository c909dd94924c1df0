// The ring of 30 bare commands that the user-interface thread fills and the
// link worker empties, one per pass. The user-interface thread writes a slot's
// text and writeIndex; the worker appends the tail to, sends and empties the
// slot at readIndex and then advances readIndex. Each index is published with
// release and read with acquire, so a side that sees an index move finds the
// slots behind it complete. The drains look only at each slot's "holds a
// command" flag, never at a text the worker may be changing.
#pragma once

#include <array>
#include <atomic>
#include <string>
#include <vector>

namespace brisko {

inline constexpr int kQueueSlots = 30;
// readIndex == writeIndex means empty, so one slot always stays free.
inline constexpr int kMaxPendingCommands = kQueueSlots - 1;

class CommandQueue {
 public:
  CommandQueue();
  CommandQueue(const CommandQueue&) = delete;
  CommandQueue& operator=(const CommandQueue&) = delete;

  // User-interface thread, while no worker runs: both indices to 0, every
  // slot empty.
  void Reset();

  // User-interface thread: queues the sequence in order, whole, or nothing at
  // all when fewer slots are free than it needs (pending commands are never
  // overwritten). Returns false when it was refused.
  bool QueueCommands(const std::vector<std::string>& sequence);

  // User-interface thread, for the drains: true while any slot holds a
  // command, including the one the worker is sending.
  bool AnySlotHoldsCommand() const;

  // Worker thread: readIndex back to 0 when a run starts.
  void RestartReading();
  // Worker thread: the command at readIndex, or nullptr when none is pending.
  // The worker may change it in place (the checksum tail) until PopFront.
  std::string* Front();
  // Worker thread: empties the slot at readIndex and advances readIndex.
  void PopFront();

  int readIndex() const { return readIndex_.load(std::memory_order_acquire); }
  int writeIndex() const { return writeIndex_.load(std::memory_order_acquire); }
  int PendingCount() const;

 private:
  struct Slot {
    std::string text;
    std::atomic<bool> holdsCommand{false};
  };
  std::array<Slot, kQueueSlots> slots_;
  std::atomic<int> writeIndex_{0};
  std::atomic<int> readIndex_{0};
};

}  // namespace brisko
