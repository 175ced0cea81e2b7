// The Qt view of one window: a top-level widget with a widget for every
// control, kept in step with the controls through ui::Observer. The user's
// input goes back to the controls through their user*() members, each as one
// event procedure of the event loop. Every widget (and menu action) carries
// its control's name as objectName.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QString>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "ui/Control.h"
#include "ui/Controls.h"
#include "ui/Form.h"

class QAction;
class QInputMethodEvent;
class QKeyEvent;
class QMenu;
class QMenuBar;
class QWidget;

namespace desktop {

class FormView : public QObject, public ui::Observer {
public:
    // Builds the widgets from the window's current state and starts
    // following it. Pictures are looked up in `pictureFolder`.
    FormView(ui::Form& form, QString pictureFolder);
    ~FormView() override;

    ui::Form& form() const { return *form_; }
    QWidget* window() const { return window_; }
    // The widget of a control; nullptr for menus, timers and common dialogs.
    QWidget* widget(const ui::Control& control) const;
    // The action of a menu or menu item.
    QAction* action(const ui::Control& control) const;

    // The window is about to be destroyed: stop following it and let the
    // widgets go once Qt is done with the current event.
    void detach();

    void propertyChanged(ui::Control& control, const char* property) override;

    // Brings the shown window to the front with the keyboard focus, unless
    // it has the focus already.
    void activate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Window;

    void build(ui::Control& control, QWidget* parent);
    void buildMenus();
    void buildMenu(ui::Menu& menu, QMenuBar* bar, QMenu* parent);
    QWidget* makeWidget(ui::Control& control, QWidget* parent);
    void stackGraphicsBelow(ui::Control& container);
    void apply(ui::Control& control, const std::string& property);
    void applyForm(const std::string& property);
    void applyMenu(ui::Menu& menu, const std::string& property);
    void applyCommon(ui::Control& control, QWidget* w, const std::string& property);
    void applyColours(ui::Control& control, QWidget* w);
    void applyTabOrder();
    void showWindow();
    void reportSize();
    QPixmap picture(const std::string& name) const;

    // Text boxes.
    bool textKeyPress(ui::TextBox& box, QWidget* w, QKeyEvent* event);
    bool textInputMethod(ui::TextBox& box, QWidget* w, QInputMethodEvent* event);
    bool typeCodes(ui::TextBox& box, QWidget* w, const std::vector<int>& codes);
    void textEditedInWidget(ui::TextBox& box, QWidget* w);
    void showText(ui::TextBox& box, QWidget* w);
    void showSelection(ui::TextBox& box, QWidget* w);
    void takeSelection(ui::TextBox& box, QWidget* w);
    QString widgetText(ui::TextBox& box, QWidget* w) const;

    // Lists.
    void showCombo(ui::ComboBox& combo);
    void showList(ui::ListBox& list);
    void showFileList(ui::FileListBox& list);
    void listSelectionChanged(ui::ListBox& list);

    // Runs one event procedure; false when the window went away meanwhile.
    bool run(const std::function<void()>& procedure);

    ui::Form* form_;
    QString pictureFolder_;
    QPointer<QWidget> window_;
    QWidget* client_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    std::map<const ui::Control*, QWidget*> widgets_;
    std::map<const QObject*, ui::Control*> controls_;
    std::map<const ui::Control*, QAction*> actions_;
    bool detached_ = false;
    bool shownOnce_ = false;
    // Set while the view itself writes to widgets, so their change signals
    // are not taken for the user's input.
    int updating_ = 0;
    // The text box whose text the user is changing through the widget: its
    // caret stays where the widget has it.
    const ui::TextBox* editing_ = nullptr;
    bool afterDoubleClick_ = false;
    // File lists whose contents changed while they were hidden.
    std::set<ui::FileListBox*> hiddenLists_;
};

}  // namespace desktop
