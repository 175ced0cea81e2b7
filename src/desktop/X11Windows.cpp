#include "desktop/X11Windows.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace desktop::x11 {
namespace {

Atom atom(Display* dpy, const char* name) { return XInternAtom(dpy, name, False); }

// Reads a whole property; empty when the window lacks it or it has another type.
template <typename T>
std::vector<T> property(Display* dpy, Window w, Atom name, Atom type, int format) {
    std::vector<T> values;
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, w, name, 0, 1 << 20, False, type, &actualType, &actualFormat,
                           &count, &after, &data) == Success &&
        data && actualType == type && actualFormat == format) {
        // Xlib hands 32-bit items over as longs, 8-bit items as chars.
        const T* items = reinterpret_cast<const T*>(data);
        values.assign(items, items + count);
    }
    if (data) XFree(data);
    return values;
}

std::vector<long> cardinals(Display* dpy, Window w, const char* name, Atom type = XA_CARDINAL) {
    return property<long>(dpy, w, atom(dpy, name), type, 32);
}

Window rootOf(Display* dpy) { return DefaultRootWindow(dpy); }

int ignoreError(Display*, XErrorEvent*) { return 0; }

}  // namespace

IgnoreErrors::IgnoreErrors(Display* dpy)
    : dpy_(dpy), previous_(reinterpret_cast<void (*)()>(XSetErrorHandler(ignoreError))) {}

IgnoreErrors::~IgnoreErrors() {
    XSync(dpy_, False);  // errors of the requests made so far arrive here
    XSetErrorHandler(reinterpret_cast<XErrorHandler>(previous_));
}

std::vector<Window> topLevelWindows(Display* dpy) {
    std::vector<Window> result;
    for (long w : cardinals(dpy, rootOf(dpy), "_NET_CLIENT_LIST", XA_WINDOW))
        result.push_back(static_cast<Window>(w));
    if (!result.empty() || hasActivatingWindowManager(dpy)) return result;

    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(dpy, rootOf(dpy), &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(dpy, children[i], &attributes) &&
                attributes.map_state == IsViewable && !attributes.override_redirect)
                result.push_back(children[i]);
        }
        if (children) XFree(children);
    }
    return result;
}

std::string windowTitle(Display* dpy, Window w) {
    const auto utf8 = property<char>(dpy, w, atom(dpy, "_NET_WM_NAME"),
                                     atom(dpy, "UTF8_STRING"), 8);
    if (!utf8.empty()) return std::string(utf8.begin(), utf8.end());

    std::string title;
    XTextProperty text{};
    if (XGetWMName(dpy, w, &text) && text.value) {
        char** list = nullptr;
        int count = 0;
        if (Xutf8TextPropertyToTextList(dpy, &text, &list, &count) >= Success && list) {
            if (count > 0 && list[0]) title = list[0];
            XFreeStringList(list);
        }
        XFree(text.value);
    }
    return title;
}

long windowPid(Display* dpy, Window w) {
    const auto pid = cardinals(dpy, w, "_NET_WM_PID");
    return pid.empty() ? 0 : pid.front();
}

bool hasActivatingWindowManager(Display* dpy) {
    const auto check = cardinals(dpy, rootOf(dpy), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (check.empty()) return false;
    const Atom wanted = atom(dpy, "_NET_ACTIVE_WINDOW");
    for (long a : cardinals(dpy, rootOf(dpy), "_NET_SUPPORTED", XA_ATOM))
        if (static_cast<Atom>(a) == wanted) return true;
    return false;
}

Window activeWindow(Display* dpy) {
    if (hasActivatingWindowManager(dpy)) {
        const auto active = cardinals(dpy, rootOf(dpy), "_NET_ACTIVE_WINDOW", XA_WINDOW);
        return active.empty() ? 0 : static_cast<Window>(active.front());
    }
    return focusedTopLevel(dpy);
}

Window topLevelOf(Display* dpy, Window w) {
    // Walk up to the child of the root: that is the top-level window.
    while (w != None && w != PointerRoot && w != rootOf(dpy)) {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(dpy, w, &root, &parent, &children, &count)) return 0;
        if (children) XFree(children);
        if (parent == root) return w;
        w = parent;
    }
    return 0;
}

Window focusedTopLevel(Display* dpy) {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(dpy, &focus, &revert);
    return topLevelOf(dpy, focus);
}

bool isIconic(Display* dpy, Window w) {
    const Atom wmState = atom(dpy, "WM_STATE");
    const auto state = property<long>(dpy, w, wmState, wmState, 32);
    if (!state.empty() && state.front() == IconicState) return true;
    const Atom hidden = atom(dpy, "_NET_WM_STATE_HIDDEN");
    for (long a : cardinals(dpy, w, "_NET_WM_STATE", XA_ATOM))
        if (static_cast<Atom>(a) == hidden) return true;
    return false;
}

bool activate(Display* dpy, Window w, int waitMs) {
    if (!hasActivatingWindowManager(dpy)) {
        XMapRaised(dpy, w);
        XSetInputFocus(dpy, w, RevertToParent, CurrentTime);
        XSync(dpy, False);
        return true;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = atom(dpy, "_NET_ACTIVE_WINDOW");
    event.xclient.format = 32;
    // Source 2: the request comes on the user's behalf, as from a task bar,
    // so the window manager does not treat it as focus stealing.
    event.xclient.data.l[0] = 2;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, rootOf(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XSync(dpy, False);

    // The window manager may name the window active a moment before it has
    // the input focus (a client that takes the focus itself takes it when it
    // gets to it): keys typed in between would not go to it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (activeWindow(dpy) != w || focusedTopLevel(dpy) != topLevelOf(dpy, w)) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void iconify(Display* dpy, Window w) {
    XIconifyWindow(dpy, w, DefaultScreen(dpy));
    XFlush(dpy);
}

}  // namespace desktop::x11
