// main() of the Qt tests: the offscreen platform unless a display was asked
// for, a private runtime directory, and one known-harmless warning filtered.
#include <cstdlib>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QtMessageHandler previousHandler = nullptr;

void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  // The offscreen platform says this for every dialog with a fixed size.
  if (message.contains(QLatin1String("This plugin does not support propagateSizeHints()"))) return;
  if (previousHandler != nullptr) previousHandler(type, context, message);
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
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
