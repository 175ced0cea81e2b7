// Whether a running process holds a file open, from /proc.
#pragma once

#include <string>

namespace desktop {

// True when any process whose files this user may see holds `path` open or
// has it mapped into its memory (the same file: device and inode, so links
// and other spellings count), or when `path` is a server's ".lock" naming a
// running process. False for a file that does not exist.
bool fileInUse(const std::string& path);

}  // namespace desktop
