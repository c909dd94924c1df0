// The data exchange between the device record and the main dialog's controls:
// one fixed order of steps that serves both directions. The refresh writes the
// record into the controls; the read-back copies the controls into the record
// and stops at the first edit whose text is longer than its limit. While either
// runs, InProgress() is true and the dialog's handlers ignore the controls'
// notifications, so a refresh never feeds back into the record.
#pragma once

#include <functional>

#include <QString>

#include "protocol/device_record.h"
#include "qt/dialog_controls.h"

namespace brisko {

class DataExchange {
 public:
  // Shows the length message; afterwards the focus and a full selection go to
  // the edit that failed.
  using LimitMessage = std::function<void(const QString& message)>;

  DataExchange(DeviceRecord& record, const DialogControls& controls, LimitMessage limitMessage);

  // Record to controls. A control whose text already matches is not touched.
  void Refresh();
  // Controls to record; false when a text exceeded its limit (the steps
  // before it took effect, the ones after it did not run).
  bool ReadBack();

  bool InProgress() const { return depth_ > 0; }

  // "Non digitare più di <limit> caratteri."
  static QString LimitMessageText(int limit);

 private:
  bool Exchange(bool toRecord);

  DeviceRecord& record_;
  const DialogControls& controls_;
  LimitMessage limitMessage_;
  int depth_ = 0;  // a refresh can run inside the modal length message
};

}  // namespace brisko
