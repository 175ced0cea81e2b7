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
}

Form::~Form() = default;

EventLoop& Form::loop() const { return program_.loop; }

void Form::userClose() { program_.unload(*this); }

void Form::stopTimers() { stopTimersBelow(*this); }

}  // namespace ui
