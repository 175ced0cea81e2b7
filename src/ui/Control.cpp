#include "ui/Control.h"

#include <algorithm>

#include "ui/Form.h"
#include "ui/Program.h"

namespace ui {

void notifyOwner(Control& owner, const char* property) { owner.notify(property); }

Control::Control(Control* parent, std::string name, Kind kind)
    : parent_(parent), name_(std::move(name)), kind_(kind) {
    if (parent_) parent_->children_.push_back(this);
}

Control::~Control() {
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

Form& Control::form() const {
    const Control* c = this;
    while (c->kind_ != Kind::Form && c->parent_) c = c->parent_;
    return static_cast<Form&>(const_cast<Control&>(*c));
}

void Control::Move(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
}

bool Control::EffectiveEnabled() const {
    for (const Control* c = this; c; c = c->parent_) {
        if (!c->Enabled()) return false;
        if (c->kind_ == Kind::Form) break;
    }
    return true;
}

bool Control::EffectiveVisible() const {
    // The window's own visibility is the window's business; inside it a
    // hidden frame hides its children.
    for (const Control* c = this; c && c->kind_ != Kind::Form; c = c->parent_) {
        if (!c->Visible()) return false;
    }
    return true;
}

// Focus given to a control of a window that is not in front brings that
// window to the front: otherwise the next keys the user types would still go
// to whatever window is in front (after a console command, the server's).
void Control::SetFocus() {
    Form& f = form();
    f.program().activate(f);
    notify("Focus");
}

void Control::notify(const char* property) {
    Form& f = form();
    if (Observer* o = f.observer()) o->propertyChanged(*this, property);
}

}  // namespace ui
