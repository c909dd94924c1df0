// brisko-sim: plays a logger at the far end of a pseudo-terminal. This file
// is the thin shell around LoggerSession: the pseudo-terminal and its COM<n>
// entry, signals, the clock, the poll loop and the log on standard output.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "link/line_trace.h"
#include "link/port_names.h"
#include "link/trace_replay.h"
#include "sim/logger_session.h"
#include "sim/pseudo_terminal.h"
#include "sim/sim_options.h"
#include "sim/written_sentence_count.h"

namespace {

volatile sig_atomic_t stopSignal = 0;

void OnStopSignal(int signalNumber) { stopSignal = signalNumber; }

void InstallSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: poll must return with EINTR
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  // A reader of our log that goes away must not kill us before the entry is removed.
  (void)signal(SIGPIPE, SIG_IGN);
}

void PrintLine(const std::string& line) {
  (void)std::fputs(line.c_str(), stdout);
  (void)std::fputc('\n', stdout);
  (void)std::fflush(stdout);
}

class RunClock {
 public:
  long long Milliseconds() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
  }
  static std::int64_t UnixSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Takes every byte the tool has written. False when the master hangs up,
// which only happens if our own slave descriptor is gone.
void ReadFromTool(int masterFd, brisko::LoggerSession& session, const RunClock& clock) {
  unsigned char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(masterFd, buffer, sizeof buffer);
    if (n > 0) {
      session.Receive(buffer, static_cast<std::size_t>(n), clock.Milliseconds());
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return;  // EAGAIN: all read; EIO: no slave open (cannot happen while we hold one)
  }
}

// More than this waiting unread in the device means that no one is reading:
// the tool has closed the port (or was never started). A serial line has no
// memory, so what the logger sends meanwhile is lost, and the tool, which
// purges its port when it opens it, meets only fresh sentences.
constexpr int kUnreadLimit = 2048;

// Writes what the line takes now; the rest waits for the next POLLOUT.
// Every sentence written is counted as the tool's framing would accept it; the
// count so far is logged when the tool starts reading again, so that a test
// can compare what followed with what the tool dispatched.
void WriteToTool(const brisko::PseudoTerminal& terminal, brisko::OutputQueue& output, bool& toolAway,
                 brisko::WrittenSentenceCount& written, const RunClock& clock) {
  const bool away = terminal.UnreadByTool() > kUnreadLimit;
  if (away != toolAway) {
    toolAway = away;
    PrintLine(brisko::LogStamp(clock.Milliseconds()) +
              (away ? "the tool is not reading: output is dropped until it does"
                    : "the tool reads again; good sentences written before: " + std::to_string(written.good())));
  }
  if (away) {
    output.Clear();
    return;
  }
  const int masterFd = terminal.masterFd();
  while (!output.empty()) {
    const ssize_t n = ::write(masterFd, output.data(), output.pending());
    if (n > 0) {
      written.Written(output.data(), static_cast<std::size_t>(n));
      output.Consume(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return;  // EAGAIN: the pseudo-terminal's buffer is full; the tool is not reading
  }
}

std::string Describe(const brisko::SimOptions& options, std::uint32_t seed) {
  const auto& logger = options.logger;
  std::string text = "brisko-sim: family " +
                     std::string(logger.family == brisko::SimulatedFamily::First ? "0" : "800") + ", serial " +
                     logger.serialNumber + ", hardware " + std::to_string(logger.hardwareTenths) + ", firmware " +
                     std::to_string(logger.firmwareTenths) + (logger.sealed ? ", sealed" : ", unsealed") +
                     ", fix rate " + std::to_string(logger.fixRateSeconds) + " s, " +
                     std::to_string(logger.flightCount) + " flights, seed " + std::to_string(seed);
  if (options.silentAfterSeconds >= 0) text += ", silent after " + std::to_string(options.silentAfterSeconds) + " s";
  if (options.noiseRate > 0) text += ", noise " + std::to_string(options.noiseRate);
  if (options.garbage) text += ", garbage";
  if (options.flood) text += ", flood";
  return text;
}

bool LoadReplay(const std::string& path, std::vector<brisko::RecordedExchange>& exchanges, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  brisko::TraceFile trace;
  if (!brisko::ReadTrace(in, trace, error)) {
    error = path + ": " + error;
    return false;
  }
  exchanges = brisko::RecordedExchanges(trace);
  if (exchanges.empty()) {
    error = path + ": the trace holds no command to answer";
    return false;
  }
  return true;
}

// The far end of a recording: reads the tool's commands, names each as
// recorded or differing, and writes the recorded answers when they fall due.
// Unlike a logger it sends nothing on its own, so nothing piles up while the
// tool's port is closed.
void RunReplay(int masterFd, brisko::TraceReplay& replay, const RunClock& clock) {
  bool announcedEnd = false;
  std::string output;
  while (stopSignal == 0) {
    output += replay.TakeDue(clock.Milliseconds());
    while (!output.empty()) {
      const ssize_t n = ::write(masterFd, output.data(), output.size());
      if (n > 0) {
        output.erase(0, static_cast<std::size_t>(n));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      break;  // the line takes no more now
    }
    if (replay.finished() && output.empty() && !announcedEnd) {
      announcedEnd = true;
      PrintLine("brisko-sim: replay finished: " + std::to_string(replay.commandsReceived()) + " commands, " +
                std::to_string(replay.differences().size()) + " differ");
    }
    const std::int64_t due = replay.NextDueMs();
    const long long wait = output.empty() ? (due < 0 ? 1000 : due - clock.Milliseconds()) : 10;
    pollfd watch{masterFd, POLLIN, 0};
    const int ready = ::poll(&watch, 1, static_cast<int>(std::clamp(wait, 0LL, 1000LL)));
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    if (watch.revents & POLLIN) {
      char buffer[4096];
      ssize_t n = 0;
      while ((n = ::read(masterFd, buffer, sizeof buffer)) > 0) {
        for (const std::string& note : replay.Receive(buffer, static_cast<std::size_t>(n), clock.Milliseconds())) {
          PrintLine(brisko::LogStamp(clock.Milliseconds()) + note);
        }
      }
    }
    if ((watch.revents & POLLHUP) && !(watch.revents & POLLIN)) ::usleep(50 * 1000);
  }
}

}  // namespace

int main(int argc, char** argv) {
  brisko::SimOptions options;
  std::string error;
  switch (brisko::ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    case brisko::ParseOutcome::ShowHelp:
      (void)std::fputs(brisko::SimHelpText().c_str(), stdout);
      return 0;
    case brisko::ParseOutcome::Error:
      (void)std::fprintf(stderr, "brisko-sim: %s\n", error.c_str());
      return 2;
    case brisko::ParseOutcome::Run:
      break;
  }
  const std::uint32_t seed = options.seedGiven ? options.seed : std::random_device{}();

  std::vector<brisko::RecordedExchange> exchanges;
  if (!options.replayPath.empty() && !LoadReplay(options.replayPath, exchanges, error)) {
    (void)std::fprintf(stderr, "brisko-sim: %s\n", error.c_str());
    return 1;
  }

  InstallSignalHandlers();
  brisko::PseudoTerminal terminal;
  if (!terminal.Open(error)) {
    (void)std::fprintf(stderr, "brisko-sim: %s\n", error.c_str());
    return 1;
  }
  brisko::PortEntry entry;
  if (!entry.Publish(brisko::PortsDirectory(), terminal.slavePath(), options.port, error)) {
    (void)std::fprintf(stderr, "brisko-sim: %s\n", error.c_str());
    return 1;
  }
  PrintLine("brisko-sim: " + brisko::PortName(entry.portNumber()) + " -> " + terminal.slavePath());
  PrintLine("brisko-sim: entry " + entry.path());
  if (entry.portNumber() > brisko::kLastListedPort) {
    PrintLine("brisko-sim: note: the tool lists only " + brisko::PortName(brisko::kFirstListedPort) + " to " +
              brisko::PortName(brisko::kLastListedPort));
  }
  const RunClock clock;
  if (!exchanges.empty()) {
    PrintLine("brisko-sim: replaying " + options.replayPath + ", " + std::to_string(exchanges.size()) + " commands");
    brisko::TraceReplay replay(std::move(exchanges));
    RunReplay(terminal.masterFd(), replay, clock);
    if (stopSignal != 0) PrintLine("brisko-sim: stopped by signal " + std::to_string(stopSignal));
    for (const std::string& difference : replay.differences()) PrintLine("brisko-sim: differs: " + difference);
    entry.Remove();
    PrintLine("brisko-sim: " + brisko::PortName(entry.portNumber()) + " removed");
    return replay.differences().empty() ? 0 : 3;
  }
  PrintLine(Describe(options, seed));

  brisko::LoggerSession session(options, seed, PrintLine);
  const int masterFd = terminal.masterFd();
  bool toolAway = false;
  brisko::WrittenSentenceCount written;
  while (stopSignal == 0) {
    session.Tick(clock.Milliseconds(), RunClock::UnixSeconds());
    WriteToTool(terminal, session.output(), toolAway, written, clock);

    const long long wait = session.NextTickMs() - clock.Milliseconds();
    pollfd watch{masterFd, static_cast<short>(POLLIN | (session.output().empty() ? 0 : POLLOUT)), 0};
    const int ready = ::poll(&watch, 1, static_cast<int>(std::clamp(wait, 0LL, 1000LL)));
    if (ready < 0) {
      if (errno == EINTR) continue;
      PrintLine(std::string("brisko-sim: poll: ") + std::strerror(errno));
      break;
    }
    if (ready == 0) continue;
    if (watch.revents & POLLIN) ReadFromTool(masterFd, session, clock);
    // Hang-up without input only happens if no slave is open; do not spin on it.
    if ((watch.revents & POLLHUP) && !(watch.revents & POLLIN)) ::usleep(50 * 1000);
  }
  if (stopSignal != 0) PrintLine("brisko-sim: stopped by signal " + std::to_string(stopSignal));
  PrintLine("brisko-sim: good sentences written: " + std::to_string(written.good()));
  entry.Remove();
  PrintLine("brisko-sim: COM" + std::to_string(entry.portNumber()) + " removed");
  return 0;
}
