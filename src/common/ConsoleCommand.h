// A console command for a running dedicated server: the tool finds the
// server's console window by its title and types the command into it.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace common {

// The title of the dedicated server's console window.
inline const std::string kServerFenster = "Descent 3";

// Activates the server window and types `text` and Enter into it, with or
// without waiting until the keys are processed. When no server window can be
// activated nothing is typed and the result is false.
bool sendConsoleCommand(platform::Console& c, const std::string& text, bool wait = true);

}  // namespace common
