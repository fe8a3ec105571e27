// Helpers of the window tests: waiting for the event loop to reach a state.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace cbx::ui::test {

// Runs the event loop until `done` holds or `ms` pass; whether it held.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

}  // namespace cbx::ui::test
