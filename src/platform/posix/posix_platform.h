// Real files on a POSIX system for the native zuv tool and as the base of the test fake.
// Windows paths are mapped to host paths by HostPath(): "\" becomes "/", and each
// component that does not exist as written is looked up without regard to case, as on a
// Windows drive. There is no registry, no shell and no restart here; the dialogs talk to
// the terminal.
#pragma once

#include <string>
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

    bool RegCreateKey(RegRoot, const std::string&) override { return false; }
    bool RegSetString(RegRoot, const std::string&, const std::string&, const std::string&) override {
        return false;
    }
    bool RegSetDword(RegRoot, const std::string&, const std::string&, uint32_t) override { return false; }
    bool RegSetBinary(RegRoot, const std::string&, const std::string&, const std::vector<uint8_t>&) override {
        return false;
    }
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
};

}  // namespace zuv::platform
