// A front end without a window, for the neutral dialog's tests: every control
// of the main template as a little record of state (text, check, enabled,
// shown, limit, tip), the port list's entries and selection, the focus, the
// message boxes and child dialogs it was asked for, the timer, and the posted
// notices, queued across threads until the test delivers them. A change hook
// plays the toolkit's notification that a text or a check changed, sent at
// once from inside the change as toolkits do. Also the settings store in
// memory and a stopped wall clock, for the tests of either front end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dialog/control_surface.h"
#include "dialog/dialog_template.h"
#include "dialog/settings_store.h"
#include "dialog/windows_1252.h"
#include "protocol/field_edit.h"
#include "protocol/logger_text.h"

namespace brisko::testing {

// The port number kept between runs, with a count of the writes and a hook
// that sees the moment of each.
class MemorySettings : public SettingsStore {
 public:
  std::string ReadPortNumber() override { return stored; }
  void WritePortNumber(const std::string& portNumber) override {
    stored = portNumber;
    ++writes;
    if (onWrite) onWrite();
  }
  std::string stored;
  int writes = 0;
  std::function<void()> onWrite;
};

// The dialog's wall clock, stopped: on a slow machine the staleness rule
// would otherwise blank the fields a test is about to look at.
inline std::int64_t StoppedClock() { return 1700000000; }

struct FakeControl {
  std::string text;
  bool checked = false;
  bool enabled = true;
  bool shown = true;
  int limit = -1;  // none set
  std::string tip;
};

// The buttons a message box of this kind offers, as the window toolkits show them.
inline std::set<MessageBoxAnswer> ButtonsOf(MessageBoxKind kind) {
  if (kind == MessageBoxKind::Question) return {MessageBoxAnswer::Yes, MessageBoxAnswer::No};
  return {MessageBoxAnswer::Ok};
}

struct FakeMessageBox {
  std::string text;
  std::string caption;
  MessageBoxKind kind;
};

struct PostedNotice {
  bool portLost;
  std::uint32_t run;        // of a lost port
  SentenceNotice sentence;  // of a sentence
};

class FakeSurface : public ControlSurface {
 public:
  // The controls as the template creates them.
  FakeSurface() {
    for (const ControlTemplate& control : MainDialogTemplate().controls) {
      if (control.id < 0) continue;
      FakeControl& state = controls[control.id];
      state.text = control.text;
      state.enabled = (control.flags & kDisabled) == 0;
    }
  }

  std::string Text(int id) const override { return controls.at(id).text; }
  void SetText(int id, const std::string& text) override {
    ++textWrites;
    controls.at(id).text = text;
    if (onChange) onChange(id);
  }
  bool Checked(int id) const override { return controls.at(id).checked; }
  void SetChecked(int id, bool checked) override {
    controls.at(id).checked = checked;
    if (onChange) onChange(id);
  }
  void SetEnabled(int id, bool enabled) override { controls.at(id).enabled = enabled; }
  void SetShown(int id, bool shown) override { controls.at(id).shown = shown; }
  void SetLengthLimit(int id, int limit) override { controls.at(id).limit = limit; }
  void SetToolTip(int id, const std::string& tip) override { controls.at(id).tip = tip; }

  // The user types into an edit (UTF-8): each character the edits' rule
  // takes goes in, with the change notification, as in a window.
  void Type(int id, const std::string& typed) {
    FakeControl& control = controls.at(id);
    std::u16string keys;
    Utf8ToUtf16(typed, keys);
    for (const char16_t key : keys) {
      std::u16string shown;
      Utf8ToUtf16(control.text, shown);
      const std::size_t limit = control.limit < 0 ? SIZE_MAX : static_cast<std::size_t>(control.limit);
      if (!MayAcceptFieldEdit(shown, shown + key, limit, codePage.encode)) continue;
      control.text = Utf16ToUtf8(shown + key);
      if (onChange) onChange(id);
    }
  }

  // Like a toolkit, the selection does not follow an entry that moves.
  void InsertListEntry(int /*id*/, int index, const std::string& text, const std::string& tip) override {
    listEntries.emplace(listEntries.begin() + index, text, tip);
  }
  void RemoveListEntry(int /*id*/, int index) override { listEntries.erase(listEntries.begin() + index); }
  // The entries' texts, in order.
  std::vector<std::string> ListTexts() const {
    std::vector<std::string> texts;
    for (const auto& entry : listEntries) texts.push_back(entry.first);
    return texts;
  }
  int ListCount(int /*id*/) const override { return static_cast<int>(listEntries.size()); }
  std::string ListEntry(int /*id*/, int index) const override {
    return listEntries.at(static_cast<std::size_t>(index)).first;
  }
  int ListSelection(int /*id*/) const override { return listSelection; }
  void SetListSelection(int /*id*/, int index) override { listSelection = index; }

  int FocusedControl() const override { return focus; }
  void Focus(int id) override {
    focus = id;
    selectedAll = false;
  }
  void FocusAndSelectAll(int id) override {
    focus = id;
    selectedAll = true;
  }

  MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                                  MessageBoxKind kind) override {
    boxes.push_back({text, caption, kind});
    events.push_back("message box");
    // A button the box does not offer cannot be pressed: it was closed.
    return ButtonsOf(kind).count(answer) != 0 ? answer : MessageBoxAnswer::Ok;
  }
  void RunChildDialog(ChildDialog which) override { children.push_back(which); }
  // The file the user picks: `chosenFile`, empty for a cancel.
  std::string AskFileName(FileAccess access, const std::string& title, const std::vector<FileType>&) override {
    fileDialogs.emplace_back(access, title);
    return chosenFile;
  }
  void SetMenuEntryChecked(MenuCommand command, bool checked) override {
    if (checked) {
      checkedEntries.insert(command);
    } else {
      checkedEntries.erase(command);
    }
  }
  void CopyToClipboard(const std::string& text) override { clipboard = text; }
  CodePage TextCodePage() const override { return codePage; }

  void StartTimer(int milliseconds) override {
    timerMs = milliseconds;
    events.push_back("start timer");
  }
  void StopTimer() override {
    timerMs = 0;
    events.push_back("stop timer");
  }

  void PostSentenceToDialog(SentenceNotice notice) override {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    posted_.push_back({false, 0, notice});
  }
  void PostPortLostToDialog(std::uint32_t run) override {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    posted_.push_back({true, run, {}});
  }
  void PostPortProbedToDialog(int portNumber, bool openable) override {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    probed_.emplace_back(portNumber, openable);
  }
  // The probe results posted so far, taken out of the queue.
  std::vector<std::pair<int, bool>> TakeProbed() {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    return std::exchange(probed_, {});
  }
  // The notices posted so far, oldest first, taken out of the queue.
  std::deque<PostedNotice> TakePosted() {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    return std::exchange(posted_, {});
  }

  void HideWindow() override {
    shownWindow = false;
    events.push_back("hide");
  }
  void EndDialog(DialogResult result) override {
    results.push_back(result);
    events.push_back(result == DialogResult::Ok ? "end ok" : "end cancel");
  }

  // How it behaves.
  MessageBoxAnswer answer = MessageBoxAnswer::Ok;
  std::function<void(int id)> onChange;

  // What it holds and saw.
  std::map<int, FakeControl> controls;
  CodePage codePage = kWindows1252;  // the page a front end shows the logger's texts in
  std::vector<std::pair<std::string, std::string>> listEntries;  // text, tip
  int listSelection = -1;
  int focus = 0;
  bool selectedAll = false;
  int textWrites = 0;
  int timerMs = 0;  // 0: stopped
  bool shownWindow = true;
  std::vector<FakeMessageBox> boxes;
  std::vector<ChildDialog> children;
  std::string chosenFile;
  std::vector<std::pair<FileAccess, std::string>> fileDialogs;
  std::set<MenuCommand> checkedEntries;
  std::string clipboard;
  std::vector<DialogResult> results;
  std::vector<std::string> events;  // the order of the ending and the boxes

 private:
  std::mutex postedMutex_;
  std::deque<PostedNotice> posted_;
  std::vector<std::pair<int, bool>> probed_;
};

}  // namespace brisko::testing
