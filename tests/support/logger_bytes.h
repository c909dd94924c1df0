// The logger's bytes written in a test as a literal, "Jos\xE9"_logger, and
// shown by GoogleTest as the bytes they are.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "protocol/logger_text.h"

namespace brisko {

inline LoggerText operator""_logger(const char* bytes, std::size_t size) {
  return LoggerText(std::string(bytes, size));
}

inline void PrintTo(const LoggerText& text, std::ostream* out) { *out << ::testing::PrintToString(text.bytes()); }

}  // namespace brisko
