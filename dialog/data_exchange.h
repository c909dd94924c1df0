// The data exchange between the device record and the main dialog's controls:
// one table of steps in a fixed order, each with its way of showing a field
// and of reading it back, written once against the ControlSurface. The refresh writes the record into the controls; the
// read-back copies the controls into the record and stops at the first edit
// whose text is longer than its limit, with the length message. While either
// runs, InProgress() is true and the dialog's handlers ignore the controls'
// notifications, so a refresh never feeds back into the record.
#pragma once

#include <string>

#include "dialog/control_surface.h"
#include "protocol/device_record.h"

namespace brisko {

class DataExchange {
 public:
  DataExchange(DeviceRecord& record, ControlSurface& surface);

  // Gives each of the five edits its length limit; once, when the controls
  // exist.
  void LimitLengths();
  // Record to controls. A control whose text already matches is not touched.
  void Refresh();
  // The port list's step of the refresh alone: the entry the record's port
  // number begins, when there is one. For entries that come and go between
  // refreshes.
  void ShowPortSelection();
  // Controls to record; false when a text exceeded its limit: the length
  // message has shown, the focus and a full selection are on that edit, the
  // steps before it took effect and the ones after it did not run.
  bool ReadBack();

  bool InProgress() const { return depth_ > 0; }

  // "Non digitare più di <limit> caratteri.", titled with the program's name.
  static std::string LimitMessageText(int limit);

 private:
  DeviceRecord& record_;
  ControlSurface& surface_;
  int depth_ = 0;  // a refresh can run inside the modal length message
};

}  // namespace brisko
