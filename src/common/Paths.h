// Joining paths the way the windows join them: by plain concatenation with
// the platform's separator, without normalising.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace common {

// The separator between path components: "/" here ("\" on Windows).
constexpr char kPathSep = '/';

// base & sep & rel, where rel may name its components with '\' or '/'; both
// are written as `sep`. pfad("/g", "custom\\cache") is "/g/custom/cache".
// A base that already ends in a separator still gets one more.
std::string pfad(std::string_view base, std::string_view rel, char sep = kPathSep);

// The user's home folder: $HOME, else the one the user database gives; "/"
// when neither is known. Never ends in a separator unless it is "/".
std::string heimordner();

// A folder as an absolute path without "." or ".." steps and without a
// trailing separator; a relative one is taken from the current folder.
std::string absoluterOrdner(const std::string& ordner);

// Whether two names are equal regardless of case. ASCII letters only: the
// game's own names are, and the lookup must not depend on the locale.
bool gleichOhneGross(std::string_view a, std::string_view b);

// The real name of the entry of `ordner` called `name` in any case: the exact
// name when it exists, otherwise the first of the differently cased ones in
// byte order. Nothing when the folder holds no such entry or cannot be read.
std::optional<std::string> eintragImOrdner(const std::string& ordner, std::string_view name);

// pfad(base, rel), with every component of rel written as the existing entry
// that answers to it regardless of case: the game's folders and files come in
// any case ("Missions" finds "missions"). From the first component that has
// no entry on, the rest stays as written, so a missing file keeps its name.
std::string pfadImSpielordner(std::string_view base, std::string_view rel);

}  // namespace common
