// The receive path on the user's side of a busy logger: bytes through the
// framing, and every good line copied out of its slot and dispatched into the
// record, on a mix of position fixes, readings and settings replies.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "link/sentence_framing.h"
#include "link/sentence_slots.h"
#include "protocol/logger_callouts.h"
#include "protocol/logger_protocol.h"
#include "tests/support/fake_dialog.h"

namespace {

using namespace brisko;

class ClosedPort : public CommandPort {
 public:
  bool IsPortOpen() const override { return false; }
  bool QueueCommands(const std::vector<std::string>&) override { return false; }
};

// About 64 KiB of wire bytes: per round four position fixes, two readings and
// one settings reply, with varying numbers so no two lines are alike.
std::string WireMix() {
  std::string wire;
  const char* const texts[] = {"JOHN SMITH", "CLUB", "XY", "LS4", "D-1234"};
  for (int round = 0; wire.size() < 64 * 1024; ++round) {
    for (int fix = 0; fix < 4; ++fix) {
      std::string line = "$GPGGA,12" + std::to_string(3500 + round % 60) + ",4807." +
                         std::to_string(100 + fix) + ",N,01131." + std::to_string(200 + round % 700) +
                         ",E,1,08,0.9,545.4,M,46.9,M,,";
      AppendChecksum(line);
      wire += line;
    }
    for (int reading = 0; reading < 2; ++reading) {
      std::string line = "$NT801,12." + std::to_string(round % 10) + ",0.0,0.0,0.0,0,0," +
                         std::to_string(200 + round % 50) + "," + std::to_string(400 + reading) + ",0";
      AppendChecksum(line);
      wire += line;
    }
    std::string line = "$NT805," + std::to_string(1 + round % 5) + "," + texts[round % 5];
    AppendChecksum(line);
    wire += line;
  }
  return wire;
}

void BM_ReceivePath(benchmark::State& state) {
  const std::string wire = WireMix();
  testing::FakeDialog dialog(testing::FakeDialog::Clock::Fixed, testing::FakeDialog::Records::CountsOnly);
  dialog.now = 1700000000;
  dialog.answer = MessageBoxAnswer::No;
  ClosedPort port;
  LoggerProtocol protocol(dialog, port, dialog.wallClock());
  SentenceSlots slots;
  SentenceFramer framer(slots);
  std::uint32_t sequenceNumber = 0;

  for (auto _ : state) {
    for (const char c : wire) {
      const FrameResult result = framer.AcceptByte(static_cast<unsigned char>(c));
      if (result.outcome == FrameOutcome::SentenceReady) {
        slots.Publish(result.slot, sequenceNumber);
        protocol.OnSentence(slots, sequenceNumber++, result.slot);
      }
    }
  }
  if (dialog.refreshes != static_cast<std::int64_t>(sequenceNumber)) state.SkipWithError("a line was not dispatched");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(wire.size()));
  state.counters["sentences/s"] = benchmark::Counter(static_cast<double>(sequenceNumber), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReceivePath);

// The framing alone, for comparison: how much of the path is the dispatch.
void BM_FramingOnly(benchmark::State& state) {
  const std::string wire = WireMix();
  SentenceSlots slots;
  SentenceFramer framer(slots);
  std::int64_t ready = 0;
  for (auto _ : state) {
    for (const char c : wire) {
      ready += framer.AcceptByte(static_cast<unsigned char>(c)).outcome == FrameOutcome::SentenceReady;
    }
  }
  benchmark::DoNotOptimize(ready);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(wire.size()));
}
BENCHMARK(BM_FramingOnly);

}  // namespace

BENCHMARK_MAIN();
