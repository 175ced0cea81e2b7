#include "ui/EventLoop.h"

#include <algorithm>

#include "ui/Control.h"
#include "ui/Controls.h"

namespace ui {

void EventLoop::dispatch(const std::function<void()>& procedure) {
    ++depth_;
    try {
        procedure();
    } catch (const ProgramEnded&) {
        --depth_;
        throw;
    } catch (...) {
        if (!unhandledError) {
            --depth_;
            throw;
        }
        // The error's message box is still part of the failed procedure:
        // no tick may type into a server while it waits.
        try {
            unhandledError(std::current_exception());
        } catch (...) {
            --depth_;
            throw;
        }
        --depth_;
        if (depth_ > 0) return;
        finishOutermost();
        return;
    }
    --depth_;
    if (depth_ > 0) return;
    finishOutermost();
}

void EventLoop::finishOutermost() {
    if (idle) idle();
    // Ticks that fell due while the procedure ran, once per timer.
    while (depth_ == 0 && !held_.empty()) {
        Timer* t = held_.front();
        held_.erase(held_.begin());
        dispatch([t] { t->fire(); });
    }
}

void EventLoop::deliverTick(Timer& timer) {
    if (depth_ > 0) {
        if (std::find(held_.begin(), held_.end(), &timer) == held_.end()) held_.push_back(&timer);
        return;
    }
    dispatch([&timer] { timer.fire(); });
}

void EventLoop::forgetHeld(Timer& timer) {
    held_.erase(std::remove(held_.begin(), held_.end(), &timer), held_.end());
}

}  // namespace ui
