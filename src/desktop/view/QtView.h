// The desktop view of a whole program: a FormView for every open window,
// made when the program creates the window and dropped before it is
// destroyed.
#pragma once

#include <QString>
#include <functional>
#include <map>

#include "desktop/view/FormView.h"
#include "ui/Program.h"

namespace desktop {

class QtView {
public:
    // Installs itself as the program's formCreated/formDestroyed. Pictures
    // are looked up in the program's folder.
    explicit QtView(ui::Program& program);
    ~QtView();
    QtView(const QtView&) = delete;
    QtView& operator=(const QtView&) = delete;

    FormView* view(const ui::Form& form) const;

    // Runs after the last open window was destroyed.
    std::function<void()> lastWindowGone;

private:
    void add(ui::Form& form);
    void remove(ui::Form& form);

    ui::Program& program_;
    QString pictureFolder_;
    std::map<const ui::Form*, FormView*> views_;
};

}  // namespace desktop
