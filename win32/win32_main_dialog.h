// The main dialog on the Win32 API: created from the main template as an
// in-memory extended dialog template and run modally. It implements the
// ControlSurface over the template's controls and routes the window's
// messages to the toolkit-neutral LoggerDialog, which holds every handler:
//   WM_INITDIALOG  About entry in the system menu, icons, centred in the
//                  work area, then OnInitDialog; the system puts the focus on
//                  the first enabled tab stop ("&Exit")
//   WM_COMMAND     by the control's kind in the template: an edit's EN_CHANGE
//                  (once the field rule has accepted the change), a button's
//                  BN_CLICKED, the port list's CBN_SELCHANGE (the closed
//                  list's tip becomes the chosen entry's), IDOK, IDCANCEL
//   WM_MOUSEMOVE   on the port list's dropped list: the tip of the entry
//                  under the mouse (the list's subclass)
//   WM_TIMER       the staleness timer
//   WM_SENTENCE, WM_PORT_LOST   the link worker's posted notices
//   WM_PORT_PROBED the probing thread's results
//   WM_DEVICECHANGE COM ports that came or went (win32/device_change.h)
//   WM_SYSCOMMAND  the About entry
//   WM_DPICHANGED  the system's rectangle, icons and tooltip tools for the DPI
//   WM_DESTROY     OnDestroy: window hidden, queue drained, port closed,
//                  settings written
// User-interface thread only, except the three Post functions (the link
// worker's and the port prober's threads).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dialog/control_surface.h"
#include "dialog/logger_dialog.h"
#include "dialog/settings_store.h"
#include "win32/field_edit_guard.h"

namespace brisko {

inline constexpr UINT_PTR kStaleTimerId = 12345;
// The About entry's command in the system menu; the system uses the low four
// bits of WM_SYSCOMMAND's command for itself. Each entry of kMenuEntries
// has its command's own, 0x0010 apart, About's first.
inline constexpr UINT_PTR kIdmAboutBox = 0x0010;
inline constexpr UINT_PTR SystemMenuId(MenuCommand command) {
  return kIdmAboutBox * (static_cast<UINT_PTR>(command) + 1);
}

class Win32MainDialog final : public ControlSurface {
 public:
  // The platform's ports and link clock must outlive the dialog.
  Win32MainDialog(SettingsStore& settings, const Platform& platform);
  ~Win32MainDialog() override;
  Win32MainDialog(const Win32MainDialog&) = delete;
  Win32MainDialog& operator=(const Win32MainDialog&) = delete;

  // Creates the window, runs it modally and returns when it has been
  // destroyed: the link has shut down and the settings are written.
  INT_PTR DoModal();
  // The command line's --trace, before DoModal.
  void TraceFromStart(const std::string& path) { dialog_->TraceFromStart(path); }
  // The same window without a modal loop of its own, for tests that drive it
  // with messages; DestroyWindow ends it.
  HWND CreateModeless();

  HWND window() const { return window_; }

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

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog();
  void AddMenuEntries();
  // An entry of the system menu chosen: false for the system's own commands.
  bool OnSystemCommand(WPARAM command);
  void SetIcons();
  void OnDpiChanged(const RECT& suggested);
  // The status tooltip's tool for a control: its rectangle on the dialog.
  TOOLINFOW ToolFor(int id) const;
  void SetTipWidth();
  // A drop-down list's entry tips: one tool over the closed box (the
  // selected entry's tip) and one over its dropped list (the entry under the
  // mouse), their texts kept as the entries' tips change.
  void AddListTools(int id);
  void SetWindowTip(HWND window, const std::string& tip);
  void ShowSelectedEntryTip(int id);
  void OnListMouseMove(int id, HWND list, LPARAM point);
  std::string EntryTip(int id, int index) const;
  static LRESULT CALLBACK DroppedListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR self);
  void OnCommand(int id, int notification);
  HWND Item(int id) const { return GetDlgItem(window_, id); }

  std::vector<WORD> template_;
  HWND window_ = nullptr;
  // The dialog itself holds the keyboard focus (Focus(kNoControl)).
  bool focusOnDialog_ = false;
  HWND toolTip_ = nullptr;
  HDEVNOTIFY deviceNotices_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  std::map<int, FieldEditGuard> edits_;
  std::map<int, std::string> toolTips_;
  // Each drop-down list's entry tips, in the entries' order, and the entry
  // of its dropped list the mouse is over (-1: none).
  std::map<int, std::vector<std::string>> entryTips_;
  std::map<int, int> hoveredEntries_;
  // Last: it reads the settings and may start a worker that posts to window_.
  std::unique_ptr<LoggerDialog> dialog_;
};

}  // namespace brisko
