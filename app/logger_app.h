// The application object: builds the main dialog with the settings file as
// its memory of the last port, runs it modally, and lets the program end
// when it has closed.
#pragma once

#include <string>

namespace brisko {

class CLoggerApp {
 public:
  // Runs the main dialog until it has ended and its link has shut down; the
  // program ends after it, with no message loop of the application's own.
  // A trace into `tracePath` (UTF-8; none when empty) runs from the start.
  void InitInstance(const std::string& tracePath);
};

}  // namespace brisko
