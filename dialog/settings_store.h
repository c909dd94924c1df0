// Where the main dialog keeps the number of the port last used from one run
// to the next: read once before the window exists, written once after the
// link has shut down at the end. The application supplies the settings file.
#pragma once

#include <string>

namespace brisko {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored port number as text, or empty; never fails.
  virtual std::string ReadPortNumber() = 0;
  // Stores the text; a failure is silent.
  virtual void WritePortNumber(const std::string& portNumber) = 0;
};

}  // namespace brisko
