// The base of every window and control: name, place, the Enabled and Visible
// properties, colours, font, and the change notification for a view.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/Property.h"

namespace ui {

class Form;
class Control;

// A run-time error of the controls layer (a folder that cannot be listed, an
// index out of range, a cancelled dialog with CancelError set). Window code
// catches it where it has a handler for run-time errors.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const std::string& description)
        : std::runtime_error(description), Number(number) {}
    int Number;
};

// Thrown by the test fakes when the program ends; not a std::exception, so no
// handler of the window code or the dispatcher swallows it.
struct ProgramEnded {};

// Colours are VB-style &HBBGGRR numbers; 0x800000xx are system colours.
using Colour = long;
constexpr Colour kWindowBackground = 0x80000005;  // the palette's base colour
constexpr Colour kWindowText = 0x80000008;
constexpr Colour kButtonFace = 0x8000000F;
constexpr Colour kButtonText = 0x80000012;
constexpr Colour kGrayText = 0x80000011;

struct Font {
    std::string Name = "MS Sans Serif";
    double Size = 8.25;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    friend bool operator==(const Font&, const Font&) = default;
};

enum class Kind {
    Form,
    Label,
    TextBox,
    CommandButton,
    CheckBox,
    OptionButton,
    ComboBox,
    ListBox,
    FileListBox,
    Frame,
    Image,
    PictureBox,
    Line,
    Shape,
    Menu,
    Timer,
    CommonDialog,
};

// Told of every property change of a form's controls: the desktop view.
class Observer {
public:
    virtual ~Observer() = default;
    // `property` is the property's name ("Caption", "Text", "List", "Focus" ...).
    virtual void propertyChanged(Control& control, const char* property) = 0;
};

using Event = std::function<void()>;

class Control {
public:
    // `parent` is the form or the frame (or menu) the control lies in.
    Control(Control* parent, std::string name, Kind kind);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    const std::string& Name() const { return name_; }
    Kind kind() const { return kind_; }
    Control* Parent() const { return parent_; }
    const std::vector<Control*>& Children() const { return children_; }
    // The form the control belongs to (the form itself for a form).
    Form& form() const;

    // Place and size in twips (15 per pixel at 96 dpi).
    Property<int> Left{*this, "Left", 0};
    Property<int> Top{*this, "Top", 0};
    Property<int> Width{*this, "Width", 0};
    Property<int> Height{*this, "Height", 0};
    void Move(int left, int top, int width, int height);

    // The control's own properties. A disabled or hidden container takes its
    // children out of use without changing theirs: see Effective...().
    Property<bool> Enabled{*this, "Enabled", true};
    Property<bool> Visible{*this, "Visible", true};
    bool EffectiveEnabled() const;
    bool EffectiveVisible() const;

    Property<std::string> ToolTipText{*this, "ToolTipText"};
    Property<int> TabIndex{*this, "TabIndex", 0};
    Property<bool> TabStop{*this, "TabStop", true};
    Property<Colour> ForeColor{*this, "ForeColor", kButtonText};
    Property<Colour> BackColor{*this, "BackColor", kButtonFace};
    Property<ui::Font> Font{*this, "Font"};

    // Brings the control's window to the front (see Program::activate) and
    // asks the view to give the control the keyboard focus.
    void SetFocus();

    // Called by Property on every change; forwards to the form's observer.
    void notify(const char* property);

protected:
    static void raise(const Event& e) {
        if (e) e();
    }

private:
    Control* parent_;
    std::string name_;
    Kind kind_;
    std::vector<Control*> children_;
};

}  // namespace ui
