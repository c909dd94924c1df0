#include "link/command_queue.h"

#include <cstddef>

namespace brisko {

namespace {
int NextIndex(int index) { return (index + 1) % kQueueSlots; }
}  // namespace

CommandQueue::CommandQueue() = default;

void CommandQueue::Reset() {
  for (auto& slot : slots_) {
    slot.text.clear();
    slot.holdsCommand.store(false, std::memory_order_relaxed);
  }
  writeIndex_.store(0, std::memory_order_release);
  readIndex_.store(0, std::memory_order_release);
}

int CommandQueue::PendingCount() const {
  const int write = writeIndex_.load(std::memory_order_acquire);
  const int read = readIndex_.load(std::memory_order_acquire);
  return (write - read + kQueueSlots) % kQueueSlots;
}

bool CommandQueue::QueueCommands(const std::vector<std::string>& sequence) {
  // The acquire load of readIndex inside PendingCount is what makes the free
  // slots ours: the worker emptied them before it advanced readIndex.
  const std::size_t room = static_cast<std::size_t>(kMaxPendingCommands - PendingCount());
  if (sequence.size() > room) return false;
  int write = writeIndex_.load(std::memory_order_relaxed);
  for (const std::string& command : sequence) {
    Slot& slot = slots_[static_cast<std::size_t>(write)];
    slot.text = command;
    slot.holdsCommand.store(true, std::memory_order_relaxed);
    write = NextIndex(write);
    // The text is complete before the worker can see the new index.
    writeIndex_.store(write, std::memory_order_release);
  }
  return true;
}

bool CommandQueue::AnySlotHoldsCommand() const {
  for (const auto& slot : slots_) {
    if (slot.holdsCommand.load(std::memory_order_acquire)) return true;
  }
  return false;
}

void CommandQueue::RestartReading() { readIndex_.store(0, std::memory_order_release); }

std::string* CommandQueue::Front() {
  const int read = readIndex_.load(std::memory_order_relaxed);
  if (read == writeIndex_.load(std::memory_order_acquire)) return nullptr;
  return &slots_[static_cast<std::size_t>(read)].text;
}

void CommandQueue::PopFront() {
  const int read = readIndex_.load(std::memory_order_relaxed);
  Slot& slot = slots_[static_cast<std::size_t>(read)];
  slot.text.clear();
  slot.holdsCommand.store(false, std::memory_order_release);
  // The slot is empty before the user-interface thread may fill it again.
  readIndex_.store(NextIndex(read), std::memory_order_release);
}

}  // namespace brisko
