// The link worker: the only code that touches the port while it runs. Each
// pass writes at most one queued command, more than 100 ms after the previous
// write, then reads what has arrived through the receive framing and posts
// each good sentence to the owner, then sleeps until bytes arrive, the next
// command falls due or the stop bound passes. The owner stops it through
// LinkState, or it stops on its own once the port's device is gone, after
// posting that news. Begin, RunPass and End are the pieces of Run, so that a
// test can drive one pass at a time on one thread; in the tool only the worker
// thread calls them.
#pragma once

#include <atomic>
#include <cstdint>

#include "link/command_queue.h"
#include "link/link_clock.h"
#include "link/link_state.h"
#include "link/sentence_framing.h"
#include "link/sentence_poster.h"
#include "link/sentence_slots.h"
#include "link/serial_port.h"
#include "link/trace_writer.h"

namespace brisko {

inline constexpr std::uint32_t kCommandSpacingMs = 100;  // a command leaves more than this after the previous
inline constexpr std::size_t kMaxCommandBytes = 255;     // tail included; longer ones are dropped
// The longest the worker sleeps on the clock (draining, or after a failed
// read): a stop request is seen within this.
inline constexpr std::uint32_t kStopBoundMs = 50;
// The longest the worker waits for bytes on a port that its owner cannot wake
// (Windows): a new command or a request to drain is seen within this. Each
// such wait costs a wake-up, and under Wine a round trip to its server, so it
// is as long as it can be without delaying what the link promises: the first
// identification command, due just over 100 ms after the start, still leaves
// on time, and once the owner asks to drain, the worker's clock sleeps see the
// stop request before the owner's second 100 ms look.
inline constexpr std::uint32_t kUnwokenReadWaitMs = 100;
// On a port that the owner wakes for every command and stop request.
inline constexpr std::uint32_t kIdleWaitMs = 60000;

struct LinkParts {
  SerialPort& port;
  CommandQueue& queue;
  SentenceSlots& slots;
  std::atomic<LinkState>& state;
  SentencePoster& poster;
  LinkClock& clock;
  std::uint32_t run = 0;  // carried by every post of this worker run
  // Where the bytes written and read are noted while a trace runs (Note
  // returns at once), and the port they are noted under.
  TraceWriter* trace = nullptr;
  int portNumber = 0;
};

class LinkWorker {
 public:
  explicit LinkWorker(const LinkParts& parts);

  // The thread's whole run: Begin, passes until a stop is asked, End.
  void Run();

  // Fresh run: readIndex and framing to 0, port cleared and purged, pacing
  // counted from now. False when a stop was already asked.
  bool Begin();
  // One pass: write step, read step, the wait. False once a stop is asked or
  // the device is gone.
  bool RunPass();
  // Posts the loss of the device if that ended the run, then reports Stopped,
  // the last thing the worker does.
  void End();

  std::uint32_t sequenceNumber() const { return sequenceNumber_; }
  std::uint32_t lastWriteTick() const { return lastWriteTick_; }

 private:
  void WriteStep();
  void SendFront();
  // False after a failed read.
  bool ReadStep();
  void RecoverPort();
  void Trace(TraceDirection direction, const char* data, std::size_t size);
  // Until the next queued command falls due, at most `longest`.
  std::uint32_t WaitMs(std::uint32_t longest);

  LinkParts parts_;
  SentenceFramer framer_;
  std::uint32_t sequenceNumber_ = 0;
  std::uint32_t lastWriteTick_ = 0;
  bool portLost_ = false;
  unsigned char buffer_[1024];  // the driver's own receive queue size
};

}  // namespace brisko
