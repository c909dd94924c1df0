#include "sim/logger_session.h"

#include <algorithm>
#include <cstdio>

#include "link/sentence_framing.h"
#include "sim/position_sentences.h"
#include "sim/wire_text.h"

namespace brisko {

namespace {
// The flood keeps this much queued ahead of the line, so that replies to
// commands never wait long behind it.
constexpr std::size_t kFloodQueueAhead = 256;
constexpr double kMaxFloodBudget = 512.0;
}  // namespace

std::string LogStamp(long long milliseconds) {
  char stamp[32];
  (void)std::snprintf(stamp, sizeof stamp, "[%7lld ms] ", milliseconds);
  return stamp;
}

LoggerSession::LoggerSession(const SimOptions& options, std::uint32_t seed, LogSink log)
    : options_(options),
      log_(std::move(log)),
      random_(seed),
      model_(options.logger),
      noise_(options.noiseRate),
      output_(kOutputCapacity) {
  nextGarbageMs_ = kGarbageIntervalMs;
}

void LoggerSession::Log(long long nowMs, const std::string& text) { log_(LogStamp(nowMs) + text); }

void LoggerSession::Receive(const unsigned char* bytes, std::size_t count, long long nowMs) {
  reader_.Feed(bytes, count, [&](const ReceivedLine& line) {
    Log(nowMs, FormatReceivedLine(line));
    if (line.kind != ReceivedLine::Kind::Good) return;
    if (firstCommandMs_ < 0) firstCommandMs_ = nowMs;
    UpdateSilence(nowMs);
    const CommandResult result = model_.HandleCommand(line.text);
    Log(nowMs, "   " + result.note + (silent_ && !result.replies.empty() ? " (silent: nothing sent)" : ""));
    for (const auto& reply : result.replies) Send(reply, true, nowMs);
  });
}

void LoggerSession::UpdateSilence(long long nowMs) {
  if (silent_ || options_.silentAfterSeconds < 0 || firstCommandMs_ < 0) return;
  if (nowMs - firstCommandMs_ < static_cast<long long>(options_.silentAfterSeconds * 1000.0)) return;
  silent_ = true;
  output_.Clear();
  Log(nowMs, "silent from now on (--silent-after)");
}

void LoggerSession::Tick(long long nowMs, std::int64_t unixSeconds) {
  UpdateSilence(nowMs);
  if (silent_) return;
  const bool secondFamily = options_.logger.family == SimulatedFamily::Second;
  if (options_.flood) {
    floodBudget_ = std::min(kMaxFloodBudget,
                            floodBudget_ + static_cast<double>((nowMs - lastFloodMs_) * kLineBytesPerSecond) / 1000.0);
    lastFloodMs_ = nowMs;
    while (floodBudget_ > 0.0 && output_.pending() < kFloodQueueAhead) {
      const std::string sentence = NextFloodSentence(unixSeconds);
      Send(sentence, false, nowMs);
      floodBudget_ -= static_cast<double>(sentence.size() + 5);
    }
  } else {
    if (nowMs >= nextPositionMs_) {
      Send(GgaSentence(unixSeconds), false, nowMs);
      Send(RmcSentence(unixSeconds), false, nowMs);
      nextPositionMs_ = nowMs + kPositionIntervalMs;
    }
    if (secondFamily && nowMs >= nextReadingsMs_) {
      model_.DriftReadings(random_);
      Send(model_.Reply801(), false, nowMs);
      nextReadingsMs_ = nowMs + kReadingsIntervalMs;
    }
  }
  if (options_.garbage && nowMs >= nextGarbageMs_) {
    SendRaw(GarbageLine(random_), nowMs);
    nextGarbageMs_ = nowMs + kGarbageIntervalMs;
  }
}

long long LoggerSession::NextTickMs() const {
  if (options_.flood) return lastFloodMs_ + 10;
  long long next = nextPositionMs_;
  if (options_.logger.family == SimulatedFamily::Second) next = std::min(next, nextReadingsMs_);
  if (options_.garbage) next = std::min(next, nextGarbageMs_);
  if (options_.silentAfterSeconds >= 0 && firstCommandMs_ >= 0 && !silent_) {
    next = std::min(next, firstCommandMs_ + static_cast<long long>(options_.silentAfterSeconds * 1000.0));
  }
  return next;
}

// Position, position, readings (second family), ... as fast as the line allows.
std::string LoggerSession::NextFloodSentence(std::int64_t unixSeconds) {
  const int turns = options_.logger.family == SimulatedFamily::Second ? 3 : 2;
  const int turn = floodTurn_++ % turns;
  if (turn == 0) return GgaSentence(unixSeconds);
  if (turn == 1) return RmcSentence(unixSeconds);
  model_.DriftReadings(random_);
  return model_.Reply801();
}

void LoggerSession::Send(const std::string& sentence, bool isReply, long long nowMs) {
  if (silent_) return;
  std::string line = WithChecksumTail(sentence);
  const bool damaged = noise_.Apply(line, random_);
  if (isReply || options_.verbose) {
    Log(nowMs, "tx \"" + EscapeForLog(sentence) + "\"" + (damaged ? " (damaged by --noise)" : ""));
  }
  Enqueue(line, nowMs);
}

void LoggerSession::SendRaw(const std::string& line, long long nowMs) {
  if (options_.verbose) Log(nowMs, "tx garbage \"" + EscapeForLog(line) + "\"");
  Enqueue(line, nowMs);
}

void LoggerSession::Enqueue(const std::string& line, long long nowMs) {
  if (output_.Push(line)) {
    // Only once the tool has taken half of the backlog: a short sentence that
    // squeezes into a full queue does not end the episode.
    if (dropping_ && output_.pending() <= kOutputCapacity / 2) {
      dropping_ = false;
      Log(nowMs, "output flows again");
    }
    return;
  }
  if (!dropping_) {
    dropping_ = true;
    Log(nowMs, "output dropped: the tool is not reading (16 KiB waiting)");
  }
}

}  // namespace brisko
