#include "desktop/FilesInUse.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "desktop/GameServers.h"

namespace desktop {
namespace {

// Whether one of the process's memory mappings is the file: a loaded module
// stays in use after its descriptor was closed. Each line of the map names
// the device as "major:minor" in hex and the inode.
bool mapsFile(const std::string& mapsPath, const struct stat& target) {
    std::ifstream maps(mapsPath);
    for (std::string line; std::getline(maps, line);) {
        std::istringstream fields(line);
        std::string range, perms, offset, device;
        unsigned long long inode = 0;
        if (!(fields >> range >> perms >> offset >> device >> inode) || inode == 0) continue;
        if (inode != target.st_ino) continue;
        const auto colon = device.find(':');
        if (colon == std::string::npos) continue;
        const unsigned long major = std::strtoul(device.substr(0, colon).c_str(), nullptr, 16);
        const unsigned long minor = std::strtoul(device.substr(colon + 1).c_str(), nullptr, 16);
        if (makedev(major, minor) == target.st_dev) return true;
    }
    return false;
}

// A server's lock in its temporary folder names the running server.
bool lockOfRunningProcess(const std::string& path) {
    const auto slash = path.rfind('/');
    return path.compare(slash == std::string::npos ? 0 : slash + 1, std::string::npos, ".lock") == 0 &&
           runningLockHolder(path) != 0;
}

}  // namespace

bool fileInUse(const std::string& path) {
    struct stat target {};
    if (stat(path.c_str(), &target) != 0) return false;
    if (lockOfRunningProcess(path)) return true;

    for (const pid_t pid : processIds()) {
        const bool held = anyOpenFile(pid, [&](const std::string& fd) {
            // stat follows the entry to the open file itself.
            struct stat open {};
            return stat(fd.c_str(), &open) == 0 && open.st_dev == target.st_dev &&
                   open.st_ino == target.st_ino;
        });
        if (held || mapsFile("/proc/" + std::to_string(pid) + "/maps", target)) return true;
    }
    return false;
}

}  // namespace desktop
