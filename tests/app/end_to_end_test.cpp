// One run of the tool against brisko-sim over a pseudo-terminal, through the
// machine's real port layer: the restored port opens, the logger identifies
// itself, the user changes the pilot name and presses Set, the simulator
// receives it, the user leaves, and the settings file keeps the port.
#include <fstream>
#include <iterator>
#include <string>

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "app/logger_app.h"
#include "app/settings_file.h"
#include "qt_test_support.h"
#include "ui/control_ids.h"
#include "ui/logger_dialog.h"

namespace brisko {
namespace {

using test::WaitFor;

// brisko-sim on a private ports directory, ended by its process id.
class Simulator {
 public:
  explicit Simulator(const QString& portsDirectory) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("BRISKO_PORTS_DIR"), portsDirectory);
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QStringLiteral(BRISKO_SIM_PATH), {QStringLiteral("--family"), QStringLiteral("800")});
  }
  ~Simulator() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(10000)) process_.kill();
  }

  // Everything it printed so far.
  const QString& Log() {
    log_ += QString::fromLocal8Bit(process_.readAll());
    return log_;
  }
  // The port number of its "brisko-sim: COM<n> -> <device>" line, or 0.
  int PortNumber() {
    const auto match = QRegularExpression(QStringLiteral("brisko-sim: COM(\\d+) -> ")).match(Log());
    return match.hasMatch() ? match.captured(1).toInt() : 0;
  }

 private:
  QProcess process_;
  QString log_;
};

TEST(EndToEndTest, SetReachesTheSimulatorAndTheFileKeepsThePort) {
  test::PrivateWorkingDirectory directory;
  QTemporaryDir portsDirectory;
  ASSERT_TRUE(portsDirectory.isValid());
  const QByteArray previousPorts = qgetenv("BRISKO_PORTS_DIR");
  qputenv("BRISKO_PORTS_DIR", portsDirectory.path().toLocal8Bit());

  Simulator simulator(portsDirectory.path());
  ASSERT_TRUE(WaitFor([&] { return simulator.PortNumber() > 0; })) << simulator.Log().toStdString();
  const std::string port = std::to_string(simulator.PortNumber());
  WriteSettingsFile(port);

  {
    SettingsFile settings;
    CLoggerDlg dialog(settings);
    dialog.OnInitDialog();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(dialog.ControlAs<QLabel>(kIdPortStatus)->text().toStdString(), "COM" + port + " Open Ok");

    auto* serial = dialog.ControlAs<QLabel>(kIdSerialNumber);
    ASSERT_TRUE(WaitFor([&] { return serial->text() == "NT1234"; })) << simulator.Log().toStdString();
    EXPECT_TRUE(dialog.Control(kIdRecordModeGroup)->isVisible()) << "a second-family logger";

    auto* pilot = dialog.ControlAs<QLineEdit>(kIdPilotName);
    ASSERT_TRUE(WaitFor([&] { return !pilot->text().isEmpty(); }));
    pilot->setFocus();
    pilot->selectAll();
    QTest::keyClicks(pilot, "Lea Bianchi");
    dialog.ControlAs<QPushButton>(kIdSet)->click();
    EXPECT_TRUE(WaitFor([&] { return simulator.Log().contains("rx \"$NT805,1,Lea Bianchi\" checksum ok"); }))
        << simulator.Log().toStdString();

    dialog.ControlAs<QPushButton>(kCommandCancel)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.core().IsPortOpen());
  }
  std::ifstream file(kSettingsFileName, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()), port);

  if (previousPorts.isNull()) {
    qunsetenv("BRISKO_PORTS_DIR");
  } else {
    qputenv("BRISKO_PORTS_DIR", previousPorts);
  }
}

}  // namespace
}  // namespace brisko
