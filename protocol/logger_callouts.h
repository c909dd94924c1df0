// What the protocol core needs from outside: the dialog's side (refresh,
// record-mode controls, port-dependent controls, message boxes, the
// delete-flight dialog, the clock) and the link's side (is a port open, queue
// commands). Tests fake both.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brisko {

// Message box styles and answers, with the values of the Win32 constants.
inline constexpr int kMbIconExclamationOk = 48;  // MB_ICONEXCLAMATION | MB_OK
inline constexpr int kMbYesNoQuestion = 36;      // MB_YESNO | MB_ICONQUESTION
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Show commands for ShowRecordControls.
inline constexpr int kSwHide = 0;
inline constexpr int kSwShow = 5;

class DialogCallouts {
 public:
  virtual ~DialogCallouts() = default;
  // Writes every record field into its control; notifications are not
  // delivered back while it runs.
  virtual void RefreshControls() = 0;
  // Copies every control into the record; false when a length limit was exceeded.
  virtual bool ReadBackControls() = 0;
  // Shows or hides the "Temp/Humid Record" group (kSwShow / kSwHide).
  virtual void ShowRecordControls(int showCommand) = 0;
  // Enables or disables the 17 port-dependent controls.
  virtual void EnablePortControls(bool enable) = 0;
  // Wall-clock time in whole seconds, 64-bit so it does not overflow in 2038.
  virtual std::int64_t CurrentTime() = 0;
  // A modal message box over the main dialog; returns the button pressed.
  virtual int ShowMessageBox(const std::string& text, const std::string& caption, int style) = 0;
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
