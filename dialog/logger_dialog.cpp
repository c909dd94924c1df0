#include "dialog/logger_dialog.h"

#include <ctime>
#include <string>
#include <utility>

#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"
#include "link/decimal.h"
#include "link/port_names.h"

namespace brisko {

LoggerDialog::LoggerDialog(ControlSurface& surface, SettingsStore& settings)
    : LoggerDialog(surface, settings, nullptr, nullptr, WallClock()) {}

LoggerDialog::LoggerDialog(ControlSurface& surface, SettingsStore& settings, PortSystem& ports, LinkClock& clock,
                           WallClock wallClock)
    : LoggerDialog(surface, settings, &ports, &clock, std::move(wallClock)) {}

LoggerDialog::LoggerDialog(ControlSurface& surface, SettingsStore& settings, PortSystem* ports, LinkClock* clock,
                           WallClock wallClock)
    : surface_(surface),
      settings_(settings),
      wallClock_(std::move(wallClock)),
      core_(MakeCore(*this, ports, clock)),
      exchange_(core_.record(), surface) {
  // The port number last used, kept by the settings store between runs.
  record().portNumber = settings_.ReadPortNumber();
}

LoggerDialog::~LoggerDialog() = default;

LoggerCore LoggerDialog::MakeCore(LoggerDialog& dialog, PortSystem* ports, LinkClock* clock) {
  if (ports != nullptr && clock != nullptr) return LoggerCore(dialog, dialog, *ports, *clock);
  return LoggerCore(dialog, dialog);
}

void LoggerDialog::OnInitDialog() {
  RefreshControls();  // the port list is still empty: nothing is selected yet
  FillPortList(core_.EnumeratePorts());
  core_.OpenPort(LeadingInt(record().portNumber));  // ends with a refresh that selects the entry
  surface_.StartTimer(kStaleTimerMs);
  ShowRecordControls(Visibility::Hidden);  // until the logger turns out to be of the second family
  initialised_ = true;
}

void LoggerDialog::FillPortList(const std::vector<int>& portNumbers) {
  for (int number : portNumbers) {
    surface_.AddListEntry(kIdPortList, std::to_string(number), DevicePathForPort(number));
  }
  // A filled list selects nothing by itself: the refresh picks the entry of
  // the port number, and a number without an entry leaves it unselected.
  surface_.SetListSelection(kIdPortList, -1);
}

bool LoggerDialog::OnCommand(int id) {
  switch (id) {
    case kIdSet: OnSet(); return true;
    case kIdDeleteAllFlights: OnDeleteAllFlights(); return true;
    case kIdPortList: OnPortSelChange(); return true;
    case kCommandOk: OnOK(); return true;
    case kCommandCancel: OnCancel(); return true;
    default: break;
  }
  const ControlTemplate* control = FindControl(MainDialogTemplate(), id);
  if (control != nullptr && (control->kind == ControlKind::Edit || control->kind == ControlKind::RadioButton)) {
    OnFieldChanged();
    return true;
  }
  return false;
}

void LoggerDialog::OnFieldChanged() {
  // A refresh changes texts and checks: that is no user's change.
  if (exchange_.InProgress() || destroyed_) return;
  // The result does not matter here: the length message has told the user.
  ReadBackControls();
}

void LoggerDialog::OnPortSelChange() {
  if (exchange_.InProgress() || destroyed_) return;
  core_.OnPortSelChange();
}

void LoggerDialog::OnSet() {
  if (!destroyed_) core_.OnSet();
}

void LoggerDialog::OnDeleteAllFlights() {
  if (!destroyed_) core_.OnDeleteAllFlights();
}

void LoggerDialog::OnTimer() {
  if (!destroyed_) core_.OnTimer();
}

void LoggerDialog::OnSentenceArrived(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex) {
  if (!destroyed_) core_.OnSentence(run, sequenceNumber, slotIndex);
}

void LoggerDialog::OnPortLostArrived(std::uint32_t run) {
  if (!destroyed_) core_.OnPortLost(run);
}

void LoggerDialog::OnOK() {
  if (destroyed_) return;
  if (ReadBackControls()) surface_.EndDialog(DialogResult::Ok);
}

void LoggerDialog::OnCancel() {
  if (!destroyed_) surface_.EndDialog(DialogResult::Cancel);
}

void LoggerDialog::OnSysCommand(int commandId) {
  if ((commandId & 0xFFF0) == kIdmAboutBox) surface_.RunChildDialog(ChildDialog::About);
}

void LoggerDialog::OnDestroy() {
  if (destroyed_ || !initialised_) return;
  destroyed_ = true;
  // The drain may take its time: the user has left already.
  surface_.HideWindow();
  surface_.StopTimer();
  // Every command queued before the end still reaches the logger; the port
  // number is stored after the link has shut down.
  if (core_.IsPortOpen()) core_.ExitDrain();
  settings_.WritePortNumber(record().portNumber);
}

void LoggerDialog::RefreshControls() {
  exchange_.Refresh();
  surface_.SetToolTip(kIdPortStatus, core_.portStatusDetail());
}

bool LoggerDialog::ReadBackControls() { return exchange_.ReadBack(); }

void LoggerDialog::ShowRecordControls(Visibility visibility) {
  for (int id : RecordModeControlIds()) surface_.SetShown(id, visibility == Visibility::Shown);
}

void LoggerDialog::EnablePortControls(bool enable) {
  for (int id : PortDependentControlIds()) surface_.SetEnabled(id, enable);
}

std::int64_t LoggerDialog::CurrentTime() {
  if (wallClock_) return wallClock_();
  return static_cast<std::int64_t>(std::time(nullptr));
}

MessageBoxAnswer LoggerDialog::ShowMessageBox(const std::string& text, const std::string& caption,
                                              MessageBoxKind kind) {
  return surface_.ShowMessageBox(text, caption, kind);
}

void LoggerDialog::RunDeleteFlightDialog() { surface_.RunChildDialog(ChildDialog::DeleteFlight); }

void LoggerDialog::PostSentence(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex) {
  surface_.PostSentenceToDialog(run, sequenceNumber, slotIndex);
}

void LoggerDialog::PostPortLost(std::uint32_t run) { surface_.PostPortLostToDialog(run); }

}  // namespace brisko
