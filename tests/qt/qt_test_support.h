// Helpers for the dialog tests: a private working directory per test (the
// settings file lives in the current one), waiting for a condition while the
// event loop runs, and answering the next modal box from a timer.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <utility>

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "tests/support/wait_until.h"

namespace brisko::test {

// Changes into a fresh temporary directory and back again; the directory and
// what the test left in it are removed.
class PrivateWorkingDirectory {
 public:
  PrivateWorkingDirectory() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
  ~PrivateWorkingDirectory() { QDir::setCurrent(previous_); }
  PrivateWorkingDirectory(const PrivateWorkingDirectory&) = delete;
  PrivateWorkingDirectory& operator=(const PrivateWorkingDirectory&) = delete;

  QString path() const { return dir_.path(); }
  std::string FilePath(const char* name) const { return (dir_.path() + QLatin1Char('/') + QLatin1String(name)).toStdString(); }

 private:
  QTemporaryDir dir_;
  QString previous_;
};

// One round of the event loop.
inline void ProcessEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); }

// The bounded wait, running the event loop meanwhile.
inline bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline = kGenerousWait) {
  return WaitUntil(condition, deadline, ProcessEvents);
}

// Answers the next modal window once it is up, recording what it showed.
// Create it before the call that opens the window; it stops looking when it
// goes out of scope, so it never answers a later test's window.
class ModalAnswerer {
 public:
  explicit ModalAnswerer(std::function<void(QWidget&)> answer) : answer_(std::move(answer)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || !modal->isVisible()) return;
      timer_.stop();
      answered_ = true;
      className_ = QString::fromLatin1(modal->metaObject()->className());
      title_ = modal->windowTitle();
      if (auto* box = qobject_cast<QMessageBox*>(modal)) text_ = box->text();
      answer_(*modal);
    });
    timer_.start();
  }

  bool answered() const { return answered_; }
  const QString& className() const { return className_; }
  const QString& title() const { return title_; }
  const QString& text() const { return text_; }  // a message box's text

 private:
  std::function<void(QWidget&)> answer_;
  QTimer timer_;
  bool answered_ = false;
  QString className_;
  QString title_;
  QString text_;
};

// Presses one of a message box's standard buttons; any other modal dialog is
// rejected, so that a test that meets the wrong window fails instead of hanging.
inline std::function<void(QWidget&)> Press(QMessageBox::StandardButton which) {
  return [which](QWidget& modal) {
    auto* box = qobject_cast<QMessageBox*>(&modal);
    if (box != nullptr && box->button(which) != nullptr) {
      box->button(which)->click();
    } else if (auto* dialog = qobject_cast<QDialog*>(&modal)) {
      dialog->reject();
    }
  };
}

}  // namespace brisko::test
