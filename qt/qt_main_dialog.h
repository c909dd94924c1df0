// The main dialog's Qt window: the widgets of the main template, and the
// ControlSurface through which the toolkit-neutral LoggerDialog, which it
// owns, reads and writes them. It turns the widgets' signals, its timer, the
// posted events, the context menu's About entry and the ways a dialog ends
// into calls of LoggerDialog's handlers and knows nothing of what a control
// means. Every member runs on the user-interface thread except the three Post
// functions, which the link worker and the port prober reach through
// LoggerDialog.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include <QTimer>

#include "dialog/control_surface.h"
#include "dialog/logger_dialog.h"
#include "dialog/settings_store.h"
#include "qt/template_dialog.h"

namespace brisko {

class QtMainDialog : public TemplateDialog, public ControlSurface {
  Q_OBJECT

 public:
  // Reads the settings store into the record's port number; no window shows
  // yet. The platform's ports and link clock must outlive the dialog.
  QtMainDialog(SettingsStore& settings, const Platform& platform, QWidget* parent = nullptr);
  ~QtMainDialog() override;

  // OnInitDialog, then the modal run. When it returns the window is gone, the
  // link has shut down and the settings are written.
  int DoModal();
  // Before the window first shows: the neutral dialog's initialisation.
  void OnInitDialog();
  // The command line's --trace, before DoModal.
  void TraceFromStart(const std::string& path) { dialog_.TraceFromStart(path); }

  // ControlSurface
  std::string Text(int id) const override;
  void SetText(int id, const std::string& text) override;
  bool Checked(int id) const override;
  void SetChecked(int id, bool checked) override;
  void SetEnabled(int id, bool enabled) override;
  void SetShown(int id, bool shown) override;
  void SetLengthLimit(int id, int limit) override;
  void SetToolTip(int id, const std::string& tip) override;
  void InsertListEntry(int id, int index, const std::string& text, const std::string& tip) override;
  void RemoveListEntry(int id, int index) override;
  int ListCount(int id) const override;
  std::string ListEntry(int id, int index) const override;
  int ListSelection(int id) const override;
  void SetListSelection(int id, int index) override;
  int FocusedControl() const override;
  void Focus(int id) override;
  void FocusAndSelectAll(int id) override;
  MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                                  MessageBoxKind kind) override;
  void RunChildDialog(ChildDialog which) override;
  std::string AskFileName(FileAccess access, const std::string& title, const std::vector<FileType>& types) override;
  void SetMenuEntryChecked(MenuCommand command, bool checked) override;
  void CopyToClipboard(const std::string& text) override;
  CodePage TextCodePage() const override;
  void StartTimer(int milliseconds) override;
  void StopTimer() override;
  void PostSentenceToDialog(SentenceNotice notice) override;
  void PostPortLostToDialog(std::uint32_t run) override;
  void PostPortProbedToDialog(int portNumber, bool openable) override;
  void HideWindow() override;
  void EndDialog(DialogResult result) override;

 public Q_SLOTS:
  // Escape, "&Exit" and the close box: the Cancel command.
  void reject() override;

 protected:
  bool event(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // Enter with the focus off a push button: the OK command.
  void OnOK() override;
  // Every end of the dialog: the window hides at once, then the neutral end.
  void done(int result) override;

 private:
  void ConnectControls();
  void RegainFocus();

  QTimer timer_;
  std::set<MenuCommand> checkedEntries_;  // the context menu is made anew each time it opens
  LoggerDialog dialog_;
};

}  // namespace brisko
