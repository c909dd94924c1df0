#include "link/link_worker.h"

#include <algorithm>
#include <string>

namespace brisko {

LinkWorker::LinkWorker(const LinkParts& parts) : parts_(parts), framer_(parts.slots) {}

void LinkWorker::Run() {
  if (Begin()) {
    while (RunPass()) {
    }
  }
  End();
}

bool LinkWorker::Begin() {
  parts_.queue.RestartReading();
  // Nothing received or pending from before this run survives.
  parts_.port.ClearError();
  parts_.port.Purge();
  framer_.Reset();
  sequenceNumber_ = 0;
  portLost_ = false;
  lastWriteTick_ = parts_.clock.Tick();
  return parts_.state.load(std::memory_order_acquire) < LinkState::StopRequested;
}

bool LinkWorker::RunPass() {
  WriteStep();
  const bool reading = parts_.state.load(std::memory_order_acquire) == LinkState::Running;
  const bool readFailed = reading && !ReadStep();
  // A device that is gone stays gone: passes would only fail, and the user
  // would be shown a port that seems fine.
  if (portLost_) return false;
  // Only a reader waits on the port: bytes left unread while draining, or an
  // error the port keeps reporting, would end every wait at once.
  if (reading && !readFailed) {
    parts_.port.WaitReadable(WaitMs(parts_.port.Wakes() ? kIdleWaitMs : kUnwokenReadWaitMs));
  } else {
    parts_.clock.Sleep(WaitMs(kStopBoundMs));
  }
  return parts_.state.load(std::memory_order_acquire) < LinkState::StopRequested;
}

std::uint32_t LinkWorker::WaitMs(std::uint32_t longest) {
  if (parts_.queue.Front() == nullptr) return longest;
  // Unsigned: a tick that wrapped since the last write reads as long overdue,
  // and the next write step restarts the spacing.
  const std::uint32_t elapsed = parts_.clock.Tick() - lastWriteTick_;
  if (elapsed > kCommandSpacingMs) return 0;
  return std::min(longest, kCommandSpacingMs + 1 - elapsed);
}

void LinkWorker::End() {
  if (portLost_) {
    const std::string reason = parts_.port.LostReason();
    Trace(TraceDirection::Lost, reason.data(), reason.size());
    parts_.poster.PostPortLost(parts_.run);
  }
  parts_.state.store(LinkState::Stopped, std::memory_order_release);
}

void LinkWorker::WriteStep() {
  if (parts_.queue.Front() == nullptr) return;
  const std::uint32_t tick = parts_.clock.Tick();
  if (tick < lastWriteTick_) {
    // A tick below the last write: the counter has passed 2^32 since then.
    // The spacing starts again from this tick, so the next command waits up
    // to 100 ms longer and nothing is lost.
    lastWriteTick_ = tick;
    return;
  }
  // Elapsed time, not lastWriteTick + 100, which overflows near the wrap and
  // would let a command out at once.
  if (tick - lastWriteTick_ > kCommandSpacingMs) {
    SendFront();
    lastWriteTick_ = tick;
  }
}

void LinkWorker::SendFront() {
  std::string& command = *parts_.queue.Front();
  AppendChecksum(command);
  if (command.size() <= kMaxCommandBytes) {
    if (parts_.port.Write(command)) {
      Trace(TraceDirection::ToLogger, command.data(), command.size());
    } else {
      static constexpr char kWriteFailed[] = "write failed: ";
      const std::string what = kWriteFailed + command;
      Trace(TraceDirection::Error, what.data(), what.size());
      RecoverPort();
    }
  }
  // Written, failed or too long: the slot is used up either way and nothing is
  // retried, which is also what lets the drains end.
  parts_.queue.PopFront();
}

bool LinkWorker::ReadStep() {
  for (;;) {
    std::size_t count = 0;
    const ReadOutcome outcome = parts_.port.ReadSome(buffer_, sizeof buffer_, count);
    if (outcome == ReadOutcome::Lost) {
      portLost_ = true;
      return true;
    }
    if (outcome == ReadOutcome::Failed) {
      static constexpr char kReadFailed[] = "read failed";
      Trace(TraceDirection::Error, kReadFailed, sizeof kReadFailed - 1);
      RecoverPort();
      return false;
    }
    if (outcome != ReadOutcome::Bytes) return true;
    Trace(TraceDirection::FromLogger, reinterpret_cast<const char*>(buffer_), count);
    for (std::size_t i = 0; i < count; ++i) {
      // A stop arrived during this read step: the rest is dropped unframed.
      if (parts_.state.load(std::memory_order_acquire) != LinkState::Running) return true;
      const FrameResult result = framer_.AcceptByte(buffer_[i]);
      if (result.outcome == FrameOutcome::SentenceReady) {
        parts_.slots.Publish(result.slot, sequenceNumber_);
        parts_.poster.PostSentence(parts_.run, sequenceNumber_, result.slot);
        ++sequenceNumber_;
      }
    }
    // A short read took all the driver held; what arrives later ends the
    // next wait at once.
    if (count < sizeof buffer_) return true;
  }
}

void LinkWorker::Trace(TraceDirection direction, const char* data, std::size_t size) {
  if (parts_.trace != nullptr) parts_.trace->Note(direction, parts_.portNumber, data, size);
}

void LinkWorker::RecoverPort() {
  parts_.port.ClearError();
  parts_.port.Purge();
}

}  // namespace brisko
