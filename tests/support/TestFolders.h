// A fresh program folder and game folder per test, and byte-exact file helpers.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

private:
    std::string path_;
};

// Reads a file's bytes; "" when it cannot be read. `exists` tells which.
std::string readBytes(const std::string& path, bool* exists = nullptr);
void writeBytes(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
void makeDirs(const std::string& path);
// Joins lines with CR LF after each, as the tool writes them. UTF-8 input is
// converted to Windows-1252.
std::string crlf(const std::vector<std::string>& lines);
// A game folder with custom/cache, Missions and Descent3 below `root`.
std::string makeGameFolder(const std::string& root);

}  // namespace testing_support
