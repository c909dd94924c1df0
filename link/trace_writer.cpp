#include "link/trace_writer.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

namespace brisko {

TraceWriter::~TraceWriter() { Stop(); }

bool TraceWriter::Start(const std::string& path, const TraceHeader& header, std::string& error) {
  Stop();
#if defined(_WIN32)
  // The path is UTF-8 (a file dialog's choice, a command line's argument);
  // narrow names on Windows would be read in the ANSI code page.
  std::FILE* file = _wfopen(std::filesystem::u8path(path).c_str(), L"wb");
#else
  std::FILE* file = std::fopen(path.c_str(), "wb");
#endif
  if (file == nullptr) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  return StartOn(file, path, header, error);
}

bool TraceWriter::StartOn(std::FILE* file, const std::string& name, const TraceHeader& header, std::string& error) {
  Stop();
  file_ = file;
  {
    std::lock_guard<std::mutex> lock(tailMutex_);
    tail_.clear();
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    path_ = name;
    failure_.clear();
    pending_.clear();
    pending_.reserve(256);
    dropped_ = 0;
    stopping_ = false;
  }
  for (const std::string& line : TraceHeaderLines(header)) {
    if (!WriteLine(line)) break;
  }
  if (std::fflush(file_) != 0 || std::ferror(file_)) {
    error = name + ": " + std::strerror(errno);
    (void)std::fclose(file_);
    file_ = nullptr;
    return false;
  }
  {
    // Under the lock: a Note on another thread reads it there.
    std::lock_guard<std::mutex> lock(mutex_);
    start_ = std::chrono::steady_clock::now();
  }
  running_.store(true, std::memory_order_release);
  thread_ = std::thread([this] { WriteLoop(); });
  return true;
}

void TraceWriter::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    running_.store(false, std::memory_order_release);
    stopping_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void TraceWriter::Note(TraceDirection direction, int port, const char* data, std::size_t size) {
  if (!running_.load(std::memory_order_acquire)) return;
  const auto now = std::chrono::steady_clock::now();
  TraceEvent event{0, direction, port, std::string(data, size)};
  bool wakeWriter = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // Checked again under the lock: a Stop in between has taken the last batch.
    if (stopping_) return;
    if (pending_.size() >= kTraceQueueEvents) {
      ++dropped_;
      return;
    }
    event.ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_).count();
    pending_.push_back(std::move(event));
    wakeWriter = pending_.size() == kTraceQueueEvents / 4;
  }
  if (wakeWriter) wake_.notify_one();
}

void TraceWriter::WriteLoop() {
  std::vector<TraceEvent> batch;
  batch.reserve(256);
  std::uint64_t droppedWritten = 0;
  for (;;) {
    std::uint64_t dropped = 0;
    bool stopping = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait_for(lock, std::chrono::milliseconds(kTraceWriteIntervalMs),
                     [this] { return pending_.size() >= kTraceQueueEvents / 4 || stopping_; });
      batch.swap(pending_);
      dropped = dropped_;
      stopping = stopping_;
    }
    bool ok = true;
    if (dropped != droppedWritten) {
      ok = WriteLine("# " + std::to_string(dropped - droppedWritten) +
                     " events dropped here: the trace writer fell behind");
      droppedWritten = dropped;
    }
    for (const TraceEvent& event : batch) {
      if (!ok) break;
      ok = WriteLine(FormatTraceLine(event));
    }
    batch.clear();
    if (ok && std::fflush(file_) != 0) ok = false;
    if (!ok) {
      Fail(errno);
      return;
    }
    if (stopping) break;
  }
  (void)std::fclose(file_);
  file_ = nullptr;
}

bool TraceWriter::WriteLine(const std::string& line) {
  if (std::fputs(line.c_str(), file_) < 0 || std::fputc('\n', file_) == EOF) return false;
  std::lock_guard<std::mutex> lock(tailMutex_);
  if (tail_.size() == kTraceTailLines) tail_.pop_front();
  tail_.push_back(line);
  return true;
}

void TraceWriter::Fail(int systemError) {
  (void)std::fclose(file_);
  file_ = nullptr;
  std::string message;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    running_.store(false, std::memory_order_release);
    stopping_ = true;
    pending_.clear();
    failure_ = "The trace into " + path_ + " stopped: " + std::strerror(systemError != 0 ? systemError : EIO) + ".";
    message = failure_;
  }
  if (failureNotice_) failureNotice_(message);
}

std::string TraceWriter::path() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return path_;
}

std::vector<std::string> TraceWriter::Tail() const {
  std::lock_guard<std::mutex> lock(tailMutex_);
  return {tail_.begin(), tail_.end()};
}

std::string TraceWriter::failure() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return failure_;
}

std::uint64_t TraceWriter::droppedEvents() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dropped_;
}

}  // namespace brisko
