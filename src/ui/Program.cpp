#include "ui/Program.h"

#include <algorithm>
#include <cstdlib>

#include "common/MessageBox.h"

namespace ui {

Program::Program(platform::Platform& platform_, EventLoop& loop_, std::string programFolder)
    : platform(platform_), loop(loop_), folder_(std::move(programFolder)) {
    loop.idle = [this] { collect(); };
    // Files the tool must refuse deep inside a read are reported here.
    common::setzeMeldungsziel(&platform.dialogs);
}

Program::~Program() {
    if (common::meldungsziel() == &platform.dialogs) common::setzeMeldungsziel(nullptr);
    loop.idle = nullptr;
    collect();
    while (!open_.empty()) {
        std::unique_ptr<Form> f = std::move(open_.back().form);
        open_.pop_back();
        f->stopTimers();
        if (formDestroyed) formDestroyed(*f);
    }
}

void Program::add(std::type_index type, std::unique_ptr<Form> form) {
    open_.push_back({type, std::move(form)});
    if (formCreated) formCreated(*open_.back().form);
}

Form* Program::findForm(std::type_index type) const {
    for (const Entry& e : open_)
        if (e.type == type) return e.form.get();
    return nullptr;
}

bool Program::unload(Form& form) {
    auto it = std::find_if(open_.begin(), open_.end(),
                           [&](const Entry& e) { return e.form.get() == &form; });
    if (it == open_.end()) return true;  // already unloaded
    int cancel = 0;
    form.Form_Unload(cancel);
    if (cancel != 0) return false;
    // Form_Unload may itself have unloaded other windows: look again.
    it = std::find_if(open_.begin(), open_.end(),
                      [&](const Entry& e) { return e.form.get() == &form; });
    if (it == open_.end()) return true;
    form.stopTimers();
    form.Hide();
    unloaded_.push_back(std::move(it->form));
    open_.erase(it);
    return true;
}

void Program::End() {
    platform.system.End();
    // A System::End that returned would break its promise; never go on.
    std::abort();
}

void Program::collect() {
    while (!unloaded_.empty()) {
        std::unique_ptr<Form> f = std::move(unloaded_.back());
        unloaded_.pop_back();
        if (formDestroyed) formDestroyed(*f);
    }
}

std::vector<Form*> Program::forms() const {
    std::vector<Form*> result;
    for (const Entry& e : open_) result.push_back(e.form.get());
    return result;
}

}  // namespace ui
