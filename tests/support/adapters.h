// An adapter as Linux names it, for tests of what the port list's tips and
// the diagnostics report make of it.
#pragma once

#include "link/adapter_identity.h"

namespace brisko::testing {

inline constexpr const char* kFtdiById = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
inline constexpr const char* kFtdiDescription = "FT232R USB UART, 0403:6001, serial A50285BI";

inline AdapterInfo FtdiAdapter() {
  AdapterInfo adapter;
  adapter.identity = "0403:6001:A50285BI";
  adapter.name = "FT232R USB UART";
  adapter.manufacturer = "FTDI";
  adapter.vendorId = "0403";
  adapter.productId = "6001";
  adapter.serial = "A50285BI";
  adapter.driver = "ftdi_sio";
  adapter.byIdPath = kFtdiById;
  return adapter;
}

}  // namespace brisko::testing
