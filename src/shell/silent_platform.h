// The platform of a silent run: everything goes to the real platform except what would
// need a person. Message boxes are written to the install log instead of shown, every
// question takes its default (first) button, an input box is cancelled, and Windows is
// never restarted. Until `SetQuiet(true)` it passes everything through, so one object serves
// a run that the command line makes silent only once it has been read.
#pragma once

#include "common/install_log.h"
#include "platform/platform.h"

namespace zuv::shell {

class SilentPlatform : public platform::Platform {
public:
    explicit SilentPlatform(platform::Platform& host) : host_(host) {}

    void SetQuiet(bool quiet) { quiet_ = quiet; }
    bool Quiet() const { return quiet_; }
    // The log the boxes are written to (copies of a log share it).
    void SetLog(const common::TInstallLog& log) { log_ = log; }

    std::vector<std::string> Params() override { return host_.Params(); }
    uint32_t TickCount() override { return host_.TickCount(); }
    void Sleep(uint32_t ms) override { host_.Sleep(ms); }
    void ProcessMessages() override { host_.ProcessMessages(); }
    std::string CommandLine() override { return host_.CommandLine(); }
    platform::LocalTime Now() override { return host_.Now(); }
    std::string SystemVersion() override { return host_.SystemVersion(); }
    std::string TempPath() override { return host_.TempPath(); }
    uint32_t LastError() override { return host_.LastError(); }
    std::string AnsiToUtf8(const std::string& text) override { return host_.AnsiToUtf8(text); }

    std::string WindowsDirectory() override { return host_.WindowsDirectory(); }
    std::string CurrentDirectory() override { return host_.CurrentDirectory(); }
    bool SetCurrentDirectory(const std::string& path, std::string& error) override {
        return host_.SetCurrentDirectory(path, error);
    }
    bool CreateDirectory(const std::string& path) override { return host_.CreateDirectory(path); }
    bool RemoveDirectory(const std::string& path) override { return host_.RemoveDirectory(path); }
    std::string FullPath(const std::string& path) override { return host_.FullPath(path); }
    std::string ShortPath(const std::string& path) override { return host_.ShortPath(path); }
    int64_t DiskFree(const std::string& path) override { return host_.DiskFree(path); }

    std::unique_ptr<platform::File> Open(const std::string& path, platform::OpenMode mode) override {
        return host_.Open(path, mode);
    }
    bool DeleteFile(const std::string& path) override { return host_.DeleteFile(path); }
    uint32_t GetAttributes(const std::string& path) override { return host_.GetAttributes(path); }
    bool SetAttributes(const std::string& path, uint32_t attributes) override {
        return host_.SetAttributes(path, attributes);
    }
    std::vector<platform::FindEntry> FindFiles(const std::string& pattern) override {
        return host_.FindFiles(pattern);
    }

    bool WriteProfileString(const std::string& section, const std::string* key, const std::string* value,
                            const std::string& file) override {
        return host_.WriteProfileString(section, key, value, file);
    }

    bool RegCreateKey(platform::RegRoot root, const std::string& subKey) override {
        return host_.RegCreateKey(root, subKey);
    }
    bool RegSetString(platform::RegRoot root, const std::string& subKey, const std::string& name,
                      const std::string& value) override {
        return host_.RegSetString(root, subKey, name, value);
    }
    bool RegSetDword(platform::RegRoot root, const std::string& subKey, const std::string& name,
                     uint32_t value) override {
        return host_.RegSetDword(root, subKey, name, value);
    }
    bool RegSetBinary(platform::RegRoot root, const std::string& subKey, const std::string& name,
                      const std::vector<uint8_t>& value) override {
        return host_.RegSetBinary(root, subKey, name, value);
    }

    bool ReadProfileString(const std::string& section, const std::string& key, const std::string& file,
                           std::string& value) override {
        return host_.ReadProfileString(section, key, file, value);
    }
    bool ProfileSectionExists(const std::string& section, const std::string& file) override {
        return host_.ProfileSectionExists(section, file);
    }
    bool RegKeyExists(platform::RegRoot root, const std::string& subKey) override {
        return host_.RegKeyExists(root, subKey);
    }
    bool RegQueryValue(platform::RegRoot root, const std::string& subKey, const std::string& name,
                       platform::RegData& data) override {
        return host_.RegQueryValue(root, subKey, name, data);
    }
    bool RegSetValue(platform::RegRoot root, const std::string& subKey, const std::string& name,
                     const platform::RegData& data) override {
        return host_.RegSetValue(root, subKey, name, data);
    }
    bool RegDeleteValue(platform::RegRoot root, const std::string& subKey, const std::string& name) override {
        return host_.RegDeleteValue(root, subKey, name);
    }
    bool RegDeleteEmptyKey(platform::RegRoot root, const std::string& subKey) override {
        return host_.RegDeleteEmptyKey(root, subKey);
    }
    size_t MaxPathLength() override { return host_.MaxPathLength(); }
    std::string ShellFolderPath(platform::ShellFolder folder) override { return host_.ShellFolderPath(folder); }
    bool CreateShellLink(const platform::ShellLink& link) override { return host_.CreateShellLink(link); }
    void LaunchFile(const std::string& file, const std::string& parameters, const std::string& directory,
                    int show) override {
        host_.LaunchFile(file, parameters, directory, show);
    }

    bool AdjustPrivilege(const std::string& name, bool enable) override;
    bool ExitWindows(uint32_t mode) override;

    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    int Ask(const std::string& text, const std::string& caption, platform::BoxIcon icon,
            const std::vector<std::string>& buttons) override;
    bool InputBox(const std::string& caption, const std::string& prompt, std::string& value) override;

private:
    platform::Platform& host_;
    common::TInstallLog log_;
    bool quiet_ = false;
};

}  // namespace zuv::shell
