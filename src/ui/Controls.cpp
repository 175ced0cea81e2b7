#include "ui/Controls.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/Encoding.h"
#include "platform/Platform.h"
#include "ui/EventLoop.h"
#include "ui/Form.h"
#include "ui/Program.h"

namespace ui {

namespace {

std::size_t byteOffset(const std::string& s, int chars) {
    return common::zeichenanfang(s, static_cast<std::size_t>(std::max(chars, 0)));
}

int charCount(const std::string& s) { return static_cast<int>(common::zeichenzahl(s)); }

// Case-insensitive wildcard match with * and ?, as file patterns match.
bool wildcard(const char* pat, const char* name) {
    const char* star = nullptr;
    const char* retry = nullptr;
    while (*name) {
        if (*pat == '*') {
            star = ++pat;
            retry = name;
        } else if (*pat == '?' ||
                   std::tolower(static_cast<unsigned char>(*pat)) ==
                       std::tolower(static_cast<unsigned char>(*name))) {
            ++pat;
            ++name;
        } else if (star) {
            pat = star;
            name = ++retry;
        } else {
            return false;
        }
    }
    while (*pat == '*') ++pat;
    return *pat == '\0';
}

bool matchesPattern(const std::string& patterns, const std::string& name) {
    std::size_t start = 0;
    while (start <= patterns.size()) {
        std::size_t end = patterns.find(';', start);
        if (end == std::string::npos) end = patterns.size();
        std::string p = patterns.substr(start, end - start);
        p.erase(0, p.find_first_not_of(' '));
        if (!p.empty()) {
            // "*.*" stands for every file, with or without a dot.
            if (p == "*.*" || p == "*") return true;
            if (wildcard(p.c_str(), name.c_str())) return true;
        }
        start = end + 1;
    }
    return false;
}

bool lessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
            return std::tolower(x) < std::tolower(y);
        });
}

}  // namespace

// ---------------------------------------------------------------- Label

Label::Label(Control* parent, std::string name) : Control(parent, std::move(name), Kind::Label) {}
void Label::userClick() { raise(Click); }
void Label::userDblClick() { raise(DblClick); }

// ---------------------------------------------------------------- TextBox

TextBox::TextBox(Control* parent, std::string name)
    : Control(parent, std::move(name), Kind::TextBox) {
    BackColor.assignQuietly(kWindowBackground);
    ForeColor.assignQuietly(kWindowText);
    Text.onChange = [this](const std::string&) {
        const int n = charCount(Text());
        if (SelStart() > n) SelStart.assignQuietly(n);
        if (SelStart() + SelLength() > n) SelLength.assignQuietly(n - SelStart());
        raise(Change);
    };
}

std::string TextBox::SelText() const {
    const std::string& t = Text();
    std::size_t a = byteOffset(t, SelStart());
    std::size_t b = byteOffset(t, SelStart() + SelLength());
    return t.substr(a, b - a);
}

void TextBox::userKey(int keyAscii) {
    if (KeyPress) KeyPress(keyAscii);
    if (keyAscii != 0 && !Locked()) {
        std::string t = Text();
        int start = std::clamp(SelStart(), 0, charCount(t));
        int len = std::clamp(SelLength(), 0, charCount(t) - start);
        std::size_t a = byteOffset(t, start);
        std::size_t b = byteOffset(t, start + len);
        if (keyAscii == 8) {
            if (len > 0) {
                t.erase(a, b - a);
            } else if (start > 0) {
                // A line break is one key: CR LF goes as a pair.
                const int back = start >= 2 && t.compare(byteOffset(t, start - 2), 2, "\r\n") == 0 ? 2 : 1;
                std::size_t p = byteOffset(t, start - back);
                t.erase(p, a - p);
                start -= back;
            }
            SelLength.assignQuietly(0);
            SelStart.assignQuietly(start);
            Text = t;
        } else if (keyAscii == 13 && MultiLine()) {
            t.replace(a, b - a, "\r\n");
            SelLength.assignQuietly(0);
            SelStart.assignQuietly(start + 2);
            Text = t;
        } else if (keyAscii >= 32 && keyAscii <= 255) {
            const bool fits = MaxLength() <= 0 || charCount(t) - len + 1 <= MaxLength();
            if (fits) {
                std::string ch = common::ansiToUtf8(std::string(1, static_cast<char>(keyAscii)));
                t.replace(a, b - a, ch);
                SelLength.assignQuietly(0);
                SelStart.assignQuietly(start + 1);
                Text = t;
            }
        }
    }
    int code = keyAscii;
    if (code >= 'a' && code <= 'z') code -= 32;
    if (KeyUp) KeyUp(code, 0);
}

void TextBox::userTypes(const std::string& utf8) {
    const std::string ansi = common::utf8ToAnsi(utf8);
    for (unsigned char c : ansi) userKey(c == '\n' ? 13 : c);
}

void TextBox::userSetsText(const std::string& utf8) {
    SelLength.assignQuietly(0);
    Text = utf8;
    SelStart.assignQuietly(charCount(utf8));
}

void TextBox::userKeyCode(int keyCode, int shift) {
    if (KeyDown) KeyDown(keyCode, shift);
    if (KeyUp) KeyUp(keyCode, shift);
}

// ---------------------------------------------------------------- buttons

CommandButton::CommandButton(Control* parent, std::string name)
    : Control(parent, std::move(name), Kind::CommandButton) {}
void CommandButton::userClick() {
    if (EffectiveEnabled()) raise(Click);
}

CheckBox::CheckBox(Control* parent, std::string name)
    : Control(parent, std::move(name), Kind::CheckBox) {
    Value.onChange = [this](const int&) { raise(Click); };
}
void CheckBox::userClick() {
    if (!EffectiveEnabled()) return;
    Value = Value() == 1 ? 0 : 1;
}

OptionButton::OptionButton(Control* parent, std::string name)
    : Control(parent, std::move(name), Kind::OptionButton) {
    Value.onChange = [this](const bool&) {
        if (!Value()) return;
        if (Parent()) {
            for (Control* c : Parent()->Children()) {
                if (c != this && c->kind() == Kind::OptionButton)
                    static_cast<OptionButton*>(c)->Value.assignQuietly(false);
            }
        }
        raise(Click);
    };
}
void OptionButton::userClick() {
    if (!EffectiveEnabled()) return;
    if (Value())
        raise(Click);
    else
        Value = true;
}

// ---------------------------------------------------------------- lists

ListControl::ListControl(Control* parent, std::string name, Kind kind)
    : Control(parent, std::move(name), kind) {
    BackColor.assignQuietly(kWindowBackground);
    ForeColor.assignQuietly(kWindowText);
}

void ListControl::checkIndex(int index) const {
    if (index < 0 || index >= ListCount()) throw RuntimeError(381, "Invalid property array index");
}

void ListControl::AddItem(const std::string& item, int index) {
    if (index < -1 || index > ListCount()) throw RuntimeError(5, "Invalid procedure call or argument");
    if (index == -1) index = ListCount();
    items_.insert(items_.begin() + index, item);
    if (kind() == Kind::ListBox) {
        auto& sel = static_cast<ListBox*>(this)->selected_;
        sel.insert(sel.begin() + index, false);
    }
    if (ListIndex() >= index && ListIndex() >= 0) ListIndex.assignQuietly(ListIndex() + 1);
    notify("List");
}

void ListControl::RemoveItem(int index) {
    checkIndex(index);
    items_.erase(items_.begin() + index);
    if (kind() == Kind::ListBox) {
        auto& sel = static_cast<ListBox*>(this)->selected_;
        sel.erase(sel.begin() + index);
    }
    if (ListIndex() == index)
        ListIndex.assignQuietly(-1);
    else if (ListIndex() > index)
        ListIndex.assignQuietly(ListIndex() - 1);
    notify("List");
}

void ListControl::Clear() {
    items_.clear();
    if (kind() == Kind::ListBox) static_cast<ListBox*>(this)->selected_.clear();
    ListIndex.assignQuietly(-1);
    notify("List");
}

const std::string& ListControl::List(int index) const {
    checkIndex(index);
    return items_[index];
}

void ListControl::SetList(int index, const std::string& item) {
    checkIndex(index);
    items_[index] = item;
    notify("List");
}

ComboBox::ComboBox(Control* parent, std::string name)
    : ListControl(parent, std::move(name), Kind::ComboBox) {
    ListIndex.onChange = [this](const int&) {
        if (ListIndex() < -1 || ListIndex() >= ListCount()) {
            ListIndex.assignQuietly(-1);
            throw RuntimeError(380, "Invalid property value");
        }
        if (ListIndex() >= 0) Text.assignQuietly(items_[ListIndex()]);
        raise(Click);
    };
    Text.onChange = [this](const std::string&) {
        // Free text that differs from the selected entry leaves no entry selected.
        if (ListIndex() >= 0 && items_[ListIndex()] != Text()) ListIndex.assignQuietly(-1);
        raise(Change);
    };
}

void ComboBox::userSelect(int index) {
    if (EffectiveEnabled() && index >= 0 && index < ListCount()) ListIndex = index;
}

void ComboBox::userSetsText(const std::string& utf8) {
    if (EffectiveEnabled() && Style() != 2) Text = utf8;
}

ListBox::ListBox(Control* parent, std::string name)
    : ListControl(parent, std::move(name), Kind::ListBox) {
    ListIndex.onChange = [this](const int&) {
        if (ListIndex() < -1 || ListIndex() >= ListCount()) {
            ListIndex.assignQuietly(-1);
            throw RuntimeError(380, "Invalid property value");
        }
        if (MultiSelect() == 0) {
            std::fill(selected_.begin(), selected_.end(), false);
            if (ListIndex() >= 0) selected_[ListIndex()] = true;
            notify("Selected");
        }
        raise(Click);
    };
}

bool ListBox::Selected(int index) const {
    checkIndex(index);
    return selected_[index];
}

void ListBox::SetSelected(int index, bool selected) {
    checkIndex(index);
    if (selected_[index] == selected) return;
    if (MultiSelect() == 0) {
        if (selected) {
            ListIndex = index;  // selects it alone and raises Click
        } else {
            selected_[index] = false;
            if (ListIndex() == index) ListIndex.assignQuietly(-1);
            notify("Selected");
            raise(Click);
        }
        return;
    }
    selected_[index] = selected;
    ListIndex.assignQuietly(index);
    notify("Selected");
    raise(Click);
}

int ListBox::SelCount() const {
    return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

void ListBox::userSelect(int index) {
    if (!EffectiveEnabled() || index < 0 || index >= ListCount()) return;
    if (MultiSelect() == 0)
        ListIndex = index;
    else
        userToggle(index);
}

void ListBox::userToggle(int index) {
    if (!EffectiveEnabled() || index < 0 || index >= ListCount()) return;
    if (MultiSelect() == 0)
        ListIndex = index;
    else
        SetSelected(index, !selected_[index]);
}

void ListBox::userDblClick(int index) {
    if (!EffectiveEnabled() || index < 0 || index >= ListCount()) return;
    if (MultiSelect() == 0) ListIndex = index;
    raise(DblClick);
}

// ---------------------------------------------------------------- FileListBox

FileListBox::FileListBox(Control* parent, std::string name)
    : Control(parent, std::move(name), Kind::FileListBox) {
    BackColor.assignQuietly(kWindowBackground);
    ForeColor.assignQuietly(kWindowText);
    ListIndex.onChange = [this](const int&) {
        if (ListIndex() < -1 || ListIndex() >= ListCount()) {
            ListIndex.assignQuietly(-1);
            throw RuntimeError(380, "Invalid property value");
        }
        raise(Click);
    };
}

void FileListBox::read(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(fs::path(path), ec);
    if (ec || path.empty()) throw RuntimeError(76, "Path not found");
    std::vector<std::string> files;
    const std::string& pattern = Pattern();
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) throw RuntimeError(76, "Path not found");
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc)) continue;
        std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;  // hidden
        if (matchesPattern(pattern, name)) files.push_back(std::move(name));
    }
    // A folder polled every second mostly lists what it listed before: then
    // the names stay as they were, sorted or not, and nobody is told.
    if (files == read_) {
        ListIndex.assignQuietly(-1);
        return;
    }
    read_ = files;
    files_ = std::move(files);
    sorted_ = false;  // sorted when somebody looks at the names
    ListIndex.assignQuietly(-1);
    notify("List");
}

void FileListBox::setPath(const std::string& path) {
    read(path);
    path_ = path;
    notify("Path");
}

void FileListBox::Refresh() {
    if (path_.empty()) return;
    read(path_);
}

void FileListBox::sortIfNeeded() const {
    if (sorted_) return;
    std::sort(files_.begin(), files_.end(), lessNoCase);
    sorted_ = true;
}

const std::string& FileListBox::List(int index) const {
    if (index < 0 || index >= ListCount()) throw RuntimeError(381, "Invalid property array index");
    sortIfNeeded();
    return files_[index];
}

std::string FileListBox::FileName() const {
    return ListIndex() >= 0 && ListIndex() < ListCount() ? List(ListIndex()) : std::string();
}

void FileListBox::userSelect(int index) {
    if (EffectiveEnabled() && index >= 0 && index < ListCount()) ListIndex = index;
}

void FileListBox::userDblClick(int index) {
    if (!EffectiveEnabled() || index < 0 || index >= ListCount()) return;
    ListIndex = index;
    raise(DblClick);
}

// ---------------------------------------------------------------- others

Frame::Frame(Control* parent, std::string name) : Control(parent, std::move(name), Kind::Frame) {}

Image::Image(Control* parent, std::string name) : Control(parent, std::move(name), Kind::Image) {}
void Image::userClick() {
    if (EffectiveEnabled()) raise(Click);
}
void Image::userDblClick() {
    if (EffectiveEnabled()) raise(DblClick);
}

PictureBox::PictureBox(Control* parent, std::string name)
    : Control(parent, std::move(name), Kind::PictureBox) {}
void PictureBox::userClick() {
    if (EffectiveEnabled()) raise(Click);
}

Line::Line(Control* parent, std::string name) : Control(parent, std::move(name), Kind::Line) {}

Shape::Shape(Control* parent, std::string name) : Control(parent, std::move(name), Kind::Shape) {}

Menu::Menu(Control* parent, std::string name, std::string caption)
    : Control(parent, std::move(name), Kind::Menu) {
    Caption.assignQuietly(caption);
}
void Menu::userClick() {
    if (EffectiveEnabled() && !IsSeparator()) raise(Click);
}

// ---------------------------------------------------------------- Timer

Timer::Timer(Control* parent, std::string name, int interval, bool enabled)
    : Control(parent, std::move(name), Kind::Timer) {
    Interval.assignQuietly(interval);
    Enabled.assignQuietly(enabled);
    Enabled.onChange = [this](const bool&) { reschedule(); };
    Interval.onChange = [this](const int&) { reschedule(); };
    if (enabled && interval > 0) reschedule();
}

Timer::~Timer() { form().loop().stopTimer(*this); }

void Timer::reschedule() {
    EventLoop& loop = form().loop();
    if (Enabled() && Interval() > 0)
        loop.startTimer(*this);
    else
        loop.stopTimer(*this);
}

// ---------------------------------------------------------------- CommonDialog

CommonDialog::CommonDialog(Control* parent, std::string name)
    : Control(parent, std::move(name), Kind::CommonDialog) {}

namespace {
platform::FileDialogRequest requestOf(const CommonDialog& d) {
    platform::FileDialogRequest r;
    r.DialogTitle = d.DialogTitle();
    r.Filter = d.Filter();
    r.FilterIndex = d.FilterIndex();
    r.Flags = d.Flags();
    r.FileName = d.FileName();
    r.InitDir = d.InitDir();
    r.DefaultExt = d.DefaultExt();
    return r;
}
}  // namespace

bool CommonDialog::chosen(const std::optional<std::string>& path) {
    if (!path) {
        if (CancelError()) throw RuntimeError(32755, "Cancel was selected.");
        return false;
    }
    FileName = *path;
    FileTitle = std::filesystem::path(*path).filename().string();
    return true;
}

bool CommonDialog::ShowOpen() {
    return chosen(form().program().platform.dialogs.ShowOpen(requestOf(*this)));
}

bool CommonDialog::ShowSave() {
    return chosen(form().program().platform.dialogs.ShowSave(requestOf(*this)));
}

bool CommonDialog::ShowPrinter() {
    std::optional<int> copies = form().program().platform.dialogs.ShowPrinter(Copies());
    if (!copies) {
        if (CancelError()) throw RuntimeError(32755, "Cancel was selected.");
        return false;
    }
    Copies = *copies;
    return true;
}

}  // namespace ui
