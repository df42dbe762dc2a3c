#include "platform/posix/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <thread>

#include "platform/host.h"
#include "platform/ini_file.h"

namespace zuv::platform {
namespace {

char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperChar(a[i]) != UpperChar(b[i])) return false;
    return true;
}

bool HostExists(const std::string& p) {
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

class PosixFile : public File {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override { ::close(fd_); }
    uint32_t Read(void* buffer, uint32_t count) override {
        uint32_t total = 0;
        while (total < count) {
            ssize_t n = ::read(fd_, static_cast<char*>(buffer) + total, count - total);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            total += static_cast<uint32_t>(n);
        }
        return total;
    }
    uint32_t Write(const void* buffer, uint32_t count) override {
        uint32_t total = 0;
        while (total < count) {
            ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + total, count - total);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            total += static_cast<uint32_t>(n);
        }
        return total;
    }
    bool Seek(uint64_t position) override {
        return ::lseek(fd_, static_cast<off_t>(position), SEEK_SET) == static_cast<off_t>(position);
    }
    uint64_t Position() override {
        off_t p = ::lseek(fd_, 0, SEEK_CUR);
        return p < 0 ? 0 : static_cast<uint64_t>(p);
    }
    uint64_t Size() override {
        struct stat st;
        return ::fstat(fd_, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
    }
    bool SetDosDateTime(uint32_t dos) override {
        struct tm t {};
        t.tm_sec = static_cast<int>((dos & 0x1F) * 2);
        t.tm_min = static_cast<int>((dos >> 5) & 0x3F);
        t.tm_hour = static_cast<int>((dos >> 11) & 0x1F);
        t.tm_mday = static_cast<int>((dos >> 16) & 0x1F);
        t.tm_mon = static_cast<int>(((dos >> 21) & 0x0F)) - 1;
        t.tm_year = static_cast<int>(((dos >> 25) & 0x7F)) + 80;
        t.tm_isdst = -1;
        if (t.tm_mday < 1 || t.tm_mon < 0 || t.tm_mon > 11) return false;
        time_t when = ::mktime(&t);
        if (when == static_cast<time_t>(-1)) return false;
        struct timespec times[2];
        times[0].tv_sec = when;
        times[0].tv_nsec = 0;
        times[1] = times[0];
        return ::futimens(fd_, times) == 0;
    }

private:
    int fd_;
};

}  // namespace

std::string PosixPlatform::HostPath(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    // Resolve each component without regard to case when it does not exist as written.
    if (p.empty()) return p;
    std::string out;
    size_t i = 0;
    if (p[0] == '/') {
        out = "/";
        i = 1;
    }
    while (i <= p.size()) {
        size_t slash = p.find('/', i);
        if (slash == std::string::npos) slash = p.size();
        std::string part = p.substr(i, slash - i);
        if (!part.empty()) {
            std::string base = out.empty() ? "." : out;
            std::string candidate = out + part;
            if (!HostExists(candidate) && part != "." && part != "..") {
                if (DIR* d = ::opendir(base.c_str())) {
                    while (dirent* e = ::readdir(d)) {
                        if (SameText(e->d_name, part)) {
                            candidate = out + e->d_name;
                            break;
                        }
                    }
                    ::closedir(d);
                }
            }
            out = candidate;
            if (slash < p.size()) out += "/";
        } else if (slash < p.size() && !out.empty() && out.back() != '/') {
            out += "/";
        }
        i = slash + 1;
    }
    return out;
}

uint32_t PosixPlatform::TickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void PosixPlatform::Sleep(uint32_t ms) {
    if (ms == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string PosixPlatform::WindowsDirectory() {
    const char* dir = std::getenv("ZUV_WINDIR");
    if (dir && *dir) return dir;
    const char* tmp = std::getenv("TMPDIR");
    return (tmp && *tmp) ? tmp : "/tmp";
}

std::string PosixPlatform::CurrentDirectory() {
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) ? buffer : "";
}

bool PosixPlatform::SetCurrentDirectory(const std::string& path, std::string& error) {
    if (::chdir(HostPath(path).c_str()) == 0) return true;
    error = std::strerror(errno);
    return false;
}

bool PosixPlatform::CreateDirectory(const std::string& path) {
    return ::mkdir(HostPath(path).c_str(), 0777) == 0;
}

bool PosixPlatform::RemoveDirectory(const std::string& path) {
    return ::rmdir(HostPath(path).c_str()) == 0;
}

std::string PosixPlatform::FullPath(const std::string& path) {
    if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return path;
    std::string cwd = CurrentDirectory();
    if (!cwd.empty() && cwd.back() != '/') cwd += '/';
    return cwd + path;
}

std::string PosixPlatform::ShortPath(const std::string& path) {
    return HostExists(HostPath(path)) ? path : std::string();
}

int64_t PosixPlatform::DiskFree(const std::string& path) {
    std::string host = HostPath(path);
    struct statvfs st;
    while (!host.empty()) {
        if (::statvfs(host.c_str(), &st) == 0)
            return static_cast<int64_t>(st.f_bavail) * static_cast<int64_t>(st.f_frsize);
        size_t slash = host.find_last_of('/');
        if (slash == std::string::npos || slash == 0) break;
        host.resize(slash);
    }
    if (::statvfs(".", &st) == 0) return static_cast<int64_t>(st.f_bavail) * static_cast<int64_t>(st.f_frsize);
    return -1;
}

std::unique_ptr<File> PosixPlatform::Open(const std::string& path, OpenMode mode) {
    std::string host = HostPath(path);
    int flags = O_RDONLY;
    switch (mode) {
        case OpenMode::kReadShared:
        case OpenMode::kReadExclusive: flags = O_RDONLY; break;
        case OpenMode::kCreate: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
        case OpenMode::kReadWrite: flags = O_RDWR; break;
    }
    struct stat st;
    if (::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return nullptr;
    int fd = ::open(host.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixFile>(fd);
}

bool PosixPlatform::DeleteFile(const std::string& path) {
    std::string host = HostPath(path);
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return ::unlink(host.c_str()) == 0;
}

uint32_t PosixPlatform::GetAttributes(const std::string& path) {
    struct stat st;
    if (::stat(HostPath(path).c_str(), &st) != 0) return kInvalidAttributes;
    if (S_ISDIR(st.st_mode)) return kAttrDirectory;
    uint32_t attributes = kAttrArchive;
    if (!(st.st_mode & S_IWUSR)) attributes |= kAttrReadOnly;
    return attributes;
}

bool PosixPlatform::SetAttributes(const std::string& path, uint32_t attributes) {
    std::string host = HostPath(path);
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    if (attributes & kAttrReadOnly)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    return ::chmod(host.c_str(), mode) == 0;
}

bool PosixPlatform::MaskMatches(const std::string& mask, const std::string& name) {
    if (mask == "*.*" || mask == "*") return true;
    // Classic wildcard match with backtracking on the last "*".
    size_t m = 0, n = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || UpperChar(mask[m]) == UpperChar(name[n]))) {
            ++m;
            ++n;
        } else if (m < mask.size() && mask[m] == '*') {
            star = m++;
            mark = n;
        } else if (star != std::string::npos) {
            m = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (m < mask.size() && (mask[m] == '*' || mask[m] == '.')) ++m;
    return m == mask.size();
}

std::vector<FindEntry> PosixPlatform::FindFiles(const std::string& pattern) {
    std::vector<FindEntry> result;
    size_t cut = pattern.find_last_of("\\/");
    std::string dir = cut == std::string::npos ? "." : pattern.substr(0, cut + 1);
    std::string mask = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    std::string host = HostPath(dir);
    if (host.empty()) host = "/";
    DIR* d = ::opendir(host.c_str());
    if (!d) return result;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (!MaskMatches(mask, name)) continue;
        FindEntry entry;
        entry.name = name;
        struct stat st;
        std::string full = host + (host.back() == '/' ? "" : "/") + name;
        if (::stat(full.c_str(), &st) == 0) {
            entry.attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
            if (!S_ISDIR(st.st_mode)) entry.size = static_cast<uint64_t>(st.st_size);
        }
        result.push_back(entry);
    }
    ::closedir(d);
    return result;
}

bool PosixPlatform::WriteProfileString(const std::string& section, const std::string* key,
                                       const std::string* value, const std::string& file) {
    return WriteIniEntry(HostPath(file), section, key, value);
}

bool PosixPlatform::ReadProfileString(const std::string& section, const std::string& key, const std::string& file,
                                      std::string& value) {
    return ReadIniEntry(HostPath(file), section, key, value);
}

bool PosixPlatform::ProfileSectionExists(const std::string& section, const std::string& file) {
    return IniSectionExists(HostPath(file), section);
}

void PosixPlatform::ShowMessage(const std::string& text) { std::cerr << text << "\n"; }
void PosixPlatform::ShowError(const std::string& text) { std::cerr << "error: " << text << "\n"; }

int PosixPlatform::Ask(const std::string& text, const std::string& caption, BoxIcon,
                       const std::vector<std::string>& buttons) {
    int last = buttons.empty() ? 0 : static_cast<int>(buttons.size()) - 1;
    std::string shown = text;
    for (char& c : shown)
        if (c == '\r') c = '\n';
    std::cerr << caption << ": " << shown << "\n";
    if (!::isatty(0)) return last;
    for (size_t i = 0; i < buttons.size(); ++i) {
        std::string b;
        for (char c : buttons[i])
            if (c != '&') b += c;
        std::cerr << "  " << (i + 1) << ") " << b << "\n";
    }
    std::cerr << "> " << std::flush;
    std::string line;
    if (!std::getline(std::cin, line)) return last;
    int choice = std::atoi(line.c_str());
    return (choice >= 1 && choice <= static_cast<int>(buttons.size())) ? choice - 1 : last;
}

bool PosixPlatform::InputBox(const std::string& caption, const std::string& prompt, std::string& value) {
    if (!::isatty(0)) return false;
    std::cerr << caption << ": " << prompt << " [" << value << "] " << std::flush;
    std::string line;
    if (!std::getline(std::cin, line)) return false;
    if (!line.empty()) value = line.substr(0, 255);
    return true;
}

std::unique_ptr<Platform> MakeHostPlatform(std::vector<std::string> params) {
    return std::make_unique<PosixPlatform>(std::move(params));
}

}  // namespace zuv::platform
