// The main dialog without a toolkit: it owns the logger core for the whole
// run, exchanges the record with the controls through a ControlSurface,
// answers the core's call-outs and holds the handlers that a front end calls
// when the user acts, the timer ticks or a posted notice arrives, and the
// order in which the dialog ends. User-interface thread only, except the
// Post functions of SentencePoster, which the link's threads call.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "dialog/control_surface.h"
#include "dialog/data_exchange.h"
#include "dialog/dialog_template.h"
#include "dialog/settings_store.h"
#include "link/sentence_poster.h"
#include "protocol/logger_callouts.h"
#include "protocol/logger_core.h"
#include "protocol/platform.h"

namespace brisko {

// The staleness timer's period.
inline constexpr int kStaleTimerMs = 500;
// Every this many ticks the dialog looks whether ports came or went.
inline constexpr int kTicksPerPortLook = 2;

class LoggerDialog : public DialogCallouts, public SentencePoster {
 public:
  // Reads the settings store into the record's port number. The platform's
  // ports and link clock must outlive the dialog.
  LoggerDialog(ControlSurface& surface, SettingsStore& settings, const Platform& platform);
  ~LoggerDialog() override;
  LoggerDialog(const LoggerDialog&) = delete;
  LoggerDialog& operator=(const LoggerDialog&) = delete;

  // --- Handlers the front end calls ---

  // Once, when the controls exist and before the window first shows: length
  // limits, first refresh, open and list the restored port, start probing
  // the others off this thread, start the timer, hide the record-mode group,
  // and the focus on the first enabled control with a tab stop ("&Exit").
  void OnInitDialog();
  // The user's command on a control, by id: a changed edit, a clicked radio
  // button, "&Set", "&Delete all flights", a choice in the port list, the OK
  // command (kCommandOk) and the Cancel command (kCommandCancel). Returns
  // false for an id the dialog does not handle.
  bool OnCommand(int id);
  // An edit's text changed or a radio button was clicked: read back.
  void OnFieldChanged();
  // The user chose an entry in the port list (the one shown, too).
  void OnPortSelChange();
  void OnSet();
  void OnDeleteAllFlights();
  void OnTimer();
  // What PostSentenceToDialog and PostPortLostToDialog queued.
  void OnSentenceArrived(SentenceNotice notice);
  void OnPortLostArrived(std::uint32_t run);
  // What PostPortProbedToDialog queued: an openable port joins the list.
  void OnPortProbedArrived(int portNumber, bool openable);
  // The system says its ports changed (a device arrived, or the front end
  // cannot tell what): a thorough look at the ports.
  void OnSystemPortsChanged();
  // The system says port n went.
  void OnSystemPortRemoved(int portNumber);
  // Enter: ends the dialog with Ok only after a successful read-back.
  void OnOK();
  // "&Exit", Escape and the close box: ends the dialog with Cancel, no read-back.
  void OnCancel();
  // The About entry (system menu or context menu): runs the About box.
  void OnAbout();
  // An entry of the window's menu (kMenuEntries).
  void OnMenuCommand(MenuCommand command);
  // Load profile: a profile or plane file fills the edits and the fix rate;
  // nothing goes to the logger until Set. A refused value loads nothing.
  void OnLoadProfile();
  // Save profile: the five texts and the fix rate as the window shows them.
  void OnSaveProfile();
  // The trace entry: asks for a file and traces the line into it; while a
  // trace runs, the entry is checked and stops it.
  void OnTraceMenu();
  // Copy diagnostics report: the report of the system, the listed ports and
  // their adapters, the open port and the trace's end goes to the clipboard.
  void OnCopyDiagnostics();
  // The trace the command line asked for (--trace): it starts with the
  // dialog, before the restored port opens. Call before OnInitDialog.
  void TraceFromStart(const std::string& path) { traceAtStart_ = path; }
  // Once, when the dialog has ended or its window goes: hide the window, stop
  // the timer, let queued commands out and close the port, then store the
  // port number. Later calls do nothing; nothing happens before OnInitDialog.
  void OnDestroy();

  // --- DialogCallouts ---
  void RefreshControls() override;
  bool ReadBackControls() override;
  void ShowRecordControls(Visibility visibility) override;
  void EnablePortControls(bool enable) override;
  MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxKind kind) override;
  void RunDeleteFlightDialog() override;

  // The core's list changes map onto the surface's entries; the selection
  // stays on the entry it was on, and the prefix rule of the refresh applies
  // at once, whenever a probe's result arrives.
  void InsertPortEntry(int index, int portNumber) override;
  void RemovePortEntry(int index) override;

  // --- SentencePoster: the link's threads; handed on to the surface ---
  void PostSentence(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex) override;
  void PostPortLost(std::uint32_t run) override;
  void PostPortProbed(int portNumber, bool openable) override;
  // The trace writer's thread: a failed write ended the trace. Shown at the
  // next timer tick, so that no front end needs a notice of its own for it.
  void PostTraceStopped(const std::string& message) override;

 private:
  // As the controls stand now: created so, or following the last open.
  bool IsEnabled(int id) const;
  // Starts the trace into `path` (UTF-8); a box tells why when it cannot.
  void StartTrace(const std::string& path);
  // Shows the end of a trace that a failed write stopped, once.
  void ShowTraceStopped();

  ControlSurface& surface_;
  SettingsStore& settings_;
  // Asked what the system says of each listed port's adapter, for its tip.
  PortSystem& ports_;
  LoggerCore core_;
  DataExchange exchange_;
  int ticks_ = 0;  // staleness ticks, which also pace the quick look at the ports
  bool portControlsEnabled_ = false;
  bool initialised_ = false;
  bool destroyed_ = false;
  std::string traceAtStart_;
  std::mutex traceStoppedMutex_;
  std::string traceStopped_;  // why the trace ended on its own, until shown
};

}  // namespace brisko
