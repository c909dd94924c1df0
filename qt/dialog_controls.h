// The widgets of one dialog template, built as direct children of the dialog
// with absolute geometry converted from dialog units, and found again by id.
// Each of the template's radio groups is one exclusive button group; only
// controls with the tab-stop flag take the focus with Tab, in template order;
// each edit and list is the buddy of the label that names it, which is how a
// screen reader learns its name; the icon control shows the program icon.
#pragma once

#include <cstddef>
#include <map>
#include <vector>

#include "dialog/dialog_template.h"
#include "qt/dialog_units.h"

#include <QWidget>

namespace brisko {

class DialogControls {
 public:
  // Creates the controls of the template inside parent, which owns them.
  DialogControls(QWidget& parent, const DialogTemplate& layout, const DialogUnits& units);

  // The control with this id, or nullptr. Ids of -1 are not addressable.
  QWidget* Control(int id) const;
  template <typename Widget>
  Widget* ControlAs(int id) const {
    return qobject_cast<Widget*>(Control(id));
  }
  // The control at this template position, 0-based.
  QWidget* At(int position) const { return inOrder_.at(static_cast<std::size_t>(position)); }
  int size() const { return static_cast<int>(inOrder_.size()); }

 private:
  std::vector<QWidget*> inOrder_;
  std::map<int, QWidget*> byId_;
};

}  // namespace brisko
