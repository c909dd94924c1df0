#include "dialog/dialog_template.h"

#include <cstddef>
#include <map>
#include <utility>

#include "brisko_version.h"
#include "dialog/control_ids.h"

namespace brisko {

namespace {

using K = ControlKind;
constexpr unsigned kNone = 0;
constexpr unsigned kGroup = kGroupStart;
constexpr unsigned kTab = kTabStop;
constexpr unsigned kOff = kDisabled;  // needs an open port

}  // namespace

const DialogTemplate& MainDialogTemplate() {
  // The record-mode buttons stand first so that their group is the first one;
  // the fix-rate buttons begin the next. The "Fix Rate (sec)" box stands after
  // its buttons and so ends their group. Each edit and the port list follow
  // the label that names them.
  static const DialogTemplate kMain{
      kApplicationTitle, 259, 286, 8,
      {
          {kIdRecordModeGroup, K::GroupBox, "Temp/Humid Record", 5, 90, 250, 30, kNone},
          {kIdRecordModeNo, K::RadioButton, "No", 15, 105, 25, 10, kGroup},
          {kIdRecordModeNo + 1, K::RadioButton, "100mt", 70, 105, 35, 10, kNone},
          {kIdRecordModeNo + 2, K::RadioButton, "10mt", 135, 105, 31, 10, kNone},
          {kIdRecordModeNo + 3, K::RadioButton, "10sec", 205, 105, 35, 10, kNone},
          {kIdFixRate1, K::RadioButton, "1", 10, 240, 20, 10, kGroup | kOff},
          {kIdFixRate1 + 1, K::RadioButton, "2", 35, 240, 20, 10, kOff},
          {kIdFixRate1 + 2, K::RadioButton, "3", 60, 240, 20, 10, kOff},
          {kIdFixRate1 + 3, K::RadioButton, "4", 85, 240, 20, 10, kOff},
          {kIdFixRate1 + 4, K::RadioButton, "5", 110, 240, 20, 10, kOff},
          {kIdFixRate1 + 5, K::RadioButton, "6", 135, 240, 20, 10, kOff},
          {kIdFixRate1 + 6, K::RadioButton, "7", 160, 240, 20, 10, kOff},
          {kIdFixRate1 + 7, K::RadioButton, "8", 185, 240, 20, 10, kOff},
          {kIdFixRate1 + 8, K::RadioButton, "9", 210, 240, 20, 10, kOff},
          {kIdFixRate1 + 9, K::RadioButton, "10", 230, 240, 20, 10, kOff},
          {-1, K::GroupBox, "Fix Rate (sec)", 5, 230, 250, 25, kGroup},
          {kCommandCancel, K::PushButton, "&Exit", 205, 260, 50, 20, kTab},
          {-1, K::Label, "S/N:", 5, 55, 20, 8, kGroup},
          {-1, K::Label, "Rev.Hardware:", 75, 55, 55, 8, kGroup},
          {-1, K::Label, "Rev.Firmware:", 175, 55, 50, 8, kGroup},
          {kIdSerialNumber, K::DisplayField, "", 30, 55, 40, 10, kGroup},
          {kIdHardwareRev, K::DisplayField, "", 135, 55, 25, 10, kGroup},
          {kIdFirmwareRev, K::DisplayField, "", 230, 55, 25, 10, kGroup},
          {kIdPortStatus, K::DisplayField, "", 5, 35, 60, 10, kGroup},
          {kIdGpsFixLine, K::DisplayField, "", 70, 35, 185, 10, kGroup},
          {-1, K::Label, "Pilot Name:", 25, 135, 40, 8, kGroup},
          {kIdPilotName, K::Edit, "", 70, 130, 185, 14, kTab | kOff},
          {-1, K::Label, "Competition Class:", 5, 155, 60, 8, kGroup},
          {kIdCompetitionClass, K::Edit, "", 70, 150, 105, 14, kTab | kOff},
          {-1, K::Label, "Competition ID", 5, 175, 60, 8, kGroup},
          {kIdCompetitionId, K::Edit, "", 70, 170, 105, 14, kTab | kOff},
          {-1, K::Label, "Glider Type", 5, 195, 60, 8, kGroup},
          {kIdGliderType, K::Edit, "", 70, 190, 105, 14, kTab | kOff},
          {-1, K::Label, "Glider ID", 5, 215, 60, 8, kGroup},
          {kIdGliderId, K::Edit, "", 70, 210, 105, 14, kTab | kOff},
          {kIdSet, K::PushButton, "&Set", 5, 260, 50, 20, kTab | kOff},
          {kIdSealStatus, K::DisplayField, "", 30, 75, 40, 10, kGroup},
          {-1, K::Label, "Humidity", 85, 75, 45, 8, kGroup},
          {kIdHumidity, K::DisplayField, "", 135, 75, 25, 10, kGroup},
          {-1, K::Label, "Temp:", 180, 75, 45, 8, kGroup},
          {kIdTemperature, K::DisplayField, "", 230, 75, 25, 10, kGroup},
          {-1, K::Label, "Status:", 0, 75, 25, 8, kGroup},
          {kIdDeleteAllFlights, K::PushButton, "&Delete all flights", 102, 260, 55, 20, kTab | kOff},
          {-1, K::Label, "Open Com:", 5, 15, 35, 8, kGroup},
          {kIdPortList, K::DropDownList, "", 45, 10, 48, 80, kTab},
          {-1, K::Label, "Vin:", 175, 10, 45, 8, kGroup},
          {kIdInputVoltage, K::DisplayField, "", 230, 10, 25, 10, kGroup},
      }};
  return kMain;
}

const DialogTemplate& DeleteFlightTemplate() {
  static const DialogTemplate kDeleteFlight{
      "Delete flight", 186, 201, 8,
      {
          {kCommandCancel, K::PushButton, "Cancel", 130, 180, 50, 14, kTab},
          {kIdFlightList, K::ListBox, "", 5, 5, 175, 165, kTab},
          {kIdDeleteFlight, K::PushButton, "&Delete", 5, 180, 50, 14, kTab},
      }};
  return kDeleteFlight;
}

const DialogTemplate& AboutTemplate() {
  static const DialogTemplate kAbout{
      "Informazioni su brisko", 220, 62, 8,
      {
          {kIdAboutIcon, K::Icon, "", 8, 8, 20, 20, kNone},
          {kIdAboutTitle, K::Text, kApplicationTitle, 40, 10, 172, 10, kNone},
          {kIdAboutText, K::Text, "Configures a glider's GPS flight recorder over a serial port.", 40, 24, 172, 10,
           kNone},
          {kCommandOk, K::PushButton, "OK", 165, 42, 50, 14, kGroup | kTab},
      }};
  return kAbout;
}

const std::vector<int>& PortDependentControlIds() {
  // The disabled flag is the one mark: whatever the template creates disabled
  // waits for an open port.
  static const std::vector<int> kIds = [] {
    std::vector<int> ids;
    for (const ControlTemplate& control : MainDialogTemplate().controls) {
      if ((control.flags & kDisabled) != 0) ids.push_back(control.id);
    }
    return ids;
  }();
  return kIds;
}

const std::vector<int>& RecordModeControlIds() {
  static const std::vector<int> kIds{kIdRecordModeGroup, kIdRecordModeNo, kIdRecordModeNo + 1, kIdRecordModeNo + 2,
                                     kIdRecordModeNo + 3};
  return kIds;
}

const ControlTemplate* FindControl(const DialogTemplate& dialog, int id) {
  if (id < 0) return nullptr;
  for (const ControlTemplate& control : dialog.controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

std::vector<std::vector<int>> RadioGroups(const DialogTemplate& dialog) {
  std::vector<std::vector<int>> groups;
  bool inGroup = false;
  for (const ControlTemplate& control : dialog.controls) {
    if (control.flags & kGroupStart) inGroup = false;
    if (control.kind != ControlKind::RadioButton) continue;
    if (!inGroup) groups.emplace_back();
    inGroup = true;
    groups.back().push_back(control.id);
  }
  return groups;
}

const std::vector<int>& RadioGroupIds(int firstButtonId) {
  static const std::map<int, std::vector<int>> kGroups = [] {
    std::map<int, std::vector<int>> byFirst;
    for (std::vector<int>& group : RadioGroups(MainDialogTemplate())) byFirst[group.front()] = std::move(group);
    return byFirst;
  }();
  static const std::vector<int> kNoGroup;
  const auto found = kGroups.find(firstButtonId);
  return found != kGroups.end() ? found->second : kNoGroup;
}

int FirstTabStopId(const DialogTemplate& dialog, const std::function<bool(int id)>& isEnabled) {
  for (const ControlTemplate& control : dialog.controls) {
    if ((control.flags & kTabStop) != 0 && isEnabled(control.id)) return control.id;
  }
  return -1;
}

bool CreatedEnabled(const DialogTemplate& dialog, int id) {
  const ControlTemplate* control = FindControl(dialog, id);
  return control != nullptr && (control->flags & kDisabled) == 0;
}

int FirstTabStopId(const DialogTemplate& dialog) {
  return FirstTabStopId(dialog, [&dialog](int id) { return CreatedEnabled(dialog, id); });
}

const ControlTemplate* NameLabelOf(const DialogTemplate& dialog, int id) {
  const std::vector<ControlTemplate>& controls = dialog.controls;
  for (std::size_t i = 1; i < controls.size(); ++i) {
    const ControlTemplate& control = controls[i];
    if (id < 0 || control.id != id) continue;
    if (control.kind != ControlKind::Edit && control.kind != ControlKind::DropDownList) return nullptr;
    return controls[i - 1].kind == ControlKind::Label ? &controls[i - 1] : nullptr;
  }
  return nullptr;
}

}  // namespace brisko
