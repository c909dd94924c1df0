#include "protocol/port_status_text.h"

#include "link/port_names.h"

namespace brisko {

namespace {

std::string Remedy(int portNumber, const PortOpenError& error) {
  switch (error.kind) {
    case PortErrorKind::NotFound:
      if (error.devicePath.empty()) {
        const std::string entry = PortsDirectory() + "/" + PortName(portNumber);
        return "Link the logger's device as " + entry + ", for example: ln -s /dev/ttyUSB0 " + entry + ".";
      }
      return "Check that the logger's cable or adapter is plugged in, or choose another port.";
    case PortErrorKind::Busy:
      return "Another program is using the port: close it, then choose the port again.";
    case PortErrorKind::PermissionDenied:
      if (error.deviceGroup.empty()) {
        return "Add your user to the group that owns the device, then log out and in again.";
      }
      return "Add your user to the group \"" + error.deviceGroup + "\" (sudo usermod -aG " + error.deviceGroup +
             " $USER), then log out and in again.";
    case PortErrorKind::None:
    case PortErrorKind::Other:
      break;
  }
  return std::string();
}

}  // namespace

std::string OpenOkStatus(int portNumber) { return PortName(portNumber) + " Open Ok"; }

std::string OpenFailureStatus(int portNumber, PortErrorKind kind) {
  switch (kind) {
    case PortErrorKind::NotFound:
      return PortName(portNumber) + " not found";
    case PortErrorKind::Busy:
      return PortName(portNumber) + " busy";
    case PortErrorKind::PermissionDenied:
      return PortName(portNumber) + " no access";
    case PortErrorKind::None:
    case PortErrorKind::Other:
      break;
  }
  return PortName(portNumber) + " failed";
}

std::string PortLostStatus(int portNumber) { return PortName(portNumber) + " lost"; }

std::string PortLostDetail(int portNumber, const std::string& systemMessage) {
  return PortName(portNumber) + ": " + (systemMessage.empty() ? std::string("the device is gone") : systemMessage) +
         ". The port's device went away while it was open: plug the logger's cable or adapter in again, and the "
         "port opens again by itself.";
}

std::string OpenFailureDetail(int portNumber, const PortOpenError& error) {
  std::string detail = PortName(portNumber);
  if (!error.devicePath.empty()) detail += " (" + error.devicePath + ")";
  detail += ": " + (error.systemMessage.empty() ? std::string("the port did not open") : error.systemMessage) + ".";
  const std::string remedy = Remedy(portNumber, error);
  if (!remedy.empty()) detail += " " + remedy;
  return detail;
}

}  // namespace brisko
