// What the protocol core needs from outside: the dialog's side (refresh,
// record-mode controls, port-dependent controls, the port list's entries,
// message boxes, the delete-flight dialog) and the link's side (is a port open, queue
// commands). Tests fake both.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brisko {

// The core's two kinds of message box; each front end maps them to its
// toolkit's icons and buttons.
enum class MessageBoxKind {
  Warning,   // exclamation icon, an OK button
  Question,  // question icon, Yes and No buttons
};

// The button that closed a message box (Ok also when it was closed otherwise).
enum class MessageBoxAnswer { Ok, Yes, No };

enum class Visibility { Hidden, Shown };

class DialogCallouts {
 public:
  virtual ~DialogCallouts() = default;
  // Writes every record field into its control; notifications are not
  // delivered back while it runs.
  virtual void RefreshControls() = 0;
  // Copies every control into the record; false when a length limit was exceeded.
  virtual bool ReadBackControls() = 0;
  // Shows or hides the "Temp/Humid Record" group.
  virtual void ShowRecordControls(Visibility visibility) = 0;
  // Enables or disables the port-dependent controls.
  virtual void EnablePortControls(bool enable) = 0;
  // The port list gained port n's entry at this index, or lost the entry at
  // this index; the other entries keep their order.
  virtual void InsertPortEntry(int index, int portNumber) = 0;
  virtual void RemovePortEntry(int index) = 0;
  // A modal message box over the main dialog; returns the button pressed.
  virtual MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                                          MessageBoxKind kind) = 0;
  // Runs the "Delete flight" dialog modally; its result is not used.
  virtual void RunDeleteFlightDialog() = 0;
};

class CommandPort {
 public:
  virtual ~CommandPort() = default;
  virtual bool IsPortOpen() const = 0;
  // Queues a whole sequence of bare commands (no checksum tail), in order. The
  // sequence is queued whole or not at all; false when it was refused.
  virtual bool QueueCommands(const std::vector<std::string>& sequence) = 0;
};

}  // namespace brisko
