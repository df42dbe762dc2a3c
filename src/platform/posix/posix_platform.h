// Real files on a POSIX system for the native zuv tool and as the base of the test fake.
// Windows paths are mapped to host paths by HostPath(): "\" becomes "/", and each
// component that does not exist as written is looked up without regard to case, as on a
// Windows drive. There is no registry, no shell and no restart here; the dialogs talk to
// the terminal.
#pragma once

#include <cerrno>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace zuv::platform {

class PosixPlatform : public Platform {
public:
    explicit PosixPlatform(std::vector<std::string> params = {}) : params_(std::move(params)) {}

    // The host path a Windows path stands for.
    virtual std::string HostPath(const std::string& path);

    std::vector<std::string> Params() override { return params_; }
    uint32_t TickCount() override;
    void Sleep(uint32_t ms) override;
    void ProcessMessages() override {}
    std::string CommandLine() override;
    LocalTime Now() override;
    std::string SystemVersion() override;
    std::string TempPath() override;
    uint32_t LastError() override { return static_cast<uint32_t>(errno); }
    // Text on a POSIX system is taken as UTF-8 already.
    std::string AnsiToUtf8(const std::string& text) override { return text; }

    std::string WindowsDirectory() override;
    std::string CurrentDirectory() override;
    bool SetCurrentDirectory(const std::string& path, std::string& error) override;
    bool CreateDirectory(const std::string& path) override;
    bool RemoveDirectory(const std::string& path) override;
    std::string FullPath(const std::string& path) override;
    std::string ShortPath(const std::string& path) override;
    int64_t DiskFree(const std::string& path) override;
    size_t MaxPathLength() override { return 0; }

    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override;
    bool DeleteFile(const std::string& path) override;
    uint32_t GetAttributes(const std::string& path) override;
    bool SetAttributes(const std::string& path, uint32_t attributes) override;
    std::vector<FindEntry> FindFiles(const std::string& pattern) override;

    bool WriteProfileString(const std::string& section, const std::string* key,
                            const std::string* value, const std::string& file) override;
    bool ReadProfileString(const std::string& section, const std::string& key, const std::string& file,
                           std::string& value) override;
    bool ProfileSectionExists(const std::string& section, const std::string& file) override;

    bool RegCreateKey(RegRoot, const std::string&) override { return false; }
    bool RegSetString(RegRoot, const std::string&, const std::string&, const std::string&) override {
        return false;
    }
    bool RegSetDword(RegRoot, const std::string&, const std::string&, uint32_t) override { return false; }
    bool RegSetBinary(RegRoot, const std::string&, const std::string&, const std::vector<uint8_t>&) override {
        return false;
    }
    bool RegKeyExists(RegRoot, const std::string&) override { return false; }
    bool RegQueryValue(RegRoot, const std::string&, const std::string&, RegData&) override { return false; }
    bool RegSetValue(RegRoot, const std::string&, const std::string&, const RegData&) override { return false; }
    bool RegDeleteValue(RegRoot, const std::string&, const std::string&) override { return false; }
    bool RegDeleteEmptyKey(RegRoot, const std::string&) override { return false; }
    // No shell here: the folders below the Windows directory are used.
    std::string ShellFolderPath(ShellFolder) override { return std::string(); }
    bool CreateShellLink(const ShellLink&) override { return false; }
    void LaunchFile(const std::string&, const std::string&, const std::string&, int) override {}
    bool AdjustPrivilege(const std::string&, bool) override { return false; }
    bool ExitWindows(uint32_t) override { return false; }

    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    // On a terminal: prints the question and reads the number of a button; otherwise (or at
    // the end of input) answers with the last button.
    int Ask(const std::string& text, const std::string& caption, BoxIcon icon,
            const std::vector<std::string>& buttons) override;
    bool InputBox(const std::string& caption, const std::string& prompt, std::string& value) override;

    // Matches a FindFirstFileA mask ("*.*", "disk.0??", "*") against a name, ignoring case.
    static bool MaskMatches(const std::string& mask, const std::string& name);

protected:
    std::vector<std::string> params_;

    // The names a host directory holds, in the order the system gives them (empty when it
    // cannot be read). The case-insensitive lookup reads directories only through this.
    virtual std::vector<std::string> ListDirectory(const std::string& hostDir);

private:
    // What a host directory held when it was last read: every name by its upper-case
    // form, and the directory's identity and modification time then. Any change to the
    // directory's entries moves that time, so a folder is read again only after a change;
    // the platform's own creations are entered as they are made, so that filling a folder
    // does not read it once per file.
    struct FolderIndex {
        uint64_t device = 0;
        uint64_t inode = 0;
        int64_t seconds = 0;
        int64_t nanoseconds = 0;
        std::unordered_map<std::string, std::string> names;
    };
    std::unordered_map<std::string, FolderIndex> folders_;

    // The name in `folderKey` that matches `part` without regard to case, or empty.
    std::string FindFolded(const std::string& folderKey, const std::string& part);
    // Whether the index of the folder holding `host` describes it as it is now.
    bool FolderIndexCurrent(const std::string& host);
    // After the platform has made (`made`) or removed an entry `host`: keeps the folder's
    // index when it was current before (`wasCurrent`), else drops it.
    void FolderChanged(const std::string& host, bool wasCurrent, bool made);
};

}  // namespace zuv::platform
