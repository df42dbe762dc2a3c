#include "common/ini_reader.h"

#include "common/routines.h"

namespace zuv::common {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1A; }

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool SameText(const std::string& a, const std::string& b) { return a.size() == b.size() && Upper(a) == Upper(b); }

}  // namespace

IniFile::IniFile(const std::string& text) {
    size_t pos = 0;
    Section* current = nullptr;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            std::string name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            sections_.push_back({name, {}});
            current = &sections_.back();
            continue;
        }
        if (!current) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        Entry entry;
        entry.key = Trim(line.substr(0, eq));
        std::string value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        entry.value = value;
        current->entries.push_back(entry);
    }
}

IniFile IniFile::Load(platform::Platform& platform, const std::string& path) {
    auto file = platform.Open(path, platform::OpenMode::kReadShared);
    if (!file) return IniFile();
    std::string text;
    char buffer[8192];
    uint32_t n;
    while ((n = file->Read(buffer, sizeof buffer)) > 0) {
        text.append(buffer, n);
        if (text.size() > (64u << 20)) break;  // a script is never this large
    }
    return IniFile(text);
}

const IniFile::Section* IniFile::FindSection(const std::string& name) const {
    for (const auto& s : sections_)
        if (SameText(s.name, name)) return &s;
    return nullptr;
}

const IniFile::Entry* IniFile::FindEntry(const std::string& section, const std::string& key) const {
    const Section* s = FindSection(section);
    if (!s) return nullptr;
    std::string k = Trim(key);
    for (const auto& e : s->entries)
        if (SameText(e.key, k)) return &e;
    return nullptr;
}

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
    return FindEntry(section, key) != nullptr;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    const Entry* e = FindEntry(section, key);
    std::string value = e ? e->value : defaultValue;
    if (value.size() > kValueBuffer - 1) value.resize(kValueBuffer - 1);
    return value;
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const {
    int32_t value;
    return ParseInteger(ReadString(section, key, ""), value) ? value : defaultValue;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> IniFile::ReadSection(const std::string& section) const {
    std::vector<std::string> names;
    const Section* s = FindSection(section);
    if (!s) return names;
    // The names are copied into the buffer with their zeros while room is left; the list
    // closes with a second zero, so kListBuffer - 2 characters carry names.
    size_t room = kListBuffer - 2;
    for (const auto& e : s->entries) {
        if (e.key.empty() || e.key[0] == ';') continue;  // comments can be read, not listed
        if (e.key.size() + 1 <= room) {
            names.push_back(e.key);
            room -= e.key.size() + 1;
        } else {
            if (room > 0) names.push_back(e.key.substr(0, room));
            break;
        }
        if (room == 0) break;
    }
    return names;
}

}  // namespace zuv::common
