#include "desktop/view/QtView.h"

#include "desktop/view/Convert.h"

namespace desktop {

QtView::QtView(ui::Program& program) : program_(program), pictureFolder_(qs(program.Path())) {
    program_.formCreated = [this](ui::Form& f) { add(f); };
    program_.formDestroyed = [this](ui::Form& f) { remove(f); };
    program_.formActivated = [this](ui::Form& f) {
        if (FormView* v = view(f)) v->activate();
    };
    for (ui::Form* f : program_.forms()) add(*f);
}

QtView::~QtView() {
    program_.formCreated = nullptr;
    program_.formDestroyed = nullptr;
    program_.formActivated = nullptr;
    for (auto& [form, view] : views_) delete view;
}

FormView* QtView::view(const ui::Form& form) const {
    auto it = views_.find(&form);
    return it == views_.end() ? nullptr : it->second;
}

void QtView::add(ui::Form& form) { views_[&form] = new FormView(form, pictureFolder_); }

void QtView::remove(ui::Form& form) {
    auto it = views_.find(&form);
    if (it == views_.end()) return;
    it->second->detach();  // deletes itself once Qt is done with its widgets
    views_.erase(it);
    if (views_.empty() && program_.forms().empty() && lastWindowGone) lastWindowGone();
}

}  // namespace desktop
