#include "common/routines.h"

#include <cstdio>
#include <vector>

#include "common/exception.h"

namespace zuv::common {

std::string SplitAtChar(std::string& text, char c) {
    size_t at = text.find(c);
    if (at == std::string::npos) return text;
    std::string head = text.substr(0, at);
    text.erase(0, at + 1);
    return head;
}

std::string Upper(const std::string& text) {
    std::string s = text;
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

std::string Lower(const std::string& text) {
    std::string s = text;
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

std::string GetWindowsDir(platform::Platform& platform) {
    std::string dir = platform.WindowsDirectory();
    if (dir.size() > 143) dir.resize(143);  // the 144-character buffer
    if (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
    return dir;
}

void CreateDirPath(platform::Platform& platform, const std::string& path) {
    if (path.empty()) throw EInOutError("Unable to create directory");
    std::string dir = path;
    if (dir.back() == '\\') dir.pop_back();
    if (dir.size() <= 2 || DirectoryExists(platform, dir)) return;
    size_t cut = dir.find_last_of('\\');
    if (cut != std::string::npos && cut > 0) {
        std::string parent = dir.substr(0, cut);
        if (!parent.empty()) CreateDirPath(platform, parent);
    }
    platform.CreateDirectory(dir);
}

std::string GetShortName(platform::Platform& platform, const std::string& path) {
    std::string shortPath = platform.ShortPath(path);
    if (shortPath.empty() || shortPath.size() > 254) return path;
    return shortPath;
}

void CopyFileInto(platform::Platform& platform, const std::string& source, const std::string& target) {
    std::string to = platform.FullPath(target);
    uint32_t attributes = platform.GetAttributes(to);
    if (attributes == platform::kInvalidAttributes || (attributes & platform::kAttrDirectory))
        to = JoinPath(to, NamePart(source));
    auto in = platform.Open(source, platform::OpenMode::kReadShared);
    if (!in) throw EInOutError(Format("Cannot open file %s", source));
    auto out = platform.Open(to, platform::OpenMode::kCreate);
    if (!out) throw EInOutError(Format("Cannot create file %s", to));
    std::vector<uint8_t> buffer(8192);
    uint32_t got;
    do {
        got = in->Read(buffer.data(), 8192);
        // A short write means a full disk: the truncated copy is not left behind.
        if (got > 0 && out->Write(buffer.data(), got) != got) {
            out.reset();
            platform.DeleteFile(to);
            throw EInOutError(Format("Cannot write file %s", to));
        }
    } while (got == 8192);
}

std::string NamePart(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string DirPart(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty() || dir.back() == '\\' || dir.back() == '/') return dir + name;
    return dir + "\\" + name;
}

std::string WithBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path;
    return path + "\\";
}

std::string WithoutBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
    return path;
}

bool FileExists(platform::Platform& platform, const std::string& path) {
    uint32_t a = platform.GetAttributes(path);
    return a != platform::kInvalidAttributes && !(a & platform::kAttrDirectory);
}

bool DirectoryExists(platform::Platform& platform, const std::string& path) {
    uint32_t a = platform.GetAttributes(path);
    return a != platform::kInvalidAttributes && (a & platform::kAttrDirectory);
}

bool ParseInteger(const std::string& text, int32_t& value) {
    if (text.empty()) return false;
    size_t i = 0;
    bool negative = false;
    int base = 10;
    if (text[0] == '$') {
        base = 16;
        i = 1;
    } else if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    } else if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i >= text.size()) return false;
    uint64_t v = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFull) return false;
    }
    if (base == 16) {
        value = static_cast<int32_t>(static_cast<uint32_t>(v));  // hex names the bit pattern
        return true;
    }
    if (negative) {
        if (v > 0x80000000ull) return false;
        value = static_cast<int32_t>(-static_cast<int64_t>(v));
    } else {
        if (v > 0x7FFFFFFFull) return false;
        value = static_cast<int32_t>(v);
    }
    return true;
}

std::string Format(const std::string& pattern, const std::string& argument) {
    size_t at = pattern.find("%s");
    if (at == std::string::npos) return pattern;
    return pattern.substr(0, at) + argument + pattern.substr(at + 2);
}

}  // namespace zuv::common
