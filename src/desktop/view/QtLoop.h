// The event loop behind ui::Timer on Qt's own loop: one QTimer per running
// timer. Ticks go through EventLoop, which holds them while a procedure runs,
// also while a modal box of that procedure spins a nested Qt loop.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <map>
#include <vector>

#include "ui/EventLoop.h"

class QTimer;

namespace desktop {

class QtLoop : public ui::EventLoop {
public:
    // Shows an error that escaped an event procedure in a message box, so
    // the tool never dies of one.
    QtLoop();
    ~QtLoop() override;

    void startTimer(ui::Timer& timer) override;
    void stopTimer(ui::Timer& timer) override;
    bool isRunning(const ui::Timer& timer) const;

private:
    struct Member {
        ui::Timer* timer;
        qint64 due;  // ms since the loop's start: its next tick, not before
    };
    struct Beat {
        QTimer* clock = nullptr;
        std::vector<Member> members;
    };
    void onBeat(int interval);
    void leaveBeat(ui::Timer& timer);
    void dropTimer(ui::Timer& timer);

    std::map<const ui::Timer*, QTimer*> timers_;
    std::map<int, Beat> beats_;  // short timers, by interval
    QElapsedTimer since_;
};

// The text of an error that escaped a procedure, as the message box shows it.
std::string errorText(std::exception_ptr error);

}  // namespace desktop
