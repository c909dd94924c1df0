// One run of the simulated logger, apart from the pseudo-terminal: it takes
// the bytes the tool wrote and the passing of time, and fills the output queue
// with replies and with the sentences the logger sends on its own (position,
// readings, and the failure modes' noise, garbage and flood). Every received
// line and every reply is reported to the log callback. Time is given by the
// caller, so tests drive it without sleeping. Single-threaded.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "sim/command_reader.h"
#include "sim/line_faults.h"
#include "sim/logger_model.h"
#include "sim/output_queue.h"
#include "sim/sim_options.h"

namespace brisko {

inline constexpr long long kPositionIntervalMs = 1000;
inline constexpr long long kReadingsIntervalMs = 3000;
inline constexpr long long kGarbageIntervalMs = 500;
// 57600 baud with 8 data bits, no parity, one stop bit: ten bits a byte.
inline constexpr long long kLineBytesPerSecond = 5760;
inline constexpr std::size_t kOutputCapacity = std::size_t{16} * 1024;

class LoggerSession {
 public:
  using LogSink = std::function<void(const std::string&)>;

  LoggerSession(const SimOptions& options, std::uint32_t seed, LogSink log);

  // Bytes from the tool, received at nowMs (milliseconds since start).
  void Receive(const unsigned char* bytes, std::size_t count, long long nowMs);
  // Sends whatever is due at nowMs; unixSeconds stamps the position sentences.
  void Tick(long long nowMs, std::int64_t unixSeconds);
  // The time of the next Tick that has work to do.
  long long NextTickMs() const;

  OutputQueue& output() { return output_; }
  const LoggerModel& model() const { return model_; }
  bool silent() const { return silent_; }

 private:
  // Queues one sentence with its tail; a reply is always logged, the rest
  // only with --verbose.
  void Send(const std::string& sentence, bool isReply, long long nowMs);
  // Queues a line as it is (garbage): no tail added, no noise.
  void SendRaw(const std::string& line, long long nowMs);
  void Enqueue(const std::string& line, long long nowMs);
  void UpdateSilence(long long nowMs);
  std::string NextFloodSentence(std::int64_t unixSeconds);
  void Log(long long nowMs, const std::string& text);

  SimOptions options_;
  LogSink log_;
  std::mt19937 random_;
  LoggerModel model_;
  CommandReader reader_;
  LineNoise noise_;
  OutputQueue output_;

  long long firstCommandMs_ = -1;
  bool silent_ = false;
  bool dropping_ = false;  // in an episode of dropped output, logged once
  long long nextPositionMs_ = 0;
  long long nextReadingsMs_ = 0;
  long long nextGarbageMs_ = 0;
  long long lastFloodMs_ = 0;
  double floodBudget_ = 0.0;  // bytes the line could have carried and did not
  int floodTurn_ = 0;
};

// "[   1234 ms] " : the stamp that opens every log line of a run.
std::string LogStamp(long long milliseconds);

}  // namespace brisko
