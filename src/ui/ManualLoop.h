// An event loop with virtual time, for tests: advance(ms) delivers every tick
// that falls due in that span, in time order.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/EventLoop.h"

namespace ui {

class ManualLoop : public EventLoop {
public:
    void startTimer(Timer& timer) override;
    void stopTimer(Timer& timer) override;

    std::int64_t now() const { return now_; }
    void advance(std::int64_t ms);
    // Advances to the next due tick, if any, and delivers it. False when no
    // timer runs.
    bool step();
    bool isRunning(const Timer& timer) const;
    // Virtual time of the timer's next tick, -1 when it does not run.
    std::int64_t nextDue(const Timer& timer) const;

private:
    struct Entry {
        Timer* timer;
        std::int64_t due;
        std::int64_t interval;
        std::uint64_t order;
    };
    Entry* earliest(std::int64_t until);
    std::vector<Entry> entries_;
    std::int64_t now_ = 0;
    std::uint64_t counter_ = 0;
};

}  // namespace ui
