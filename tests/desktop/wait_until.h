// Other processes and the X server take real time: the desktop tests wait
// for them with a deadline while Qt's loop runs, never a fixed time.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace desktop_test {

// Runs Qt's loop until `done` holds; false when `deadlineMs` passed first.
inline bool waitUntil(const std::function<bool()>& done, int deadlineMs = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > deadlineMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    return true;
}

}  // namespace desktop_test
