// Every command text the tool sends to the logger, bare (the link appends the
// "*XX\r\n" tail when it writes one): the identification queued when a port
// opens, the two families' Set sequences and the flight deletions. Record texts
// go into the commands unchanged, byte for byte.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/device_record.h"
#include "protocol/logger_family.h"

namespace brisko {

// Queued, in this order, right after a port has opened.
inline constexpr std::array<std::string_view, 3> kIdentificationCommands = {
    "$NT900,4,51,0",
    "$NT987,1",
    "$NT800,1",
};

// Deletion of all flights: a logger of the second family, and a logger of the
// first family (or not yet identified) whose firmware is older than 2.8.
inline constexpr std::string_view kDeleteFlightsSecondFamily = "$NT803,2";
inline constexpr std::string_view kDeleteFlightsOldFirmware = "$NT978,0";

// The identification sequence as one queueable sequence.
std::vector<std::string> IdentificationSequence();

// The nine commands that write the pilot and glider texts and the fix rate
// into a logger of the family; none for a logger not yet identified.
std::vector<std::string> SetSequence(LoggerFamily family, const DeviceRecord& record);

}  // namespace brisko
