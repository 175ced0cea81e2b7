#include "desktop/view/QtLoop.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "desktop/view/Convert.h"
#include "ui/Controls.h"

namespace desktop {

std::string errorText(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const ui::RuntimeError& e) {
        return "Laufzeitfehler " + std::to_string(e.Number) + ":\n\n" + e.what();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unbekannter Fehler";
    }
}

QtLoop::QtLoop() {
    unhandledError = [](std::exception_ptr error) {
        QMessageBox box(QMessageBox::Critical, kAppTitle,
                        qs(errorText(error)), QMessageBox::Ok, QApplication::activeWindow());
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
}

QtLoop::~QtLoop() {
    for (auto& [timer, q] : timers_) delete q;
}

void QtLoop::startTimer(ui::Timer& timer) {
    QTimer*& q = timers_[&timer];
    if (!q) {
        q = new QTimer;
        q->setTimerType(Qt::PreciseTimer);
        QObject::connect(q, &QTimer::timeout, [this, &timer] { deliverTick(timer); });
    }
    q->start(timer.Interval());
}

void QtLoop::stopTimer(ui::Timer& timer) {
    forgetHeld(timer);
    auto it = timers_.find(&timer);
    if (it == timers_.end()) return;
    // The timer may be stopped from its own tick: let Qt finish with it first.
    it->second->stop();
    it->second->disconnect();
    it->second->deleteLater();
    timers_.erase(it);
}

bool QtLoop::isRunning(const ui::Timer& timer) const {
    auto it = timers_.find(&timer);
    return it != timers_.end() && it->second->isActive();
}

}  // namespace desktop
