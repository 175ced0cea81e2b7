// A control property: a value that tells its control when it changes, so the
// control can raise its events and the view can follow.
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace ui {

class Control;

// Lets Property notify its owner without knowing the Control class.
void notifyOwner(Control& owner, const char* property);

template <class T>
class Property {
public:
    // Runs after a change of value, with the old value.
    using Hook = std::function<void(const T& old)>;

    Property(Control& owner, const char* name, T initial = T{})
        : owner_(owner), name_(name), value_(std::move(initial)) {}
    Property(const Property&) = delete;

    Property& operator=(const T& v) {
        set(v);
        return *this;
    }
    Property& operator=(const Property& other) {
        set(other.value_);
        return *this;
    }

    operator const T&() const { return value_; }
    const T& operator()() const { return value_; }
    const T& get() const { return value_; }
    const char* name() const { return name_; }

    // Stores a new value. Only a real change notifies and runs the hook.
    void set(const T& v) {
        if (value_ == v) return;
        T old = std::move(value_);
        value_ = v;
        notifyOwner(owner_, name_);
        if (onChange) onChange(old);
    }

    // Stores a value and notifies the view but runs no hook: for a control's
    // own bookkeeping (e.g. the other option buttons being cleared).
    void assignQuietly(const T& v) {
        if (value_ == v) return;
        value_ = v;
        notifyOwner(owner_, name_);
    }

    Hook onChange;

    friend bool operator==(const Property& a, const T& b) { return a.value_ == b; }
    friend bool operator!=(const Property& a, const T& b) { return !(a.value_ == b); }

private:
    Control& owner_;
    const char* name_;
    T value_;
};

}  // namespace ui
