#include "ui/Form.h"

#include "ui/Program.h"

namespace ui {

namespace {
void stopTimersBelow(Control& c) {
    for (Control* child : c.Children()) {
        if (child->kind() == Kind::Timer) child->Enabled = false;
        stopTimersBelow(*child);
    }
}
}  // namespace

Form::Form(Program& program, std::string name)
    : Control(nullptr, std::move(name), Kind::Form), program_(program) {
    Visible.assignQuietly(false);
    BackColor.assignQuietly(kButtonFace);
    Visible.onChange = [this](const bool&) {
        if (!Visible() || shownOnce_) return;
        shownOnce_ = true;
        Form_Resize();
    };
}

Form::~Form() = default;

EventLoop& Form::loop() const { return program_.loop; }

void Form::userClose() { program_.unload(*this); }

void Form::userResize(int width, int height) {
    if (width == Width() && height == Height()) return;
    Width = width;
    Height = height;
    Form_Resize();
}

void Form::stopTimers() { stopTimersBelow(*this); }

}  // namespace ui
