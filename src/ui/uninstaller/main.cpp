// Program entry of uninstaller.exe.
//
// A running program cannot delete its own file, and the install directory cannot go while the
// uninstaller runs from it. So the copy in the install directory (the starter) copies itself
// to the temporary folder, starts that copy with "/D=<install directory>" and "/P=<its own
// path>", waits for it and exits with its exit code, so that whoever started the uninstaller
// learns how it ended. After the Yes, the copy moves the running starter out of the install
// directory into the temporary folder (a running program's file can be renamed, not deleted),
// does the work (uninstall::TUninstaller), and at its own end leaves a small batch file to
// cmd.exe that deletes both programs once they have exited, then itself. When that cannot be
// started they are deleted at the next restart.
#include "platform/win32/windows_api.h"
#include <commctrl.h>

#include <string>
#include <vector>

#include "common/routines.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/wide_path.h"
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

// From the install directory: runs a temporary copy instead and waits for it. False when no
// copy could be started (the work is then done here); else `exitCode` is the copy's.
bool RunFromTemp(const std::string& self, zuv::uninstall::UninstallOptions options, DWORD& exitCode) {
    const std::string temp = TempFolder();
    if (temp.empty()) return false;
    const std::string copy = temp + "zuv-uninstall-" + std::to_string(GetCurrentProcessId()) + ".exe";
    if (!CopyFileW(LongPath(self).c_str(), LongPath(copy).c_str(), FALSE)) return false;
    // The copy works from the temporary folder: a process whose current directory is the
    // install directory would keep it from being removed. A relative log path is taken from
    // where the uninstaller was started.
    if (!options.log.empty()) {
        const std::wstring log = Widen(options.log);
        const DWORD need = GetFullPathNameW(log.c_str(), 0, nullptr, nullptr);
        std::wstring full(need + 1, L'\0');
        const DWORD n = need ? GetFullPathNameW(log.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr) : 0;
        if (n && n < full.size()) options.log = zuv::platform::NarrowPath(full.substr(0, n));
    }
    std::string command = "\"" + copy + "\" " + zuv::uninstall::CopyArguments(options, self);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    AllowSetForegroundWindow(ASFW_ANY);  // the copy's question comes to the front
    std::wstring wide = Widen(command);
    const std::wstring where = Widen(temp);
    if (!CreateProcessW(nullptr, &wide[0], nullptr, nullptr, FALSE, 0, nullptr, where.c_str(), &startup,
                        &process)) {
        DeleteFileW(LongPath(copy).c_str());
        return false;
    }
    CloseHandle(process.hThread);
    SetCurrentDirectoryW(where.c_str());
    WaitForSingleObject(process.hProcess, INFINITE);
    if (!GetExitCodeProcess(process.hProcess, &exitCode)) exitCode = zuv::uninstall::kFailed;
    CloseHandle(process.hProcess);
    return true;
}

// Moves the running starter out of the install directory, beside this copy; returns where it
// went ("" when it could not be moved: it is then deleted at the next restart).
std::string MoveStarterAside(const std::string& starter, const std::string& self, zuv::common::TInstallLog& log) {
    if (GetFileAttributesW(LongPath(starter).c_str()) == INVALID_FILE_ATTRIBUTES) return {};
    const std::string aside = self.substr(0, self.size() - 4) + "-starter.exe";
    if (MoveFileExW(LongPath(starter).c_str(), LongPath(aside).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        log.Write("Moved the running " + starter + " to " + aside + " (it is deleted once it has ended)");
        return aside;
    }
    log.Error("Unable to move the running " + starter + " out of the install directory", GetLastError());
    MoveFileExW(LongPath(starter).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return {};
}

// The temporary copy's last act: cmd.exe deletes each of `files` once its program has exited
// (trying for a while), then the batch file deletes itself.
void RemoveLater(const std::vector<std::string>& files) {
    const std::string& self = files.front();
    const std::string batch = self.substr(0, self.size() - 4) + ".bat";
    std::string text = "@echo off\r\nset n=0\r\n:again\r\n";
    for (const std::string& file : files) text += "del \"" + file + "\" >nul 2>&1\r\n";
    for (const std::string& file : files) text += "if exist \"" + file + "\" goto wait\r\n";
    text += "goto done\r\n:wait\r\nset /a n+=1\r\nif %n% lss 3000 goto again\r\n:done\r\ndel \"" + batch +
            "\" >nul 2>&1\r\n";
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
    if (!started)
        for (const std::string& f : files) MoveFileExW(LongPath(f).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

int Run(HINSTANCE instance) {
    const std::string self = ModulePath();
    const auto options = zuv::uninstall::ParseUninstallCommandLine(GetCommandLineA(), zuv::common::DirPart(self));
    const bool temporaryCopy = !options.starter.empty();
    if (!temporaryCopy && !options.Bad() && !options.help &&
        GetFileAttributesW(LongPath(options.installDir + "\\uninstall.cfg").c_str()) != INVALID_FILE_ATTRIBUTES) {
        DWORD exitCode = 0;
        if (RunFromTemp(self, options, exitCode)) return static_cast<int>(exitCode);
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    zuv::platform::Win32Platform platform(Parameters());
    zuv::ui::UninstallWindow window;
    const bool windowMade = options.silent || window.Create(instance);
    if (windowMade && !options.silent) platform.SetOwner(window.Handle());
    zuv::uninstall::TUninstaller uninstaller(platform, windowMade && !options.silent ? &window : nullptr);
    std::vector<std::string> leftovers = {self};
    if (temporaryCopy) {
        uninstaller.BeforeUndo = [&] {
            const std::string aside = MoveStarterAside(options.starter, self, uninstaller.Log());
            if (!aside.empty()) leftovers.push_back(aside);
        };
    }
    const int result = uninstaller.Run(options);
    if (temporaryCopy) RemoveLater(leftovers);
    return result;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    try {
        return Run(instance);
    } catch (const std::exception& e) {
        MessageBoxA(nullptr, e.what(), kTitle, MB_OK | MB_ICONERROR);
        return zuv::uninstall::kFailed;
    }
}
