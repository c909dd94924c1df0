// Small text helpers of the simulator: giving a sentence its checksum tail,
// splitting a sentence into comma-separated fields, and showing raw bytes in
// the log so that a person (or a test) sees exactly what crossed the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brisko {

// "$NT6,Anna,Club" becomes "$NT6,Anna,Club*XX\r\n" (the link's own tail).
std::string WithChecksumTail(std::string sentence);

// Splits at every comma; "a,,b" gives {"a", "", "b"}, "" gives {""}.
std::vector<std::string_view> SplitFields(std::string_view text);

// Printable ASCII as it is; backslash and double quote escaped; CR, LF and tab
// as \r \n \t; every other byte as \xNN (uppercase). Reversible, so a test can
// compare the log with the bytes the tool sent.
std::string EscapeForLog(std::string_view bytes);

}  // namespace brisko
