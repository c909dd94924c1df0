#include "qt/dialog_controls.h"

#include <algorithm>

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "qt/field_validator.h"
#include "qt/program_icon.h"

namespace brisko {

namespace {

QWidget* CreateControl(const ControlTemplate& control, QWidget& parent) {
  const QString text = QString::fromUtf8(control.text);
  switch (control.kind) {
    case ControlKind::GroupBox: {
      auto* box = new QGroupBox(text, &parent);
      // A group box only frames its neighbours: clicks go through to the
      // buttons inside it, which are its siblings, not its children.
      box->setAttribute(Qt::WA_TransparentForMouseEvents);
      return box;
    }
    case ControlKind::RadioButton:
      return new QRadioButton(text, &parent);
    case ControlKind::Label:
    case ControlKind::Text: {
      auto* label = new QLabel(text, &parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment((control.kind == ControlKind::Label ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
      return label;
    }
    case ControlKind::DisplayField: {
      auto* field = new QLabel(text, &parent);
      // Texts come from the logger: never interpret them as markup.
      field->setTextFormat(Qt::PlainText);
      field->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      field->setMargin(0);
      field->setIndent(1);
      return field;
    }
    case ControlKind::Edit: {
      auto* edit = new QLineEdit(text, &parent);
      new FieldTextValidator(*edit);
      return edit;
    }
    case ControlKind::PushButton:
      return new QPushButton(text, &parent);
    case ControlKind::DropDownList:
      return new QComboBox(&parent);
    case ControlKind::ListBox: {
      auto* list = new QListWidget(&parent);
      list->setSortingEnabled(true);
      return list;
    }
    case ControlKind::Icon: {
      auto* icon = new QLabel(&parent);
      icon->setPixmap(ProgramIcon().pixmap(32, 32));
      icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return icon;
    }
  }
  return nullptr;
}

Qt::FocusPolicy FocusPolicyOf(const ControlTemplate& control) {
  if (control.flags & kTabStop) return Qt::StrongFocus;
  // A radio button without a tab stop still takes the focus when clicked and
  // passes it on with the arrow keys inside its group.
  if (control.kind == ControlKind::RadioButton) return Qt::ClickFocus;
  return Qt::NoFocus;
}

void PlaceControl(const ControlTemplate& control, QWidget& widget, const DialogUnits& units) {
  const QRect area = units.Rect(control.x, control.y, control.width, control.height);
  if (auto* box = qobject_cast<QComboBox*>(&widget)) {
    // The template's height includes the dropped list: the closed box keeps
    // its natural height and the list shows as many entries as fit below it.
    const int closedHeight = box->sizeHint().height();
    box->setGeometry(area.x(), area.y(), area.width(), closedHeight);
    const int rowHeight = box->fontMetrics().height() + 2;
    box->setMaxVisibleItems(std::max(1, (area.height() - closedHeight) / rowHeight));
    return;
  }
  widget.setGeometry(area);
}

}  // namespace

DialogControls::DialogControls(QWidget& parent, const DialogTemplate& layout, const DialogUnits& units) {
  int position = 0;
  QWidget* previousTabStop = nullptr;
  std::vector<QWidget*> groupBoxes;
  for (const ControlTemplate& control : layout.controls) {
    ++position;
    QWidget* widget = CreateControl(control, parent);
    widget->setObjectName(control.id >= 0 ? QStringLiteral("id%1").arg(control.id)
                                          : QStringLiteral("static%1").arg(position));
    widget->setFocusPolicy(FocusPolicyOf(control));
    widget->setEnabled(!(control.flags & kDisabled));
    PlaceControl(control, *widget, units);

    if (control.kind == ControlKind::GroupBox) groupBoxes.push_back(widget);

    if (control.flags & kTabStop) {
      if (previousTabStop != nullptr) QWidget::setTabOrder(previousTabStop, widget);
      previousTabStop = widget;
    }
    inOrder_.push_back(widget);
    if (control.id >= 0) byId_[control.id] = widget;
  }
  for (const std::vector<int>& ids : RadioGroups(layout)) {
    auto* group = new QButtonGroup(&parent);
    group->setExclusive(true);
    for (std::size_t i = 0; i < ids.size(); ++i) group->addButton(ControlAs<QRadioButton>(ids[i]), static_cast<int>(i));
  }
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const ControlTemplate* label = NameLabelOf(layout, layout.controls[i].id);
    if (label == nullptr) continue;
    const auto labelPosition = static_cast<std::size_t>(label - layout.controls.data());
    if (auto* labelWidget = qobject_cast<QLabel*>(inOrder_[labelPosition])) labelWidget->setBuddy(inOrder_[i]);
  }
  // Frames paint beneath the buttons they surround, whatever their position.
  for (QWidget* box : groupBoxes) box->lower();
}

QWidget* DialogControls::Control(int id) const {
  const auto found = byId_.find(id);
  return found != byId_.end() ? found->second : nullptr;
}

}  // namespace brisko
