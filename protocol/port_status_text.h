// What the status field says about the port: "COM3 Open Ok" after an open, and
// after a failed one the port and the reason in a few words that fit the small
// field ("COM3 busy"), with the whole story for its tooltip: the device, the
// system's words and what the user can do about it. "COM3 lost" when the open
// port's device went away (until it comes back by itself).
#pragma once

#include <string>

#include "link/serial_port.h"

namespace brisko {

std::string OpenOkStatus(int portNumber);
std::string OpenFailureStatus(int portNumber, PortErrorKind kind);
std::string OpenFailureDetail(int portNumber, const PortOpenError& error);
std::string PortLostStatus(int portNumber);
std::string PortLostDetail(int portNumber, const std::string& systemMessage);

}  // namespace brisko
