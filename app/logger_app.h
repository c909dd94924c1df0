// The application object: builds the main dialog with the settings file as
// its memory of the last port, runs it modally, and lets the program end
// when it has closed.
#pragma once

#include <string>

#include "ui/settings_store.h"

namespace brisko {

// The settings file in the current working directory, behind the dialog's
// settings interface.
class SettingsFile : public SettingsStore {
 public:
  std::string ReadPortNumber() override;
  void WritePortNumber(const std::string& portNumber) override;
};

class CLoggerApp {
 public:
  // Runs the main dialog until it has ended and its link has shut down.
  // Always false: no message loop of the application's own follows.
  bool InitInstance();
};

}  // namespace brisko
