// The bytes waiting to be written to the pseudo-terminal. The tool may stop
// reading (a closed port, a stalled worker), and the logger must never block
// on it: whole sentences beyond the capacity are dropped, never half of one.
// Single-threaded.
#pragma once

#include <cstddef>
#include <string>

namespace brisko {

class OutputQueue {
 public:
  explicit OutputQueue(std::size_t capacity) : capacity_(capacity) {}

  // Appends a whole line, or drops it (false) when it does not fit.
  bool Push(const std::string& line) {
    if (pending() + line.size() > capacity_) return false;
    buffer_ += line;
    return true;
  }

  const char* data() const { return buffer_.data() + sent_; }
  std::size_t pending() const { return buffer_.size() - sent_; }
  bool empty() const { return pending() == 0; }

  // n bytes were written.
  void Consume(std::size_t n) {
    sent_ += n;
    if (sent_ == buffer_.size()) {
      Clear();
    } else if (sent_ >= capacity_) {
      // Under a steady stream the queue never runs dry: drop the written prefix now and then.
      buffer_.erase(0, sent_);
      sent_ = 0;
    }
  }

  void Clear() {
    buffer_.clear();
    sent_ = 0;
  }

 private:
  std::size_t capacity_;
  std::string buffer_;
  std::size_t sent_ = 0;  // bytes at the front that are already written
};

}  // namespace brisko
