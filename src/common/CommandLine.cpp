#include "common/CommandLine.h"

namespace common {

std::string Kommandozeile(std::string_view spielordner, std::string_view configName,
                          std::string_view tempdir, std::string_view port, char sep) {
    std::string line(spielordner);
    line += sep;
    line += "main -dedicated ";
    line += configName;
    line += " -tempdir ";
    line += tempdir;
    line += " -useport ";
    line += port;
    return line;
}

std::vector<std::string> splitCommandLine(std::string_view commandLine) {
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (true) {
        pos = commandLine.find_first_not_of(' ', pos);
        if (pos == std::string_view::npos) break;
        const std::size_t end = commandLine.find(' ', pos);
        words.emplace_back(commandLine.substr(pos, end - pos));
        if (end == std::string_view::npos) break;
        pos = end;
    }
    return words;
}

}  // namespace common
