#include "shell/command_line.h"

namespace zuv::shell {
namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Reads the parameter that starts at or after `at`; false when only blanks are left.
bool NextParam(const std::string& line, size_t& at, std::string& param) {
    for (;;) {
        while (at < line.size() && IsBlank(line[at])) ++at;
        if (line.compare(at, 2, "\"\"") == 0)
            at += 2;
        else
            break;
    }
    if (at >= line.size()) return false;
    param.clear();
    while (at < line.size() && !IsBlank(line[at])) {
        if (line[at] == '"') {
            const size_t close = line.find('"', at + 1);
            const size_t end = close == std::string::npos ? line.size() : close;
            param.append(line, at + 1, end - at - 1);
            at = close == std::string::npos ? end : close + 1;
        } else {
            param += line[at++];
        }
    }
    return true;
}

}  // namespace

std::vector<std::string> CommandLineParams(const std::string& commandLine) {
    std::vector<std::string> params;
    size_t at = 0;
    std::string param;
    if (!NextParam(commandLine, at, param)) return params;  // the program's own name
    while (NextParam(commandLine, at, param)) params.push_back(param);
    return params;
}

}  // namespace zuv::shell
