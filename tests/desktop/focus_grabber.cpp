// A window that takes the keyboard focus again and again, as a chat program
// or a pop-up of another program does: every 0 to 200 ms (at random) it asks
// the window manager to activate it. Every key it gets is appended to the
// file named on its command line, one key symbol name per line.
//
//   focus_grabber KEYLOG
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>

#include <cstdio>
#include <random>

namespace {

volatile sig_atomic_t stop = 0;

void activate(Display* dpy, Window w) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;  // as the user would, from a task bar
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, DefaultRootWindow(dpy), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(dpy);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: focus_grabber KEYLOG\n");
        return 2;
    }
    signal(SIGTERM, [](int) { stop = 1; });
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return 1;
    const Window w = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 200, 200, 300, 120, 1,
                                         BlackPixel(dpy, 0), WhitePixel(dpy, 0));
    XStoreName(dpy, w, "Fremdfenster");
    XSelectInput(dpy, w, KeyPressMask | StructureNotifyMask);
    XMapRaised(dpy, w);
    XFlush(dpy);

    std::FILE* keylog = std::fopen(argv[1], "a");
    if (!keylog) return 1;
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> pause(0, 200);
    pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
    while (!stop) {
        const int wait = pause(random);
        if (poll(&fd, 1, wait) == 0) activate(dpy, w);
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            if (e.type != KeyPress) continue;
            const KeySym sym = XLookupKeysym(&e.xkey, 0);
            const char* name = XKeysymToString(sym);
            std::fprintf(keylog, "%s\n", name ? name : "?");
            std::fflush(keylog);
        }
    }
    std::fclose(keylog);
    XCloseDisplay(dpy);
    return 0;
}
