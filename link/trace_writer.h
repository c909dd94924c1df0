// Writes the trace of the line on a thread of its own, so that the link
// worker never waits for a disk. The worker and the user-interface thread
// hand events over with Note, which stamps them, appends them to a bounded
// list under a lock held only for that append (the writer holds it only to
// swap the whole list out) and returns. The writer takes the list every
// kTraceWriteIntervalMs, or at once when a quarter of it is full, so that a
// note costs the worker no system call and no other thread wakes to compete
// with the user-interface thread for the processor. When the writer has fallen so far
// behind that kTraceQueueEvents events wait, further events are dropped and
// counted, and the file says at that place how many were lost: the link is
// never slowed for the trace. The writer flushes after every batch, so the
// last line is on disk when the trace stops (the core stops it when the
// program ends), and within kTraceWriteIntervalMs of any event otherwise. A write
// that fails (disk full, file gone) ends the trace: the writer closes the
// file and tells its owner once, through the failure notice, on its own
// thread; nothing else changes.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/line_trace.h"

namespace brisko {

inline constexpr std::size_t kTraceQueueEvents = 4096;
inline constexpr std::uint32_t kTraceWriteIntervalMs = 100;
// The lines the diagnostics report quotes from a running trace.
inline constexpr std::size_t kTraceTailLines = 50;

class TraceWriter {
 public:
  // Called on the writer's thread, once, when a write failed and the trace
  // ended; must not block (a front end posts it to its own thread).
  using FailureNotice = std::function<void(const std::string& message)>;

  TraceWriter() = default;
  // Stops a running trace, writing what was handed over.
  ~TraceWriter();
  TraceWriter(const TraceWriter&) = delete;
  TraceWriter& operator=(const TraceWriter&) = delete;

  // The owner's thread. Creates (or empties) the file, writes the header and
  // starts the writer; a running trace is stopped first. False with the
  // system's words in `error` when the file cannot be written.
  bool Start(const std::string& path, const TraceHeader& header, std::string& error);
  // The same on a stream opened by the caller, which the writer then owns and
  // closes; `name` stands for it in messages.
  bool StartOn(std::FILE* file, const std::string& name, const TraceHeader& header, std::string& error);
  // The owner's thread. Writes every event handed over so far, closes the file.
  void Stop();
  // Set before Start; called as described above.
  void SetFailureNotice(FailureNotice notice) { failureNotice_ = std::move(notice); }

  // Any thread; returns at once. Nothing while no trace runs.
  void Note(TraceDirection direction, int port, const char* data, std::size_t size);
  void Note(TraceDirection direction, int port, const std::string& text) {
    Note(direction, port, text.data(), text.size());
  }

  bool running() const { return running_.load(std::memory_order_acquire); }
  std::string path() const;
  // The last kTraceTailLines lines written, oldest first.
  std::vector<std::string> Tail() const;
  // Why the last trace ended on its own; empty while it runs or after Stop.
  std::string failure() const;
  // Events dropped because the writer had fallen behind, in this trace.
  std::uint64_t droppedEvents() const;

 private:
  void WriteLoop();
  // False after a failed write.
  bool WriteLine(const std::string& line);
  void Fail(int systemError);

  std::atomic<bool> running_{false};
  FailureNotice failureNotice_;
  std::FILE* file_ = nullptr;  // the writer's thread alone while it runs
  std::thread thread_;

  mutable std::mutex mutex_;  // guards everything below
  std::chrono::steady_clock::time_point start_;
  std::condition_variable wake_;
  std::vector<TraceEvent> pending_;
  std::uint64_t dropped_ = 0;
  bool stopping_ = false;
  std::string path_;
  std::string failure_;

  // Apart, so that the writer's bookkeeping of every line it writes never
  // holds up a note.
  mutable std::mutex tailMutex_;
  std::deque<std::string> tail_;
};

}  // namespace brisko
