// Finding the server's console window by its title and typing into it, on X11.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

struct xdo;
struct _XDisplay;

namespace desktop {

class X11Console : public platform::Console {
public:
    // Opens its own connection to the display named by DISPLAY. Without a
    // display every call fails.
    X11Console();
    ~X11Console() override;
    X11Console(const X11Console&) = delete;
    X11Console& operator=(const X11Console&) = delete;

    // Activates the first top-level window whose title is exactly `title`
    // (iconified ones included: activation restores them). False at once when
    // there is none.
    bool AppActivate(const std::string& title) override;
    bool IsActive(const std::string& title) override;
    // Types the UTF-8 text literally into the window that the last
    // AppActivate found or IsActive saw in front (the focused one before
    // either ran), and only while it has the focus and no other program
    // holds the keyboard (an open menu does): every printable character
    // stands for itself, character 13 is Return, other control characters
    // are left out. False when there is no display or the text is not valid
    // UTF-8; then nothing is typed. Also false when another window took the
    // focus or another program the keyboard before the last key: typing
    // stopped there, and the characters that got through are taken back by
    // BackSpace before the next text typed into that window. The window has
    // a moment (150 ms) to get the focus before the first key, as the focus
    // may follow the window manager's word that it is active.
    bool SendKeys(const std::string& text, bool wait) override;

private:
    struct Key {
        unsigned long symbol;  // KeySym
        unsigned char code;    // KeyCode
        bool shifted;
    };
    bool placeKeys(std::vector<Key>& keys);
    bool capsLock() const;
    void toggleCapsLock();

    _XDisplay* dpy_ = nullptr;
    xdo* xdo_ = nullptr;
    // Spare keycodes this object bound to characters the keymap lacked, the
    // most recently bound last.
    std::vector<unsigned char> bound_;
    // The window the last AppActivate found or IsActive saw in front: the
    // one the keys are for.
    unsigned long console_ = 0;
    // A window never shown, to ask whether another program holds the
    // keyboard.
    unsigned long unshown_ = 0;
    // Characters typed into partialWindow_ after its last Return: a text cut
    // short by a focus change left them in its input line.
    unsigned long partialWindow_ = 0;
    int partial_ = 0;
};

}  // namespace desktop
