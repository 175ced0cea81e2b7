// Owns the platform services, the event loop, the program folder and the
// open windows. Opening a window that is open does nothing; opening a closed
// one creates it from its design values and runs its load.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

#include "platform/Platform.h"
#include "ui/EventLoop.h"
#include "ui/Form.h"

namespace ui {

class Program {
public:
    Program(platform::Platform& platform, EventLoop& loop, std::string programFolder);
    ~Program();

    platform::Platform& platform;
    EventLoop& loop;
    // The program's own folder (where its settings files live).
    const std::string& Path() const { return folder_; }

    // Loads the window if it is not open (its Form_Load runs to its end
    // inside this call) and returns it. The window shows itself, if it does,
    // from its load.
    template <class W>
    W& load() {
        if (W* open = find<W>()) return *open;
        auto window = std::make_unique<W>(*this);
        W& ref = *window;
        add(std::type_index(typeid(W)), std::move(window));
        ref.Form_Load();
        return ref;
    }

    template <class W>
    W* find() const {
        return static_cast<W*>(findForm(std::type_index(typeid(W))));
    }

    // Runs the window's Form_Unload; unless it cancels, hides the window,
    // stops its timers and discards it once the running procedure has
    // returned. False when the window stays open.
    bool unload(Form& form);
    template <class W>
    bool unload() {
        W* w = find<W>();
        return w ? unload(*w) : true;
    }

    // Ends the program at once; no unload procedure runs.
    [[noreturn]] void End();

    // Discards the windows unloaded so far. Runs by itself after every
    // outermost event procedure.
    void collect();

    // The open windows, in the order they were loaded.
    std::vector<Form*> forms() const;

    // Brings the window to the front with the keyboard focus, unless it is
    // there: SetFocus on any of its controls does this first.
    void activate(Form& form) {
        if (formActivated) formActivated(form);
    }

    // Told of every window created and before one is destroyed: the view.
    std::function<void(Form&)> formCreated;
    std::function<void(Form&)> formDestroyed;
    // Told when a window is to come to the front: the view, or a test's
    // record of the active window.
    std::function<void(Form&)> formActivated;

private:
    void add(std::type_index type, std::unique_ptr<Form> form);
    Form* findForm(std::type_index type) const;

    struct Entry {
        std::type_index type;
        std::unique_ptr<Form> form;
    };
    std::string folder_;
    std::vector<Entry> open_;
    std::vector<std::unique_ptr<Form>> unloaded_;
};

}  // namespace ui
