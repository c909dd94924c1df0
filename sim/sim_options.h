// The command line of brisko-sim: the logger it plays, where it is published,
// and the failure modes. Parsing is separate from main so that tests can run
// it on argument lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/logger_settings.h"

namespace brisko {

struct SimOptions {
  LoggerSettings logger;
  int port = 0;                      // 0: the first free COM number from 1
  double silentAfterSeconds = -1.0;  // < 0: never falls silent
  double noiseRate = 0.0;            // fraction of sent bytes damaged
  bool garbage = false;
  bool flood = false;
  bool verbose = false;  // also log the sentences sent on the logger's own account
  std::string replayPath;  // non-empty: answer as this recorded trace shows, nothing else
  bool seedGiven = false;
  std::uint32_t seed = 0;
};

enum class ParseOutcome { Run, ShowHelp, Error };

// args excludes the program name. On Error, `error` says what was wrong.
ParseOutcome ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

std::string SimHelpText();

}  // namespace brisko
