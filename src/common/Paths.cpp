#include "common/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace common {

std::string pfad(std::string_view base, std::string_view rel, char sep) {
    std::string path(base);
    path += sep;
    for (char c : rel) path += (c == '\\' || c == '/') ? sep : c;
    return path;
}

bool gleichOhneGross(std::string_view a, std::string_view b) {
    auto klein = [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
    };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](unsigned char x, unsigned char y) {
               return klein(x) == klein(y);
           });
}

std::optional<std::string> eintragImOrdner(const std::string& ordner, std::string_view name) {
    namespace fs = std::filesystem;
    if (name.empty() || name == "." || name == "..") return std::string(name);
    std::error_code ec;
    const fs::path genau = fs::path(ordner) / fs::path(std::string(name));
    if (fs::symlink_status(genau, ec).type() != fs::file_type::not_found && !ec)
        return std::string(name);
    std::optional<std::string> gefunden;
    fs::directory_iterator it(fs::path(ordner), ec);
    if (ec) return std::nullopt;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::string eintrag = it->path().filename().string();
        if (gleichOhneGross(eintrag, name) && (!gefunden || eintrag < *gefunden))
            gefunden = std::move(eintrag);
    }
    return gefunden;
}

std::string pfadImSpielordner(std::string_view base, std::string_view rel) {
    std::string path(base);
    bool gefunden = true;
    std::size_t start = 0;
    while (start <= rel.size()) {
        std::size_t ende = rel.find_first_of("\\/", start);
        if (ende == std::string_view::npos) ende = rel.size();
        const std::string_view teil = rel.substr(start, ende - start);
        std::optional<std::string> echt;
        if (gefunden && !teil.empty()) echt = eintragImOrdner(path.empty() ? "/" : path, teil);
        gefunden = gefunden && (teil.empty() || echt.has_value());
        path += kPathSep;
        path += echt ? *echt : std::string(teil);
        start = ende + 1;
    }
    return path;
}

namespace {

std::string ohneSchlussTrenner(std::string ordner) {
    while (ordner.size() > 1 && ordner.back() == '/') ordner.pop_back();
    return ordner;
}

}  // namespace

std::string heimordner() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home == '/') return ohneSchlussTrenner(home);
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr &&
                                                   *pw->pw_dir == '/')
        return ohneSchlussTrenner(pw->pw_dir);
    return "/";
}

std::string absoluterOrdner(const std::string& ordner) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(ordner, ec);
    if (ec) p = ordner;
    return ohneSchlussTrenner(p.lexically_normal().string());
}

}  // namespace common
