// Wall-clock figures of the link against a real pseudo-terminal, each a
// distribution from one run: the latency from a line's last byte written on
// the far end to the record updated, the spacing of queued commands on the
// wire, and how long ClosePort blocks with an empty queue and with a Set
// sequence queued. The tool runs as its core with a user-interface loop on
// this thread (the end-to-end harness), the far end is this program.
//
// Usage: brisko_bench_link [--trace FILE] [latency|spacing|close]...
//        (default: all three; --trace runs each with a trace of the line into FILE)
#include <chrono>
#include <memory>
#include <mutex>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/distribution.h"
#include "bench/pty_drain.h"
#include "link/link_clock.h"
#include "link/sentence_framing.h"
#include "link/serial_port.h"
#include "protocol/commands.h"
#include "tests/e2e/tool_harness.h"
#include "tests/support/far_end_terminal.h"
#include "tests/support/on_the_wire.h"

namespace brisko {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kPort = 7;
constexpr milliseconds kDeadline{10000};

// The trace every tool of this run writes, when one was asked for.
std::string tracePath;

bool StartTraceIfAsked(ToolUnderTest& tool) {
  if (tracePath.empty()) return true;
  std::string error;
  if (tool.core().StartTrace(tracePath, error)) return true;
  std::fprintf(stderr, "trace: %s\n", error.c_str());
  return false;
}

double MillisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

std::size_t IdentificationBytes() { return OnTheWire(IdentificationSequence()).size(); }

// A tool with its port open on a fresh pseudo-terminal, the three
// identification commands already on the wire.
struct OpenTool {
  FarEndTerminal far;
  PrivatePortsDirectory ports;
  ToolUnderTest tool;

  bool Open() {
    if (!far.ok() || !ports.Link(kPort, far.slavePath()) || !StartTraceIfAsked(tool)) return false;
    tool.core().OpenPort(kPort);
    if (!tool.core().IsPortOpen()) return false;
    return FarEndTerminal::Joined(far.Receive(IdentificationBytes(), kDeadline)).size() == IdentificationBytes();
  }
  // After a reopen, with a drain on the line: the identification has gone out.
  bool WaitForIdentification(const PtyDrain& drain, std::size_t drainedBefore) {
    return tool.PumpUntil([&] { return drain.bytesRead() >= drainedBefore + IdentificationBytes(); }, kDeadline);
  }
};

// Lines written one at a time at random moments, each waited for until the
// record shows it: the time from the write call (one call for the whole line,
// a few microseconds) to the refresh that shows it.
bool MeasureLatency(int lines) {
  OpenTool open;
  if (!open.Open()) return false;
  PtyDrain drain(open.far.master());  // takes the tool's commands off the line
  ToolUnderTest& tool = open.tool;
  std::mt19937 random(20240607);
  std::uniform_int_distribution<int> pauseMicroseconds(0, 4000);

  std::string expected;
  Clock::time_point shown;
  bool seen = false;
  tool.dialog().onRefresh = [&] {
    if (!seen && tool.record().gpsFixLine.bytes() == expected) {
      shown = Clock::now();
      seen = true;
    }
  };
  std::vector<double> latencies;
  for (int i = 0; i < lines; ++i) {
    // Each line differs from the one before, so the refresh that shows it is unambiguous.
    expected = std::to_string(120000 + i % 60) + ".00,4807.038,N,01131.000,E,1,08,0.9," + std::to_string(i) +
               ",M,46.9,M,,";
    std::string wire = "$GPGGA," + expected;
    AppendChecksum(wire);
    std::this_thread::sleep_for(std::chrono::microseconds(pauseMicroseconds(random)));
    seen = false;
    // Stamped before the write: the worker on the other core may read the
    // line before the write call has even returned here.
    const Clock::time_point written = Clock::now();
    if (!open.far.Send(wire)) return false;
    if (!tool.PumpUntil([&] { return seen; }, kDeadline)) {
      std::fprintf(stderr, "line %d never reached the record\n", i);
      return false;
    }
    latencies.push_back(MillisecondsBetween(written, shown));
  }
  const Distribution d = Summarize(latencies);
  std::printf("latency, last byte written to record updated: %s\n", Describe(d, "ms").c_str());
  std::printf("  p99 / 2 ms: %.3f\n", d.p99 / 2);
  return true;
}

// Line ends in the far end's reads, each with the time of the read that
// completed it.
std::vector<Clock::time_point> LineEnds(const std::vector<FarEndTerminal::Chunk>& chunks) {
  std::vector<Clock::time_point> ends;
  for (const auto& chunk : chunks) {
    for (const char c : chunk.bytes) {
      if (c == '\n') ends.push_back(chunk.arrived);
    }
  }
  return ends;
}

// The machine's ports, with the moment each write call began noted on the
// worker's thread.
class WriteTimingPorts : public PortSystem {
 public:
  std::unique_ptr<SerialPort> Open(int portNumber, PortOpenError& error) override {
    std::unique_ptr<SerialPort> port = platform_->Open(portNumber, error);
    if (port == nullptr) return nullptr;
    return std::make_unique<TimedPort>(std::move(port), *this);
  }
  bool Probe(int portNumber) override { return platform_->Probe(portNumber); }
  PortPresence PresentPorts() override { return platform_->PresentPorts(); }
  std::vector<Clock::time_point> writeStarts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return writeStarts_;
  }

 private:
  class TimedPort : public SerialPort {
   public:
    TimedPort(std::unique_ptr<SerialPort> port, WriteTimingPorts& owner) : port_(std::move(port)), owner_(owner) {}
    bool WaitReadable(std::uint32_t timeoutMs) override { return port_->WaitReadable(timeoutMs); }
    ReadOutcome ReadSome(unsigned char* buffer, std::size_t size, std::size_t& count) override {
      return port_->ReadSome(buffer, size, count);
    }
    std::string LostReason() const override { return port_->LostReason(); }
    bool Write(const std::string& bytes) override {
      {
        std::lock_guard<std::mutex> lock(owner_.mutex_);
        owner_.writeStarts_.push_back(Clock::now());
      }
      return port_->Write(bytes);
    }
    void ClearError() override { port_->ClearError(); }
    void Purge() override { port_->Purge(); }

   private:
    std::unique_ptr<SerialPort> port_;
    WriteTimingPorts& owner_;
  };

  std::unique_ptr<PortSystem> platform_ = MakePlatformPortSystem();
  std::mutex mutex_;
  std::vector<Clock::time_point> writeStarts_;
};

std::vector<double> Gaps(const std::vector<Clock::time_point>& times) {
  std::vector<double> gaps;
  for (std::size_t i = 1; i < times.size(); ++i) gaps.push_back(MillisecondsBetween(times[i - 1], times[i]));
  return gaps;
}

// `count` commands queued as fast as the ring takes them; the gaps between
// the worker's write calls, and between their arrivals on the far end (which
// add the far end's own wake-up delays).
bool MeasureSpacing(int count) {
  FarEndTerminal far;
  PrivatePortsDirectory ports;
  WriteTimingPorts timedPorts;
  const std::unique_ptr<LinkClock> clock = MakeSystemClock();
  ToolUnderTest tool(timedPorts, *clock);
  if (!far.ok() || !ports.Link(kPort, far.slavePath()) || !StartTraceIfAsked(tool)) return false;

  std::vector<std::string> commands;
  std::size_t wireBytes = 0;
  for (const std::string& identification : IdentificationSequence()) {
    std::string wire = identification;
    AppendChecksum(wire);
    wireBytes += wire.size();
  }
  for (int i = 0; i < count; ++i) {
    commands.push_back("$NT805," + std::to_string(1 + i % 5) + ",SPACING " + std::to_string(i));
    std::string wire = commands.back();
    AppendChecksum(wire);
    wireBytes += wire.size();
  }
  std::vector<FarEndTerminal::Chunk> chunks;
  std::thread reader([&] { chunks = far.Receive(wireBytes, milliseconds(60000)); });
  tool.core().OpenPort(kPort);
  for (const std::string& command : commands) {
    // Whole or nothing: wait for room while the ring holds 29 pending.
    tool.PumpUntil([&] { return tool.core().QueueCommands({command}); }, kDeadline);
  }
  reader.join();
  tool.core().ClosePort();

  const std::vector<Clock::time_point> ends = LineEnds(chunks);
  if (ends.size() != commands.size() + 3) {
    std::fprintf(stderr, "%zu of %zu commands arrived\n", ends.size(), commands.size() + 3);
    return false;
  }
  const Distribution written = Summarize(Gaps(timedPorts.writeStarts()));
  const Distribution arrived = Summarize(Gaps(ends));
  std::printf("spacing of %zu queued commands, write calls: %s\n", ends.size(), Describe(written, "ms").c_str());
  std::printf("  min / 100 ms: %.4f, median / 100 ms: %.4f, max / 100 ms: %.4f\n", written.min / 100,
              written.median / 100, written.max / 100);
  std::printf("spacing of the same commands, arrivals on the far end: %s\n", Describe(arrived, "ms").c_str());
  return written.count == ends.size() - 1 && written.min > 100.0;
}

// ClosePort right after the identification has left, and right after a Set
// sequence of nine commands was queued; against about 700 ms and 700 ms plus
// 100 ms a command.
bool MeasureClose(int repetitions) {
  std::vector<double> emptyRatios;
  std::vector<double> nineRatios;
  std::vector<double> emptyMs;
  std::vector<double> nineMs;
  std::vector<double> nineOver1500;
  OpenTool open;
  if (!open.Open()) return false;
  PtyDrain drain(open.far.master());
  ToolUnderTest& tool = open.tool;
  tool.core().ClosePort();
  for (int rep = 0; rep < repetitions; ++rep) {
    for (const bool withSet : {false, true}) {
      const std::size_t drainedBefore = drain.bytesRead();
      tool.core().OpenPort(kPort);
      if (!open.WaitForIdentification(drain, drainedBefore)) return false;
      tool.PumpFor(milliseconds(150));  // the last write lies more than 100 ms back
      if (withSet) {
        const std::vector<std::string> set = SetSequence(LoggerFamily::Second, tool.record());
        if (set.size() != 9 || !tool.core().QueueCommands(set)) return false;
      }
      const Clock::time_point start = Clock::now();
      tool.core().ClosePort();
      const double took = MillisecondsBetween(start, Clock::now());
      (withSet ? nineMs : emptyMs).push_back(took);
      (withSet ? nineRatios : emptyRatios).push_back(took / (withSet ? 1600.0 : 700.0));
      if (withSet) nineOver1500.push_back(took / 1500.0);
    }
  }
  std::printf("ClosePort, empty queue: %s\n", Describe(Summarize(emptyMs), "ms").c_str());
  std::printf("  / 700 ms: %s\n", Describe(Summarize(emptyRatios), "").c_str());
  std::printf("ClosePort, nine commands queued: %s\n", Describe(Summarize(nineMs), "ms").c_str());
  std::printf("  / 1600 ms: %s\n", Describe(Summarize(nineRatios), "").c_str());
  // The first of the nine leaves at once (the last write lies far back), so
  // the queue is empty after eight spacings: 700 ms plus 8 x 100 ms.
  std::printf("  / 1500 ms: %s\n", Describe(Summarize(nineOver1500), "").c_str());
  return Summarize(emptyMs).min >= 700.0;
}

}  // namespace
}  // namespace brisko

int main(int argc, char** argv) {
  std::vector<std::string> wanted(argv + 1, argv + argc);
  if (wanted.size() >= 2 && wanted[0] == "--trace") {
    brisko::tracePath = wanted[1];
    wanted.erase(wanted.begin(), wanted.begin() + 2);
    std::printf("with a trace of the line into %s\n", brisko::tracePath.c_str());
  }
  if (wanted.empty()) wanted = {"latency", "spacing", "close"};
  bool ok = true;
  for (const std::string& what : wanted) {
    if (what == "latency") {
      ok = brisko::MeasureLatency(2000) && ok;
    } else if (what == "spacing") {
      ok = brisko::MeasureSpacing(50) && ok;
    } else if (what == "close") {
      ok = brisko::MeasureClose(8) && ok;
    } else {
      std::fprintf(stderr, "usage: brisko_bench_link [--trace FILE] [latency|spacing|close]...\n");
      return 2;
    }
    std::fflush(stdout);
  }
  return ok ? 0 : 1;
}
