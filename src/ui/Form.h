// A window. Window classes derive from it, hold their controls as members and
// wire the controls' events to their procedures in the constructor.
#pragma once

#include <string>

#include "ui/Control.h"
#include "ui/Controls.h"

namespace ui {

class Program;
class EventLoop;

enum FormBorderStyle : int {
    vbBSNone = 0,
    vbFixedSingle = 1,
    vbSizable = 2,
    vbFixedDialog = 3,
    vbFixedToolWindow = 4,
    vbSizableToolWindow = 5,
};

class Form : public Control {
public:
    explicit Form(Program& program, std::string name);
    ~Form() override;

    Program& program() const { return program_; }
    EventLoop& loop() const;

    Property<std::string> Caption{*this, "Caption"};
    Property<int> BorderStyle{*this, "BorderStyle", vbSizable};
    // The client area in twips; Left/Top place the window on the screen.
    Property<int> ScaleWidth{*this, "ScaleWidth", 4800};
    Property<int> ScaleHeight{*this, "ScaleHeight", 3600};
    Property<bool> ControlBox{*this, "ControlBox", true};
    Property<bool> MinButton{*this, "MinButton", true};
    Property<bool> MaxButton{*this, "MaxButton", true};
    Property<std::string> Icon{*this, "Icon"};
    // 0 manual, 1 centre owner, 2 centre screen.
    Property<int> StartUpPosition{*this, "StartUpPosition", 2};

    void Show() { Visible = true; }
    void Hide() { Visible = false; }

    virtual void Form_Load() {}
    // Raised when the window's outer size (Width, Height) changes, and once
    // when it is first shown.
    virtual void Form_Resize() {}
    // Set Cancel to non-zero to keep the window open.
    virtual void Form_Unload(int& Cancel) {}

    // The user closed the window with its close box.
    void userClose();
    // The window's outer size became `width` × `height` twips (the user
    // dragged its border, or the window manager sized it).
    void userResize(int width, int height);

    void setObserver(Observer* observer) { observer_ = observer; }
    Observer* observer() const { return observer_; }

    // Stops every timer of the window: an unloaded window ticks no more.
    void stopTimers();

private:
    Program& program_;
    Observer* observer_ = nullptr;
    bool shownOnce_ = false;
};

}  // namespace ui
