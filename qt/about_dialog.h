// The About box offered by the main dialog's context menu: the program's
// name, its version and one line on what it does.
#pragma once

#include <QDialog>

#include "brisko_version.h"

namespace brisko {

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace brisko
