#include "common/Paths.h"

namespace common {

std::string pfad(std::string_view base, std::string_view rel, char sep) {
    std::string path(base);
    path += sep;
    for (char c : rel) path += (c == '\\' || c == '/') ? sep : c;
    return path;
}

}  // namespace common
