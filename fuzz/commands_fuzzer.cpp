// The Set sequences of both families built from arbitrary record texts and fix
// rates, sent by the real link worker (checksum tail, length limit, one
// command per pass) on a simulated port, and read back by the logger's side of
// the framing. Traps when a command does not say what the record held, when
// the port receives anything but the commands in their order, each byte for
// byte with its tail, when a command the link must refuse for its length is
// written (or one it must send is not), or when a command without framing
// bytes in it does not come back out of the framing exactly as it was built.
//
// Input: one byte of settings (family, clock step), four bytes of fix-rate
// index (any int32), then the five texts, each a length byte and that many
// bytes, taken in record order until the input ends.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "link/command_queue.h"
#include "link/link_state.h"
#include "link/link_worker.h"
#include "link/sentence_framing.h"
#include "link/sentence_poster.h"
#include "link/sentence_slots.h"
#include "link/simulated_port.h"
#include "protocol/commands.h"
#include "protocol/device_record.h"

namespace {

using namespace brisko;

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

// Time moves only when the worker waits, by a step the input chooses, so
// that some passes send and some do not.
class SteppingClock final : public LinkClock {
 public:
  explicit SteppingClock(std::uint32_t step) : step_(step) {}
  std::uint32_t Tick() override { return tick_; }
  void Sleep(std::uint32_t milliseconds) override { tick_ += milliseconds * step_; }

 private:
  std::uint32_t tick_ = 0xFFFFFF00u;  // the counter wraps during the run
  std::uint32_t step_;
};

class NoPoster final : public SentencePoster {
 public:
  void PostSentence(std::uint32_t, std::uint32_t, int) override { Require(false); }  // nothing is ever received
  void PostPortLost(std::uint32_t) override { Require(false); }  // the simulated port stays plugged in
  void PostPortProbed(int, bool) override {}
};

// Commands 2 to 6 carry the five texts, unchanged and last; command 7 ends
// with the fix rate in seconds, the index plus one, after a comma.
bool CarriesTheRecord(const std::vector<std::string>& sequence, const LoggerText* const texts[5],
                      std::int32_t fixRateIndex) {
  if (sequence.size() != 9) return false;
  const auto endsWith = [](const std::string& command, const std::string& tail) {
    return command.size() > tail.size() && command.compare(command.size() - tail.size(), tail.size(), tail) == 0;
  };
  for (int i = 0; i < 5; ++i) {
    if (!endsWith(sequence[1 + i], "," + texts[i]->bytes())) return false;
  }
  return endsWith(sequence[6], "," + std::to_string(static_cast<long long>(fixRateIndex) + 1));
}

// A byte that the logger's framing acts on: it may cut or restart the line, so
// such a command cannot come back whole (the protocol has no escaping).
bool HoldsFramingByte(const std::string& command) {
  return command.find_first_of(std::string("$*\n\0", 4), 1) != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const bool secondFamily = (data[0] & 0x80) != 0;
  const std::uint32_t clockStep = 1 + (data[0] & 0x7F);
  std::int32_t fixRateIndex = 0;
  std::memcpy(&fixRateIndex, data + 1, sizeof fixRateIndex);

  DeviceRecord record;
  record.fixRateIndex = fixRateIndex;
  LoggerText* const texts[5] = {&record.pilotName, &record.competitionClass, &record.competitionId,
                                &record.gliderType, &record.gliderId};
  std::size_t pos = 5;
  for (LoggerText* text : texts) {
    if (pos >= size) break;
    const std::size_t length = data[pos++];
    const std::size_t available = length < size - pos ? length : size - pos;
    *text = LoggerText(std::string(reinterpret_cast<const char*>(data + pos), available));
    pos += available;
  }

  const std::vector<std::string> sequence =
      SetSequence(secondFamily ? LoggerFamily::Second : LoggerFamily::First, record);
  Require(CarriesTheRecord(sequence, texts, fixRateIndex));

  // The link worker sends the sequence on a simulated port.
  SteppingClock clock(clockStep);
  SimulatedPortSystem ports;
  SimulatedDevice& device = ports.AddDevice(1, clock);
  PortOpenError error;
  const auto port = ports.Open(1, error);
  Require(port != nullptr);
  CommandQueue queue;
  SentenceSlots unusedSlots;
  std::atomic<LinkState> state{LinkState::Running};
  NoPoster poster;
  LinkWorker worker(LinkParts{*port, queue, unusedSlots, state, poster, clock});
  Require(worker.Begin());
  Require(queue.QueueCommands(sequence));
  // Each command needs at most 101 / step + 1 passes, and the one during which
  // the counter wraps twice that; more means one was lost.
  const int passesPerCommand = 101 / static_cast<int>(clockStep) + 2;
  const int passLimit = (static_cast<int>(sequence.size()) + 1) * passesPerCommand;
  int passes = 0;
  while (queue.AnySlotHoldsCommand() && passes < passLimit) {
    worker.RunPass();
    ++passes;
  }
  Require(!queue.AnySlotHoldsCommand());

  // On the logger's side: exactly the commands short enough to send, in order,
  // each with its tail, and those without framing bytes framed back unchanged.
  const std::vector<SimulatedWrite> writes = device.Writes();
  SentenceSlots loggerSlots;
  SentenceFramer loggerFramer(loggerSlots);
  std::size_t written = 0;
  for (const std::string& command : sequence) {
    std::string line = command;
    AppendChecksum(line);
    Require(line.size() == command.size() + 5 && line.compare(0, command.size(), command) == 0);
    if (line.size() > kMaxCommandBytes) continue;  // refused for its length
    Require(written < writes.size());
    Require(writes[written++].bytes == line);
    if (HoldsFramingByte(command)) continue;
    FrameResult result{FrameOutcome::Continue, -1};
    for (const char c : line) {
      Require(result.outcome == FrameOutcome::Continue);  // nothing happens before the line feed
      result = loggerFramer.AcceptByte(static_cast<unsigned char>(c));
    }
    Require(result.outcome == FrameOutcome::SentenceReady);
    Require(loggerSlots.Text(result.slot) == command);
  }
  Require(written == writes.size());
  return 0;
}
