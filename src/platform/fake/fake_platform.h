// The platform for unit tests: a temporary directory stands for the drives (C:\ is
// <root>/C), the registry lives in memory, every question box is answered from a script
// and every message shown is recorded. Nothing here touches the real system beyond the
// temporary directory, which is removed with the object.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"

namespace zuv::platform {

class FakePlatform : public PosixPlatform {
public:
    FakePlatform();
    ~FakePlatform() override;

    // ---- the drive ---------------------------------------------------------------
    const std::string& Root() const { return root_; }
    void SetParams(std::vector<std::string> params) { params_ = std::move(params); }
    // Host path of a Windows path ("C:\WINDOWS" -> <root>/C/WINDOWS); relative paths are
    // taken from the current directory.
    std::string HostPath(const std::string& path) override;
    // Writes a file (creating its directories) / reads one; both take Windows paths.
    void PutFile(const std::string& path, const std::string& content);
    std::string GetFile(const std::string& path);
    bool Exists(const std::string& path);

    std::string windowsDirectory = "C:\\WINDOWS";
    std::string WindowsDirectory() override { return windowsDirectory; }
    std::string CurrentDirectory() override { return current_; }
    bool SetCurrentDirectory(const std::string& path, std::string& error) override;
    std::string FullPath(const std::string& path) override;
    std::string ShortPath(const std::string& path) override;
    // Free bytes reported for every drive, unless `driveFree` names the drive (upper-case
    // letter) of the path asked about.
    int64_t diskFree = int64_t(1) << 40;
    std::map<char, int64_t> driveFree;
    // The longest path the "system" accepts; 0: no limit.
    size_t maxPathLength = 0;
    size_t MaxPathLength() override { return maxPathLength; }
    int64_t DiskFree(const std::string& path) override;
    // Files (by upper-cased Windows path) that accept only this many bytes (a full disk).
    std::map<std::string, uint32_t> writeLimits;
    // Upper-cased Windows paths that cannot be created or opened.
    std::vector<std::string> unopenable;
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override;

    // ---- command line, clock, system and messages --------------------------------------
    // The raw command line; when empty, "install.exe" and the parameters, each quoted.
    std::string commandLine;
    std::string CommandLine() override;
    // The local time every call reports (2024-05-06 07:08:09.010 unless changed).
    LocalTime now{2024, 5, 6, 7, 8, 9, 10};
    LocalTime Now() override { return now; }
    std::string systemVersion = "Windows 5.1 build 2600";
    std::string SystemVersion() override { return systemVersion; }
    std::string TempPath() override { return "C:\\TEMP\\"; }
    uint32_t lastError = 0;
    uint32_t LastError() override { return lastError; }
    // ---- INI files -----------------------------------------------------------------
    // Called before every profile write (a test may throw from it to stop the program there).
    std::function<void(const std::string& section, const std::string* key, const std::string& file)> onWriteProfile;
    bool WriteProfileString(const std::string& section, const std::string* key, const std::string* value,
                            const std::string& file) override {
        if (onWriteProfile) onWriteProfile(section, key, file);
        return PosixPlatform::WriteProfileString(section, key, value, file);
    }

    uint32_t clock = 1000;
    uint32_t TickCount() override { return clock; }
    void Sleep(uint32_t ms) override { clock += ms; }
    std::function<void()> onProcessMessages;
    int processMessagesCalls = 0;
    void ProcessMessages() override;

    // ---- registry ----------------------------------------------------------------
    struct RegValue {
        enum Type { kString, kDword, kBinary } type = kString;
        std::string text;
        uint32_t dword = 0;
        std::vector<uint8_t> binary;
        uint32_t binaryType = kRegBinary;  // the Windows type of a kBinary value
    };
    // Keys by "ROOT\SUBKEY" upper-cased ("HKLM\SOFTWARE\X"); values by upper-cased name.
    std::map<std::string, std::map<std::string, RegValue>> registry;
    // Upper-cased "ROOT\SUBKEY" texts that cannot be created / whose values cannot be set.
    std::vector<std::string> regCreateFails, regSetFails;
    static std::string RegKeyName(RegRoot root, const std::string& subKey);
    const RegValue* FindValue(RegRoot root, const std::string& subKey, const std::string& name) const;
    bool RegCreateKey(RegRoot root, const std::string& subKey) override;
    bool RegSetString(RegRoot root, const std::string& subKey, const std::string& name,
                      const std::string& value) override;
    bool RegSetDword(RegRoot root, const std::string& subKey, const std::string& name, uint32_t value) override;
    bool RegSetBinary(RegRoot root, const std::string& subKey, const std::string& name,
                      const std::vector<uint8_t>& value) override;
    bool RegKeyExists(RegRoot root, const std::string& subKey) override;
    bool RegQueryValue(RegRoot root, const std::string& subKey, const std::string& name, RegData& data) override;
    bool RegSetValue(RegRoot root, const std::string& subKey, const std::string& name, const RegData& data) override;
    bool RegDeleteValue(RegRoot root, const std::string& subKey, const std::string& name) override;
    bool RegDeleteEmptyKey(RegRoot root, const std::string& subKey) override;

    // ---- shell and restart ---------------------------------------------------------
    // What the shell answers for its common folders; a folder not set here is the one below
    // the Windows directory that older systems use (Desktop, Start Menu, Start Menu\Programs).
    // An empty text stands for a shell that has no such folder.
    std::map<ShellFolder, std::string> shellFolders;
    std::string ShellFolderPath(ShellFolder folder) override;
    // Saved links; a small file is also written at the link's path.
    std::vector<ShellLink> links;
    bool linksFail = false;
    bool CreateShellLink(const ShellLink& link) override;
    struct Launch {
        std::string file, parameters, directory;
        int show = 0;
    };
    std::vector<Launch> launches;
    void LaunchFile(const std::string& file, const std::string& parameters, const std::string& directory,
                    int show) override;
    std::vector<std::pair<std::string, bool>> privileges;
    std::vector<uint32_t> exits;
    bool AdjustPrivilege(const std::string& name, bool enable) override;
    bool ExitWindows(uint32_t mode) override;

    // ---- dialogs -------------------------------------------------------------------
    struct Shown {
        enum Kind { kMessage, kError, kQuestion, kInput } kind = kMessage;
        std::string text, caption;
        std::vector<std::string> buttons;
        int answer = -1;
    };
    std::vector<Shown> shown;
    // Answers to question boxes, taken in order: a button's index, or kBoxClosed for a box
    // the user closes (Escape, the close box), which presses none of its buttons. When
    // empty, `onAsk` decides, and without it the box is closed.
    std::deque<int> answers;
    std::function<int(const Shown&)> onAsk;
    // Answers to input boxes in order: a text for OK, nullopt for Cancel; empty means Cancel.
    std::deque<std::optional<std::string>> inputs;
    std::function<void(const Shown&)> onMessage;
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    int Ask(const std::string& text, const std::string& caption, BoxIcon icon,
            const std::vector<std::string>& buttons) override;
    bool InputBox(const std::string& caption, const std::string& prompt, std::string& value) override;
    // Texts of every box shown, in order.
    std::vector<std::string> ShownTexts() const;

private:
    std::string root_;
    std::string current_ = "C:\\";
};

}  // namespace zuv::platform
