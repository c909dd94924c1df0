#include "link/trace_replay.h"

#include <algorithm>
#include <utility>

namespace brisko {

std::vector<RecordedExchange> RecordedExchanges(const TraceFile& trace) {
  std::vector<RecordedExchange> exchanges;
  std::vector<RecordedExchange::Reply> beforeFirst;
  std::int64_t commandMs = 0;
  for (const TraceEvent& event : trace.events) {
    if (event.direction == TraceDirection::ToLogger) {
      // What came before the first command goes out right after it.
      exchanges.push_back({event.data, exchanges.empty() ? beforeFirst : std::vector<RecordedExchange::Reply>()});
      commandMs = event.ms;
    } else if (event.direction == TraceDirection::FromLogger) {
      if (exchanges.empty()) {
        beforeFirst.push_back({0, event.data});
      } else {
        exchanges.back().replies.push_back({std::max<std::int64_t>(0, event.ms - commandMs), event.data});
      }
    }
  }
  return exchanges;
}

TraceReplay::TraceReplay(std::vector<RecordedExchange> exchanges) : exchanges_(std::move(exchanges)) {}

std::vector<std::string> TraceReplay::Receive(const char* bytes, std::size_t size, std::int64_t nowMs) {
  std::vector<std::string> notes;
  for (std::size_t i = 0; i < size; ++i) {
    partial_ += bytes[i];
    if (bytes[i] == '\n') {
      notes.push_back(Match(partial_, nowMs));
      partial_.clear();
    }
  }
  return notes;
}

std::string TraceReplay::Match(const std::string& command, std::int64_t nowMs) {
  const std::size_t number = ++received_;
  const std::string shown = "command " + std::to_string(number) + " \"" + EscapeTraceBytes(command) + "\"";
  if (number > exchanges_.size()) {
    differences_.push_back(shown + " is not in the recording");
    return differences_.back();
  }
  const RecordedExchange& recorded = exchanges_[number - 1];
  // Replies never overtake those of the command before.
  const std::int64_t floor = due_.empty() ? nowMs : std::max(nowMs, due_.back().atMs);
  for (const RecordedExchange::Reply& reply : recorded.replies) {
    due_.push_back({std::max(floor, nowMs + reply.delayMs), reply.bytes});
  }
  if (recorded.command == command) return shown + " as recorded";
  differences_.push_back(shown + " differs from the recording's \"" + EscapeTraceBytes(recorded.command) + "\"");
  return differences_.back();
}

std::string TraceReplay::TakeDue(std::int64_t nowMs) {
  std::string bytes;
  while (!due_.empty() && due_.front().atMs <= nowMs) {
    bytes += due_.front().bytes;
    due_.pop_front();
  }
  return bytes;
}

std::int64_t TraceReplay::NextDueMs() const { return due_.empty() ? -1 : due_.front().atMs; }

}  // namespace brisko
