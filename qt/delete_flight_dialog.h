// "Delete flight": a modal shell over the main dialog with an empty flight
// list, a "&Delete" button that does nothing and "Cancel". Nothing reaches the
// logger from here.
#pragma once

#include "qt/template_dialog.h"

namespace brisko {

class QtDeleteFlightDialog : public TemplateDialog {
  Q_OBJECT

 public:
  explicit QtDeleteFlightDialog(QWidget* parent);
};

}  // namespace brisko
