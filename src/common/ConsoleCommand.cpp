#include "common/ConsoleCommand.h"

namespace common {

bool sendConsoleCommand(platform::Console& c, const std::string& text, bool wait) {
    // Typing without a server window in front would send the keys to
    // whatever window the user is working in.
    if (!c.AppActivate(kServerFenster)) return false;
    return c.SendKeys(text + "\r", wait);
}

}  // namespace common
