#include "desktop/X11Console.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

#include "desktop/X11Windows.h"

extern "C" {
#include <xdo.h>
}

namespace desktop {
namespace {

// How long activation waits for the window manager to report the window
// active. The tool's windows stand still meanwhile, so the wait stays well
// under half a second; a window manager slower than that finds the keys
// held back by the check before each key, not typed elsewhere. A title that
// no window has is known at once, without this wait.
constexpr int kActivateWaitMs = 400;
// How long a text waits for its window to get the focus before the first
// key: the focus may follow the window manager's word a moment later.
constexpr auto kFocusWait = std::chrono::milliseconds(150);

std::optional<std::vector<char32_t>> decodeUtf8(const std::string& text) {
    std::vector<char32_t> result;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07;
        } else {
            return std::nullopt;
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= text.size()) return std::nullopt;
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        result.push_back(cp);
        i += extra + 1;
    }
    return result;
}

// The key symbol that types the character; NoSymbol for control characters
// that have no key of their own here.
KeySym keysymFor(char32_t cp) {
    if (cp == 13) return XK_Return;
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) return NoSymbol;
    // Latin-1 characters are their own key symbols; all others have the
    // Unicode key symbol.
    if (cp < 0x100) return static_cast<KeySym>(cp);
    return static_cast<KeySym>(0x01000000 | cp);
}

// Whether the keys go where the focus is: another program holding the
// keyboard (an open menu, the window manager's menu) gets them instead,
// whichever window has the focus. X tells that only to a program trying to
// take the keyboard itself. Tried in a window that is never shown, the try
// fails either way, as "already grabbed" when another program holds the
// keyboard and as "not viewable" otherwise, and takes nothing: a try that
// succeeded would send the console window a focus change at every key,
// which unsettles the focus of the windows involved. Called with the server
// held, so that nobody takes the keyboard before the key.
bool keyboardFree(Display* dpy, Window unshown) {
    const int answer =
        XGrabKeyboard(dpy, unshown, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (answer == GrabSuccess) XUngrabKeyboard(dpy, CurrentTime);
    return answer != AlreadyGrabbed && answer != GrabFrozen;
}

}  // namespace

X11Console::X11Console() {
    dpy_ = XOpenDisplay(nullptr);
    if (!dpy_) return;
    xdo_ = xdo_new_with_opened_display(dpy_, nullptr, 0);
    unshown_ = XCreateWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 1, 1, 0, 0, InputOnly,
                             CopyFromParent, 0, nullptr);
}

X11Console::~X11Console() {
    if (xdo_) xdo_free(xdo_);
    if (dpy_) XCloseDisplay(dpy_);  // takes the window along
}

bool X11Console::AppActivate(const std::string& title) {
    if (!dpy_) return false;
    x11::IgnoreErrors guard(dpy_);
    for (Window w : x11::topLevelWindows(dpy_)) {
        if (x11::windowTitle(dpy_, w) != title) continue;
        // The window manager may be slow to confirm; the request went out
        // and the window exists, which is what activation promises.
        x11::activate(dpy_, w, kActivateWaitMs);
        console_ = w;
        return true;
    }
    return false;
}

bool X11Console::IsActive(const std::string& title) {
    if (!dpy_) return false;
    x11::IgnoreErrors guard(dpy_);
    const Window active = x11::activeWindow(dpy_);
    if (active == 0 || x11::windowTitle(dpy_, active) != title) return false;
    console_ = active;
    return true;
}

// Finds a key for every symbol. Symbols the keymap lacks are bound to spare
// keycodes before anything is typed, and they stay bound: a program that
// receives a key looks the keymap up only when it gets to that key, so a
// binding taken back right after the key (as libxdo does) can be gone by then
// and the character is lost. That is what happened to the first umlaut typed
// into a fresh X session.
bool X11Console::placeKeys(std::vector<Key>& keys) {
    int minCode = 0, maxCode = 0;
    XDisplayKeycodes(dpy_, &minCode, &maxCode);
    int perCode = 0;
    KeySym* map = XGetKeyboardMapping(dpy_, static_cast<KeyCode>(minCode),
                                      maxCode - minCode + 1, &perCode);
    if (!map) return false;
    auto symAt = [&](int code, int level) { return map[(code - minCode) * perCode + level]; };

    // Modifier keys are never spare, even when they lack symbols.
    std::vector<KeyCode> modifierCodes;
    if (XModifierKeymap* mods = XGetModifierMapping(dpy_)) {
        for (int i = 0; i < 8 * mods->max_keypermod; ++i)
            if (mods->modifiermap[i]) modifierCodes.push_back(mods->modifiermap[i]);
        XFreeModifiermap(mods);
    }
    auto isModifier = [&](int code) {
        return std::find(modifierCodes.begin(), modifierCodes.end(), code) != modifierCodes.end();
    };

    std::vector<KeySym> missing;
    for (Key& key : keys) {
        key.code = 0;
        // The plain level first, so that e.g. '1' comes from the digit row.
        for (int level = 0; level < std::min(perCode, 2) && !key.code; ++level)
            for (int code = minCode; code <= maxCode && !key.code; ++code)
                if (symAt(code, level) == key.symbol) {
                    key.code = static_cast<KeyCode>(code);
                    key.shifted = level == 1;
                }
        if (!key.code && std::find(missing.begin(), missing.end(), key.symbol) == missing.end())
            missing.push_back(key.symbol);
    }

    std::vector<KeyCode> spare;
    for (int code = maxCode; code >= minCode; --code) {
        bool empty = true;
        for (int level = 0; level < perCode && empty; ++level) empty = symAt(code, level) == NoSymbol;
        if (empty && !isModifier(code)) spare.push_back(static_cast<KeyCode>(code));
    }
    XFree(map);

    // Keycodes bound earlier may be taken again, the oldest first, unless
    // this text needs what they hold.
    for (KeyCode code : bound_) {
        const bool needed = std::any_of(keys.begin(), keys.end(),
                                        [&](const Key& k) { return k.code == code; });
        if (!needed && std::find(spare.begin(), spare.end(), code) == spare.end())
            spare.push_back(code);
    }
    if (missing.size() > spare.size()) return false;

    for (std::size_t i = 0; i < missing.size(); ++i) {
        const KeyCode code = spare[i];
        KeySym both[2] = {missing[i], missing[i]};
        XChangeKeyboardMapping(dpy_, code, 2, both, 1);
        bound_.erase(std::remove(bound_.begin(), bound_.end(), code), bound_.end());
        bound_.push_back(code);
        for (Key& key : keys)
            if (key.symbol == missing[i]) key.code = code, key.shifted = false;
    }
    // The server has the new bindings, and so every client's notice of them
    // is queued ahead of the keys that follow.
    XSync(dpy_, False);
    return true;
}

bool X11Console::capsLock() const { return (xdo_get_input_state(xdo_) & LockMask) != 0; }

void X11Console::toggleCapsLock() {
    xdo_send_keysequence_window(xdo_, CURRENTWINDOW, "Caps_Lock", 0);
    XSync(dpy_, False);
}

// Each key goes out only while the window that had the keyboard focus when
// the text began still has it and no other program holds the keyboard,
// checked with the X server held, so that no other program can take the
// focus or the keyboard between the check and the key. At the first key
// that cannot go, typing stops and the text counts as not delivered: the
// rest would land in whatever window took the focus or program the keyboard.
// The characters the window did get before are taken back (BackSpace) at the
// start of the next text typed into it, so it never runs half a line joined
// to the next.
bool X11Console::SendKeys(const std::string& text, bool wait) {
    if (!dpy_ || !xdo_) return false;
    const auto codepoints = decodeUtf8(text);
    if (!codepoints) return false;

    x11::IgnoreErrors guard(dpy_);
    // The keys are meant for the window last activated or seen in front,
    // not for whichever took the focus since.
    const x11::Window target =
        console_ ? x11::topLevelOf(dpy_, console_) : x11::focusedTopLevel(dpy_);
    if (!target) return false;
    if (target != partialWindow_) {
        partialWindow_ = target;
        partial_ = 0;
    }

    std::vector<Key> keys(partial_, Key{XK_BackSpace, 0, false});
    for (char32_t cp : *codepoints)
        if (const KeySym symbol = keysymFor(cp); symbol != NoSymbol)
            keys.push_back({symbol, 0, false});
    if (!placeKeys(keys)) return false;

    // Keys arrive as given: Caps Lock would turn "quit" into "QUIT", a held
    // Ctrl or Alt would make shortcuts of them. The user's state comes back
    // afterwards. Not even these keys go out where the first key could not.
    const auto until = std::chrono::steady_clock::now() + kFocusWait;
    for (;;) {
        XGrabServer(dpy_);
        if (x11::focusedTopLevel(dpy_) == target && keyboardFree(dpy_, unshown_)) break;
        XUngrabServer(dpy_);
        XFlush(dpy_);
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    charcodemap_t* held = nullptr;
    int heldCount = 0;
    const bool capsLocked = capsLock();
    xdo_get_active_modifiers(xdo_, &held, &heldCount);
    xdo_clear_active_modifiers(xdo_, CURRENTWINDOW, held, heldCount);
    if (capsLock()) toggleCapsLock();
    XUngrabServer(dpy_);

    bool delivered = true;
    for (const Key& key : keys) {
        XGrabServer(dpy_);
        const bool arrives = x11::focusedTopLevel(dpy_) == target && keyboardFree(dpy_, unshown_);
        if (arrives) {
            charcodemap_t press{};
            press.code = key.code;
            press.symbol = key.symbol;
            press.modmask = key.shifted ? ShiftMask : 0;
            int modifiers = 0;
            xdo_send_keysequence_window_list_do(xdo_, CURRENTWINDOW, &press, 1, True, &modifiers, 0);
            xdo_send_keysequence_window_list_do(xdo_, CURRENTWINDOW, &press, 1, False, &modifiers, 0);
        }
        XUngrabServer(dpy_);
        XFlush(dpy_);
        if (!arrives) {
            delivered = false;
            break;
        }
        if (key.symbol == XK_Return)
            partial_ = 0;
        else if (key.symbol == XK_BackSpace)
            partial_ = std::max(0, partial_ - 1);
        else
            ++partial_;
    }
    xdo_set_active_modifiers(xdo_, CURRENTWINDOW, held, heldCount);
    std::free(held);
    // Caps Lock is no held key, and libxdo does not bring it back.
    if (capsLocked && !capsLock()) toggleCapsLock();
    if (wait)
        XSync(dpy_, False);
    else
        XFlush(dpy_);
    return delivered;
}

}  // namespace desktop
