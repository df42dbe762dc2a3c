#include "platform/ini_file.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace zuv::platform {
namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x -= 32;
        if (y >= 'a' && y <= 'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

// The section name of a "[name]" line, or false when the line is no section header.
bool SectionName(const std::string& line, std::string& name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t[0] != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

bool KeyName(const std::string& line, std::string& name) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    name = Trim(line.substr(0, eq));
    return true;
}

std::vector<std::string> ReadLines(const std::string& hostPath) {
    std::vector<std::string> lines;
    std::ifstream in(hostPath, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

bool ReadIniEntry(const std::string& hostPath, const std::string& section, const std::string& key,
                  std::string& value) {
    bool inSection = false;
    for (const std::string& line : ReadLines(hostPath)) {
        std::string name;
        if (SectionName(line, name)) {
            inSection = SameText(name, section);
            continue;
        }
        if (inSection && KeyName(line, name) && SameText(name, key)) {
            value = Trim(line.substr(line.find('=') + 1));
            return true;
        }
    }
    return false;
}

bool IniSectionExists(const std::string& hostPath, const std::string& section) {
    for (const std::string& line : ReadLines(hostPath)) {
        std::string name;
        if (SectionName(line, name) && SameText(name, section)) return true;
    }
    return false;
}

bool WriteIniEntry(const std::string& hostPath, const std::string& section, const std::string* key,
                   const std::string* value) {
    std::vector<std::string> lines = ReadLines(hostPath);
    // Find the section's header and the end of its body.
    size_t header = lines.size(), end = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (!SectionName(lines[i], name)) continue;
        if (header == lines.size()) {
            if (SameText(name, section)) header = i;
        } else {
            end = i;
            break;
        }
    }
    if (!key) {
        if (header != lines.size()) lines.erase(lines.begin() + header, lines.begin() + end);
    } else if (header == lines.size()) {
        if (value) {
            lines.push_back("[" + section + "]");
            lines.push_back(*key + "=" + *value);
        }
    } else {
        size_t found = end;
        for (size_t i = header + 1; i < end; ++i) {
            std::string name;
            if (KeyName(lines[i], name) && SameText(name, *key)) {
                found = i;
                break;
            }
        }
        if (found != end) {
            if (value)
                lines[found] = *key + "=" + *value;
            else
                lines.erase(lines.begin() + found);
        } else if (value) {
            // Behind the section's last non-blank line.
            size_t at = end;
            while (at > header + 1 && Trim(lines[at - 1]).empty()) --at;
            lines.insert(lines.begin() + at, *key + "=" + *value);
        }
    }
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    for (const auto& l : lines) out << l << "\r\n";
    return static_cast<bool>(out);
}

}  // namespace zuv::platform
