// The SetupAPI and registry calls the Windows adapter identity makes, as one
// table: the system's own in the tool, a scripted table of devices in tests
// (Wine's SetupAPI lists no USB serial adapters). Windows only.
#pragma once

// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include "link/adapter_identity.h"

namespace brisko {

struct SetupApiCalls {
  decltype(&SetupDiGetClassDevsW) getClassDevs;
  decltype(&SetupDiEnumDeviceInfo) enumDeviceInfo;
  decltype(&SetupDiGetDeviceRegistryPropertyW) getDeviceRegistryProperty;
  decltype(&SetupDiGetDeviceInstanceIdW) getDeviceInstanceId;
  decltype(&SetupDiOpenDevRegKey) openDevRegKey;
  decltype(&RegQueryValueExW) regQueryValueEx;
  decltype(&RegCloseKey) regCloseKey;
  decltype(&SetupDiDestroyDeviceInfoList) destroyDeviceInfoList;
};

const SetupApiCalls& SystemSetupApiCalls();

AdapterInfo ReadAdapterInfo(int portNumber, const SetupApiCalls& calls);

}  // namespace brisko
