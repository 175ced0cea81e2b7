#include "common/ConsoleCommand.h"

namespace common {

bool serverFensterVorn(platform::Console& c) {
    if (c.IsActive(kServerFenster)) return true;
    return c.AppActivate(kServerFenster) && c.IsActive(kServerFenster);
}

bool sendConsoleCommand(platform::Console& c, const std::string& text, bool wait) {
    // The command itself activates the window, as the server expects.
    if (!c.AppActivate(kServerFenster) || !c.IsActive(kServerFenster)) return false;
    return c.SendKeys(text + "\r", wait);
}

}  // namespace common
