#include "dialog/logger_dialog.h"

#include <algorithm>
#include <string>
#include <utility>

#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"
#include "link/adapter_identity.h"
#include "link/decimal.h"
#include "link/port_names.h"
#include "protocol/diagnostics_report.h"
#include "protocol/profile.h"

namespace brisko {

namespace {

constexpr const char* kLoadProfileTitle = "Load profile";
constexpr const char* kSaveProfileTitle = "Save profile";
constexpr FileType kProfileFiles = {"Brisko profiles", "*.json"};
constexpr FileType kPlaneFiles = {"Plane files", "*.xcp"};
constexpr const char* kTraceTitle = "Trace";
constexpr FileType kTraceFiles = {"Traces", "*.txt"};

}  // namespace

LoggerDialog::LoggerDialog(ControlSurface& surface, SettingsStore& settings, const Platform& platform)
    : surface_(surface),
      settings_(settings),
      ports_(platform.ports),
      core_(*this, *this, platform),
      exchange_(core_.record(), surface) {
  // The port number last used, kept by the settings store between runs.
  core_.record().portNumber = settings_.ReadPortNumber();
}

LoggerDialog::~LoggerDialog() = default;

void LoggerDialog::OnInitDialog() {
  exchange_.LimitLengths();
  RefreshControls();  // the port list is still empty: nothing is selected yet
  // Traced from the start, the restored port's open and identification too.
  if (!traceAtStart_.empty()) StartTrace(traceAtStart_);
  // The restored port opens at once (and is listed, its entry selected); the
  // other ports join the list as their probes finish, so that a port slow to
  // open never holds the window up.
  core_.OpenPort(LeadingInt(core_.record().portNumber));
  core_.FollowPorts(true);
  surface_.StartTimer(kStaleTimerMs);
  ShowRecordControls(Visibility::Hidden);  // until the logger turns out to be of the second family
  surface_.Focus(FirstTabStopId(MainDialogTemplate(), [this](int id) { return IsEnabled(id); }));
  initialised_ = true;
}

bool LoggerDialog::IsEnabled(int id) const {
  // A control created disabled waits for an open port.
  const ControlTemplate* control = FindControl(MainDialogTemplate(), id);
  return control != nullptr && ((control->flags & kDisabled) == 0 || portControlsEnabled_);
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
  if (destroyed_) return;
  ShowTraceStopped();
  core_.OnTimer();
  if (++ticks_ % kTicksPerPortLook == 0) core_.FollowPorts(false);
}

void LoggerDialog::OnPortProbedArrived(int portNumber, bool openable) {
  if (!destroyed_) core_.OnPortProbed(portNumber, openable);
}

void LoggerDialog::OnSystemPortsChanged() {
  if (initialised_ && !destroyed_) core_.FollowPorts(true);
}

void LoggerDialog::OnSystemPortRemoved(int portNumber) {
  if (initialised_ && !destroyed_) core_.OnSystemPortRemoved(portNumber);
}

void LoggerDialog::OnSentenceArrived(SentenceNotice notice) {
  if (destroyed_) return;
  const PostedSentence sentence = UnpackSentence(notice, core_.openRun());
  core_.OnSentence(sentence.run, sentence.sequenceNumber, sentence.slotIndex);
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

void LoggerDialog::OnAbout() {
  if (!destroyed_) surface_.RunChildDialog(ChildDialog::About);
}

void LoggerDialog::OnMenuCommand(MenuCommand command) {
  switch (command) {
    case MenuCommand::About: OnAbout(); break;
    case MenuCommand::LoadProfile: OnLoadProfile(); break;
    case MenuCommand::SaveProfile: OnSaveProfile(); break;
    case MenuCommand::Trace: OnTraceMenu(); break;
    case MenuCommand::CopyDiagnostics: OnCopyDiagnostics(); break;
  }
}

void LoggerDialog::OnTraceMenu() {
  if (destroyed_) return;
  if (core_.trace().running()) {
    core_.StopTrace();
    surface_.SetMenuEntryChecked(MenuCommand::Trace, false);
    return;
  }
  const std::string path = surface_.AskFileName(FileAccess::Save, kTraceTitle, {kTraceFiles});
  if (!path.empty()) StartTrace(path);
}

void LoggerDialog::StartTrace(const std::string& path) {
  std::string error;
  const bool started = core_.StartTrace(path, error);
  surface_.SetMenuEntryChecked(MenuCommand::Trace, started);
  if (!started) ShowMessageBox("The trace could not start: " + error, kTraceTitle, MessageBoxKind::Warning);
}

void LoggerDialog::PostTraceStopped(const std::string& message) {
  const std::lock_guard<std::mutex> lock(traceStoppedMutex_);
  traceStopped_ = message;
}

void LoggerDialog::ShowTraceStopped() {
  std::string message;
  {
    const std::lock_guard<std::mutex> lock(traceStoppedMutex_);
    message = std::exchange(traceStopped_, std::string());
  }
  if (message.empty()) return;
  core_.StopTrace();  // the writer has ended; this lets its thread go
  surface_.SetMenuEntryChecked(MenuCommand::Trace, false);
  ShowMessageBox("The trace stopped: " + message, kTraceTitle, MessageBoxKind::Warning);
}

void LoggerDialog::OnCopyDiagnostics() {
  if (destroyed_) return;
  surface_.CopyToClipboard(MachineDiagnosticsReport(core_, core_.listedPorts()));
}

void LoggerDialog::OnLoadProfile() {
  if (destroyed_) return;
  const std::string path = surface_.AskFileName(FileAccess::Open, kLoadProfileTitle,
                                                {kProfileFiles, kPlaneFiles, {"All files", "*"}});
  if (path.empty()) return;
  // The user's other edits stay: the profile goes over the record as the
  // controls hold it, and only the settings it names change.
  if (!ReadBackControls()) return;
  Profile profile;
  std::string error = ReadProfileFile(path, profile);
  if (error.empty()) error = ApplyProfile(profile, surface_.TextCodePage(), core_.record());
  if (!error.empty()) {
    ShowMessageBox(error, kLoadProfileTitle, MessageBoxKind::Warning);
    return;
  }
  RefreshControls();
}

void LoggerDialog::OnSaveProfile() {
  if (destroyed_ || !ReadBackControls()) return;
  const std::string path = surface_.AskFileName(FileAccess::Save, kSaveProfileTitle, {kProfileFiles});
  if (path.empty()) return;
  const std::string error = WriteProfileFile(path, ProfileOf(core_.record(), surface_.TextCodePage()));
  if (!error.empty()) ShowMessageBox(error, kSaveProfileTitle, MessageBoxKind::Warning);
}

void LoggerDialog::OnDestroy() {
  if (destroyed_ || !initialised_) return;
  destroyed_ = true;
  // The drain may take its time: the user has left already.
  surface_.HideWindow();
  surface_.StopTimer();
  core_.StopFollowingPorts();
  // Every command queued before the end still reaches the logger; the port
  // number is stored after the link has shut down.
  if (core_.IsPortOpen()) core_.ExitDrain();
  settings_.WritePortNumber(core_.record().portNumber);
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
  portControlsEnabled_ = enable;
  const std::vector<int>& ids = PortDependentControlIds();
  // A disabled control keeps the focus on some systems, and typing would go
  // nowhere, or the focus falls to the next control. Keys the user meant for
  // the edit must not act elsewhere: in the port list a digit would choose
  // and open a port, on a button a letter is its mnemonic and the space
  // presses it. The dialog itself takes the focus, where they do nothing.
  if (!enable && std::find(ids.begin(), ids.end(), surface_.FocusedControl()) != ids.end()) {
    surface_.Focus(kNoControl);
  }
  for (int id : ids) surface_.SetEnabled(id, enable);
}

MessageBoxAnswer LoggerDialog::ShowMessageBox(const std::string& text, const std::string& caption,
                                              MessageBoxKind kind) {
  return surface_.ShowMessageBox(text, caption, kind);
}

void LoggerDialog::RunDeleteFlightDialog() { surface_.RunChildDialog(ChildDialog::DeleteFlight); }

void LoggerDialog::PostSentence(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex) {
  surface_.PostSentenceToDialog(PackSentence(run, sequenceNumber, slotIndex));
}

void LoggerDialog::PostPortLost(std::uint32_t run) { surface_.PostPortLostToDialog(run); }

void LoggerDialog::PostPortProbed(int portNumber, bool openable) {
  surface_.PostPortProbedToDialog(portNumber, openable);
}

void LoggerDialog::InsertPortEntry(int index, int portNumber) {
  const int selection = surface_.ListSelection(kIdPortList);
  // The tip names the device and its adapter as the system does; the entry
  // itself stays the bare number.
  surface_.InsertListEntry(kIdPortList, index, std::to_string(portNumber),
                           PortEntryTip(DevicePathForPort(portNumber), ports_.Adapter(portNumber)));
  // The entry that was selected stays selected, whatever the toolkit does.
  surface_.SetListSelection(kIdPortList, selection >= index ? selection + 1 : selection);
  exchange_.ShowPortSelection();
}

void LoggerDialog::RemovePortEntry(int index) {
  const int selection = surface_.ListSelection(kIdPortList);
  surface_.RemoveListEntry(kIdPortList, index);
  surface_.SetListSelection(kIdPortList, selection == index ? -1 : selection > index ? selection - 1 : selection);
  exchange_.ShowPortSelection();
}

}  // namespace brisko
