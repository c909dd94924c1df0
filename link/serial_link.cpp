#include "link/serial_link.h"

#include <system_error>
#include <utility>

namespace brisko {

bool StartStdThread(std::thread& thread, std::function<void()> body, std::string& why) {
  try {
    thread = std::thread(std::move(body));
    return true;
  } catch (const std::system_error& failure) {
    why = failure.what();
    return false;
  }
}

SerialLink::SerialLink(PortSystem& ports, LinkClock& clock, SentencePoster& poster, ThreadStarter startThread)
    : ports_(ports), clock_(clock), poster_(poster), startThread_(std::move(startThread)) {}

SerialLink::~SerialLink() { Close(); }

bool SerialLink::Open(int portNumber, PortOpenError& error) {
  // An open port must go through the handshake first; replacing it here would
  // leave its worker running on a closed port.
  Close();
  queue_.Reset();
  error = PortOpenError{};
  port_ = ports_.Open(portNumber, error);
  if (port_ == nullptr) {
    trace_.Note(TraceDirection::Open, portNumber, "failed: " + error.devicePath + ": " + error.systemMessage);
    return false;
  }
  portNumber_ = portNumber;
  trace_.Note(TraceDirection::Open, portNumber, error.devicePath);

  state_.store(LinkState::Running, std::memory_order_release);
  ++run_;
  worker_ = std::make_unique<LinkWorker>(LinkParts{*port_, queue_, slots_, state_, poster_, clock_, run_, &trace_, portNumber});
  std::string why;
  if (!startThread_(thread_, [worker = worker_.get()] { worker->Run(); }, why)) {
    state_.store(LinkState::Stopped, std::memory_order_release);
    worker_.reset();
    port_.reset();
    error.kind = PortErrorKind::Other;
    error.systemMessage = "the link worker thread did not start: " + why;
    trace_.Note(TraceDirection::Close, portNumber, error.systemMessage);
    return false;
  }
  return true;
}

void SerialLink::Close() {
  if (!IsOpen()) return;
  StopWorker();
  worker_.reset();
  port_.reset();
  trace_.Note(TraceDirection::Close, portNumber_, std::string());
}

bool SerialLink::CloseLostPort(std::uint32_t run, std::string& reason) {
  if (!IsOpen() || run != run_) return false;
  StopWorker();
  reason = port_->LostReason();
  worker_.reset();
  port_.reset();
  trace_.Note(TraceDirection::Close, portNumber_, std::string());
  // Commands queued after the worker stopped would never leave; the next
  // open starts with an empty ring anyway.
  queue_.Reset();
  return true;
}

void SerialLink::StopWorker() {
  Advance(LinkState::Running, LinkState::Draining);
  WaitWhileQueueHoldsCommands();
  if (Advance(LinkState::Draining, LinkState::StopRequested)) {
    do {
      clock_.Sleep(kDrainPollMs);
    } while (state_.load(std::memory_order_acquire) == LinkState::StopRequested);
  }
  clock_.Sleep(kAfterStopMs);
  if (thread_.joinable()) thread_.join();
}

bool SerialLink::QueueCommands(const std::vector<std::string>& sequence) {
  if (!queue_.QueueCommands(sequence)) return false;
  WakeWorker();
  return true;
}

bool SerialLink::Advance(LinkState from, LinkState to) {
  const bool moved = state_.compare_exchange_strong(from, to, std::memory_order_acq_rel, std::memory_order_acquire);
  if (moved) WakeWorker();
  return moved;
}

void SerialLink::WakeWorker() {
  // Only while a worker runs on the port: otherwise nobody waits on it.
  if (port_ != nullptr && thread_.joinable()) port_->Wake();
}

void SerialLink::ExitDrain() {
  if (!IsOpen()) return;
  // The worker stays Running meanwhile: it still reads and posts.
  WaitWhileQueueHoldsCommands();
  clock_.Sleep(kAfterStopMs);
  Close();
}

void SerialLink::WaitWhileQueueHoldsCommands() {
  // The drains end because the worker empties a slot with every command it
  // handles, written or not, and the ring never holds more than it can show;
  // or because the worker has stopped on its own and will empty nothing more.
  do {
    clock_.Sleep(kDrainPollMs);
  } while (queue_.AnySlotHoldsCommand() && state_.load(std::memory_order_acquire) != LinkState::Stopped);
}

}  // namespace brisko
