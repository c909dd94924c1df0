// Arbitrary bytes through the receive framing and every framed line through
// the dispatcher, with Set, deletion, the staleness timer and the clock driven
// by the first input bytes. Besides the sanitizers' checks it traps when the
// family flags are both set, when a dispatch leaves a work line behind, or when
// a command sent back to the logger would not arrive unchanged.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "link/sentence_framing.h"
#include "link/sentence_slots.h"
#include "protocol/logger_callouts.h"
#include "protocol/logger_protocol.h"
#include "tests/support/fake_dialog.h"

namespace {

using namespace brisko;

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

// A command goes out with its checksum tail; unless it holds a byte that
// frames a line, the same framing on the logger's side must accept it and
// give back exactly the command text.
class FuzzPort : public CommandPort {
 public:
  bool IsPortOpen() const override { return open; }
  bool QueueCommands(const std::vector<std::string>& sequence) override {
    for (const std::string& command : sequence) {
      Require(command.compare(0, 3, "$NT") == 0);
      if (command.size() + 5 > kMaxLineLength) continue;
      if (command.find_first_of(std::string("$*\n\0", 4), 1) != std::string::npos) continue;
      std::string line = command;
      AppendChecksum(line);
      FrameResult result{FrameOutcome::Continue, -1};
      for (const char c : line) result = framer_.AcceptByte(static_cast<unsigned char>(c));
      Require(result.outcome == FrameOutcome::SentenceReady);
      Require(slots_.Text(result.slot) == command);
    }
    return true;
  }

  bool open = false;

 private:
  SentenceSlots slots_;
  SentenceFramer framer_{slots_};
};

constexpr std::int64_t kClockStarts[] = {
    1000,
    (std::int64_t{1} << 31) - 1,  // the last second of 32-bit time
    std::numeric_limits<std::int64_t>::max() - 3,
    std::numeric_limits<std::int64_t>::min() + 3,
    -5,
};

// The clock may wrap in the harness; the code under test must cope with any value.
std::int64_t Advance(std::int64_t now, std::uint64_t seconds) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(now) + seconds);
}

struct Post {
  std::uint32_t sequenceNumber;
  int slot;
};

constexpr std::size_t kControlBytes = 8;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint8_t control[kControlBytes] = {};
  const std::size_t controlSize = size < kControlBytes ? size : kControlBytes;
  for (std::size_t i = 0; i < controlSize; ++i) control[i] = data[i];
  const std::uint8_t* const actions = control + 2;
  constexpr std::size_t kActionCount = kControlBytes - 2;

  testing::FakeDialog dialog(testing::FakeDialog::Clock::Fixed, testing::FakeDialog::Records::CountsOnly);
  FuzzPort port;
  port.open = (control[0] & 1) != 0;
  dialog.answer = (control[0] & 2) != 0 ? MessageBoxAnswer::Yes : MessageBoxAnswer::No;
  dialog.now = kClockStarts[control[1] % (sizeof kClockStarts / sizeof kClockStarts[0])];

  LoggerProtocol protocol(dialog, port, dialog.wallClock());
  SentenceSlots slots;
  SentenceFramer framer(slots);
  std::vector<Post> pending;
  std::uint32_t sequenceNumber = 0;
  std::size_t lineEvents = 0;

  const auto dispatchPending = [&] {
    for (const Post& post : pending) protocol.OnSentence(slots, post.sequenceNumber, post.slot);
    pending.clear();
  };

  for (std::size_t i = controlSize; i < size; ++i) {
    const FrameResult result = framer.AcceptByte(data[i]);
    if (result.outcome != FrameOutcome::SentenceReady && result.outcome != FrameOutcome::SentenceBad) continue;

    const std::uint8_t action = actions[lineEvents++ % kActionCount];
    if (result.outcome == FrameOutcome::SentenceReady) {
      slots.Publish(result.slot, sequenceNumber);
      pending.push_back({sequenceNumber++, result.slot});
    } else if ((action & 0x80) != 0) {
      // Reach the handlers without a matching checksum too.
      protocol.DispatchSentence(slots.Text(result.slot));
    }
    // Held-back posts are dispatched late, some after their slot was refilled.
    if ((action & 0x20) == 0 || pending.size() > 2 * kSlotCount) dispatchPending();

    if ((action & 0x08) != 0) dialog.now = Advance(dialog.now, 1);
    if ((action & 0x10) != 0) dialog.now = Advance(dialog.now, 2);
    if ((action & 0x01) != 0) protocol.OnTimer();
    if ((action & 0x02) != 0) protocol.OnSet();
    if ((action & 0x04) != 0) protocol.OnDeleteAllFlights();
    if ((action & 0x40) != 0) protocol.ClearDeviceFields();
  }

  dispatchPending();
  dialog.now = Advance(dialog.now, 2);
  protocol.OnTimer();
  protocol.OnSet();
  protocol.OnDeleteAllFlights();
  return 0;
}
