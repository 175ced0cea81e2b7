// The standard controls as window code sees them. Setting a property from
// code raises the same events as the user's change would (a check box's
// Click, a text box's Change, a list's Click), because window procedures rely
// on that. The user*() members are the user's input as the view reports it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/Control.h"

namespace ui {

enum Alignment : int { vbLeftJustify = 0, vbRightJustify = 1, vbCenter = 2 };

class Label : public Control {
public:
    Label(Control* parent, std::string name);
    Property<std::string> Caption{*this, "Caption"};
    Property<int> Alignment{*this, "Alignment", vbLeftJustify};
    Property<bool> AutoSize{*this, "AutoSize", false};
    Property<int> BackStyle{*this, "BackStyle", 1};  // 0 transparent, 1 opaque
    Property<int> BorderStyle{*this, "BorderStyle", 0};
    Property<bool> WordWrap{*this, "WordWrap", false};
    Event Click, DblClick;
    void userClick();
    void userDblClick();
    // A hint for the view, read when it builds the label: an opaque label
    // whose caption changes many times a second (a running arrow), which a
    // view may then draw at less cost than other labels.
    bool changesOften = false;
};

class TextBox : public Control {
public:
    TextBox(Control* parent, std::string name);
    Property<std::string> Text{*this, "Text"};  // UTF-8
    Property<int> MaxLength{*this, "MaxLength", 0};  // 0: no limit; limits typing only
    Property<bool> Locked{*this, "Locked", false};
    Property<bool> MultiLine{*this, "MultiLine", false};
    Property<int> ScrollBars{*this, "ScrollBars", 0};
    Property<int> Alignment{*this, "Alignment", vbLeftJustify};
    Property<std::string> PasswordChar{*this, "PasswordChar"};
    // Caret and selection in characters (not bytes).
    Property<int> SelStart{*this, "SelStart", 0};
    Property<int> SelLength{*this, "SelLength", 0};

    Event Change;
    // KeyAscii is the character's code in the ANSI code page (13 Enter,
    // 8 Backspace); the procedure may set it to 0 to drop the key.
    std::function<void(int& KeyAscii)> KeyPress;
    std::function<void(int& KeyCode, int Shift)> KeyDown;
    std::function<void(int& KeyCode, int Shift)> KeyUp;
    Event Click, DblClick, GotFocus, LostFocus;

    // One character key typed by the user, as an ANSI code. Runs KeyPress,
    // then edits the text (unless the key was dropped), then KeyUp.
    void userKey(int keyAscii);
    // Types a UTF-8 string character by character through userKey.
    void userTypes(const std::string& utf8);
    // The user replaced the whole text (paste, cut): raises Change only.
    void userSetsText(const std::string& utf8);
    // A non-character key (arrows, Delete): KeyDown and KeyUp only.
    void userKeyCode(int keyCode, int shift = 0);

    std::string SelText() const;
};

class CommandButton : public Control {
public:
    CommandButton(Control* parent, std::string name);
    Property<std::string> Caption{*this, "Caption"};
    Property<std::string> Picture{*this, "Picture"};  // asset file name
    Property<int> Style{*this, "Style", 0};  // 1 graphical
    Property<bool> Default{*this, "Default", false};
    Property<bool> Cancel{*this, "Cancel", false};
    Event Click;
    void userClick();
};

class CheckBox : public Control {
public:
    CheckBox(Control* parent, std::string name);
    Property<std::string> Caption{*this, "Caption"};
    Property<int> Value{*this, "Value", 0};  // 0, 1, 2 (grayed); a change raises Click
    Property<int> Alignment{*this, "Alignment", vbLeftJustify};
    Event Click;
    void userClick();
};

class OptionButton : public Control {
public:
    OptionButton(Control* parent, std::string name);
    Property<std::string> Caption{*this, "Caption"};
    // true clears the other option buttons of the same container; a change
    // to true raises Click. No option selected is a valid state.
    Property<bool> Value{*this, "Value", false};
    Event Click;
    void userClick();
};

// Shared item handling of the list-like controls.
class ListControl : public Control {
public:
    ListControl(Control* parent, std::string name, Kind kind);
    void AddItem(const std::string& item, int index = -1);
    void RemoveItem(int index);
    void Clear();
    int ListCount() const { return static_cast<int>(items_.size()); }
    const std::string& List(int index) const;
    void SetList(int index, const std::string& item);
    const std::vector<std::string>& items() const { return items_; }

    // -1 none. A change raises Click.
    Property<int> ListIndex{*this, "ListIndex", -1};
    Event Click, DblClick;

protected:
    void checkIndex(int index) const;
    std::vector<std::string> items_;
};

class ComboBox : public ListControl {
public:
    ComboBox(Control* parent, std::string name);
    Property<std::string> Text{*this, "Text"};  // free text; a change raises Change
    Property<int> Style{*this, "Style", 0};  // 0 drop-down combo, 2 drop-down list
    Event Change;
    void userSelect(int index);
    void userSetsText(const std::string& utf8);
};

class ListBox : public ListControl {
public:
    ListBox(Control* parent, std::string name);
    Property<int> MultiSelect{*this, "MultiSelect", 0};  // 0 none, 1 simple, 2 extended
    bool Selected(int index) const;
    // A change of selection raises Click.
    void SetSelected(int index, bool selected);
    int SelCount() const;
    void userSelect(int index);  // single click
    void userToggle(int index);  // click in a multi-select list
    void userDblClick(int index);

private:
    std::vector<bool> selected_;
    friend class ListControl;
};

// Lists the regular, non-hidden files of a folder that match a pattern. Reads
// the folder only when Path is set and on Refresh().
class FileListBox : public Control {
public:
    FileListBox(Control* parent, std::string name);
    // Setting Path reads the folder; a folder that cannot be listed raises
    // RuntimeError 76 and leaves Path and the list as they were.
    void setPath(const std::string& path);
    const std::string& Path() const { return path_; }
    Property<std::string> Pattern{*this, "Pattern", "*.*"};
    void Refresh();
    int ListCount() const { return static_cast<int>(files_.size()); }
    const std::string& List(int index) const;  // in name order
    Property<int> ListIndex{*this, "ListIndex", -1};
    std::string FileName() const;  // the selected file's name, "" when none
    Event Click, DblClick;
    void userSelect(int index);
    void userDblClick(int index);

private:
    void read(const std::string& path);
    void sortIfNeeded() const;
    std::string path_;
    mutable std::vector<std::string> files_;
    mutable bool sorted_ = true;
    // The names in the order the folder gave them at the last read.
    std::vector<std::string> read_;
};

class Frame : public Control {
public:
    Frame(Control* parent, std::string name);
    Property<std::string> Caption{*this, "Caption"};
    Property<int> BorderStyle{*this, "BorderStyle", 1};
};

class Image : public Control {
public:
    Image(Control* parent, std::string name);
    Property<std::string> Picture{*this, "Picture"};  // asset file name
    Property<bool> Stretch{*this, "Stretch", false};
    Event Click, DblClick;
    void userClick();
    void userDblClick();
};

class PictureBox : public Control {
public:
    PictureBox(Control* parent, std::string name);
    Property<std::string> Picture{*this, "Picture"};
    Property<int> BorderStyle{*this, "BorderStyle", 1};
    Event Click, DblClick;
    void userClick();
};

class Line : public Control {
public:
    Line(Control* parent, std::string name);
    Property<int> X1{*this, "X1", 0};
    Property<int> Y1{*this, "Y1", 0};
    Property<int> X2{*this, "X2", 0};
    Property<int> Y2{*this, "Y2", 0};
    Property<Colour> BorderColor{*this, "BorderColor", 0};
    Property<int> BorderWidth{*this, "BorderWidth", 1};
};

class Shape : public Control {
public:
    Shape(Control* parent, std::string name);
    // 0 rectangle, 1 square, 2 oval, 3 circle, 4 rounded rectangle, 5 rounded square
    Property<int> ShapeKind{*this, "Shape", 0};
    Property<Colour> BorderColor{*this, "BorderColor", 0};
    Property<int> BorderWidth{*this, "BorderWidth", 1};
    Property<Colour> FillColor{*this, "FillColor", 0};
    Property<int> FillStyle{*this, "FillStyle", 1};  // 0 solid, 1 transparent
    Property<int> BackStyle{*this, "BackStyle", 0};  // 0 transparent, 1 opaque
};

// A menu or a menu item; a top-level menu's parent is the form, an item's is
// its menu. Caption "-" makes a separator.
class Menu : public Control {
public:
    Menu(Control* parent, std::string name, std::string caption = {});
    Property<std::string> Caption{*this, "Caption"};
    Property<bool> Checked{*this, "Checked", false};
    Event Click;
    void userClick();
    bool IsSeparator() const { return Caption() == "-"; }
};

class EventLoop;

// While enabled it ticks every Interval. Enabling an enabled timer keeps its
// phase; a new Interval while enabled starts the period anew.
class Timer : public Control {
public:
    Timer(Control* parent, std::string name, int interval = 0, bool enabled = false);
    ~Timer() override;
    Property<int> Interval{*this, "Interval", 0};
    Event Tick;
    // Called by the event loop when the timer falls due.
    void fire() { raise(Tick); }

private:
    void reschedule();
};

// One common dialog control: its properties persist between uses.
class CommonDialog : public Control {
public:
    CommonDialog(Control* parent, std::string name);
    Property<std::string> DialogTitle{*this, "DialogTitle"};
    Property<std::string> Filter{*this, "Filter"};
    Property<int> FilterIndex{*this, "FilterIndex", 1};
    Property<int> Flags{*this, "Flags", 0};
    Property<std::string> FileName{*this, "FileName"};
    Property<std::string> FileTitle{*this, "FileTitle"};
    Property<std::string> InitDir{*this, "InitDir"};
    // The extension a save dialog gives a name typed without one.
    Property<std::string> DefaultExt{*this, "DefaultExt"};
    Property<bool> CancelError{*this, "CancelError", false};
    Property<int> Copies{*this, "Copies", 1};

    // True when the user chose. On cancel: RuntimeError 32755 when
    // CancelError is set, else false with FileName unchanged.
    bool ShowOpen();
    bool ShowSave();
    bool ShowPrinter();

private:
    bool chosen(const std::optional<std::string>& path);
};

}  // namespace ui
