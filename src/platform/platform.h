// The one narrow interface between the portable core and the operating system.
//
// Every file, INI, registry, shell, restart and dialog operation the core needs goes
// through `Platform`. Three implementations exist, chosen by CMake:
//   - win32/  the real Win32 API (install.exe, zuv.exe, Windows tests under Wine);
//   - posix/  real files on Linux for the native zuv tool (both "\" and "/" separate);
//   - fake/   a directory standing for the drive, an in-memory registry, scripted
//             answers to every question and a record of every message (unit tests).
//
// Paths are 8-bit Windows paths ("C:\WINDOWS\Temp\z") built by plain concatenation, in the
// system's ANSI code page (UTF-8 under install.exe's manifest on Windows 10 1903 and later).
// Functions that mirror a Win32 call report failure the way the core needs it
// (false / nullptr / sentinel), never by exception, unless stated.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The portable core never sees <windows.h>. Code that needs it takes it through
// platform/win32/windows_api.h, which drops the macros that would rename the operations
// below; <windows.h> taken in directly before this header is caught here.
#ifdef DeleteFile
#error "include platform/win32/windows_api.h instead of <windows.h>"
#endif

namespace zuv::platform {

// File attribute bits as Windows defines them.
enum : uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrVolume = 0x08,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    kAttrNormal = 0x80,
    kInvalidAttributes = 0xFFFFFFFFu,
};

// One open file. Reads and writes return the count actually moved; a short count is
// the only sign of end of file or a full disk.
class File {
public:
    virtual ~File() = default;
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    virtual uint32_t Write(const void* buffer, uint32_t count) = 0;
    // Moves to an absolute position; returns false when that is impossible.
    virtual bool Seek(uint64_t position) = 0;
    virtual uint64_t Position() = 0;
    virtual uint64_t Size() = 0;
    // Sets the last-write time from a 32-bit DOS date/time taken as local time.
    // Failure is ignored by every caller, so it is only reported.
    virtual bool SetDosDateTime(uint32_t dosDateTime) = 0;
};

enum class OpenMode {
    kReadShared,     // read, others may read but not write (CopyFileInto's source)
    kReadExclusive,  // read, no sharing (archives and segments)
    kCreate,         // create or truncate, write
    kReadWrite,      // open an existing file for reading and writing
    kCreateShared,   // create or truncate, write, others may read (the install log)
};

struct FindEntry {
    std::string name;  // bare name, as FindFirstFileA returns it
    uint32_t attributes = 0;
    uint64_t size = 0;
};

// Registry roots the core names.
enum class RegRoot { kLocalMachine, kCurrentUser, kClassesRoot, kUsers };

// Registry value types as Windows numbers them.
enum : uint32_t { kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7 };

// One registry value as stored: its type and its data bytes exactly (a REG_SZ string keeps
// its terminating zero), so that it can be put back unchanged.
struct RegData {
    uint32_t type = kRegSz;
    std::vector<uint8_t> bytes;
    bool operator==(const RegData& other) const { return type == other.type && bytes == other.bytes; }
    bool operator!=(const RegData& other) const { return !(*this == other); }
};

// What a .lnk file carries; `linkFile` is the full path of the .lnk to save.
struct ShellLink {
    std::string linkFile;
    std::string target;
    std::string arguments;
    std::string workingDir;
    std::string description;
    std::string iconPath;
    int iconIndex = 0;
    int showCommand = 1;  // SW_SHOWNORMAL
};

enum class BoxIcon { kNone, kError, kWarning, kQuestion, kInformation };

// A local date and time (GetLocalTime).
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The answer of a question box closed without pressing any of its buttons.
constexpr int kBoxClosed = -1;

// The shell's folders for all users that receive shortcuts (CSIDL_COMMON_DESKTOPDIRECTORY,
// CSIDL_COMMON_STARTMENU, CSIDL_COMMON_PROGRAMS).
enum class ShellFolder { kCommonDesktop, kCommonStartMenu, kCommonPrograms };

class Platform {
public:
    virtual ~Platform() = default;

    // ---- process and clock -------------------------------------------------------
    // Command-line parameters after the program name.
    virtual std::vector<std::string> Params() = 0;
    virtual uint32_t TickCount() = 0;
    virtual void Sleep(uint32_t ms) = 0;
    // Lets the user interface handle pending window messages (no-op without one).
    virtual void ProcessMessages() = 0;
    // The whole command line as the system passed it, program name first (GetCommandLineA).
    virtual std::string CommandLine() = 0;
    // The local date and time now.
    virtual LocalTime Now() = 0;
    // The system's name and version for the install log ("Windows 10.0 build 19045").
    virtual std::string SystemVersion() = 0;
    // The user's temporary folder (GetTempPath), with a trailing "\".
    virtual std::string TempPath() = 0;
    // The system's code of the last failed call on this thread (GetLastError).
    virtual uint32_t LastError() = 0;
    // An 8-bit text of the system's ANSI code page as UTF-8.
    virtual std::string AnsiToUtf8(const std::string& text) = 0;

    // ---- directories -------------------------------------------------------------
    // GetWindowsDirectoryA as returned (no trailing "\" unless a root).
    virtual std::string WindowsDirectory() = 0;
    virtual std::string CurrentDirectory() = 0;
    // On failure returns false and puts the system's text for it in `error`.
    virtual bool SetCurrentDirectory(const std::string& path, std::string& error) = 0;
    virtual bool CreateDirectory(const std::string& path) = 0;
    virtual bool RemoveDirectory(const std::string& path) = 0;
    // Full path of `path` relative to the current directory (GetFullPathName), whole.
    virtual std::string FullPath(const std::string& path) = 0;
    // GetShortPathName (the 8.3 form), of any length; empty when it fails.
    virtual std::string ShortPath(const std::string& path) = 0;
    // Free bytes on the drive holding `path`; -1 when the query fails.
    virtual int64_t DiskFree(const std::string& path) = 0;
    // The longest full path, in characters, that the file calls accept here: 0 when there is
    // no such limit; on Windows the 32760 characters the system's own names hold (the file
    // calls take every path in its "\\?\" form, so MAX_PATH does not apply).
    virtual size_t MaxPathLength() = 0;

    // ---- files -------------------------------------------------------------------
    // nullptr when the file cannot be opened or created.
    virtual std::unique_ptr<File> Open(const std::string& path, OpenMode mode) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    // kInvalidAttributes when nothing exists there.
    virtual uint32_t GetAttributes(const std::string& path) = 0;
    virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;
    // Every entry matching a FindFirstFileA pattern ("dir\*.*"), "." and ".." included
    // where the system reports them.
    virtual std::vector<FindEntry> FindFiles(const std::string& pattern) = 0;

    // ---- INI files ---------------------------------------------------------------
    // WritePrivateProfileStringA: a null key erases the section, a null value the key.
    virtual bool WriteProfileString(const std::string& section, const std::string* key,
                                    const std::string* value, const std::string& file) = 0;
    // GetPrivateProfileStringA of one key: true with `value` set when the key exists.
    virtual bool ReadProfileString(const std::string& section, const std::string& key, const std::string& file,
                                   std::string& value) = 0;
    // True when the file has a section of that name (any case), even an empty one.
    virtual bool ProfileSectionExists(const std::string& section, const std::string& file) = 0;

    // ---- registry ----------------------------------------------------------------
    // Creates (or opens) `root\subKey`; false when it cannot be created.
    virtual bool RegCreateKey(RegRoot root, const std::string& subKey) = 0;
    // Sets a REG_SZ value of an existing key; false when the key cannot be opened or
    // the value not set.
    virtual bool RegSetString(RegRoot root, const std::string& subKey, const std::string& name,
                              const std::string& value) = 0;
    virtual bool RegSetDword(RegRoot root, const std::string& subKey, const std::string& name,
                             uint32_t value) = 0;
    virtual bool RegSetBinary(RegRoot root, const std::string& subKey, const std::string& name,
                              const std::vector<uint8_t>& value) = 0;
    // True when `root\subKey` exists.
    virtual bool RegKeyExists(RegRoot root, const std::string& subKey) = 0;
    // Reads one value (an empty name is the key's default value); false when the key or the
    // value does not exist.
    virtual bool RegQueryValue(RegRoot root, const std::string& subKey, const std::string& name,
                               RegData& data) = 0;
    // Sets a value of an existing key to exactly this type and data.
    virtual bool RegSetValue(RegRoot root, const std::string& subKey, const std::string& name,
                             const RegData& data) = 0;
    // Deletes one value; false when it could not be deleted (or did not exist).
    virtual bool RegDeleteValue(RegRoot root, const std::string& subKey, const std::string& name) = 0;
    // Deletes a key that holds no values and no subkeys; false for any other key.
    virtual bool RegDeleteEmptyKey(RegRoot root, const std::string& subKey) = 0;

    // ---- shell -------------------------------------------------------------------
    // The shell's own folder for all users, without a trailing "\"; empty when the shell
    // has none (callers then use the folders below the Windows directory).
    virtual std::string ShellFolderPath(ShellFolder folder) = 0;
    // Saves a .lnk through the shell-link object; false on any failure.
    virtual bool CreateShellLink(const ShellLink& link) = 0;
    // ShellExecuteA with the default verb; the result is not examined by callers.
    virtual void LaunchFile(const std::string& file, const std::string& parameters,
                            const std::string& directory, int show) = 0;

    // ---- restart -----------------------------------------------------------------
    // Enables or disables a privilege of the process token (AdjustTokenPrivileges).
    virtual bool AdjustPrivilege(const std::string& name, bool enable) = 0;
    // ExitWindowsEx(mode, 0).
    virtual bool ExitWindows(uint32_t mode) = 0;

    // ---- dialogs -----------------------------------------------------------------
    // Plain message box: caption "ZUV - Setup", the text, one OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // Error box for a failure (caption of the system's choosing, OK only).
    virtual void ShowError(const std::string& text) = 0;
    // A question box with the given buttons in order; returns the index of the button
    // pressed, or kBoxClosed when the box was closed without one (Escape, its close box).
    // Callers decide what a close means; it is never taken for one of the buttons.
    virtual int Ask(const std::string& text, const std::string& caption, BoxIcon icon,
                    const std::vector<std::string>& buttons) = 0;
    // Input box with one edit line (at most 255 characters) pre-filled with `value`;
    // true on OK with `value` set to the text, false on Cancel.
    virtual bool InputBox(const std::string& caption, const std::string& prompt,
                          std::string& value) = 0;
};

}  // namespace zuv::platform
