// The settings file "BRISKO.INI": one line holding the number of the port last
// used, opened by its bare name, so it is the file in the current working
// directory at the moment of each access. Missing, empty, unreadable and
// unwritable files are silent. Also the SettingsFile that puts it behind the
// dialog's settings interface. Plain C++, no Qt.
#pragma once

#include <string>

#include "dialog/settings_store.h"

namespace brisko {

inline constexpr const char* kSettingsFileName = "BRISKO.INI";

// The first line, at most 127 characters, without its line end; empty when the
// file is missing, empty or cannot be read. Nothing else is checked.
std::string ReadSettingsFile(const std::string& path = kSettingsFileName);

// Creates or truncates the file and writes exactly the text, no line end.
void WriteSettingsFile(const std::string& portNumber, const std::string& path = kSettingsFileName);

// The settings file in the current working directory, behind the dialog's
// settings interface.
class SettingsFile : public SettingsStore {
 public:
  std::string ReadPortNumber() override { return ReadSettingsFile(); }
  void WritePortNumber(const std::string& portNumber) override { WriteSettingsFile(portNumber); }
};

}  // namespace brisko
