// Arbitrary bytes as a trace file, read as brisko-sim --replay reads one.
// Traps when a trace that was read does not read back the same once its
// events are written again, or when replaying it against its own commands
// names a difference or leaves a recorded byte unsent.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "link/line_trace.h"
#include "link/trace_replay.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  brisko::TraceFile trace;
  std::string error;
  if (!brisko::ReadTrace(in, trace, error)) return 0;

  std::string written;
  for (const brisko::TraceEvent& event : trace.events) written += brisko::FormatTraceLine(event) + "\n";
  std::istringstream again(written);
  brisko::TraceFile reread;
  Require(brisko::ReadTrace(again, reread, error));
  Require(reread.events == trace.events);

  brisko::TraceReplay replay(brisko::RecordedExchanges(trace));
  std::int64_t now = 0;
  for (const brisko::TraceEvent& event : trace.events) {
    if (event.direction != brisko::TraceDirection::ToLogger) continue;
    // A recorded command cut short by a line feed inside it is several
    // commands to the replay; only whole lines compare as one.
    if (event.data.empty() || event.data.find('\n') != event.data.size() - 1) return 0;
    (void)replay.Receive(event.data.data(), event.data.size(), now);
    now += 1000;
  }
  (void)replay.TakeDue(INT64_MAX);
  Require(replay.differences().empty());
  Require(replay.finished());
  return 0;
}
