// The far end of a recorded trace: the logger as the recording shows it. Each
// command the tool writes is matched with the next command of the recording,
// and the bytes that the recording read back after that command are sent
// again, each chunk as long after the command as it came then. A command that
// differs from the recording is named and still answered as recorded, so
// that one difference does not hide the rest. Bytes recorded before the first
// command go out right after it. Used by brisko-sim --replay and by the tests
// that replay recorded sessions against the core. Single-threaded; the
// caller gives the time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "link/line_trace.h"

namespace brisko {

struct RecordedExchange {
  std::string command;  // as written, tail included
  struct Reply {
    std::int64_t delayMs;  // after the command
    std::string bytes;
  };
  std::vector<Reply> replies;
};

// The recording's commands, each with what was read after it until the next.
std::vector<RecordedExchange> RecordedExchanges(const TraceFile& trace);

class TraceReplay {
 public:
  explicit TraceReplay(std::vector<RecordedExchange> exchanges);

  // Bytes the tool wrote, at nowMs. Returns one line for each whole command
  // among them: as recorded, differing (with both texts) or beyond the end.
  std::vector<std::string> Receive(const char* bytes, std::size_t size, std::int64_t nowMs);
  // The recorded bytes that are due by nowMs, in recorded order.
  std::string TakeDue(std::int64_t nowMs);
  // When the next recorded bytes fall due; -1 when none wait.
  std::int64_t NextDueMs() const;

  std::size_t commandsReceived() const { return received_; }
  // One line per command that differed or was not in the recording.
  const std::vector<std::string>& differences() const { return differences_; }
  // Every recorded command has come and every recorded byte has gone out.
  bool finished() const { return received_ >= exchanges_.size() && due_.empty(); }

 private:
  std::string Match(const std::string& command, std::int64_t nowMs);

  std::vector<RecordedExchange> exchanges_;
  std::size_t received_ = 0;
  std::string partial_;  // a command not yet ended by its line feed
  struct Due {
    std::int64_t atMs;
    std::string bytes;
  };
  std::deque<Due> due_;  // ordered by time: each command's replies come after the last's
  std::vector<std::string> differences_;
};

}  // namespace brisko
