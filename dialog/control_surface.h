// What a front end implements so that the toolkit-neutral dialog can run in
// its window: a few functions on the controls of the template, found by id,
// plus message boxes, the two child dialogs, a timer and a way back to the
// user-interface thread. The front end creates the controls from the template
// and calls the handlers of LoggerDialog; it knows nothing of what a control
// means. Every member runs on the user-interface thread except the Post
// functions.
//
// Every text that crosses the surface is UTF-8, both ways: the controls'
// texts, list entries, tips, message boxes, titles, file names and the
// clipboard. The logger's bytes never cross it: the data exchange shows them
// through TextCodePage() and reads them back the same way. A front end turns
// UTF-8 into its toolkit's characters in one place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialog/dialog_template.h"
#include "dialog/sentence_notice.h"
#include "protocol/code_page.h"
#include "protocol/logger_callouts.h"

namespace brisko {

// The modal dialogs the main dialog runs over itself.
enum class ChildDialog {
  DeleteFlight,  // the "Delete flight" template, an empty shell
  About,         // the program's name, version and purpose
};

// What a file is chosen for, and the kinds of file offered: a name such as
// "Brisko profiles" and its patterns, such as "*.json".
enum class FileAccess { Open, Save };
struct FileType {
  const char* name;
  const char* patterns;
};

// How the main dialog's modal run ended: the OK command (a successful
// read-back) or the Cancel command ("&Exit", Escape, the close box).
enum class DialogResult { Ok, Cancel };

class ControlSurface {
 public:
  virtual ~ControlSurface() = default;

  // Text of an edit or a display field; setting it puts the program's own
  // text in, as it is, without the rule for the user's changes and without
  // the length limit. The front end may deliver the edit's change
  // notification to LoggerDialog meanwhile: it ignores notifications during
  // an exchange.
  virtual std::string Text(int id) const = 0;
  virtual void SetText(int id, const std::string& text) = 0;

  // A radio button's check. Unchecking the last checked button of a group
  // must work too: a record value outside the group checks none.
  virtual bool Checked(int id) const = 0;
  virtual void SetChecked(int id, bool checked) = 0;

  virtual void SetEnabled(int id, bool enabled) = 0;
  virtual void SetShown(int id, bool shown) = 0;
  // The most bytes (in TextCodePage(), as the logger gets them) the user may
  // bring an edit's text to. The edit may count characters meanwhile: the
  // front end's rule for the user's changes counts the bytes.
  virtual void SetLengthLimit(int id, int limit) = 0;
  // The tip shown over a control; empty removes it. Tips (here and on list
  // entries) carry the system's own texts: device paths, adapter names and
  // error messages.
  virtual void SetToolTip(int id, const std::string& tip) = 0;

  // The drop-down list: entries in the order kept by their indexes, each
  // with its own tip. An index of -1 is "no entry selected"; selecting does
  // not notify. Inserting or removing an entry may move the
  // selection: the caller sets it again afterwards.
  virtual void InsertListEntry(int id, int index, const std::string& text, const std::string& tip) = 0;
  virtual void RemoveListEntry(int id, int index) = 0;
  virtual int ListCount(int id) const = 0;
  virtual std::string ListEntry(int id, int index) const = 0;
  virtual int ListSelection(int id) const = 0;
  virtual void SetListSelection(int id, int index) = 0;

  // The control that has the keyboard focus, or 0 when none of the dialog's has.
  virtual int FocusedControl() const = 0;
  // Keyboard focus to the control; kNoControl gives it to the dialog itself,
  // where typed characters reach no control (not even as a mnemonic), while
  // Tab, Enter and Escape keep their meaning for the dialog.
  virtual void Focus(int id) = 0;
  // Keyboard focus to the edit with its whole text selected.
  virtual void FocusAndSelectAll(int id) = 0;

  // A modal message box over the dialog; returns the button pressed (Ok also
  // when it was closed otherwise). Posted notices and the timer keep being
  // delivered while it runs.
  virtual MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                                          MessageBoxKind kind) = 0;
  // Runs a child dialog modally over the main dialog; its result is not used.
  virtual void RunChildDialog(ChildDialog which) = 0;
  // The platform's file dialog, modal over the main dialog: the chosen
  // file's path, or an empty text when the user cancelled. A save adds the
  // first type's extension to a name typed without one.
  virtual std::string AskFileName(FileAccess access, const std::string& title, const std::vector<FileType>& types) = 0;
  // A check mark beside the window's menu entry (kMenuEntries), or none.
  virtual void SetMenuEntryChecked(MenuCommand command, bool checked) = 0;
  // The system's clipboard gets this text (lines ending in "\n"), for the
  // user to paste elsewhere.
  virtual void CopyToClipboard(const std::string& text) = 0;
  // The code page in which this front end shows the logger's texts, and by
  // which its edits judge what the user adds to them (CanTravelInField).
  virtual CodePage TextCodePage() const = 0;

  // A repeating timer whose ticks the front end hands to LoggerDialog::OnTimer.
  virtual void StartTimer(int milliseconds) = 0;
  virtual void StopTimer() = 0;

  // Any thread, never blocks: queue the notice for the user-interface thread,
  // which hands it to LoggerDialog::OnSentenceArrived, OnPortLostArrived or
  // OnPortProbedArrived.
  virtual void PostSentenceToDialog(SentenceNotice notice) = 0;
  virtual void PostPortLostToDialog(std::uint32_t run) = 0;
  virtual void PostPortProbedToDialog(int portNumber, bool openable) = 0;

  // Hides the window at once (it may already be hidden): the end of the
  // dialog may take a while after the user has left it.
  virtual void HideWindow() = 0;
  // Ends the modal run with this result; the front end then calls
  // LoggerDialog::OnDestroy, at the latest when its window goes.
  virtual void EndDialog(DialogResult result) = 0;
};

}  // namespace brisko
