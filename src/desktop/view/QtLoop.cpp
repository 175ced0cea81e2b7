#include "desktop/view/QtLoop.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>

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
    since_.start();
    unhandledError = [](std::exception_ptr error) {
        QMessageBox box(QMessageBox::Critical, kAppTitle,
                        qs(errorText(error)), QMessageBox::Ok, QApplication::activeWindow());
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
}

QtLoop::~QtLoop() {
    for (auto& [timer, q] : timers_) delete q;
    for (auto& [interval, beat] : beats_) delete beat.clock;
}

// Short timers (the running arrows) tick on one shared clock per interval:
// each takes the first beat at least one interval after its start, and every
// beat after it. Two arrows then tick in the same pass of the loop and share
// one repaint of the window, which is most of what they cost.
constexpr int kBeatUpToMs = 50;

void QtLoop::startTimer(ui::Timer& timer) {
    const int interval = timer.Interval();
    // Its interval may have changed: it leaves every clock before it joins
    // one, or it would tick on the old one too.
    leaveBeat(timer);
    if (interval > 0 && interval <= kBeatUpToMs) {
        dropTimer(timer);
        Beat& beat = beats_[interval];
        if (!beat.clock) {
            beat.clock = new QTimer;
            beat.clock->setTimerType(Qt::PreciseTimer);
            QObject::connect(beat.clock, &QTimer::timeout, [this, interval] { onBeat(interval); });
            beat.clock->start(interval);
        }
        beat.members.push_back({&timer, since_.elapsed() + interval});
        return;
    }
    QTimer*& q = timers_[&timer];
    if (!q) {
        q = new QTimer;
        q->setTimerType(Qt::PreciseTimer);
        QObject::connect(q, &QTimer::timeout, [this, &timer] { deliverTick(timer); });
    }
    q->start(interval);
}

void QtLoop::onBeat(int interval) {
    // A tick may start or stop timers of this beat, or all of them (a window
    // that unloads stops its timers): work on a copy and deliver only to
    // those still in it. Looking the beat up never makes one.
    const auto beat = beats_.find(interval);
    if (beat == beats_.end()) return;
    const std::vector<Member> now = beat->second.members;
    const qint64 at = since_.elapsed();
    for (const Member& m : now) {
        if (at + 2 < m.due) continue;  // started less than an interval ago
        const auto still = beats_.find(interval);
        if (still == beats_.end()) return;
        auto& members = still->second.members;
        auto it = std::find_if(members.begin(), members.end(),
                               [&](const Member& x) { return x.timer == m.timer; });
        if (it == members.end() || it->due != m.due) continue;
        it->due = at + interval;
        deliverTick(*m.timer);
    }
}

void QtLoop::leaveBeat(ui::Timer& timer) {
    for (auto it = beats_.begin(); it != beats_.end();) {
        std::erase_if(it->second.members, [&](const Member& m) { return m.timer == &timer; });
        if (!it->second.members.empty()) {
            ++it;
            continue;
        }
        // The clock may be the one whose beat is running now.
        it->second.clock->stop();
        it->second.clock->disconnect();
        it->second.clock->deleteLater();
        it = beats_.erase(it);
    }
}

void QtLoop::dropTimer(ui::Timer& timer) {
    auto it = timers_.find(&timer);
    if (it == timers_.end()) return;
    // The timer may be stopped from its own tick: let Qt finish with it first.
    it->second->stop();
    it->second->disconnect();
    it->second->deleteLater();
    timers_.erase(it);
}

void QtLoop::stopTimer(ui::Timer& timer) {
    forgetHeld(timer);
    leaveBeat(timer);
    dropTimer(timer);
}

bool QtLoop::isRunning(const ui::Timer& timer) const {
    for (const auto& [interval, beat] : beats_)
        for (const Member& m : beat.members)
            if (m.timer == &timer) return true;
    auto it = timers_.find(&timer);
    return it != timers_.end() && it->second->isActive();
}

}  // namespace desktop
