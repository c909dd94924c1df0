#include "qt/qt_main_dialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"
#include "qt/about_dialog.h"
#include "qt/delete_flight_dialog.h"
#include "qt/field_validator.h"
#include "qt/sentence_event.h"

namespace brisko {

QtMainDialog::QtMainDialog(SettingsStore& settings, const Platform& platform, QWidget* parent)
    : TemplateDialog(MainDialogTemplate(), parent), dialog_(*this, settings, platform) {
  ConnectControls();
}

QtMainDialog::~QtMainDialog() {
  // A window destroyed without ending the dialog still shuts the link down
  // and keeps the port, while the widgets are still there.
  dialog_.OnDestroy();
}

void QtMainDialog::ConnectControls() {
  setObjectName(QStringLiteral("QtMainDialog"));
  for (const ControlTemplate& control : MainDialogTemplate().controls) {
    const int id = control.id;
    if (id == kCommandCancel) continue;  // the template dialog makes it reject()
    if (auto* edit = ControlAs<QLineEdit>(id)) {
      connect(edit, &QLineEdit::textChanged, this, [this, id] { dialog_.OnCommand(id); });
    } else if (auto* button = ControlAs<QAbstractButton>(id)) {
      connect(button, &QAbstractButton::clicked, this, [this, id] { dialog_.OnCommand(id); });
    } else if (auto* list = ControlAs<QComboBox>(id)) {
      // activated, not currentIndexChanged: only the user's choice reopens,
      // and choosing the entry already shown tries that port again.
      connect(list, &QComboBox::activated, this, [this, id] { dialog_.OnCommand(id); });
    }
  }
  connect(&timer_, &QTimer::timeout, this, [this] { dialog_.OnTimer(); });
}

int QtMainDialog::DoModal() {
  OnInitDialog();
  return exec();
}

void QtMainDialog::OnInitDialog() { dialog_.OnInitDialog(); }

std::string QtMainDialog::Text(int id) const {
  if (auto* edit = ControlAs<QLineEdit>(id)) return edit->text().toStdString();
  if (auto* label = ControlAs<QLabel>(id)) return label->text().toStdString();
  return std::string();
}

void QtMainDialog::SetText(int id, const std::string& text) {
  if (auto* edit = ControlAs<QLineEdit>(id)) {
    ShowFieldText(*edit, QString::fromStdString(text));
  } else if (auto* label = ControlAs<QLabel>(id)) {
    label->setText(QString::fromStdString(text));
  }
}

bool QtMainDialog::Checked(int id) const {
  const auto* button = ControlAs<QAbstractButton>(id);
  return button != nullptr && button->isChecked();
}

void QtMainDialog::SetChecked(int id, bool checked) {
  auto* button = ControlAs<QAbstractButton>(id);
  if (button == nullptr) return;
  QButtonGroup* group = button->group();
  // An exclusive group refuses to uncheck its last checked button.
  const bool exclusive = group != nullptr && group->exclusive();
  if (!checked && exclusive) group->setExclusive(false);
  button->setChecked(checked);
  if (!checked && exclusive) group->setExclusive(true);
}

void QtMainDialog::SetEnabled(int id, bool enabled) {
  if (QWidget* control = Control(id)) control->setEnabled(enabled);
}

void QtMainDialog::SetShown(int id, bool shown) {
  if (QWidget* control = Control(id)) control->setVisible(shown);
}

void QtMainDialog::SetLengthLimit(int id, int limit) {
  if (QWidget* control = Control(id)) {
    if (auto* validator = control->findChild<FieldTextValidator*>()) validator->setLimit(limit);
  }
}

void QtMainDialog::SetToolTip(int id, const std::string& tip) {
  if (QWidget* control = Control(id)) control->setToolTip(QString::fromStdString(tip));
}

void QtMainDialog::InsertListEntry(int id, int index, const std::string& text, const std::string& tip) {
  auto* list = ControlAs<QComboBox>(id);
  if (list == nullptr) return;
  list->insertItem(index, QString::fromStdString(text));
  list->setItemData(index, QString::fromStdString(tip), Qt::ToolTipRole);
}

void QtMainDialog::RemoveListEntry(int id, int index) {
  if (auto* list = ControlAs<QComboBox>(id)) list->removeItem(index);
}

int QtMainDialog::ListCount(int id) const {
  const auto* list = ControlAs<QComboBox>(id);
  return list != nullptr ? list->count() : 0;
}

std::string QtMainDialog::ListEntry(int id, int index) const {
  const auto* list = ControlAs<QComboBox>(id);
  return list != nullptr ? list->itemText(index).toStdString() : std::string();
}

int QtMainDialog::ListSelection(int id) const {
  const auto* list = ControlAs<QComboBox>(id);
  return list != nullptr ? list->currentIndex() : -1;
}

void QtMainDialog::SetListSelection(int id, int index) {
  if (auto* list = ControlAs<QComboBox>(id)) list->setCurrentIndex(index);
}

int QtMainDialog::FocusedControl() const {
  const QWidget* focused = focusWidget();
  for (const ControlTemplate& control : MainDialogTemplate().controls) {
    if (control.id >= 0 && focused != nullptr && Control(control.id) == focused) return control.id;
  }
  return 0;
}

void QtMainDialog::Focus(int id) {
  if (id == kNoControl) {
    setFocus();  // a QDialog ignores characters; Enter and Escape still reach it
  } else if (QWidget* control = Control(id)) {
    control->setFocus();
  }
}

void QtMainDialog::FocusAndSelectAll(int id) {
  Focus(id);
  if (auto* edit = ControlAs<QLineEdit>(id)) edit->selectAll();
}

MessageBoxAnswer QtMainDialog::ShowMessageBox(const std::string& text, const std::string& caption,
                                            MessageBoxKind kind) {
  const bool question = kind == MessageBoxKind::Question;
  QMessageBox box(question ? QMessageBox::Question : QMessageBox::Warning, QString::fromStdString(caption),
                  QString::fromStdString(text), question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, this);
  // Once it shows, the box takes the keyboard, with or without a window manager.
  QTimer::singleShot(0, &box, [&box] { box.activateWindow(); });
  const int answer = box.exec();
  RegainFocus();
  switch (answer) {
    case QMessageBox::Yes: return MessageBoxAnswer::Yes;
    case QMessageBox::No: return MessageBoxAnswer::No;
    default: return MessageBoxAnswer::Ok;
  }
}

void QtMainDialog::RunChildDialog(ChildDialog which) {
  if (which == ChildDialog::About) {
    QtAboutDialog about(this);
    about.exec();
  } else {
    QtDeleteFlightDialog deleteFlight(this);
    deleteFlight.exec();
  }
  RegainFocus();
}

std::string QtMainDialog::AskFileName(FileAccess access, const std::string& title,
                                      const std::vector<FileType>& types) {
  const bool save = access == FileAccess::Save;
  QFileDialog chooser(this, QString::fromStdString(title));
  chooser.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  chooser.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  QStringList filters;
  for (const FileType& type : types) {
    filters << QString::fromUtf8(type.name) + QStringLiteral(" (") + QString::fromUtf8(type.patterns) +
                   QStringLiteral(")");
  }
  chooser.setNameFilters(filters);
  // "*.json" gives a name typed without an extension ".json".
  if (save && !types.empty()) chooser.setDefaultSuffix(QString::fromUtf8(types.front().patterns).section('.', 1));
  const bool chosen = chooser.exec() == QDialog::Accepted && !chooser.selectedFiles().isEmpty();
  RegainFocus();
  return chosen ? chooser.selectedFiles().constFirst().toUtf8().toStdString() : std::string();
}

void QtMainDialog::SetMenuEntryChecked(MenuCommand command, bool checked) {
  if (checked) {
    checkedEntries_.insert(command);
  } else {
    checkedEntries_.erase(command);
  }
}

void QtMainDialog::CopyToClipboard(const std::string& text) {
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

CodePage QtMainDialog::TextCodePage() const { return kQtTextCodePage; }

void QtMainDialog::RegainFocus() {
  // Without a window manager nobody hands the keyboard back to the dialog
  // when a box over it closes.
  if (isVisible()) activateWindow();
}

void QtMainDialog::StartTimer(int milliseconds) { timer_.start(milliseconds); }

void QtMainDialog::StopTimer() { timer_.stop(); }

void QtMainDialog::PostSentenceToDialog(SentenceNotice notice) {
  QCoreApplication::postEvent(this, new SentenceEvent(notice));
}

void QtMainDialog::PostPortLostToDialog(std::uint32_t run) {
  QCoreApplication::postEvent(this, new PortLostEvent(run));
}

void QtMainDialog::HideWindow() { hide(); }

void QtMainDialog::EndDialog(DialogResult result) { done(result == DialogResult::Ok ? Accepted : Rejected); }

void QtMainDialog::PostPortProbedToDialog(int portNumber, bool openable) {
  QCoreApplication::postEvent(this, new PortProbedEvent(portNumber, openable));
}

bool QtMainDialog::event(QEvent* event) {
  if (event->type() == SentenceEventType()) {
    dialog_.OnSentenceArrived(static_cast<const SentenceEvent*>(event)->notice());
    return true;
  }
  if (event->type() == PortProbedEventType()) {
    const auto* probed = static_cast<const PortProbedEvent*>(event);
    dialog_.OnPortProbedArrived(probed->portNumber(), probed->openable());
    return true;
  }
  if (event->type() == PortLostEventType()) {
    dialog_.OnPortLostArrived(static_cast<const PortLostEvent*>(event)->run());
    return true;
  }
  return TemplateDialog::event(event);
}

void QtMainDialog::contextMenuEvent(QContextMenuEvent* event) {
  // The window manager owns the system menu here, so the About entry lives
  // in the dialog's own context menu.
  QMenu menu(this);
  for (const MenuEntry& entry : kMenuEntries) {
    QAction* action = menu.addAction(QString::fromUtf8(entry.text));
    if (checkedEntries_.count(entry.command) != 0) {
      action->setCheckable(true);
      action->setChecked(true);
    }
    connect(action, &QAction::triggered, this, [this, command = entry.command] { dialog_.OnMenuCommand(command); });
  }
  menu.exec(event->globalPos());
}

void QtMainDialog::OnOK() { dialog_.OnOK(); }

void QtMainDialog::reject() { dialog_.OnCancel(); }

void QtMainDialog::done(int result) {
  TemplateDialog::done(result);
  dialog_.OnDestroy();
}

}  // namespace brisko
