// Small text and path routines the wizard and the install engine share among themselves.
#include "wizard/wizard_routines.h"

namespace zuv::wizard {

std::string Upper(const std::string& text) {
    std::string out = text;
    for (char& ch : out) {
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    }
    return out;
}

std::string SplitField(std::string& text, char c) {
    const std::string::size_type at = text.find(c);
    if (at == std::string::npos) return text;
    std::string head = text.substr(0, at);
    text.erase(0, at + 1);
    return head;
}

std::string AfterTag(const std::string& text) {
    const std::string::size_type at = text.find('>');
    return at == std::string::npos ? text : text.substr(at + 1);
}

std::string NamePart(const std::string& path) {
    const std::string::size_type at = path.find_last_of("\\/:");
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string DirPart(const std::string& path) {
    const std::string::size_type at = path.find_last_of("\\/:");
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (!dir.empty() && dir.back() == '\\') return dir + name;
    return dir + "\\" + name;
}

bool Exists(platform::Platform& platform, const std::string& path) {
    return platform.GetAttributes(path) != platform::kInvalidAttributes;
}

bool DirectoryExists(platform::Platform& platform, const std::string& path) {
    const uint32_t attributes = platform.GetAttributes(path);
    return attributes != platform::kInvalidAttributes && (attributes & platform::kAttrDirectory);
}

void ForceDirectories(platform::Platform& platform, const std::string& path) {
    std::string dir = path;
    if (!dir.empty() && dir.back() == '\\') dir.pop_back();
    if (dir.size() <= 2 || DirectoryExists(platform, dir)) return;
    const std::string parent = DirPart(dir);
    // Each level is one character shorter at least, so the recursion ends.
    if (!parent.empty() && parent.size() < dir.size()) ForceDirectories(platform, parent);
    platform.CreateDirectory(dir);
}

}  // namespace zuv::wizard
