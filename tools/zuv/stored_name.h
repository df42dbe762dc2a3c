// The names `zuv pack` will store: only those that the set gives back as they were packed.
#pragma once

#include <cstdio>
#include <string>

#include "archive/segment.h"

namespace zuv::tool {

// The longest stored name: a catalogue record is shorter than the reader's 8192-byte buffer.
constexpr size_t kMaxStoredName = archive::kSegBufferSize - 1;

// `text` with every control character written as \xNN, for a message.
inline std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(c));
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out;
}

// Why a name cannot be packed, or "" when it can. `relative` is the name below the packed
// folder with "/" between its parts (a folder's own name for its template, when `wholeName` is
// false: the template is kept as it stands, so only the characters matter there).
inline std::string NameProblem(const std::string& relative, bool wholeName = true) {
    for (unsigned char c : relative) {
        if (c < 0x20 || c == 0x7F)
            return "it holds a control character, which the setup program cannot put in a file name";
        if (c == '\\') return "a backslash in a name is read back as a folder separator";
        if (std::string(":*?\"<>|").find(char(c)) != std::string::npos)
            return std::string("Windows cannot hold '") + char(c) +
                   "' in a file name, so the setup program would pass the file over";
    }
    if (!wholeName) return "";
    if (!relative.empty() && relative.back() == ' ')
        return "it ends in a space, which the catalogue drops: the file would never be extracted";
    if (relative.size() > kMaxStoredName)
        return "it is " + std::to_string(relative.size()) + " bytes long; a catalogue record holds at most " +
               std::to_string(kMaxStoredName);
    return "";
}

}  // namespace zuv::tool
