// The platform over the real Win32 API, for install.exe, zuv.exe and the Windows tests.
//
// Paths arrive as text of the ANSI code page and go to the "W" calls in UTF-16 (see
// wide_path.h), so that none is cut at MAX_PATH; the registry keeps the "A" calls, which
// convert by that same code page and have no path limit to lift.
#pragma once

#include "platform/win32/windows_api.h"

#include <string>
#include <vector>

#include "platform/platform.h"

namespace zuv::platform {

class Win32Platform : public Platform {
public:
    explicit Win32Platform(std::vector<std::string> params) : params_(std::move(params)) {}

    // The window that owns the message boxes (the main window once it exists).
    void SetOwner(HWND owner) { owner_ = owner; }

    std::vector<std::string> Params() override { return params_; }
    uint32_t TickCount() override { return GetTickCount(); }
    void Sleep(uint32_t ms) override { ::Sleep(ms); }
    void ProcessMessages() override;
    std::string CommandLine() override { return ::GetCommandLineA(); }
    LocalTime Now() override;
    std::string SystemVersion() override;
    std::string TempPath() override;
    uint32_t LastError() override { return ::GetLastError(); }
    std::string AnsiToUtf8(const std::string& text) override;

    std::string WindowsDirectory() override;
    std::string CurrentDirectory() override;
    bool SetCurrentDirectory(const std::string& path, std::string& error) override;
    bool CreateDirectory(const std::string& path) override;
    bool RemoveDirectory(const std::string& path) override;
    std::string FullPath(const std::string& path) override;
    std::string ShortPath(const std::string& path) override;
    int64_t DiskFree(const std::string& path) override;
    size_t MaxPathLength() override;

    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override;
    bool DeleteFile(const std::string& path) override;
    uint32_t GetAttributes(const std::string& path) override;
    bool SetAttributes(const std::string& path, uint32_t attributes) override;
    std::vector<FindEntry> FindFiles(const std::string& pattern) override;

    bool WriteProfileString(const std::string& section, const std::string* key, const std::string* value,
                            const std::string& file) override;
    bool ReadProfileString(const std::string& section, const std::string& key, const std::string& file,
                           std::string& value) override;
    bool ProfileSectionExists(const std::string& section, const std::string& file) override;

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

    std::string ShellFolderPath(ShellFolder folder) override;
    bool CreateShellLink(const ShellLink& link) override;
    void LaunchFile(const std::string& file, const std::string& parameters, const std::string& directory,
                    int show) override;

    bool AdjustPrivilege(const std::string& name, bool enable) override;
    bool ExitWindows(uint32_t mode) override { return ::ExitWindowsEx(mode, 0) != 0; }

    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    int Ask(const std::string& text, const std::string& caption, BoxIcon icon,
            const std::vector<std::string>& buttons) override;
    bool InputBox(const std::string& caption, const std::string& prompt, std::string& value) override;

private:
    bool SetValue(RegRoot root, const std::string& subKey, const std::string& name, DWORD type,
                  const void* data, DWORD size);

    std::vector<std::string> params_;
    HWND owner_ = nullptr;
};

}  // namespace zuv::platform
