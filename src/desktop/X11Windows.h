// Small helpers over Xlib for finding and handling other programs' top-level
// windows. Shared by the process starter, the console service and the tests.
#pragma once

#include <string>
#include <vector>

// Xlib's own names, without its header: that header defines macros (Bool,
// Status, None ...) that clash with Qt's, so only .cpp files include it, last.
struct _XDisplay;

namespace desktop::x11 {

using Display = ::_XDisplay;
using Window = unsigned long;

// While it lives, X protocol errors (a window that vanished between two
// requests) are ignored instead of ending the program, as Xlib's default
// handler would.
class IgnoreErrors {
public:
    explicit IgnoreErrors(Display* dpy);
    ~IgnoreErrors();
    IgnoreErrors(const IgnoreErrors&) = delete;
    IgnoreErrors& operator=(const IgnoreErrors&) = delete;

private:
    Display* dpy_;
    void (*previous_)();  // Xlib's error handler, type erased
};

// The client windows the window manager manages (including iconified ones);
// without a window manager, the mapped children of the root window.
std::vector<Window> topLevelWindows(Display* dpy);

// The window's title in UTF-8 (_NET_WM_NAME, else WM_NAME); "" when it has none.
std::string windowTitle(Display* dpy, Window w);

// The process id the window's owner announced in _NET_WM_PID, 0 when none.
long windowPid(Display* dpy, Window w);

// Whether a window manager that handles _NET_ACTIVE_WINDOW is running.
bool hasActivatingWindowManager(Display* dpy);

// The window the window manager reports active, or the top-level window that
// holds the input focus where there is no window manager. 0 when none.
Window activeWindow(Display* dpy);

// The top-level window (the root's child: a window manager's frame, or the
// client itself without one) that holds `w`; 0 when `w` is gone.
Window topLevelOf(Display* dpy, Window w);

// The top-level window that holds the keyboard focus right now, whatever
// the window manager reports; 0 when the focus is on no window.
Window focusedTopLevel(Display* dpy);

// Whether the window is iconified (WM_STATE IconicState or _NET_WM_STATE_HIDDEN).
bool isIconic(Display* dpy, Window w);

// Brings the window to the front with the keyboard focus: through the window
// manager where one runs (it also restores an iconified window), else by
// raising and focusing it directly. Waits up to `waitMs` for the window
// manager to report it active and for it to have the input focus; true when
// it does (always true without a window manager).
bool activate(Display* dpy, Window w, int waitMs);

// Asks the window manager to iconify the window.
void iconify(Display* dpy, Window w);

}  // namespace desktop::x11
