#include "platform/posix/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <thread>

#include "platform/host.h"
#include "platform/ini_file.h"

namespace zuv::platform {
namespace {

char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

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
                std::string name = FindFolded(base, part);
                if (!name.empty()) candidate = out + name;
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

std::vector<std::string> PosixPlatform::ListDirectory(const std::string& hostDir) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(hostDir.c_str())) {
        while (dirent* e = ::readdir(d)) names.emplace_back(e->d_name);
        ::closedir(d);
    }
    return names;
}

namespace {

// The key of the folder holding a host path, as HostPath names folders: up to and
// including the last "/", or "." for a bare name.
std::string FolderKey(const std::string& host) {
    size_t slash = host.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : host.substr(0, slash + 1);
}

std::string UpperText(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) c = UpperChar(c);
    return upper;
}

bool SameState(const struct stat& st, uint64_t device, uint64_t inode, int64_t seconds, int64_t nanoseconds) {
    return uint64_t(st.st_dev) == device && uint64_t(st.st_ino) == inode && int64_t(st.st_mtim.tv_sec) == seconds &&
           int64_t(st.st_mtim.tv_nsec) == nanoseconds;
}

}  // namespace

std::string PosixPlatform::FindFolded(const std::string& folderKey, const std::string& part) {
    struct stat st;
    if (::stat(folderKey.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        folders_.erase(folderKey);
        return std::string();
    }
    FolderIndex& index = folders_[folderKey];
    if (!SameState(st, index.device, index.inode, index.seconds, index.nanoseconds) || index.names.empty()) {
        index.device = uint64_t(st.st_dev);
        index.inode = uint64_t(st.st_ino);
        index.seconds = int64_t(st.st_mtim.tv_sec);
        index.nanoseconds = int64_t(st.st_mtim.tv_nsec);
        index.names.clear();
        // The first of several names that differ only in case is the one found.
        for (const std::string& name : ListDirectory(folderKey)) index.names.emplace(UpperText(name), name);
    }
    auto found = index.names.find(UpperText(part));
    return found == index.names.end() ? std::string() : found->second;
}

bool PosixPlatform::FolderIndexCurrent(const std::string& host) {
    auto index = folders_.find(FolderKey(host));
    if (index == folders_.end()) return false;
    struct stat st;
    const FolderIndex& f = index->second;
    return ::stat(index->first.c_str(), &st) == 0 && SameState(st, f.device, f.inode, f.seconds, f.nanoseconds);
}

void PosixPlatform::FolderChanged(const std::string& host, bool wasCurrent, bool made) {
    auto index = folders_.find(FolderKey(host));
    if (index == folders_.end()) return;
    struct stat st;
    // A removal may uncover another name of the same letters: the folder is read again.
    if (!wasCurrent || !made || ::stat(index->first.c_str(), &st) != 0) {
        folders_.erase(index);
        return;
    }
    FolderIndex& f = index->second;
    f.device = uint64_t(st.st_dev);
    f.inode = uint64_t(st.st_ino);
    f.seconds = int64_t(st.st_mtim.tv_sec);
    f.nanoseconds = int64_t(st.st_mtim.tv_nsec);
    const std::string name = host.substr(host.find_last_of('/') + 1);
    f.names.emplace(UpperText(name), name);
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

std::string PosixPlatform::CommandLine() {
    // The program name and the parameters, each quoted, as a Windows command line reads.
    std::string line = "\"zuv\"";
    for (const std::string& p : params_) line += " \"" + p + "\"";
    return line;
}

LocalTime PosixPlatform::Now() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm t{};
    ::localtime_r(&seconds, &t);
    const int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, ms};
}

std::string PosixPlatform::SystemVersion() {
    struct utsname name;
    if (::uname(&name) != 0) return "POSIX";
    return std::string(name.sysname) + " " + name.release;
}

std::string PosixPlatform::TempPath() {
    const char* tmp = std::getenv("TMPDIR");
    std::string path = (tmp && *tmp) ? tmp : "/tmp";
    if (path.back() != '/' && path.back() != '\\') path += '/';
    return path;
}

std::string PosixPlatform::WindowsDirectory() {
    const char* dir = std::getenv("ZUV_WINDIR");
    if (dir && *dir) return dir;
    const char* tmp = std::getenv("TMPDIR");
    return (tmp && *tmp) ? tmp : "/tmp";
}

std::string PosixPlatform::CurrentDirectory() {
    // getcwd sizes its own buffer: a directory deeper than PATH_MAX is read whole.
    char* cwd = ::getcwd(nullptr, 0);
    if (!cwd) return std::string();
    std::string path = cwd;
    std::free(cwd);
    return path;
}

bool PosixPlatform::SetCurrentDirectory(const std::string& path, std::string& error) {
    if (::chdir(HostPath(path).c_str()) == 0) return true;
    error = std::strerror(errno);
    return false;
}

bool PosixPlatform::CreateDirectory(const std::string& path) {
    const std::string host = HostPath(path);
    const bool current = FolderIndexCurrent(host);
    const bool made = ::mkdir(host.c_str(), 0777) == 0;
    if (made) FolderChanged(host, current, true);
    return made;
}

bool PosixPlatform::RemoveDirectory(const std::string& path) {
    const std::string host = HostPath(path);
    const bool removed = ::rmdir(host.c_str()) == 0;
    if (removed) FolderChanged(host, false, false);
    return removed;
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
        case OpenMode::kCreate:
        case OpenMode::kCreateShared: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
        case OpenMode::kReadWrite: flags = O_RDWR; break;
    }
    struct stat st;
    const bool existed = ::lstat(host.c_str(), &st) == 0;
    if (existed && ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return nullptr;
    const bool current = !existed && mode == OpenMode::kCreate && FolderIndexCurrent(host);
    int fd = ::open(host.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    if (!existed && mode == OpenMode::kCreate) FolderChanged(host, current, true);
    return std::make_unique<PosixFile>(fd);
}

bool PosixPlatform::DeleteFile(const std::string& path) {
    std::string host = HostPath(path);
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    if (::unlink(host.c_str()) != 0) return false;
    FolderChanged(host, false, false);
    return true;
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
