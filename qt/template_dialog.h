// A dialog built from a DialogTemplate: the dialog font, a fixed client size
// in dialog units, a caption with a close box and no minimise or maximise box,
// the template's controls with the focus on its first tab stop, and the keys
// of a classic dialog: Enter with the focus off a push button and a button
// with id 1 are the OK command, Escape and a button with id 2 are the Cancel
// command. UI thread only.
#pragma once

#include <QDialog>

#include "dialog/dialog_template.h"
#include "qt/dialog_controls.h"
#include "qt/dialog_units.h"

namespace brisko {

class TemplateDialog : public QDialog {
  Q_OBJECT

 public:
  TemplateDialog(const DialogTemplate& layout, QWidget* parent);

  QWidget* Control(int id) const { return controls_.Control(id); }
  template <typename Widget>
  Widget* ControlAs(int id) const {
    return controls_.ControlAs<Widget>(id);
  }
  const DialogControls& controls() const { return controls_; }
  const DialogUnits& units() const { return units_; }

 protected:
  // The OK command. The base accepts; a dialog with data reads it back first.
  virtual void OnOK();

  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  const DialogTemplate& layout_;
  DialogUnits units_;
  DialogControls controls_;
};

}  // namespace brisko
