// The simulated logger's logic without any input or output: it takes one
// checked command at a time, changes its state and returns the reply sentences
// (bare, without checksum tail) together with a note for the log. It also
// builds the sentences the logger sends on its own (position, readings).
// Single-threaded; the pseudo-terminal loop in main.cpp drives it.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "sim/logger_settings.h"

namespace brisko {

struct CommandResult {
  bool understood = false;           // false: ignored (unknown, malformed, out of place)
  std::vector<std::string> replies;  // bare sentences, in sending order
  std::string note;                  // what the logger made of the command, for the log
};

class LoggerModel {
 public:
  explicit LoggerModel(LoggerSettings settings);

  // One command as it arrived, header and fields without the "*" tail.
  CommandResult HandleCommand(std::string_view command);

  const LoggerSettings& settings() const { return settings_; }
  bool setOpen() const { return setOpen_; }

  // Replies, each also used on its own by the command handling.
  std::string Reply0() const;
  std::string Reply3() const;
  std::string Reply6() const;
  std::string Reply7() const;
  std::string Reply800() const;
  std::string Reply801() const;
  std::string Reply805(TextSetting which) const;
  // The five 805 replies, selectors 1 to 5 in order.
  std::vector<std::string> AllReplies805() const;

  // The readings wander a little around their configured values, as a real
  // sensor's would, but never leave the bounds below.
  void DriftReadings(std::mt19937& random);

 private:
  CommandResult HandleFirstFamily(int number, const std::vector<std::string_view>& fields);
  CommandResult HandleSecondFamily(int number, const std::vector<std::string_view>& fields);
  CommandResult BeginSet();
  CommandResult StoreText(TextSetting which, const std::vector<std::string_view>& fields, std::size_t at);
  CommandResult StoreFixRate(std::string_view field);
  CommandResult DeleteFlights();
  CommandResult SaveRequested();
  // Commits the pending settings; the replies are the caller's.
  CommandResult EndSet();

  LoggerSettings settings_;
  const LoggerSettings configured_;  // the centre of the readings' drift
  LoggerSettings pending_;           // what the open Set sequence has carried so far
  bool setOpen_ = false;
};

// Largest distance the readings drift from their configured values.
inline constexpr double kVoltageDrift = 0.3;
inline constexpr int kTemperatureDriftTenths = 10;
inline constexpr int kHumidityDriftTenths = 20;

}  // namespace brisko
