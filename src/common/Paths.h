// Joining paths the way the windows join them: by plain concatenation with
// the platform's separator, without normalising.
#pragma once

#include <string>
#include <string_view>

namespace common {

// The separator between path components: "/" here ("\" on Windows).
constexpr char kPathSep = '/';

// base & sep & rel, where rel may name its components with '\' or '/'; both
// are written as `sep`. pfad("/g", "custom\\cache") is "/g/custom/cache".
// A base that already ends in a separator still gets one more.
std::string pfad(std::string_view base, std::string_view rel, char sep = kPathSep);

}  // namespace common
