// A console command for a running dedicated server: the tool finds the
// server's console window by its title and types the command into it.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace common {

// The title of the dedicated server's console window.
inline const std::string kServerFenster = "Descent 3";

// Brings the server window to the front unless it is there already. True
// only once it is seen in front: an activation merely asks the window
// manager, which may refuse or be late, and keys typed then would land in
// whatever window the user is working in.
bool serverFensterVorn(platform::Console& c);

// Activates the server window and types `text` and Enter into it, with or
// without waiting until the keys are processed. When the server window cannot
// be brought to the front nothing is typed and the result is false.
bool sendConsoleCommand(platform::Console& c, const std::string& text, bool wait = true);

}  // namespace common
