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

// Names and values are C strings to the system: a NUL byte ends them.
std::string CutAtNul(std::string s) {
    const size_t nul = s.find('\0');
    if (nul != std::string::npos) s.resize(nul);
    return s;
}

// The name a caller asks for, as the system compares it.
std::string AskedName(const std::string& name) { return Trim(CutAtNul(name)); }

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

}  // namespace

IniFile::IniFile(const std::string& text) {
    // A byte-order mark (a script saved as UTF-8) is no part of the first line.
    size_t pos = text.compare(0, 3, kUtf8Mark) == 0 ? 3 : 0;
    Section* current = nullptr;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        // "[name]" starts a section; a "[" line without its "]" is an ordinary line, an
        // entry of the current section when it holds "=".
        const size_t close = line[0] == '[' ? line.rfind(']') : std::string::npos;
        if (close != std::string::npos) {
            sections_.push_back({Trim(CutAtNul(line.substr(1, close - 1))), {}});
            current = &sections_.back();
            continue;
        }
        if (!current) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        Entry entry;
        entry.key = CutAtNul(Trim(line.substr(0, eq)));
        std::string value = CutAtNul(Trim(line.substr(eq + 1)));
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

const IniFile::Section* IniFile::FindSection(const std::string& name, bool trimAsked) const {
    const std::string asked = trimAsked ? AskedName(name) : CutAtNul(name);
    for (const auto& s : sections_)
        if (SameText(s.name, asked)) return &s;
    return nullptr;
}

const IniFile::Entry* IniFile::FindEntry(const std::string& section, const std::string& key) const {
    const Section* s = FindSection(section, true);
    if (!s) return nullptr;
    const std::string k = AskedName(key);
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
    // The system lists a section only under its exact name: blanks around it are not
    // dropped here, though a value read finds its section with them.
    const Section* s = FindSection(section, false);
    if (!s) return names;
    // The names are copied into the buffer with their zeros while room is left; the list
    // closes with a second zero, so kListBuffer - 2 characters carry names.
    size_t room = kListBuffer - 2;
    for (const auto& e : s->entries) {
        // An empty name is an empty string in the listing, which ends it for every reader.
        if (e.key.empty()) break;
        if (e.key[0] == ';') continue;  // comments can be read, not listed
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
