// How the simulator's log shows raw bytes, so that a person (or a test) sees
// exactly what crossed the line. The sentence texts themselves (checksum tail,
// fields) are the link's: link/sentence_framing.h and link/sentence_text.h.
#pragma once

#include <string>
#include <string_view>

namespace brisko {

// Printable ASCII as it is; backslash and double quote escaped; CR, LF and tab
// as \r \n \t; every other byte as \xNN (uppercase). Reversible, so a test can
// compare the log with the bytes the tool sent.
std::string EscapeForLog(std::string_view bytes);

}  // namespace brisko
