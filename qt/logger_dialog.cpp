#include "qt/logger_dialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>

#include "link/port_names.h"
#include "link/decimal.h"
#include "qt/about_dialog.h"
#include "dialog/application_name.h"
#include "dialog/control_ids.h"
#include "qt/delete_flight_dialog.h"
#include "qt/sentence_event.h"

namespace brisko {

namespace {

constexpr int kEditIds[] = {kIdPilotName, kIdCompetitionClass, kIdCompetitionId, kIdGliderType, kIdGliderId};


}  // namespace

CLoggerDlg::CLoggerDlg(SettingsStore& settings, QWidget* parent) : CLoggerDlg(settings, nullptr, nullptr, parent) {}

CLoggerDlg::CLoggerDlg(SettingsStore& settings, PortSystem& ports, LinkClock& clock, QWidget* parent)
    : CLoggerDlg(settings, &ports, &clock, parent) {}

CLoggerDlg::CLoggerDlg(SettingsStore& settings, PortSystem* ports, LinkClock* clock, QWidget* parent)
    : TemplateDialog(MainDialogTemplate(), parent),
      settings_(settings),
      core_(MakeCore(*this, ports, clock)),
      exchange_(core_.record(), controls(), [this](const QString& message) { ShowLimitMessage(message); }) {
  setObjectName(QStringLiteral("CLoggerDlg"));
  RestorePortNumber();
  ConnectControls();
}

LoggerCore CLoggerDlg::MakeCore(CLoggerDlg& dialog, PortSystem* ports, LinkClock* clock) {
  if (ports != nullptr && clock != nullptr) return LoggerCore(dialog, dialog, *ports, *clock);
  return LoggerCore(dialog, dialog);
}

void CLoggerDlg::RestorePortNumber() { record().portNumber = settings_.ReadPortNumber(); }

void CLoggerDlg::StorePortNumber() { settings_.WritePortNumber(record().portNumber); }

void CLoggerDlg::ConnectControls() {
  for (int id : kEditIds) {
    connect(ControlAs<QLineEdit>(id), &QLineEdit::textChanged, this, [this] { OnFieldChanged(); });
  }
  for (int firstId : {kIdFixRate1, kIdRecordModeNo}) {
    for (QRadioButton* button : controls().RadioGroupOf(firstId)->buttons) {
      connect(button, &QAbstractButton::clicked, this, [this] { OnFieldChanged(); });
    }
  }
  connect(ControlAs<QAbstractButton>(kIdSet), &QAbstractButton::clicked, this, [this] { core_.OnSet(); });
  connect(ControlAs<QAbstractButton>(kIdDeleteAllFlights), &QAbstractButton::clicked, this,
          [this] { core_.OnDeleteAllFlights(); });
  // activated, not currentIndexChanged: only the user's choice reopens, and
  // choosing the entry already shown tries that port again.
  connect(ControlAs<QComboBox>(kIdPortList), &QComboBox::activated, this, [this] { OnPortSelChange(); });
  connect(&staleTimer_, &QTimer::timeout, this, [this] { core_.OnTimer(); });
}

void CLoggerDlg::ShowLimitMessage(const QString& message) {
  MessageBox(message, QString::fromLatin1(kApplicationName), MessageBoxKind::Warning);
}

CLoggerDlg::~CLoggerDlg() {
  // A window destroyed without ending the dialog still shuts the link down
  // and keeps the port.
  if (initialised_) OnDestroy();
}

int CLoggerDlg::DoModal() {
  OnInitDialog();
  return exec();
}

bool CLoggerDlg::OnInitDialog() {
  RefreshControls();  // the port list is still empty: nothing is selected yet
  FillPortList(core_.EnumeratePorts());
  core_.OpenPort(LeadingInt(record().portNumber));  // ends with a refresh that selects the entry
  staleTimer_.start(kStaleTimerMs);
  ShowRecordControls(Visibility::Hidden);  // until the logger turns out to be of the second family
  if (QWidget* first = FirstTabStop()) first->setFocus();
  initialised_ = true;
  return true;
}

void CLoggerDlg::FillPortList(const std::vector<int>& portNumbers) {
  auto* list = ControlAs<QComboBox>(kIdPortList);
  for (int number : portNumbers) {
    list->addItem(QString::number(number));
    list->setItemData(list->count() - 1, QString::fromStdString(DevicePathForPort(number)), Qt::ToolTipRole);
  }
  // A filled list selects nothing by itself: the refresh picks the entry of
  // the port number, and a number without an entry leaves it unselected.
  list->setCurrentIndex(-1);
}

void CLoggerDlg::RefreshControls() {
  exchange_.Refresh();
  Control(kIdPortStatus)->setToolTip(QString::fromStdString(core_.portStatusDetail()));
}

bool CLoggerDlg::ReadBackControls() { return exchange_.ReadBack(); }

void CLoggerDlg::ShowRecordControls(Visibility visibility) {
  for (int id : RecordModeControlIds()) Control(id)->setVisible(visibility == Visibility::Shown);
}

void CLoggerDlg::EnablePortControls(bool enable) {
  for (int id : PortDependentControlIds()) Control(id)->setEnabled(enable);
}

std::int64_t CLoggerDlg::CurrentTime() { return QDateTime::currentSecsSinceEpoch(); }

MessageBoxAnswer CLoggerDlg::ShowMessageBox(const std::string& text, const std::string& caption,
                                            MessageBoxKind kind) {
  return MessageBox(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())),
                    QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size())), kind);
}

MessageBoxAnswer CLoggerDlg::MessageBox(const QString& text, const QString& caption, MessageBoxKind kind) {
  const bool question = kind == MessageBoxKind::Question;
  QMessageBox box(question ? QMessageBox::Question : QMessageBox::Warning, caption, text,
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, this);
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

void CLoggerDlg::RegainFocus() {
  // Without a window manager nobody hands the keyboard back to the dialog
  // when a box over it closes.
  if (isVisible()) activateWindow();
}

void CLoggerDlg::RunDeleteFlightDialog() {
  CDeleteFlightDlg dialog(this);
  dialog.exec();
  RegainFocus();
}

void CLoggerDlg::PostSentence(std::uint32_t run, std::uint32_t sequenceNumber, int slotIndex) {
  QCoreApplication::postEvent(this, new SentenceEvent(run, sequenceNumber, slotIndex));
}

void CLoggerDlg::PostPortLost(std::uint32_t run) { QCoreApplication::postEvent(this, new PortLostEvent(run)); }

bool CLoggerDlg::event(QEvent* event) {
  if (event->type() == SentenceEventType()) {
    const auto* sentence = static_cast<const SentenceEvent*>(event);
    if (!destroyed_) core_.OnSentence(sentence->run(), sentence->sequenceNumber(), sentence->slotIndex());
    return true;
  }
  if (event->type() == PortLostEventType()) {
    if (!destroyed_) core_.OnPortLost(static_cast<const PortLostEvent*>(event)->run());
    return true;
  }
  return TemplateDialog::event(event);
}

void CLoggerDlg::contextMenuEvent(QContextMenuEvent* event) {
  // The window manager owns the system menu here, so the About entry lives
  // in the dialog's own context menu.
  QMenu menu(this);
  QAction* about = menu.addAction(QString::fromLatin1(kAboutEntryText));
  if (menu.exec(event->globalPos()) == about) OnSysCommand(kIdmAboutBox);
}

void CLoggerDlg::OnSysCommand(int commandId) {
  if ((commandId & 0xFFF0) != kIdmAboutBox) return;
  CAboutDlg about(this);
  about.exec();
  RegainFocus();
}

void CLoggerDlg::OnFieldChanged() {
  if (exchange_.InProgress()) return;
  // The result does not matter here: the length message has told the user.
  ReadBackControls();
}

void CLoggerDlg::OnPortSelChange() {
  if (exchange_.InProgress()) return;
  core_.OnPortSelChange();
}

void CLoggerDlg::OnOK() {
  if (ReadBackControls()) accept();
}

void CLoggerDlg::done(int result) {
  TemplateDialog::done(result);
  OnDestroy();
}

void CLoggerDlg::OnDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  staleTimer_.stop();
  // The window is already hidden: the drain may take its time, and every
  // command queued before the end still reaches the logger.
  if (core_.IsPortOpen()) core_.ExitDrain();
  StorePortNumber();
}

}  // namespace brisko
