#include "desktop/FilesInUse.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <string>

namespace desktop {
namespace {

bool isNumber(const char* name) {
    if (!*name) return false;
    for (; *name; ++name)
        if (!std::isdigit(static_cast<unsigned char>(*name))) return false;
    return true;
}

// Calls `visit` with the path of every open-file entry of one process until it
// returns true.
template <typename Visit>
bool anyOpenFile(const std::string& fdFolder, Visit visit) {
    DIR* dir = opendir(fdFolder.c_str());
    if (!dir) return false;  // gone meanwhile, or not ours to look at
    bool found = false;
    while (!found) {
        const dirent* entry = readdir(dir);
        if (!entry) break;
        if (isNumber(entry->d_name)) found = visit(fdFolder + "/" + entry->d_name);
    }
    closedir(dir);
    return found;
}

}  // namespace

bool fileInUse(const std::string& path) {
    struct stat target {};
    if (stat(path.c_str(), &target) != 0) return false;

    DIR* proc = opendir("/proc");
    if (!proc) return false;
    bool found = false;
    while (!found) {
        const dirent* entry = readdir(proc);
        if (!entry) break;
        if (!isNumber(entry->d_name)) continue;
        found = anyOpenFile(std::string("/proc/") + entry->d_name + "/fd",
                            [&](const std::string& fd) {
                                // stat follows the entry to the open file itself.
                                struct stat open {};
                                return stat(fd.c_str(), &open) == 0 &&
                                       open.st_dev == target.st_dev &&
                                       open.st_ino == target.st_ino;
                            });
    }
    closedir(proc);
    return found;
}

}  // namespace desktop
