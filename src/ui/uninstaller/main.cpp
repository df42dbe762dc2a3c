// Program entry of uninstaller.exe.
//
// A running program cannot delete its own file, and the install directory cannot go while the
// uninstaller runs from it. So the copy in the install directory only copies itself to the
// temporary folder and starts that copy with "/D=<install directory>" and "/W=<its process
// id>"; the copy waits for it to end, does the work (uninstall::TUninstaller), and at its own
// end leaves a small batch file to cmd.exe that deletes the copy once it has exited, then
// itself. When that cannot be started the copy is deleted at the next restart.
#include "platform/win32/windows_api.h"
#include <commctrl.h>

#include <string>
#include <vector>

#include "common/routines.h"
#include "platform/win32/wide_path.h"
#include "platform/win32/win32_platform.h"
#include "uninstall/uninstaller.h"
#include "uninstaller/uninstall_window.h"

namespace {

constexpr const char* kTitle = "ZUV - Uninstall";

std::vector<std::string> Parameters() {
    std::vector<std::string> params;
    for (int i = 1; i < __argc; ++i) params.emplace_back(__argv[i]);
    return params;
}

using zuv::platform::LongPath;
using zuv::platform::Widen;

// The program's own path, whole however deep the install directory lies (the buffer grows
// until the name fits).
std::string ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::string();
        if (n < path.size()) return zuv::platform::NarrowPath(path.substr(0, n));
        if (path.size() >= 32768) return std::string();
        path.assign(path.size() * 2, L'\0');
    }
}

std::string TempFolder() {
    std::wstring path(MAX_PATH + 1, L'\0');
    DWORD n = GetTempPathW(static_cast<DWORD>(path.size()), &path[0]);
    if (n >= path.size()) {
        path.assign(n + 1, L'\0');
        n = GetTempPathW(static_cast<DWORD>(path.size()), &path[0]);
    }
    return n && n < path.size() ? zuv::common::WithBackslash(zuv::platform::NarrowPath(path.substr(0, n)))
                                : std::string();
}

bool HasSwitch(const std::vector<std::string>& params, const char* prefix) {
    for (const std::string& p : params)
        if (zuv::common::Upper(p).compare(0, 3, prefix) == 0) return true;
    return false;
}

bool StartProcess(const std::string& commandLine, DWORD flags) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring wide = Widen(commandLine);
    if (!CreateProcessW(nullptr, &wide[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// From the install directory: runs a temporary copy instead. False when no copy could be
// started (the work is then done here).
bool RelaunchFromTemp(const std::string& self, const zuv::uninstall::UninstallOptions& options,
                      const std::vector<std::string>& params) {
    const std::string temp = TempFolder();
    if (temp.empty()) return false;
    const std::string copy = temp + "zuv-uninstall-" + std::to_string(GetCurrentProcessId()) + ".exe";
    if (!CopyFileW(LongPath(self).c_str(), LongPath(copy).c_str(), FALSE)) return false;
    std::string command = "\"" + copy + "\" \"/D=" + options.installDir + "\" /W=" +
                          std::to_string(GetCurrentProcessId());
    for (const std::string& p : params) command += " \"" + p + "\"";
    if (StartProcess(command, 0)) return true;
    DeleteFileW(LongPath(copy).c_str());
    return false;
}

void WaitForStarter(const std::vector<std::string>& params) {
    for (const std::string& p : params) {
        if (zuv::common::Upper(p).compare(0, 3, "/W=") != 0) continue;
        HANDLE starter = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::strtoul(p.c_str() + 3, nullptr, 10)));
        if (starter) {
            WaitForSingleObject(starter, 30000);
            CloseHandle(starter);
        }
    }
}

// The temporary copy's last act: cmd.exe deletes it once it has exited (trying for a while),
// then the batch file deletes itself.
void RemoveSelfLater(const std::string& self) {
    const std::string batch = self.substr(0, self.size() - 4) + ".bat";
    const std::string text = "@echo off\r\nset n=0\r\n:again\r\ndel \"" + self + "\" >nul 2>&1\r\nif not exist \"" +
                             self + "\" goto done\r\nset /a n+=1\r\nif %n% lss 3000 goto again\r\n:done\r\ndel \"" +
                             batch + "\" >nul 2>&1\r\n";
    HANDLE file =
        CreateFileW(LongPath(batch).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool started = false;
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                        written == text.size();
        CloseHandle(file);
        started = ok && StartProcess("cmd.exe /c \"\"" + batch + "\"\"", CREATE_NO_WINDOW);
        if (!started) DeleteFileW(LongPath(batch).c_str());
    }
    if (!started) MoveFileExW(LongPath(self).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

int Run(HINSTANCE instance) {
    const std::vector<std::string> params = Parameters();
    const std::string self = ModulePath();
    const auto options = zuv::uninstall::ParseUninstallParams(params, zuv::common::DirPart(self));
    const bool temporaryCopy = HasSwitch(params, "/D=");
    if (!temporaryCopy &&
        GetFileAttributesW(LongPath(options.installDir + "\\uninstall.cfg").c_str()) != INVALID_FILE_ATTRIBUTES &&
        RelaunchFromTemp(self, options, params))
        return 0;
    WaitForStarter(params);

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    zuv::platform::Win32Platform platform(params);
    zuv::ui::UninstallWindow window;
    const bool windowMade = options.silent || window.Create(instance);
    if (windowMade && !options.silent) platform.SetOwner(window.Handle());
    zuv::uninstall::TUninstaller uninstaller(platform, windowMade && !options.silent ? &window : nullptr);
    const int result = uninstaller.Run(options);
    if (temporaryCopy) RemoveSelfLater(self);
    return result;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    try {
        return Run(instance);
    } catch (const std::exception& e) {
        MessageBoxA(nullptr, e.what(), kTitle, MB_OK | MB_ICONERROR);
        return 3;
    }
}
