// Whether a running process holds a file open, from /proc.
#pragma once

#include <string>

namespace desktop {

// True when any process whose open files this user may see holds `path` open
// (the same file: device and inode, so links and other spellings count). False
// for a file that does not exist.
bool fileInUse(const std::string& path);

}  // namespace desktop
