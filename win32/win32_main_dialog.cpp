#include "win32/win32_main_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>
#include <iterator>
#include <utility>

#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"
#include "link/wide_text_win32.h"
#include "win32/ansi_code_page.h"
#include "win32/child_dialogs.h"
#include "win32/device_change.h"
#include "win32/dialog_template_ex.h"
#include "win32/resource_ids.h"
#include "win32/sentence_message.h"
#include "win32/window_dpi.h"
#include "win32/window_placement.h"

namespace brisko {

Win32MainDialog::Win32MainDialog(SettingsStore& settings, const Platform& platform)
    : template_(BuildDialogTemplateEx(MainDialogTemplate(), MainDialogFrame())),
      dialog_(std::make_unique<LoggerDialog>(*this, settings, platform)) {}

Win32MainDialog::~Win32MainDialog() {
  // A window still there (a modeless one) ends the dialog on its way out.
  if (window_ != nullptr) DestroyWindow(window_);
  dialog_.reset();
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

INT_PTR Win32MainDialog::DoModal() {
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), AsDialogTemplate(template_), nullptr, DialogProc,
                                 reinterpret_cast<LPARAM>(this));
}

HWND Win32MainDialog::CreateModeless() {
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), AsDialogTemplate(template_), nullptr, DialogProc,
                                    reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Win32MainDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Win32MainDialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->window_ = window;
    self->OnInitDialog();
    return TRUE;  // the system puts the focus on the first enabled tab stop
  }
  auto* self = reinterpret_cast<Win32MainDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (self == nullptr) return FALSE;  // WM_SETFONT and the rest before WM_INITDIALOG
  const INT_PTR handled = self->OnMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    self->window_ = nullptr;
  }
  return handled;
}

INT_PTR Win32MainDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_TIMER:
      if (wParam != kStaleTimerId) return FALSE;
      dialog_->OnTimer();
      return TRUE;
    case WM_SENTENCE:
      dialog_->OnSentenceArrived({static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam)});
      return TRUE;
    case WM_PORT_PROBED:
      dialog_->OnPortProbedArrived(static_cast<int>(wParam), lParam != 0);
      return TRUE;
    case WM_DEVICECHANGE:
      OnDeviceChange(*dialog_, wParam, lParam);
      return TRUE;
    case WM_PORT_LOST:
      dialog_->OnPortLostArrived(static_cast<std::uint32_t>(wParam));
      return TRUE;
    case WM_SYSCOMMAND:
      // The system's own commands (move, close, ...) keep their default handling.
      return OnSystemCommand(wParam) ? TRUE : FALSE;
    case WM_SETFOCUS:
      // The system's dialog would hand the focus on to a control; after
      // Focus(kNoControl) the dialog keeps it.
      return focusOnDialog_ ? TRUE : FALSE;
    case WM_KILLFOCUS:
      focusOnDialog_ = false;
      return FALSE;
    case WM_GETDLGCODE:
      // Asked only while the dialog itself holds the focus: characters are
      // then typed into nothing, never taken as a control's mnemonic.
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, DLGC_WANTCHARS);
      return TRUE;
    case WM_DPICHANGED:
      OnDpiChanged(*reinterpret_cast<const RECT*>(lParam));
      return TRUE;
    case WM_DESTROY:
      StopDeviceChangeNotices(std::exchange(deviceNotices_, nullptr));
      dialog_->OnDestroy();
      return TRUE;
    default:
      return FALSE;
  }
}

void Win32MainDialog::OnInitDialog() {
  for (const ControlTemplate& control : MainDialogTemplate().controls) {
    if (control.kind == ControlKind::Edit) edits_.emplace(control.id, FieldEditGuard(Item(control.id)));
  }
  toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  SetTipWidth();
  for (const ControlTemplate& control : MainDialogTemplate().controls) {
    if (control.kind == ControlKind::DropDownList) AddListTools(control.id);
  }
  AddMenuEntries();
  SetIcons();
  CentreDialog(window_);
  deviceNotices_ = StartDeviceChangeNotices(window_);
  dialog_->OnInitDialog();
}

void Win32MainDialog::OnDpiChanged(const RECT& suggested) {
  // The system's rectangle keeps the window where the user dragged it, at
  // the size of the new DPI.
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SetIcons();
  SetTipWidth();
  // The controls have moved with the dialog's new scale: so do the tips' tools.
  for (const auto& tip : toolTips_) {
    TOOLINFOW tool = ToolFor(tip.first);
    SendMessageW(toolTip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

TOOLINFOW Win32MainDialog::ToolFor(int id) const {
  // The tool is the control's rectangle on the dialog: a static control lets
  // the mouse through to the dialog, so the dialog's messages are the ones
  // the tooltip watches.
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = static_cast<UINT_PTR>(id);
  GetWindowRect(Item(id), &tool.rect);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&tool.rect), 2);
  return tool;
}

void Win32MainDialog::SetTipWidth() {
  // A tooltip breaks its text into lines (a port's device, by-id name and
  // adapter; a long system message) only once it has a width to keep to.
  constexpr int kTipWidth = 480;  // at 96 DPI
  if (toolTip_ == nullptr) return;
  SendMessageW(toolTip_, TTM_SETMAXTIPWIDTH, 0, MulDiv(kTipWidth, static_cast<int>(WindowDpi(window_)), 96));
}

void Win32MainDialog::AddListTools(int id) {
  COMBOBOXINFO parts{};
  parts.cbSize = sizeof parts;
  if (toolTip_ == nullptr || !GetComboBoxInfo(Item(id), &parts)) return;
  entryTips_[id];
  hoveredEntries_[id] = -1;
  // Tools named by their windows: the tooltip follows each window's own
  // area, wherever the list drops down.
  for (HWND window : {Item(id), parts.hwndList}) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(window);
    wchar_t none[] = L"";
    tool.lpszText = none;
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SetWindowSubclass(parts.hwndList, DroppedListProc, static_cast<UINT_PTR>(id), reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK Win32MainDialog::DroppedListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                                  DWORD_PTR self) {
  if (message == WM_MOUSEMOVE) {
    reinterpret_cast<Win32MainDialog*>(self)->OnListMouseMove(static_cast<int>(id), list, lParam);
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(list, DroppedListProc, id);
  return DefSubclassProc(list, message, wParam, lParam);
}

void Win32MainDialog::OnListMouseMove(int id, HWND list, LPARAM point) {
  // The list holds the mouse while it is dropped: points outside it come too.
  const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, point);
  const int entry = hit == LB_ERR || HIWORD(hit) != 0 ? -1 : static_cast<int>(LOWORD(hit));
  int& hovered = hoveredEntries_[id];
  if (entry == hovered) return;
  hovered = entry;
  // The old entry's tip goes at once; the new one's shows after the usual delay.
  SendMessageW(toolTip_, TTM_POP, 0, 0);
  SetWindowTip(list, EntryTip(id, entry));
}

void Win32MainDialog::SetWindowTip(HWND window, const std::string& tip) {
  std::wstring text = Utf8ToWide(tip);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(window);
  tool.lpszText = text.data();
  SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32MainDialog::ShowSelectedEntryTip(int id) {
  if (toolTip_ != nullptr && entryTips_.count(id) != 0) SetWindowTip(Item(id), EntryTip(id, ListSelection(id)));
}

std::string Win32MainDialog::EntryTip(int id, int index) const {
  const auto tips = entryTips_.find(id);
  if (tips == entryTips_.end() || index < 0 || static_cast<std::size_t>(index) >= tips->second.size()) {
    return std::string();
  }
  return tips->second[static_cast<std::size_t>(index)];
}

void Win32MainDialog::AddMenuEntries() {
  HMENU menu = GetSystemMenu(window_, FALSE);
  if (menu == nullptr) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  for (const MenuEntry& menuEntry : kMenuEntries) {
    std::wstring entry;
    if (menuEntry.command == MenuCommand::About) {
      // The string table's entry in place, not a copy: length 0 when it is missing.
      const wchar_t* text = nullptr;
      const int length = LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, reinterpret_cast<LPWSTR>(&text), 0);
      if (length <= 0 || text == nullptr) continue;
      entry.assign(text, static_cast<std::size_t>(length));
    } else {
      entry = Utf8ToWide(menuEntry.text);
    }
    AppendMenuW(menu, MF_STRING, SystemMenuId(menuEntry.command), entry.c_str());
  }
}

bool Win32MainDialog::OnSystemCommand(WPARAM command) {
  for (const MenuEntry& entry : kMenuEntries) {
    if ((command & 0xFFF0) != SystemMenuId(entry.command)) continue;
    dialog_->OnMenuCommand(entry.command);
    return true;
  }
  return false;
}

void Win32MainDialog::SetMenuEntryChecked(MenuCommand command, bool checked) {
  CheckMenuItem(GetSystemMenu(window_, FALSE), static_cast<UINT>(SystemMenuId(command)),
                MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void Win32MainDialog::CopyToClipboard(const std::string& text) {
  std::wstring wide;
  for (const wchar_t c : Utf8ToWide(text)) {
    if (c == L'\n') wide.push_back(L'\r');
    wide.push_back(c);
  }
  // The clipboard takes ownership of the memory once SetClipboardData succeeds.
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return;
  void* locked = GlobalLock(memory);
  if (locked == nullptr) {
    GlobalFree(memory);
    return;
  }
  std::memcpy(locked, wide.c_str(), bytes);
  GlobalUnlock(memory);
  if (OpenClipboard(window_)) {
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, memory) != nullptr) memory = nullptr;
    CloseClipboard();
  }
  if (memory != nullptr) GlobalFree(memory);
}

std::string Win32MainDialog::AskFileName(FileAccess access, const std::string& title,
                                         const std::vector<FileType>& types) {
  // "Name (*.json)\0*.json\0...\0\0".
  std::wstring filter;
  for (const FileType& type : types) {
    filter += Utf8ToWide(std::string(type.name) + " (" + type.patterns + ")");
    filter.push_back(L'\0');
    filter += Utf8ToWide(type.patterns);
    filter.push_back(L'\0');
  }
  filter.push_back(L'\0');
  const std::wstring caption = Utf8ToWide(title);
  std::wstring extension;
  if (!types.empty()) {
    const std::string patterns = types.front().patterns;
    const std::size_t dot = patterns.find('.');
    if (dot != std::string::npos) extension = Utf8ToWide(patterns.substr(dot + 1));
  }
  wchar_t path[MAX_PATH * 4] = {};
  OPENFILENAMEW chooser{};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = window_;
  chooser.lpstrFilter = filter.c_str();
  chooser.lpstrFile = path;
  chooser.nMaxFile = static_cast<DWORD>(std::size(path));
  chooser.lpstrTitle = caption.c_str();
  chooser.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  // The working directory stays: BRISKO.INI is read and written there.
  chooser.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  const bool save = access == FileAccess::Save;
  chooser.Flags |= save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
  const BOOL chosen = save ? GetSaveFileNameW(&chooser) : GetOpenFileNameW(&chooser);
  return chosen ? WideToUtf8(path) : std::string();
}

CodePage Win32MainDialog::TextCodePage() const { return kAnsiCodePage; }

void Win32MainDialog::SetIcons() {
  // Each size from the image of icon 128 made for it, at the window's DPI;
  // the icons they replace go once the window no longer uses them.
  const HINSTANCE self = GetModuleHandleW(nullptr);
  const UINT dpi = WindowDpi(window_);
  HICON bigIcon = LoadIconOfSize(self, IDI_BRISKO, MetricForDpi(SM_CXICON, dpi), MetricForDpi(SM_CYICON, dpi));
  HICON smallIcon = LoadIconOfSize(self, IDI_BRISKO, MetricForDpi(SM_CXSMICON, dpi), MetricForDpi(SM_CYSMICON, dpi));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
  bigIcon_ = bigIcon;
  smallIcon_ = smallIcon;
}

void Win32MainDialog::OnCommand(int id, int notification) {
  if (id == IDOK || id == IDCANCEL) {
    // Enter, Escape and the close box arrive as these, whatever the notification.
    dialog_->OnCommand(id);
    return;
  }
  const ControlTemplate* control = FindControl(MainDialogTemplate(), id);
  if (control == nullptr) return;
  switch (control->kind) {
    case ControlKind::Edit: {
      if (notification != EN_CHANGE) return;
      auto edit = edits_.find(id);
      // A change the field rule refused has been put back: the record keeps its text.
      if (edit != edits_.end() && !edit->second.JudgeChange()) return;
      break;
    }
    case ControlKind::DropDownList:
      if (notification != CBN_SELCHANGE) return;
      ShowSelectedEntryTip(id);
      break;
    case ControlKind::RadioButton:
    case ControlKind::PushButton:
      if (notification != BN_CLICKED) return;
      break;
    default:
      return;
  }
  dialog_->OnCommand(id);
}

std::string Win32MainDialog::Text(int id) const {
  return WideToUtf8(WindowTextOf(Item(id)));
}

void Win32MainDialog::SetText(int id, const std::string& text) {
  const std::wstring wide = Utf8ToWide(text);
  auto edit = edits_.find(id);
  if (edit != edits_.end()) {
    edit->second.ShowProgramText(wide);
    return;
  }
  HWND item = Item(id);
  if (WindowTextOf(item) != wide) SetWindowTextW(item, wide.c_str());
}

bool Win32MainDialog::Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Win32MainDialog::SetChecked(int id, bool checked) {
  SendMessageW(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32MainDialog::SetEnabled(int id, bool enabled) { EnableWindow(Item(id), enabled ? TRUE : FALSE); }

void Win32MainDialog::SetShown(int id, bool shown) { ShowWindow(Item(id), shown ? SW_SHOW : SW_HIDE); }

void Win32MainDialog::SetLengthLimit(int id, int limit) {
  auto edit = edits_.find(id);
  if (edit != edits_.end()) edit->second.SetLimit(static_cast<std::size_t>(limit));
}

void Win32MainDialog::SetToolTip(int id, const std::string& tip) {
  if (toolTip_ == nullptr) return;
  TOOLINFOW tool = ToolFor(id);
  std::wstring text = Utf8ToWide(tip);
  tool.lpszText = text.data();
  const bool known = toolTips_.count(id) != 0;
  if (tip.empty()) {
    if (known) SendMessageW(toolTip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    toolTips_.erase(id);
    return;
  }
  SendMessageW(toolTip_, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  toolTips_[id] = tip;
}

void Win32MainDialog::InsertListEntry(int id, int index, const std::string& text, const std::string& tip) {
  const LRESULT at = SendMessageW(Item(id), CB_INSERTSTRING, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(Utf8ToWide(text).c_str()));
  std::vector<std::string>& tips = entryTips_[id];
  if (at >= 0 && static_cast<std::size_t>(at) <= tips.size()) tips.insert(tips.begin() + at, tip);
  hoveredEntries_[id] = -1;  // the next mouse move names the entry now under it
  ShowSelectedEntryTip(id);
}

void Win32MainDialog::RemoveListEntry(int id, int index) {
  if (SendMessageW(Item(id), CB_DELETESTRING, static_cast<WPARAM>(index), 0) == CB_ERR) return;
  std::vector<std::string>& tips = entryTips_[id];
  if (index >= 0 && static_cast<std::size_t>(index) < tips.size()) tips.erase(tips.begin() + index);
  hoveredEntries_[id] = -1;
  ShowSelectedEntryTip(id);
}

int Win32MainDialog::ListCount(int id) const {
  return static_cast<int>(SendMessageW(Item(id), CB_GETCOUNT, 0, 0));
}

std::string Win32MainDialog::ListEntry(int id, int index) const {
  const LRESULT length = SendMessageW(Item(id), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return std::string();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(Item(id), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return WideToUtf8(text);
}

int Win32MainDialog::ListSelection(int id) const {
  const LRESULT selection = SendMessageW(Item(id), CB_GETCURSEL, 0, 0);
  return selection == CB_ERR ? -1 : static_cast<int>(selection);
}

void Win32MainDialog::SetListSelection(int id, int index) {
  SendMessageW(Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ShowSelectedEntryTip(id);
}

int Win32MainDialog::FocusedControl() const {
  HWND focused = GetFocus();
  // The edit of a combo box is a child of it; the dialog's controls are its children.
  while (focused != nullptr && GetParent(focused) != window_) focused = GetParent(focused);
  return focused != nullptr ? GetDlgCtrlID(focused) : 0;
}

void Win32MainDialog::Focus(int id) {
  focusOnDialog_ = id == kNoControl;
  if (focusOnDialog_) {
    SetFocus(window_);
  } else {
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
  }
}

void Win32MainDialog::FocusAndSelectAll(int id) {
  Focus(id);
  SendMessageW(Item(id), EM_SETSEL, 0, -1);
}

MessageBoxAnswer Win32MainDialog::ShowMessageBox(const std::string& text, const std::string& caption,
                                                 MessageBoxKind kind) {
  return brisko::ShowMessageBox(window_, text, caption, kind);
}

void Win32MainDialog::RunChildDialog(ChildDialog which) {
  switch (which) {
    case ChildDialog::DeleteFlight:
      RunDeleteFlightDialog(window_);
      break;
    case ChildDialog::About:
      RunAboutBox(window_, bigIcon_);
      break;
  }
}

void Win32MainDialog::StartTimer(int milliseconds) {
  SetTimer(window_, kStaleTimerId, static_cast<UINT>(milliseconds), nullptr);
}

void Win32MainDialog::StopTimer() { KillTimer(window_, kStaleTimerId); }

void Win32MainDialog::PostSentenceToDialog(SentenceNotice notice) {
  PostMessageW(window_, WM_SENTENCE, static_cast<WPARAM>(notice.sequenceNumber),
               static_cast<LPARAM>(notice.runAndSlot));
}

void Win32MainDialog::PostPortLostToDialog(std::uint32_t run) {
  PostMessageW(window_, WM_PORT_LOST, static_cast<WPARAM>(run), 0);
}

void Win32MainDialog::PostPortProbedToDialog(int portNumber, bool openable) {
  PostMessageW(window_, WM_PORT_PROBED, static_cast<WPARAM>(portNumber), openable ? 1 : 0);
}

void Win32MainDialog::HideWindow() { ShowWindow(window_, SW_HIDE); }

void Win32MainDialog::EndDialog(DialogResult result) {
  ::EndDialog(window_, result == DialogResult::Ok ? IDOK : IDCANCEL);
}

}  // namespace brisko
