// The level-pack queue pack.cfg in the program folder: one configuration path
// per line, the entries still to run. An empty or absent file is the empty
// queue.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace common {

inline const std::string kPackliste = "pack.cfg";

// The queue's full path in `programmordner`.
std::string packlistenPfad(const std::string& programmordner);

// Empties the queue: deletes pack.cfg and creates it again with no content; a
// queue that is not there stays absent. Every place that empties the queue
// does it through here. When it cannot be emptied, a critical message names
// the file and the reason, since the old queue would otherwise run again at
// the next opening; false then.
bool packlisteLeeren(platform::Dialogs& dialoge, const std::string& programmordner);

}  // namespace common
