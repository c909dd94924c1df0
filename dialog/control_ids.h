// The ids of the dialogs' controls, as the templates, the data exchange and
// the handlers use them, and the two standard commands. Plain constants, no
// toolkit.
#pragma once

namespace brisko {

// The standard command ids: Enter with the focus off a push button sends OK
// (no control has this id); Escape and a button with id 2 send Cancel.
inline constexpr int kCommandOk = 1;
inline constexpr int kCommandCancel = 2;

// Main dialog.
inline constexpr int kIdSerialNumber = 1000;
inline constexpr int kIdHardwareRev = 1001;
inline constexpr int kIdFirmwareRev = 1002;
inline constexpr int kIdPortStatus = 1009;
// Not a control: the dialog itself, as a target of the keyboard focus.
inline constexpr int kNoControl = 0;
inline constexpr int kIdGpsFixLine = 1010;
inline constexpr int kIdPilotName = 1011;
inline constexpr int kIdCompetitionClass = 1012;
inline constexpr int kIdCompetitionId = 1013;
inline constexpr int kIdGliderType = 1014;
inline constexpr int kIdGliderId = 1015;
inline constexpr int kIdSet = 1018;
inline constexpr int kIdFixRate1 = 1019;  // first of the ten fix-rate buttons, "1" to "10"
inline constexpr int kIdSealStatus = 1029;
inline constexpr int kIdHumidity = 1030;
inline constexpr int kIdTemperature = 1031;
inline constexpr int kIdDeleteAllFlights = 1032;
inline constexpr int kIdPortList = 1033;
inline constexpr int kIdInputVoltage = 1034;
inline constexpr int kIdRecordModeNo = 1037;  // first of the four record-mode buttons, "No" to "10sec"
inline constexpr int kIdRecordModeGroup = 1041;

// "Delete flight" dialog.
inline constexpr int kIdFlightList = 1035;
inline constexpr int kIdDeleteFlight = 1036;

// About box.
inline constexpr int kIdAboutIcon = 100;
inline constexpr int kIdAboutTitle = 101;
inline constexpr int kIdAboutText = 102;

}  // namespace brisko
