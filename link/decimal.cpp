#include "link/decimal.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace brisko {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsSign(char c) { return c == '+' || c == '-'; }

// Leading white space and an optional sign; returns where the digits begin.
std::size_t SkipSpaceAndSign(std::string_view text, bool& negative) {
  std::size_t pos = 0;
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  negative = pos < text.size() && text[pos] == '-';
  if (pos < text.size() && IsSign(text[pos])) ++pos;
  return pos;
}

// Digits from pos on, accumulated with saturation at `limit` (so any number of
// digits is safe). Returns the position after the last digit.
std::size_t Digits(std::string_view text, std::size_t pos, std::int64_t limit, std::int64_t& value) {
  value = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    if (value < limit) value = value * 10 + (text[pos] - '0');
    if (value > limit) value = limit;
  }
  return pos;
}

struct IntScan {
  std::size_t end = 0;  // 0: no number
  std::int32_t value = 0;
};

IntScan ScanIntAt(std::string_view text) {
  bool negative = false;
  const std::size_t pos = SkipSpaceAndSign(text, negative);
  // One past the int32 magnitude limits is enough to saturate either way.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  const std::size_t end = Digits(text, pos, kLimit, magnitude);
  if (end == pos) return {};
  std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) value = std::numeric_limits<std::int32_t>::min();
  return {end, static_cast<std::int32_t>(value)};
}

struct RealScan {
  std::size_t end = 0;  // 0: no number; otherwise what was consumed
  double value = 0.0;
};

RealScan ScanRealAt(std::string_view text) {
  bool negative = false;
  std::size_t pos = SkipSpaceAndSign(text, negative);
  const std::size_t mantissaBegin = pos;

  // The decimal order of the first significant digit, kept so that a number
  // out of the double range can be told apart as overflow or underflow.
  std::int64_t order = 0;
  bool significant = false;
  std::size_t digitCount = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos, ++digitCount) {
    if (significant) {
      ++order;
    } else if (text[pos] != '0') {
      significant = true;
      order = 1;
    }
  }
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos, ++digitCount) {
      if (!significant) {
        if (text[pos] != '0') {
          significant = true;
        } else {
          --order;
        }
      }
    }
  }
  if (digitCount == 0) return {};
  std::size_t numberEnd = pos;
  std::size_t consumed = pos;

  std::int64_t exponent = 0;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t exponentPos = pos + 1;
    bool exponentNegative = false;
    if (exponentPos < text.size() && IsSign(text[exponentPos])) {
      exponentNegative = text[exponentPos] == '-';
      ++exponentPos;
    }
    const std::size_t exponentEnd = Digits(text, exponentPos, 100000, exponent);
    if (exponentEnd > exponentPos) {
      numberEnd = exponentEnd;
      consumed = exponentEnd;
      if (exponentNegative) exponent = -exponent;
    } else {
      // "1e" or "1e+": the marker is eaten but the number ends before it.
      exponent = 0;
      consumed = exponentEnd;
    }
  }

  double magnitude = 0.0;
  const char* first = text.data() + mantissaBegin;
  const char* last = text.data() + numberEnd;
  const auto result = std::from_chars(first, last, magnitude, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    magnitude = significant && order + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (result.ec != std::errc() || result.ptr != last) {
    return {};  // cannot happen for the text checked above; treat as no number
  }
  return {consumed, negative ? -magnitude : magnitude};
}

}  // namespace

std::int32_t LeadingInt(std::string_view text) { return ScanIntAt(text).value; }

double LeadingReal(std::string_view text) { return ScanRealAt(text).value; }

std::size_t ScanInt(std::string_view text, std::int32_t& value) {
  const IntScan scan = ScanIntAt(text);
  if (scan.end != 0) value = scan.value;
  return scan.end;
}

std::size_t ScanReal(std::string_view text, double& value) {
  const RealScan scan = ScanRealAt(text);
  if (scan.end != 0) value = scan.value;
  return scan.end;
}

std::string OneDecimal(double value) {
  // The largest double has 309 integer digits; sign, point and decimal fit too.
  char buffer[330];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
  if (result.ec != std::errc()) return std::string();
  return std::string(buffer, result.ptr);
}

std::string Tenths(std::int32_t tenths) { return OneDecimal(tenths * 0.1); }

}  // namespace brisko
