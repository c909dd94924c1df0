#include "sim/position_sentences.h"

#include <cstdio>
#include <ctime>

namespace brisko {

namespace {

std::tm UtcOf(std::int64_t unixSeconds) {
  const std::time_t time = static_cast<std::time_t>(unixSeconds);
  std::tm utc{};
  gmtime_r(&time, &utc);
  return utc;
}

}  // namespace

std::string GgaSentence(std::int64_t unixSeconds) {
  const std::tm utc = UtcOf(unixSeconds);
  char text[128];
  (void)std::snprintf(text, sizeof text, "$GPGGA,%02d%02d%02d.00,%s", utc.tm_hour, utc.tm_min, utc.tm_sec, kGgaAfterTime);
  return text;
}

std::string RmcSentence(std::int64_t unixSeconds) {
  const std::tm utc = UtcOf(unixSeconds);
  char text[128];
  (void)std::snprintf(text, sizeof text, "$GPRMC,%02d%02d%02d.00,A,4225.7000,N,01251.0000,E,0.0,0.0,%02d%02d%02d,,,A",
                      utc.tm_hour, utc.tm_min, utc.tm_sec, utc.tm_mday, utc.tm_mon + 1, utc.tm_year % 100);
  return text;
}

}  // namespace brisko
