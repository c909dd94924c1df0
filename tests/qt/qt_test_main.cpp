// main() of the Qt tests: the offscreen platform unless a display was asked
// for, a private runtime directory, one known-harmless warning filtered, and a
// watchdog that fails the running test and closes a modal window nobody
// answers, so that a test waiting in a message box ends instead of hanging.
#include <cstdlib>

#include <QApplication>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QtMessageHandler previousHandler = nullptr;

void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  // The offscreen platform says this for every dialog with a fixed size.
  if (message.contains(QLatin1String("This plugin does not support propagateSizeHints()"))) return;
  if (previousHandler != nullptr) previousHandler(type, context, message);
}

// Tests answer their modal windows within milliseconds; one still up after
// this long was not expected by the test.
constexpr int kUnansweredModalMs = 10000;

void WatchForUnansweredModals(QTimer& timer) {
  static QPointer<QWidget> watched;
  static QDeadlineTimer deadline;
  QObject::connect(&timer, &QTimer::timeout, [] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != watched) {
      watched = modal;
      deadline.setRemainingTime(kUnansweredModalMs);
      return;
    }
    if (modal == nullptr || !deadline.hasExpired()) return;
    ADD_FAILURE() << "the modal window \"" << modal->windowTitle().toStdString() << "\" ("
                  << modal->metaObject()->className() << ") was still open after " << kUnansweredModalMs
                  << " ms; closing it";
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    } else {
      modal->close();
    }
    watched = nullptr;
  });
  timer.start(250);
}

}  // namespace

int main(int argc, char** argv) {
  // gtest_discover_tests runs the binary without the test's environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir runtimeDir;
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
    QFile::setPermissions(runtimeDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
  }
  previousHandler = qInstallMessageHandler(FilterMessages);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("brisko"));
  QTimer modalWatchdog;
  WatchForUnansweredModals(modalWatchdog);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
