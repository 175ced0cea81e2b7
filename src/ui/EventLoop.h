// Schedules timer ticks and runs event procedures one at a time. The desktop
// runs it on Qt's loop; tests use ManualLoop with virtual time.
#pragma once

#include <exception>
#include <functional>
#include <vector>

namespace ui {

class Timer;

class EventLoop {
public:
    virtual ~EventLoop() = default;

    // (Re)starts a timer with its Interval: the first tick falls due one
    // Interval from now. Called by Timer; window code never calls it.
    virtual void startTimer(Timer& timer) = 0;
    virtual void stopTimer(Timer& timer) = 0;

    // Runs one event procedure. A tick never runs in the middle of another
    // procedure: ticks that fall due meanwhile (even while a modal box of
    // that procedure waits) are held and delivered once per timer afterwards.
    void dispatch(const std::function<void()>& procedure);
    bool busy() const { return depth_ > 0; }

    // Runs after each outermost procedure: the program discards unloaded windows.
    std::function<void()> idle;
    // Gets an error that escaped an event procedure; without one, it propagates.
    std::function<void(std::exception_ptr)> unhandledError;

protected:
    // The implementation calls this when a timer falls due.
    void deliverTick(Timer& timer);
    // The implementation calls this when a timer stops, so a held tick of it is dropped.
    void forgetHeld(Timer& timer);

private:
    void finishOutermost();
    int depth_ = 0;
    std::vector<Timer*> held_;
};

}  // namespace ui
