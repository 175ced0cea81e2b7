#include "desktop/view/FormView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "desktop/view/Convert.h"
#include "desktop/view/Painted.h"
#include "desktop/view/ScreenLabel.h"
#include "desktop/X11Windows.h"
#include "ui/EventLoop.h"

namespace desktop {

using ui::Kind;

// The top-level window. Its close box asks the window, which may refuse.
class FormView::Window : public QWidget {
public:
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        if (onClose) onClose();
    }
};

namespace {

// A check box or option button reacts to a click anywhere on the control,
// not only on its box and text.
template <class Button>
class WholeAreaButton : public Button {
public:
    using Button::Button;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

template <class C>
C& as(ui::Control& c) {
    return static_cast<C&>(c);
}

Qt::Alignment alignment(int vb, Qt::Alignment vertical) {
    switch (vb) {
        case ui::vbRightJustify: return Qt::AlignRight | vertical;
        case ui::vbCenter: return Qt::AlignHCenter | vertical;
        default: return Qt::AlignLeft | vertical;
    }
}

bool isGraphical(Kind k) {
    return k == Kind::Label || k == Kind::Image || k == Kind::Line || k == Kind::Shape;
}

bool takesFocus(Kind k) {
    switch (k) {
        case Kind::TextBox:
        case Kind::CommandButton:
        case Kind::CheckBox:
        case Kind::OptionButton:
        case Kind::ComboBox:
        case Kind::ListBox:
        case Kind::FileListBox:
        case Kind::PictureBox: return true;
        default: return false;
    }
}

// The key code a non-character key reports to KeyDown/KeyUp, 0 for others.
int keyCode(int qtKey) {
    switch (qtKey) {
        case Qt::Key_PageUp: return 33;
        case Qt::Key_PageDown: return 34;
        case Qt::Key_End: return 35;
        case Qt::Key_Home: return 36;
        case Qt::Key_Left: return 37;
        case Qt::Key_Up: return 38;
        case Qt::Key_Right: return 39;
        case Qt::Key_Down: return 40;
        case Qt::Key_Insert: return 45;
        case Qt::Key_Delete: return 46;
        default: return 0;
    }
}

void setColour(QPalette& pal, QPalette::ColorRole role, const QColor& c, bool keepDisabled) {
    if (keepDisabled) {
        // Disabled text keeps the style's grey, as a disabled control shows.
        pal.setColor(QPalette::Active, role, c);
        pal.setColor(QPalette::Inactive, role, c);
    } else {
        pal.setColor(role, c);
    }
}

}  // namespace

FormView::FormView(ui::Form& form, QString pictureFolder)
    : form_(&form), pictureFolder_(std::move(pictureFolder)) {
    auto* win = new Window;
    window_ = win;
    win->setObjectName(qs(form.Name()));
    win->onClose = [this] { run([this] { form_->userClose(); }); };
    win->installEventFilter(this);  // size changes
    auto* layout = new QVBoxLayout(win);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    client_ = new QWidget(win);
    layout->addWidget(client_);
    buildMenus();
    for (ui::Control* child : form.Children())
        if (child->kind() != Kind::Menu) build(*child, client_);
    stackGraphicsBelow(form);
    applyForm("");
    applyTabOrder();
    form.setObserver(this);
    if (form.Visible()) showWindow();
}

FormView::~FormView() {
    if (!detached_) form_->setObserver(nullptr);
    delete window_.data();
}

QWidget* FormView::widget(const ui::Control& control) const {
    auto it = widgets_.find(&control);
    return it == widgets_.end() ? nullptr : it->second;
}

QAction* FormView::action(const ui::Control& control) const {
    auto it = actions_.find(&control);
    return it == actions_.end() ? nullptr : it->second;
}

void FormView::detach() {
    if (detached_) return;
    detached_ = true;
    form_->setObserver(nullptr);
    if (window_) {
        window_->hide();
        window_->deleteLater();
    }
    deleteLater();
}

bool FormView::run(const std::function<void()>& procedure) {
    if (detached_) return false;
    form_->loop().dispatch(procedure);
    return !detached_;
}

QPixmap FormView::picture(const std::string& name) const {
    if (name.empty()) return {};
    return QPixmap(QDir(pictureFolder_).filePath(qs(name)));
}

// ------------------------------------------------------------------ building

void FormView::build(ui::Control& control, QWidget* parent) {
    QWidget* w = makeWidget(control, parent);
    if (!w) return;
    w->setObjectName(qs(control.Name()));
    widgets_[&control] = w;
    controls_[w] = &control;
    apply(control, "");
    if (control.kind() == Kind::Frame) {
        for (ui::Control* child : control.Children()) build(*child, w);
        stackGraphicsBelow(control);
    }
}

// Labels, pictures, lines and shapes are drawn on their container, beneath
// every control that is a window of its own; among themselves, and among the
// others, a later control lies over an earlier one.
void FormView::stackGraphicsBelow(ui::Control& container) {
    const auto& children = container.Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (isGraphical((*it)->kind()))
            if (QWidget* w = widget(**it)) w->lower();
}

QWidget* FormView::makeWidget(ui::Control& c, QWidget* parent) {
    // Check box and option button: whatever Qt toggled, the control's value
    // after the click is what shows.
    auto followClicks = [this](QAbstractButton* b, auto& control) {
        connect(b, &QAbstractButton::clicked, this, [this, &control] {
            if (run([&] { control.userClick(); })) apply(control, "Value");
        });
        return b;
    };
    switch (c.kind()) {
        case Kind::Label:
        case Kind::Image:
        case Kind::PictureBox: {
            QWidget* w;
            if (c.kind() == Kind::Label) {
                auto* l = as<ui::Label>(c).changesOften ? new ScreenLabel(parent) : new TextLabel(parent);
                l->setTextFormat(Qt::PlainText);
                w = l;
            } else {
                w = new PictureWidget(parent);
            }
            w->installEventFilter(this);  // clicks
            return w;
        }
        case Kind::TextBox: {
            auto& box = as<ui::TextBox>(c);
            if (box.MultiLine()) {
                auto* e = new QPlainTextEdit(parent);
                e->setTabChangesFocus(true);
                e->setLineWrapMode((box.ScrollBars() & 1) ? QPlainTextEdit::NoWrap
                                                          : QPlainTextEdit::WidgetWidth);
                e->setVerticalScrollBarPolicy((box.ScrollBars() & 2) ? Qt::ScrollBarAsNeeded
                                                                     : Qt::ScrollBarAlwaysOff);
                e->setHorizontalScrollBarPolicy((box.ScrollBars() & 1) ? Qt::ScrollBarAsNeeded
                                                                       : Qt::ScrollBarAlwaysOff);
                connect(e, &QPlainTextEdit::textChanged, this,
                        [this, &box, e] { textEditedInWidget(box, e); });
                connect(e, &QPlainTextEdit::cursorPositionChanged, this,
                        [this, &box, e] { takeSelection(box, e); });
                connect(e, &QPlainTextEdit::selectionChanged, this,
                        [this, &box, e] { takeSelection(box, e); });
                e->installEventFilter(this);
                return e;
            }
            auto* e = new QLineEdit(parent);
            connect(e, &QLineEdit::textEdited, this, [this, &box, e] { textEditedInWidget(box, e); });
            connect(e, &QLineEdit::cursorPositionChanged, this,
                    [this, &box, e] { takeSelection(box, e); });
            connect(e, &QLineEdit::selectionChanged, this, [this, &box, e] { takeSelection(box, e); });
            e->installEventFilter(this);
            return e;
        }
        case Kind::CommandButton: {
            auto* b = new QPushButton(parent);
            auto& button = as<ui::CommandButton>(c);
            connect(b, &QPushButton::clicked, this, [this, &button] { run([&] { button.userClick(); }); });
            return b;
        }
        case Kind::CheckBox: {
            auto* b = new WholeAreaButton<QCheckBox>(parent);
            b->setTristate(true);
            return followClicks(b, as<ui::CheckBox>(c));
        }
        case Kind::OptionButton: {
            auto* b = new WholeAreaButton<QRadioButton>(parent);
            // The controls decide which option is on, not Qt.
            b->setAutoExclusive(false);
            return followClicks(b, as<ui::OptionButton>(c));
        }
        case Kind::ComboBox: {
            auto& combo = as<ui::ComboBox>(c);
            auto* cb = new QComboBox(parent);
            cb->setEditable(combo.Style() != 2);
            if (cb->isEditable()) {
                cb->setInsertPolicy(QComboBox::NoInsert);
                cb->setCompleter(nullptr);
                connect(cb->lineEdit(), &QLineEdit::textEdited, this, [this, &combo](const QString& t) {
                    if (updating_) return;
                    if (run([&] { combo.userSetsText(ss(t)); })) showCombo(combo);
                });
            }
            connect(cb, qOverload<int>(&QComboBox::activated), this, [this, &combo](int i) {
                if (updating_) return;
                if (run([&] { combo.userSelect(i); })) showCombo(combo);
            });
            return cb;
        }
        case Kind::ListBox: {
            auto& list = as<ui::ListBox>(c);
            auto* lw = new QListWidget(parent);
            lw->setSelectionMode(list.MultiSelect() ? QAbstractItemView::MultiSelection
                                                    : QAbstractItemView::SingleSelection);
            connect(lw, &QListWidget::itemSelectionChanged, this, [this, &list] { listSelectionChanged(list); });
            connect(lw, &QListWidget::itemDoubleClicked, this, [this, &list, lw](QListWidgetItem* item) {
                const int row = lw->row(item);
                if (run([&] { list.userDblClick(row); })) showList(list);
            });
            return lw;
        }
        case Kind::FileListBox: {
            auto& list = as<ui::FileListBox>(c);
            auto* lw = new QListWidget(parent);
            lw->setSelectionMode(QAbstractItemView::SingleSelection);
            connect(lw, &QListWidget::itemSelectionChanged, this, [this, &list, lw] {
                if (updating_ || detached_) return;
                const auto rows = lw->selectionModel()->selectedRows();
                if (rows.isEmpty()) return;
                const int row = rows.first().row();
                if (row != list.ListIndex() && !run([&] { list.userSelect(row); })) return;
                showFileList(list);
            });
            connect(lw, &QListWidget::itemDoubleClicked, this, [this, &list, lw](QListWidgetItem* item) {
                const int row = lw->row(item);
                if (run([&] { list.userDblClick(row); })) showFileList(list);
            });
            return lw;
        }
        case Kind::Frame: return new QGroupBox(parent);
        case Kind::Line: return new LineWidget(parent);
        case Kind::Shape: return new ShapeWidget(parent);
        case Kind::Form:
        case Kind::Menu:
        case Kind::Timer:
        case Kind::CommonDialog: return nullptr;
    }
    return nullptr;
}

void FormView::buildMenus() {
    for (ui::Control* child : form_->Children()) {
        if (child->kind() != Kind::Menu) continue;
        if (!menuBar_) {
            menuBar_ = new QMenuBar(window_);
            static_cast<QVBoxLayout*>(window_->layout())->setMenuBar(menuBar_);
        }
        buildMenu(as<ui::Menu>(*child), menuBar_, nullptr);
    }
}

void FormView::buildMenu(ui::Menu& menu, QMenuBar* bar, QMenu* parent) {
    const bool hasItems = std::any_of(menu.Children().begin(), menu.Children().end(),
                                      [](ui::Control* c) { return c->kind() == Kind::Menu; });
    QAction* act;
    if (hasItems) {
        auto* sub = new QMenu(window_);
        sub->setObjectName(qs(menu.Name()));
        act = sub->menuAction();
        // A menu with items raises its Click as it opens.
        connect(sub, &QMenu::aboutToShow, this, [this, &menu] { run([&] { menu.userClick(); }); });
        for (ui::Control* child : menu.Children())
            if (child->kind() == Kind::Menu) buildMenu(as<ui::Menu>(*child), nullptr, sub);
    } else {
        act = new QAction(window_);
        connect(act, &QAction::triggered, this, [this, &menu] { run([&] { menu.userClick(); }); });
    }
    act->setObjectName(qs(menu.Name()));
    actions_[&menu] = act;
    if (bar)
        bar->addAction(act);
    else
        parent->addAction(act);
    applyMenu(menu, "");
}

// ------------------------------------------------------------------ following the controls

void FormView::propertyChanged(ui::Control& control, const char* property) {
    if (detached_) return;
    apply(control, property);
}

void FormView::apply(ui::Control& c, const std::string& p) {
    if (c.kind() == Kind::Form) {
        applyForm(p);
        return;
    }
    if (c.kind() == Kind::Menu) {
        applyMenu(as<ui::Menu>(c), p);
        return;
    }
    QWidget* w = widget(c);
    if (!w) return;
    const bool all = p.empty();
    auto is = [&](const char* name) { return all || p == name; };
    applyCommon(c, w, p);
    if (p == "Visible" && !hiddenLists_.empty()) {
        const std::set<ui::FileListBox*> hidden = hiddenLists_;
        for (ui::FileListBox* list : hidden)
            if (list->EffectiveVisible()) showFileList(*list);
    }

    switch (c.kind()) {
        case Kind::Label: {
            auto& label = as<ui::Label>(c);
            auto* l = static_cast<QLabel*>(w);
            if (is("Caption")) {
                if (auto* often = dynamic_cast<ScreenLabel*>(l))
                    often->setCaption(displayText(label.Caption()));
                else
                    l->setText(displayText(label.Caption()));
            }
            if (is("WordWrap")) l->setWordWrap(label.WordWrap());
            if (is("Alignment") || is("WordWrap") || is("Height") || is("Font") || is("Caption")) {
                // A caption of one line stands level with the text of the
                // box beside it, which Qt centres in the box's height.
                const bool oneLine = !label.WordWrap() &&
                                     label.Caption().find_first_of("\r\n") == std::string::npos &&
                                     l->height() < 2 * l->fontMetrics().height();
                const Qt::Alignment a =
                    alignment(label.Alignment(), oneLine ? Qt::AlignVCenter : Qt::AlignTop);
                if (l->alignment() != a) l->setAlignment(a);
            }
            if (is("BorderStyle"))
                l->setFrameStyle(label.BorderStyle() ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
            if (p == "BackStyle") applyColours(c, w);
            break;
        }
        case Kind::TextBox: {
            auto& box = as<ui::TextBox>(c);
            if (is("Text")) showText(box, w);
            if ((p == "SelStart" || p == "SelLength") && !updating_ && editing_ != &box)
                showSelection(box, w);
            if (auto* e = qobject_cast<QLineEdit*>(w)) {
                if (is("Locked")) e->setReadOnly(box.Locked());
                if (is("PasswordChar"))
                    e->setEchoMode(box.PasswordChar().empty() ? QLineEdit::Normal : QLineEdit::Password);
                if (is("Alignment")) e->setAlignment(alignment(box.Alignment(), Qt::AlignVCenter));
            } else if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
                if (is("Locked")) e->setReadOnly(box.Locked());
            }
            break;
        }
        case Kind::CommandButton: {
            auto& button = as<ui::CommandButton>(c);
            auto* b = static_cast<QPushButton*>(w);
            if (is("Caption")) b->setText(displayText(button.Caption()));
            if (is("Picture") || p == "Width" || p == "Height") {
                const QPixmap pic = picture(button.Picture());
                b->setIcon(QIcon(pic));
                if (!pic.isNull()) b->setIconSize(pic.size().boundedTo(b->size() - QSize(8, 8)));
            }
            break;
        }
        case Kind::CheckBox: {
            auto& box = as<ui::CheckBox>(c);
            auto* b = static_cast<QCheckBox*>(w);
            if (is("Caption")) b->setText(displayText(box.Caption()));
            if (is("Value")) {
                QSignalBlocker block(b);
                b->setCheckState(box.Value() == 1   ? Qt::Checked
                                 : box.Value() == 2 ? Qt::PartiallyChecked
                                                    : Qt::Unchecked);
            }
            break;
        }
        case Kind::OptionButton: {
            auto& option = as<ui::OptionButton>(c);
            auto* b = static_cast<QRadioButton*>(w);
            if (is("Caption")) b->setText(displayText(option.Caption()));
            if (is("Value")) {
                QSignalBlocker block(b);
                b->setChecked(option.Value());
            }
            break;
        }
        case Kind::ComboBox:
            if (is("List") || is("ListIndex") || is("Text")) showCombo(as<ui::ComboBox>(c));
            break;
        case Kind::ListBox:
            if (is("List") || is("ListIndex") || is("Selected")) showList(as<ui::ListBox>(c));
            break;
        case Kind::FileListBox:
            if (is("List") || is("ListIndex") || is("Path")) showFileList(as<ui::FileListBox>(c));
            break;
        case Kind::Frame: {
            auto& frame = as<ui::Frame>(c);
            auto* g = static_cast<QGroupBox*>(w);
            if (is("Caption")) g->setTitle(displayText(frame.Caption()));
            if (is("BorderStyle")) g->setFlat(frame.BorderStyle() == 0);
            break;
        }
        case Kind::Image: {
            auto& image = as<ui::Image>(c);
            auto* pw = static_cast<PictureWidget*>(w);
            if (is("Picture")) pw->setPicture(picture(image.Picture()));
            if (is("Stretch")) pw->setStretch(image.Stretch());
            break;
        }
        case Kind::PictureBox: {
            auto& box = as<ui::PictureBox>(c);
            auto* pw = static_cast<PictureWidget*>(w);
            if (is("Picture")) pw->setPicture(picture(box.Picture()));
            if (is("BorderStyle")) pw->setBorder(box.BorderStyle() != 0);
            break;
        }
        case Kind::Line: {
            auto& line = as<ui::Line>(c);
            static_cast<LineWidget*>(w)->setLine(QPoint(px(line.X1()), px(line.Y1())),
                                                 QPoint(px(line.X2()), px(line.Y2())),
                                                 colour(line.BorderColor()), line.BorderWidth());
            break;
        }
        case Kind::Shape: {
            auto& shape = as<ui::Shape>(c);
            ShapeWidget::Style s;
            s.shape = shape.ShapeKind();
            s.border = colour(shape.BorderColor());
            s.borderWidth = shape.BorderWidth();
            s.fill = colour(shape.FillColor());
            s.filled = shape.FillStyle() == 0;
            s.back = colour(shape.BackColor());
            s.opaque = shape.BackStyle() == 1;
            static_cast<ShapeWidget*>(w)->setStyle(s);
            break;
        }
        default: break;
    }
}

void FormView::applyCommon(ui::Control& c, QWidget* w, const std::string& p) {
    const bool all = p.empty();
    auto is = [&](const char* name) { return all || p == name; };
    if (c.kind() != Kind::Line && (is("Left") || is("Top") || is("Width") || is("Height"))) {
        w->setGeometry(px(c.Left()), px(c.Top()), px(c.Width()), px(c.Height()));
        // A label's size is the control's, whatever its caption: fixed, a
        // new caption asks its window for no new layout (the running arrows
        // change theirs 80 times a second).
        if (c.kind() == Kind::Label) w->setFixedSize(w->size());
    }
    if (is("Enabled")) w->setEnabled(c.Enabled());
    if (is("Visible")) w->setVisible(c.Visible());
    if (is("ToolTipText")) w->setToolTip(qs(c.ToolTipText()));
    if (is("ForeColor") || is("BackColor")) applyColours(c, w);
    if (is("Font")) w->setFont(font(c.Font()));
    if (!all && (p == "TabIndex" || p == "TabStop")) applyTabOrder();
    if (p == "Focus") w->setFocus(Qt::OtherFocusReason);
}

void FormView::applyColours(ui::Control& c, QWidget* w) {
    QPalette pal = w->palette();
    const QColor fore = colour(c.ForeColor());
    const QColor back = colour(c.BackColor());
    bool fill = true;
    switch (c.kind()) {
        case Kind::TextBox:
        case Kind::ComboBox:
        case Kind::ListBox:
        case Kind::FileListBox:
            setColour(pal, QPalette::Text, fore, true);
            // A box out of use shows the ground of the window's buttons, as
            // a disabled box does, whatever its own colour.
            setColour(pal, QPalette::Base, back, true);
            pal.setColor(QPalette::Disabled, QPalette::Base,
                         QApplication::palette().color(QPalette::Disabled, QPalette::Window));
            fill = false;
            break;
        case Kind::CommandButton:
            setColour(pal, QPalette::ButtonText, fore, true);
            setColour(pal, QPalette::Button, back, false);
            fill = false;
            break;
        case Kind::CheckBox:
        case Kind::OptionButton:
            // A button fills its background from the Button role, not Window.
            setColour(pal, QPalette::WindowText, fore, true);
            setColour(pal, QPalette::ButtonText, fore, true);
            setColour(pal, QPalette::Window, back, false);
            setColour(pal, QPalette::Button, back, false);
            break;
        case Kind::Label:
            fill = as<ui::Label>(c).BackStyle() == 1;
            [[fallthrough]];
        default:
            setColour(pal, QPalette::WindowText, fore, true);
            setColour(pal, QPalette::Window, back, false);
            break;
    }
    if (c.kind() == Kind::Image || c.kind() == Kind::Line || c.kind() == Kind::Shape) fill = false;
    w->setPalette(pal);
    w->setAutoFillBackground(fill);
}

void FormView::applyTabOrder() {
    std::vector<std::pair<int, QWidget*>> order;
    for (auto& [control, w] : widgets_) {
        if (!takesFocus(control->kind())) continue;
        w->setFocusPolicy(control->TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
        order.emplace_back(control->TabIndex(), w);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1].second, order[i].second);
}

void FormView::applyForm(const std::string& p) {
    ui::Form& f = *form_;
    const bool all = p.empty();
    auto is = [&](const char* name) { return all || p == name; };
    auto* layout = static_cast<QVBoxLayout*>(window_->layout());
    const int border = f.BorderStyle();
    const bool sizable = border == ui::vbSizable || border == ui::vbSizableToolWindow;

    if (is("Caption")) window_->setWindowTitle(displayText(f.Caption()));
    if (is("BorderStyle") || is("ControlBox") || is("MinButton") || is("MaxButton") ||
        is("Caption")) {
        Qt::WindowFlags flags = Qt::Window;
        if (border == ui::vbFixedToolWindow || border == ui::vbSizableToolWindow) flags = Qt::Tool;
        // Without a caption and without any title-bar button a window has no
        // title bar at all: the usual splash window.
        const bool noTitleBar =
            f.Caption().empty() && !f.ControlBox() && !f.MinButton() && !f.MaxButton();
        if (border == ui::vbBSNone || noTitleBar) {
            flags |= Qt::FramelessWindowHint;
        } else {
            flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
            if (f.ControlBox()) {
                flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
                const bool buttons = border == ui::vbFixedSingle || border == ui::vbSizable;
                if (buttons && f.MinButton()) flags |= Qt::WindowMinimizeButtonHint;
                if (buttons && f.MaxButton() && sizable) flags |= Qt::WindowMaximizeButtonHint;
            }
        }
        if (window_->windowFlags() != flags) {
            const bool visible = window_->isVisible();
            window_->setWindowFlags(flags);
            if (visible) window_->show();
        }
    }
    if (is("BorderStyle") || is("ScaleWidth") || is("ScaleHeight")) {
        const QSize client(px(f.ScaleWidth()), px(f.ScaleHeight()));
        if (sizable) {
            layout->setSizeConstraint(QLayout::SetDefaultConstraint);
            client_->setMinimumSize(0, 0);
            client_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            const int bar = menuBar_ ? menuBar_->sizeHint().height() : 0;
            window_->resize(client.width(), client.height() + bar);
        } else {
            layout->setSizeConstraint(QLayout::SetFixedSize);
            client_->setFixedSize(client);
        }
    }
    if (is("ForeColor") || is("BackColor")) applyColours(f, client_);
    if (is("Font")) client_->setFont(font(f.Font()));
    if (is("Icon") && !f.Icon().empty()) window_->setWindowIcon(QIcon(picture(f.Icon())));
    if ((all && f.StartUpPosition() == 0) || p == "Left" || p == "Top")
        window_->move(px(f.Left()), px(f.Top()));
    if (is("Enabled")) window_->setEnabled(f.Enabled());
    if (p == "Visible") {
        if (f.Visible())
            showWindow();
        else
            window_->hide();
    }
}

void FormView::activate() {
    if (detached_ || !window_ || !window_->isVisible()) return;
    auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!native || !native->display()) {
        window_->activateWindow();
        return;
    }
    // Asked of the X server, not of Qt: a console command may have moved the
    // focus to the server's window within this very procedure, before Qt
    // heard of it.
    Display* dpy = native->display();
    x11::IgnoreErrors guard(dpy);
    const x11::Window w = window_->winId();
    if (x11::focusedTopLevel(dpy) == x11::topLevelOf(dpy, w)) return;
    // As on the user's behalf: a window manager may refuse a program that
    // asks for the focus for itself, and the user's next keys would go astray.
    window_->raise();
    x11::activate(dpy, w, 0);
}

void FormView::applyMenu(ui::Menu& menu, const std::string& p) {
    QAction* act = action(menu);
    if (!act) return;
    const bool all = p.empty();
    auto is = [&](const char* name) { return all || p == name; };
    if (is("Caption")) {
        act->setSeparator(menu.IsSeparator());
        if (!menu.IsSeparator()) act->setText(displayText(menu.Caption()));
    }
    if (is("Enabled")) act->setEnabled(menu.Enabled());
    if (is("Visible")) act->setVisible(menu.Visible());
    if (is("Checked")) {
        act->setCheckable(menu.Checked());
        act->setChecked(menu.Checked());
    }
}

// The window tells its outer size, frame included, as the window code
// measures a window. Sizes it has seen already raise nothing.
void FormView::reportSize() {
    const QSize outer = window_->frameGeometry().size();
    const int width = twips(outer.width());
    const int height = twips(outer.height());
    if (width == form_->Width() && height == form_->Height()) return;
    run([&] { form_->userResize(width, height); });
}

void FormView::showWindow() {
    if (!shownOnce_) {
        shownOnce_ = true;
        if (form_->StartUpPosition() != 0) {
            // A fixed window takes its size from its layout; a sizable one
            // was given its size already.
            if (window_->layout()->sizeConstraint() == QLayout::SetFixedSize) window_->adjustSize();
            if (QScreen* screen = window_->screen()) {
                const QRect area = screen->availableGeometry();
                QRect r(QPoint(), window_->size());
                r.moveCenter(area.center());
                window_->move(r.topLeft());
            }
        }
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

// ------------------------------------------------------------------ text boxes

QString FormView::widgetText(ui::TextBox&, QWidget* w) const {
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    QString t = static_cast<QPlainTextEdit*>(w)->toPlainText();
    t.replace(QChar('\n'), QStringLiteral("\r\n"));
    return t;
}

void FormView::showText(ui::TextBox& box, QWidget* w) {
    const QString shown = displayText(box.Text());
    ++updating_;
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->text() != shown) e->setText(shown);
    } else if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
        if (e->toPlainText() != shown) e->setPlainText(shown);
    }
    --updating_;
    if (editing_ != &box) showSelection(box, w);
}

void FormView::showSelection(ui::TextBox& box, QWidget* w) {
    const std::string& text = box.Text();
    const int a = widgetPosition(text, box.SelStart());
    const int b = widgetPosition(text, box.SelStart() + box.SelLength());
    ++updating_;
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (b > a)
            e->setSelection(a, b - a);
        else
            e->setCursorPosition(a);
    } else if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
        QTextCursor cursor = e->textCursor();
        cursor.setPosition(a);
        cursor.setPosition(b, QTextCursor::KeepAnchor);
        e->setTextCursor(cursor);
    }
    --updating_;
}

void FormView::takeSelection(ui::TextBox& box, QWidget* w) {
    if (updating_ || detached_) return;
    int a, b;
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        a = e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
        b = e->hasSelectedText() ? e->selectionEnd() : a;
    } else {
        const QTextCursor cursor = static_cast<QPlainTextEdit*>(w)->textCursor();
        a = cursor.selectionStart();
        b = cursor.selectionEnd();
    }
    const std::string& text = box.Text();
    const int start = modelPosition(text, a);
    ++updating_;
    box.SelStart = start;
    box.SelLength = modelPosition(text, b) - start;
    --updating_;
}

// Paste, cut, Delete, undo and the like change the widget's text directly:
// the control gets the new text as a whole.
void FormView::textEditedInWidget(ui::TextBox& box, QWidget* w) {
    if (updating_ || detached_) return;
    const std::string text = ss(widgetText(box, w));
    if (text == box.Text()) return;
    editing_ = &box;
    const bool alive = run([&] { box.userSetsText(text); });
    editing_ = nullptr;
    if (!alive) return;
    if (displayText(box.Text()) != displayText(text))
        showText(box, w);  // the Change procedure rewrote it
    else
        takeSelection(box, w);
}

bool FormView::textKeyPress(ui::TextBox& box, QWidget* w, QKeyEvent* event) {
    const auto modifiers = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    std::vector<int> codes;
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (modifiers) return false;
            codes.push_back(13);
            break;
        case Qt::Key_Backspace:
            if (modifiers) return false;
            codes.push_back(8);
            break;
        case Qt::Key_Escape: codes.push_back(27); break;
        default: {
            const QString text = event->text();
            if (modifiers || text.isEmpty()) return false;  // shortcuts, navigation
            for (QChar ch : text) {
                if (ch.unicode() < 0x20 || ch.unicode() == 0x7F) return false;  // Tab and such
                // A character outside the code page cannot be in a text box.
                const int code = ansiCode(ch);
                if (code >= 0) codes.push_back(code);
            }
        }
    }
    typeCodes(box, w, codes);
    return true;
}

// Dead keys and input methods hand over composed text without a key event of
// its own; it goes through KeyPress like typed keys, or KeyPress could be got
// round with ´ or `. A composition still under way is the widget's to show.
bool FormView::textInputMethod(ui::TextBox& box, QWidget* w, QInputMethodEvent* event) {
    const QString committed = event->commitString();
    if (committed.isEmpty()) return false;
    std::vector<int> codes;
    for (QChar ch : committed) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F) continue;
        const int code = ansiCode(ch);
        if (code >= 0) codes.push_back(code);
    }
    if (!typeCodes(box, w, codes)) return true;
    if (event->preeditString().isEmpty()) return true;
    event->setCommitString(QString());  // the rest is a new composition
    return false;
}

// The codes go to the text box one by one, as typed; false when the window
// went away during one of them.
bool FormView::typeCodes(ui::TextBox& box, QWidget* w, const std::vector<int>& codes) {
    takeSelection(box, w);
    for (int code : codes)
        if (!run([&] { box.userKey(code); })) return false;
    showText(box, w);
    return true;
}

// ------------------------------------------------------------------ lists

void FormView::showCombo(ui::ComboBox& combo) {
    auto* cb = static_cast<QComboBox*>(widget(combo));
    ++updating_;
    QStringList items;
    for (const std::string& item : combo.items()) items << qs(item);
    bool same = cb->count() == items.size();
    for (int i = 0; same && i < items.size(); ++i) same = cb->itemText(i) == items[i];
    if (!same) {
        cb->clear();
        cb->addItems(items);
    }
    if (cb->currentIndex() != combo.ListIndex()) cb->setCurrentIndex(combo.ListIndex());
    if (cb->isEditable() && cb->currentText() != qs(combo.Text())) cb->setEditText(qs(combo.Text()));
    --updating_;
}

void FormView::showList(ui::ListBox& list) {
    auto* lw = static_cast<QListWidget*>(widget(list));
    ++updating_;
    const auto& items = list.items();
    bool same = lw->count() == static_cast<int>(items.size());
    for (int i = 0; same && i < lw->count(); ++i) same = lw->item(i)->text() == qs(items[i]);
    if (!same) {
        lw->clear();
        for (const std::string& item : items) lw->addItem(qs(item));
    }
    for (int i = 0; i < lw->count(); ++i) lw->item(i)->setSelected(list.Selected(i));
    if (list.ListIndex() >= 0) lw->setCurrentRow(list.ListIndex(), QItemSelectionModel::NoUpdate);
    --updating_;
}

void FormView::showFileList(ui::FileListBox& list) {
    // A list nobody sees costs nothing (the main window polls two hidden
    // ones every second): it is filled once it shows.
    if (!list.EffectiveVisible()) {
        hiddenLists_.insert(&list);
        return;
    }
    hiddenLists_.erase(&list);
    auto* lw = static_cast<QListWidget*>(widget(list));
    ++updating_;
    bool same = lw->count() == list.ListCount();
    for (int i = 0; same && i < lw->count(); ++i) same = lw->item(i)->text() == qs(list.List(i));
    if (!same) {
        lw->clear();
        for (int i = 0; i < list.ListCount(); ++i) lw->addItem(qs(list.List(i)));
    }
    lw->clearSelection();
    if (list.ListIndex() >= 0) lw->setCurrentRow(list.ListIndex());
    --updating_;
}

// The user clicked or moved in a list box: the control decides what is
// selected, and the widget then shows that.
void FormView::listSelectionChanged(ui::ListBox& list) {
    if (updating_ || detached_) return;
    auto* lw = static_cast<QListWidget*>(widget(list));
    if (list.MultiSelect() == 0) {
        const auto rows = lw->selectionModel()->selectedRows();
        const int row = rows.isEmpty() ? -1 : rows.first().row();
        if (row >= 0 && row != list.ListIndex() && !run([&] { list.userSelect(row); })) return;
    } else {
        std::vector<int> toggled;
        for (int i = 0; i < lw->count() && i < list.ListCount(); ++i)
            if (lw->item(i)->isSelected() != list.Selected(i)) toggled.push_back(i);
        for (int i : toggled)
            if (!run([&] { list.userToggle(i); })) return;
    }
    showList(list);
}

// ------------------------------------------------------------------ input events

bool FormView::eventFilter(QObject* watched, QEvent* event) {
    if (detached_) return false;
    if (watched == window_) {
        // The window manager's frame arrives after the window is shown, and
        // moves the window without resizing it: the outer size changes then.
        if ((event->type() == QEvent::Resize || event->type() == QEvent::Show ||
             event->type() == QEvent::Move) &&
            window_->isVisible())
            reportSize();
        return false;
    }
    auto it = controls_.find(watched);
    if (it == controls_.end()) return false;
    ui::Control& c = *it->second;
    auto* w = static_cast<QWidget*>(watched);

    if (c.kind() == Kind::TextBox) {
        auto& box = as<ui::TextBox>(c);
        if (event->type() == QEvent::KeyPress) return textKeyPress(box, w, static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::InputMethod)
            return textInputMethod(box, w, static_cast<QInputMethodEvent*>(event));
        if (event->type() == QEvent::KeyRelease) {
            auto* key = static_cast<QKeyEvent*>(event);
            const int code = keyCode(key->key());
            if (code && !key->isAutoRepeat()) run([&] { box.userKeyCode(code, 0); });
        }
        return false;
    }

    // Labels and pictures: Click on release, DblClick on the second press.
    if (event->type() == QEvent::MouseButtonDblClick) {
        afterDoubleClick_ = true;
        if (c.kind() == Kind::Label) run([&] { as<ui::Label>(c).userDblClick(); });
        if (c.kind() == Kind::Image) run([&] { as<ui::Image>(c).userDblClick(); });
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        if (afterDoubleClick_) {
            afterDoubleClick_ = false;
            return false;
        }
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !w->rect().contains(mouse->position().toPoint()))
            return false;
        if (c.kind() == Kind::Label) run([&] { as<ui::Label>(c).userClick(); });
        if (c.kind() == Kind::Image) run([&] { as<ui::Image>(c).userClick(); });
        if (c.kind() == Kind::PictureBox) run([&] { as<ui::PictureBox>(c).userClick(); });
    }
    return false;
}

}  // namespace desktop
