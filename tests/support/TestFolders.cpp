#include "TestFolders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "common/Encoding.h"

namespace fs = std::filesystem;

namespace testing_support {

TempDir::TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "vantor-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string readBytes(const std::string& path, bool* exists) {
    std::ifstream in(path, std::ios::binary);
    if (exists) *exists = static_cast<bool>(in);
    if (!in) return {};
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool fileExists(const std::string& path) { return fs::exists(path); }

void makeDirs(const std::string& path) { fs::create_directories(path); }

std::string crlf(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += common::utf8ToAnsi(l) + "\r\n";
    return s;
}

std::string makeGameFolder(const std::string& root) {
    std::string game = root + "/D3";
    fs::create_directories(game + "/custom/cache");
    fs::create_directories(game + "/Missions");
    // The game's native program: a start runs it. Never run in these tests.
    writeBytes(game + "/Descent3", "");
    return game;
}

}  // namespace testing_support
