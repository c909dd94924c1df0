// The tool keeps bare port numbers (the list shows them, the settings file
// stores one). On POSIX systems, port n is the entry "COM<n>" of the ports
// directory, a link to a device node, when that entry exists (n up to 255);
// otherwise a built-in table maps it: COM1-8 /dev/ttyS0-7, COM9-16
// /dev/ttyUSB0-7, COM17-24 /dev/ttyACM0-7, COM25-29 /dev/rfcomm0-4. When
// BRISKO_PORTS_DIR is set, only its entries count. On Windows port n is
// "//./COM<n>".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "link/serial_port.h"

namespace brisko {

// The port numbers the tool lists: every number Windows gives a COM port.
inline constexpr int kFirstListedPort = 1;
inline constexpr int kLastListedPort = 255;
// The last number of the built-in table.
inline constexpr int kLastTablePort = 29;

// "COM<n>": the name the user sees and the entry name in the ports directory.
std::string PortName(int portNumber);

// n for "COM<n>" (any case, as Windows and Wine spell it) with n a listed
// number written without leading zeros; 0 for every other name.
int PortNumberOfName(std::string_view name);
// The same for a name as Windows gives it, in wide characters.
int PortNumberOfWideName(std::wstring_view name);

// $BRISKO_PORTS_DIR when set, else $XDG_CONFIG_HOME/brisko/ports, else
// ~/.config/brisko/ports.
std::string PortsDirectory();

// True when BRISKO_PORTS_DIR is set: the built-in table is then not used.
bool PortsDirectoryIsPrivate();

// The device path of port n, or an empty text when n maps to nothing.
std::string DevicePathForPort(int portNumber);

#if !defined(_WIN32)
// The numbers whose entry in the ports directory or device of the built-in
// table exists now, ascending; looks at names only, opens nothing.
std::vector<int> ExistingPortNumbers();
#endif

// The ports worth a probe: every named one and, when the system names fewer
// than it has, every listed number.
std::vector<int> ProbeCandidates(const PortPresence& presence);

}  // namespace brisko
