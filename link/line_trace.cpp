#include "link/line_trace.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "link/port_names.h"
#include "link/sentence_text.h"

namespace brisko {

namespace {

constexpr std::array<std::pair<TraceDirection, const char*>, 8> kDirectionWords = {{
    {TraceDirection::ToLogger, "->"},
    {TraceDirection::FromLogger, "<-"},
    {TraceDirection::Open, "open"},
    {TraceDirection::Close, "close"},
    {TraceDirection::Lost, "lost"},
    {TraceDirection::Error, "error"},
    {TraceDirection::Appeared, "appeared"},
    {TraceDirection::Removed, "removed"},
}};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Splits off the next space-separated word of `line` from `at` on.
std::string NextWord(const std::string& line, std::size_t& at) {
  while (at < line.size() && line[at] == ' ') ++at;
  const std::size_t start = at;
  while (at < line.size() && line[at] != ' ') ++at;
  return line.substr(start, at - start);
}

bool ParsePort(const std::string& word, int& port) {
  if (word == "-") {
    port = 0;
    return true;
  }
  if (word.size() < 4 || word.compare(0, 3, "COM") != 0 || word.size() > 8) return false;
  port = 0;
  for (std::size_t i = 3; i < word.size(); ++i) {
    if (word[i] < '0' || word[i] > '9') return false;
    port = port * 10 + (word[i] - '0');
  }
  return port > 0;
}

}  // namespace

const char* TraceDirectionWord(TraceDirection direction) {
  for (const auto& [known, word] : kDirectionWords) {
    if (known == direction) return word;
  }
  return "?";
}

std::string EscapeTraceBytes(const std::string& bytes) {
  std::string shown;
  shown.reserve(bytes.size() + 8);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      shown += c;
    } else {
      shown += "\\x";
      AppendUpperHex(shown, byte);
    }
  }
  return shown;
}

bool UnescapeTraceBytes(const std::string& shown, std::string& bytes) {
  bytes.clear();
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] != '\\') {
      bytes += shown[i];
      continue;
    }
    if (i + 3 >= shown.size() || shown[i + 1] != 'x') return false;
    const int high = HexValue(shown[i + 2]);
    const int low = HexValue(shown[i + 3]);
    if (high < 0 || low < 0) return false;
    bytes += static_cast<char>(high * 16 + low);
    i += 3;
  }
  return true;
}

std::string FormatTraceLine(const TraceEvent& event) {
  char stamp[32];
  (void)std::snprintf(stamp, sizeof stamp, "%8lld ", static_cast<long long>(event.ms));
  std::string line = stamp;
  line += event.port > 0 ? PortName(event.port) : std::string("-");
  line += ' ';
  line += TraceDirectionWord(event.direction);
  if (!event.data.empty()) {
    line += ' ';
    line += EscapeTraceBytes(event.data);
  }
  return line;
}

bool ParseTraceLine(const std::string& line, TraceEvent& event) {
  std::size_t at = 0;
  const std::string stamp = NextWord(line, at);
  if (stamp.empty() || stamp.size() > 18) return false;
  long long ms = 0;
  for (const char c : stamp) {
    if (c < '0' || c > '9') return false;
    ms = ms * 10 + (c - '0');
  }
  int port = 0;
  if (!ParsePort(NextWord(line, at), port)) return false;
  const std::string word = NextWord(line, at);
  bool known = false;
  for (const auto& [direction, name] : kDirectionWords) {
    if (word == name) {
      event.direction = direction;
      known = true;
    }
  }
  if (!known) return false;
  // The data is the rest after exactly one space: spaces in it are its own.
  std::string data;
  if (at < line.size() && !UnescapeTraceBytes(line.substr(at + 1), data)) return false;
  event.ms = ms;
  event.port = port;
  event.data = std::move(data);
  return true;
}

std::vector<std::string> TraceHeaderLines(const TraceHeader& header) {
  return {
      "# brisko line trace",
      "# program: " + header.program,
      "# build: " + header.build,
      "# system: " + header.system,
      "# code page: " + header.codePage,
      "# started: " + header.startedUtc,
      "# Each line is the ms since the start, the port, -> to the logger, <- from the logger, or the port's event.",
  };
}

std::string UtcTimestampNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &now);
#else
  gmtime_r(&now, &utc);
#endif
  char text[32];
  (void)std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string TraceFile::HeaderValue(const std::string& key) const {
  for (const auto& [name, value] : header) {
    if (name == key) return value;
  }
  return std::string();
}

bool ReadTrace(std::istream& in, TraceFile& trace, std::string& error) {
  trace = TraceFile{};
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    // A trace copied through Windows may have gained carriage returns.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line[0] == '#') {
      const std::size_t colon = line.find(": ");
      if (colon != std::string::npos && line.size() > 2) {
        trace.header.emplace_back(line.substr(2, colon - 2), line.substr(colon + 2));
      }
      continue;
    }
    TraceEvent event;
    if (!ParseTraceLine(line, event)) {
      error = "line " + std::to_string(number) + " is not a trace event: " + line;
      return false;
    }
    trace.events.push_back(std::move(event));
  }
  return true;
}

}  // namespace brisko
