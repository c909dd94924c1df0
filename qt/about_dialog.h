// The About box offered by the main dialog's context menu, built from its
// template: the program icon, name and version, and one line on what it does.
#pragma once

#include "qt/template_dialog.h"

namespace brisko {

class QtAboutDialog : public TemplateDialog {
  Q_OBJECT

 public:
  explicit QtAboutDialog(QWidget* parent);
};

}  // namespace brisko
