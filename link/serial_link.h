// The link as its owner sees it: the open port, the worker thread, the command
// queue, the control word and the sentence slots, with the opening of a port,
// the stop handshake and the exit drain. Every member function runs on the
// user-interface thread; the worker thread runs only LinkWorker. The port is
// closed only after the worker has reported Stopped, 500 ms more have passed
// and its thread has been joined. A worker that lost its device has stopped
// on its own: the handshake and the drains then end without waiting for it.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/command_queue.h"
#include "link/link_clock.h"
#include "link/link_state.h"
#include "link/link_worker.h"
#include "link/sentence_poster.h"
#include "link/sentence_slots.h"
#include "link/serial_port.h"
#include "link/trace_writer.h"

namespace brisko {

inline constexpr std::uint32_t kDrainPollMs = 100;
inline constexpr std::uint32_t kAfterStopMs = 500;

// Starts `body` on a new thread in `thread`; false, with the reason in `why`,
// when the system could not start one.
using ThreadStarter = std::function<bool(std::thread& thread, std::function<void()> body, std::string& why)>;
// The ThreadStarter of std::thread.
bool StartStdThread(std::thread& thread, std::function<void()> body, std::string& why);

class SerialLink {
 public:
  // `startThread` starts the worker's thread; tests pass one that fails.
  SerialLink(PortSystem& ports, LinkClock& clock, SentencePoster& poster,
             ThreadStarter startThread = StartStdThread);
  // Runs the stop handshake if a port is still open.
  ~SerialLink();
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  // Empties the queue, opens and configures port n, and starts the worker.
  // False with the reason when the port did not open or the worker did not
  // start (the port is then closed again: a link without a worker would make
  // the stop handshake wait for ever).
  bool Open(int portNumber, PortOpenError& error);
  // The stop handshake, then the port is closed. Nothing when no port is open.
  void Close();
  // Lets the queued commands go out while the worker still reads, waits
  // 500 ms more, then Close. Nothing when no port is open.
  void ExitDrain();
  // The worker of `run` posted that the device is gone: closes the port and
  // gives the system's reason. False, doing nothing, when that run's port
  // was closed or changed meanwhile.
  bool CloseLostPort(std::uint32_t run, std::string& reason);

  // The run of the open port (a new number with every successful open).
  std::uint32_t run() const { return run_; }
  bool IsOpen() const { return port_ != nullptr; }
  // Whole or nothing; false when the ring has no room for the whole sequence.
  bool QueueCommands(const std::vector<std::string>& sequence);

  const SentenceSlots& slots() const { return slots_; }
  // True while any queued command has not yet left.
  bool CommandsPending() const { return queue_.AnySlotHoldsCommand(); }

  // The trace of this link's line: the worker notes what it writes and reads,
  // the link notes each open and close. The owner starts and stops it.
  TraceWriter& trace() { return trace_; }
  const TraceWriter& trace() const { return trace_; }

 private:
  void WaitWhileQueueHoldsCommands();
  // The stop handshake up to the joined thread; the port stays open.
  void StopWorker();
  // Moves the control word on only from `from`: the worker may have stopped
  // on its own in the meantime, and Stopped must never be overwritten.
  bool Advance(LinkState from, LinkState to);
  // A worker asleep on its port sees the new command or state at once.
  void WakeWorker();

  // First, so that it outlives the worker that notes into it.
  TraceWriter trace_;
  PortSystem& ports_;
  LinkClock& clock_;
  SentencePoster& poster_;
  CommandQueue queue_;
  SentenceSlots slots_;
  std::atomic<LinkState> state_{LinkState::Stopped};
  std::unique_ptr<SerialPort> port_;
  std::unique_ptr<LinkWorker> worker_;
  std::thread thread_;
  ThreadStarter startThread_;
  std::uint32_t run_ = 0;
  int portNumber_ = 0;  // the open port's, for the trace
};

}  // namespace brisko
