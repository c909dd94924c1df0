// The standard position sentences the logger sends once a second. The glider
// stands on the ground at Rieti airfield, so only the time changes.
#pragma once

#include <cstdint>
#include <string>

namespace brisko {

// $GPGGA,101500.00,4225.7000,N,01251.0000,E,1,08,0.9,391.0,M,47.0,M,,
std::string GgaSentence(std::int64_t unixSeconds);

// $GPRMC,101500.00,A,4225.7000,N,01251.0000,E,0.0,0.0,120524,,,A
std::string RmcSentence(std::int64_t unixSeconds);

// What follows "$GPGGA,<time>," in every GGA sentence above: a test can check
// that the position line the tool shows is one the simulator sent.
inline constexpr const char* kGgaAfterTime = "4225.7000,N,01251.0000,E,1,08,0.9,391.0,M,47.0,M,,";

}  // namespace brisko
