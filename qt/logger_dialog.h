// The main dialog, the program's only window: it owns the logger core (record,
// protocol, link) for the whole run, shows the record in its 47 controls,
// routes the controls' notifications, the 500 ms timer and the worker's
// sentences to the core's handlers, and answers the core's call-outs. Every
// member runs on the user-interface thread except PostSentence and
// PostPortLost, which the link worker calls on its own thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QTimer>

#include "link/sentence_poster.h"
#include "protocol/logger_callouts.h"
#include "protocol/logger_core.h"
#include "qt/data_exchange.h"
#include "dialog/settings_store.h"
#include "qt/template_dialog.h"

namespace brisko {

// The About entry's command number and text.
inline constexpr int kIdmAboutBox = 0x0010;
inline constexpr const char* kAboutEntryText = "Infor&mazioni su brisko...";
inline constexpr int kStaleTimerMs = 500;

class CLoggerDlg : public TemplateDialog, public DialogCallouts, public SentencePoster {
  Q_OBJECT

 public:
  // Reads the settings file into the record's port number; no window shows yet.
  explicit CLoggerDlg(SettingsStore& settings, QWidget* parent = nullptr);
  // The same with the given ports and clock instead of the machine's.
  CLoggerDlg(SettingsStore& settings, PortSystem& ports, LinkClock& clock, QWidget* parent = nullptr);
  ~CLoggerDlg() override;

  // OnInitDialog, then the modal run. When it returns the window is gone, the
  // link has shut down and the settings file is written.
  int DoModal();
  // Before the window first shows: first refresh, icons, port list, open the
  // restored port, start the timer, hide the record-mode group, focus "&Exit".
  bool OnInitDialog();

  LoggerCore& core() { return core_; }
  DeviceRecord& record() { return core_.record(); }

  // The context menu's About entry ends up here.
  void OnSysCommand(int commandId);

  // DialogCallouts
  void RefreshControls() override;
  bool ReadBackControls() override;
  void ShowRecordControls(Visibility visibility) override;
  void EnablePortControls(bool enable) override;
  std::int64_t CurrentTime() override;
  MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxKind kind) override;
  void RunDeleteFlightDialog() override;

  // SentencePoster: the worker's thread. Never blocks.
  void PostSentence(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex) override;
  void PostPortLost(std::uint32_t run) override;

 protected:
  bool event(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // Enter: ends the dialog only after a successful read-back.
  void OnOK() override;
  // Every end of the dialog: the window hides at once, then OnDestroy.
  void done(int result) override;

 private:
  // Both public constructors: null ports and clock mean the machine's.
  CLoggerDlg(SettingsStore& settings, PortSystem* ports, LinkClock* clock, QWidget* parent);
  static LoggerCore MakeCore(CLoggerDlg& dialog, PortSystem* ports, LinkClock* clock);
  // The port number last used, kept by the settings store between runs.
  void RestorePortNumber();
  void StorePortNumber();
  void ConnectControls();
  void ShowLimitMessage(const QString& message);
  void OnFieldChanged();
  void OnPortSelChange();
  void OnDestroy();
  void FillPortList(const std::vector<int>& portNumbers);
  MessageBoxAnswer MessageBox(const QString& text, const QString& caption, MessageBoxKind kind);
  void RegainFocus();

  SettingsStore& settings_;
  LoggerCore core_;
  DataExchange exchange_;
  QTimer staleTimer_;
  bool initialised_ = false;
  bool destroyed_ = false;
};

}  // namespace brisko
