#include "link/serial_link.h"

#include <system_error>
#include <utility>

namespace brisko {

namespace {

bool StartStdThread(std::thread& thread, std::function<void()> body, std::string& why) {
  try {
    thread = std::thread(std::move(body));
    return true;
  } catch (const std::system_error& failure) {
    why = failure.what();
    return false;
  }
}

}  // namespace

SerialLink::SerialLink(PortSystem& ports, LinkClock& clock, SentencePoster& poster)
    : ports_(ports), clock_(clock), poster_(poster), startThread_(StartStdThread) {}

SerialLink::~SerialLink() { Close(); }

bool SerialLink::Open(int portNumber, PortOpenError& error) {
  // An open port must go through the handshake first; replacing it here would
  // leave its worker running on a closed port.
  Close();
  queue_.Reset();
  error = PortOpenError{};
  port_ = ports_.Open(portNumber, error);
  if (port_ == nullptr) return false;

  state_.store(LinkState::Running, std::memory_order_release);
  worker_ = std::make_unique<LinkWorker>(LinkParts{*port_, queue_, slots_, state_, poster_, clock_});
  std::string why;
  if (!startThread_(thread_, [worker = worker_.get()] { worker->Run(); }, why)) {
    state_.store(LinkState::Stopped, std::memory_order_release);
    worker_.reset();
    port_.reset();
    error.kind = PortErrorKind::Other;
    error.systemMessage = "the link worker thread did not start: " + why;
    return false;
  }
  return true;
}

void SerialLink::Close() {
  if (!IsOpen()) return;
  state_.store(LinkState::Draining, std::memory_order_release);
  WaitWhileQueueHoldsCommands();
  state_.store(LinkState::StopRequested, std::memory_order_release);
  do {
    clock_.Sleep(kDrainPollMs);
  } while (state_.load(std::memory_order_acquire) == LinkState::StopRequested);
  clock_.Sleep(kAfterStopMs);
  if (thread_.joinable()) thread_.join();
  worker_.reset();
  port_.reset();
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
  // handles, written or not, and the ring never holds more than it can show.
  do {
    clock_.Sleep(kDrainPollMs);
  } while (queue_.AnySlotHoldsCommand());
}

}  // namespace brisko
