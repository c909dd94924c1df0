// The trace of the line: one text line per event, what the tool wrote to the
// logger, what it read back and what happened to the port, for a pilot to send
// to whoever helps. This file holds the event, its one-line text and the
// reading of a whole trace back (for replay and for tests); trace_writer.h
// writes them on a thread of its own.
//
//     # brisko line trace
//     # program: brisko 1.8.0
//     ...
//          101 COM3 -> $NT900,4,51,0*7C\x0D\x0A
//          303 COM3 <- $NT800,NT1234,12,28,5,10,2,1,1,0*5B\x0D\x0A
//         3021 COM3 lost Input/output error
//
// Bytes are written as they went over the line: printable ASCII as it is,
// everything else (and the backslash) as \xNN, so a line of the file is one
// event whatever the logger sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <utility>
#include <vector>

namespace brisko {

enum class TraceDirection {
  ToLogger,    // bytes written to the port
  FromLogger,  // bytes read from the port
  Open,        // the port was opened (text: the device) or failed to (text: why)
  Close,       // the tool closed the port
  Lost,        // the port's device went away (text: the system's words)
  Error,       // a read or write failed and the port was cleared (text: which)
  Appeared,    // the system names the port now
  Removed,     // the system no longer names the port
};

struct TraceEvent {
  std::int64_t ms = 0;  // since the trace began
  TraceDirection direction = TraceDirection::ToLogger;
  int port = 0;      // 0: no port ("-" in the file)
  std::string data;  // the bytes, or the event's text
  bool operator==(const TraceEvent& other) const {
    return ms == other.ms && direction == other.direction && port == other.port && data == other.data;
  }
};

// The word that names a direction in the file ("->", "<-", "open", ...).
const char* TraceDirectionWord(TraceDirection direction);

// Printable ASCII as it is, every other byte and the backslash as \xNN.
std::string EscapeTraceBytes(const std::string& bytes);
// The reverse; false on a malformed escape.
bool UnescapeTraceBytes(const std::string& shown, std::string& bytes);

// One event as its line, without the line end.
std::string FormatTraceLine(const TraceEvent& event);
// One line back into its event; false when it is not an event line.
bool ParseTraceLine(const std::string& line, TraceEvent& event);

// What opens every trace: who wrote it, on what, and when.
struct TraceHeader {
  std::string program;      // "brisko 1.8.0"
  std::string build;        // "64-bit"
  std::string system;       // "Linux 6.1.0-18-amd64 x86_64"
  std::string codePage;     // "UTF-8", "1252"
  std::string startedUtc;   // "2026-12-08T01:00:14Z"
};

std::vector<std::string> TraceHeaderLines(const TraceHeader& header);
// The current time as "YYYY-MM-DDTHH:MM:SSZ".
std::string UtcTimestampNow();

struct TraceFile {
  // The header's "# key: value" lines, in order.
  std::vector<std::pair<std::string, std::string>> header;
  std::vector<TraceEvent> events;
  std::string HeaderValue(const std::string& key) const;
};

// Reads a whole trace; `#` lines and blank lines outside the events are the
// header and comments. False, with the line number and what was wrong in
// `error`, on a line that is neither.
bool ReadTrace(std::istream& in, TraceFile& trace, std::string& error);

}  // namespace brisko
