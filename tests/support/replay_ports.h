// Ports whose far end is a recorded trace (TraceReplay): the one port the
// recording was made on opens, and answers what the tool writes as the
// logger did then, in real time. The worker alone uses the open port (Wake
// aside); the replay's findings are read after the port is closed.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "link/serial_port.h"
#include "link/trace_replay.h"

namespace brisko {

class ReplayPorts : public PortSystem {
 public:
  ReplayPorts(int portNumber, std::vector<RecordedExchange> exchanges)
      : portNumber_(portNumber), replay_(std::move(exchanges)) {}

  std::unique_ptr<SerialPort> Open(int portNumber, PortOpenError& error) override {
    error.devicePath = "recording";
    if (portNumber != portNumber_) {
      error.kind = PortErrorKind::NotFound;
      error.systemMessage = "not in the recording";
      return nullptr;
    }
    return std::make_unique<Port>(replay_, start_);
  }
  bool Probe(int portNumber) override { return portNumber == portNumber_; }
  PortPresence PresentPorts() override { return {{portNumber_}, true, {}}; }

  // Read once every port is closed.
  const TraceReplay& replay() const { return replay_; }

 private:
  class Port : public SerialPort {
   public:
    Port(TraceReplay& replay, std::chrono::steady_clock::time_point start) : replay_(replay), start_(start) {}
    bool WaitReadable(std::uint32_t timeoutMs) override {
      std::unique_lock<std::mutex> lock(mutex_);
      const std::int64_t due = replay_.NextDueMs();
      const std::int64_t now = NowMs();
      const std::int64_t wait = due < 0 ? timeoutMs : std::min<std::int64_t>(timeoutMs, std::max<std::int64_t>(0, due - now));
      woken_.wait_for(lock, std::chrono::milliseconds(wait), [this] { return wake_; });
      wake_ = false;
      return !pending_.empty() || (replay_.NextDueMs() >= 0 && replay_.NextDueMs() <= NowMs());
    }
    ReadOutcome ReadSome(unsigned char* buffer, std::size_t size, std::size_t& count) override {
      pending_ += replay_.TakeDue(NowMs());
      count = std::min(size, pending_.size());
      if (count == 0) return ReadOutcome::Nothing;
      pending_.copy(reinterpret_cast<char*>(buffer), count);
      pending_.erase(0, count);
      return ReadOutcome::Bytes;
    }
    bool Write(const std::string& bytes) override {
      (void)replay_.Receive(bytes.data(), bytes.size(), NowMs());
      return true;
    }
    void ClearError() override {}
    // What had arrived is thrown away, as a driver's purge does.
    void Purge() override {
      pending_.clear();
      (void)replay_.TakeDue(NowMs());
    }
    std::string LostReason() const override { return std::string(); }
    bool Wakes() const override { return true; }
    void Wake() override {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        wake_ = true;
      }
      woken_.notify_one();
    }

   private:
    std::int64_t NowMs() const {
      return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
    }
    TraceReplay& replay_;
    std::chrono::steady_clock::time_point start_;
    std::string pending_;
    std::mutex mutex_;
    std::condition_variable woken_;
    bool wake_ = false;
  };

  int portNumber_;
  TraceReplay replay_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace brisko
