#include "ui/ManualLoop.h"

#include <algorithm>

#include "ui/Controls.h"

namespace ui {

void ManualLoop::startTimer(Timer& timer) {
    stopTimer(timer);
    entries_.push_back({&timer, now_ + timer.Interval(), timer.Interval(), counter_++});
}

void ManualLoop::stopTimer(Timer& timer) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& e) { return e.timer == &timer; }),
                   entries_.end());
    forgetHeld(timer);
}

ManualLoop::Entry* ManualLoop::earliest(std::int64_t until) {
    Entry* best = nullptr;
    for (Entry& e : entries_) {
        if (e.due > until) continue;
        if (!best || e.due < best->due || (e.due == best->due && e.order < best->order)) best = &e;
    }
    return best;
}

void ManualLoop::advance(std::int64_t ms) {
    const std::int64_t target = now_ + ms;
    while (Entry* e = earliest(target)) {
        now_ = e->due;
        e->due += e->interval;
        Timer& t = *e->timer;  // the tick may start or stop timers
        deliverTick(t);
    }
    now_ = target;
}

bool ManualLoop::step() {
    Entry* e = earliest(INT64_MAX);
    if (!e) return false;
    advance(e->due - now_);
    return true;
}

bool ManualLoop::isRunning(const Timer& timer) const { return nextDue(timer) >= 0; }

std::int64_t ManualLoop::nextDue(const Timer& timer) const {
    for (const Entry& e : entries_)
        if (e.timer == &timer) return e.due;
    return -1;
}

}  // namespace ui
