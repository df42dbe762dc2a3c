#include "platform/win32/win32_platform.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "platform/host.h"
#include "platform/win32/wide_path.h"

namespace zuv::platform {
namespace {

constexpr const char* kTitle = "ZUV - Setup";

class Win32File : public File {
public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    ~Win32File() override { CloseHandle(handle_); }
    uint32_t Read(void* buffer, uint32_t count) override {
        DWORD done = 0;
        if (!ReadFile(handle_, buffer, count, &done, nullptr)) return 0;
        return done;
    }
    uint32_t Write(const void* buffer, uint32_t count) override {
        DWORD done = 0;
        if (!WriteFile(handle_, buffer, count, &done, nullptr)) return 0;
        return done;
    }
    bool Seek(uint64_t position) override {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(position);
        return SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0;
    }
    uint64_t Position() override {
        LARGE_INTEGER zero{}, at{};
        return SetFilePointerEx(handle_, zero, &at, FILE_CURRENT) ? static_cast<uint64_t>(at.QuadPart) : 0;
    }
    uint64_t Size() override {
        LARGE_INTEGER size{};
        return GetFileSizeEx(handle_, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
    }
    bool SetDosDateTime(uint32_t dos) override {
        FILETIME local, utc;
        if (!DosDateTimeToFileTime(HIWORD(dos), LOWORD(dos), &local)) return false;
        if (!LocalFileTimeToFileTime(&local, &utc)) return false;
        return SetFileTime(handle_, nullptr, nullptr, &utc) != 0;
    }

private:
    HANDLE handle_;
};

HKEY RootKey(RegRoot root) {
    switch (root) {
        case RegRoot::kLocalMachine: return HKEY_LOCAL_MACHINE;
        case RegRoot::kCurrentUser: return HKEY_CURRENT_USER;
        case RegRoot::kClassesRoot: return HKEY_CLASSES_ROOT;
        case RegRoot::kUsers: return HKEY_USERS;
    }
    return HKEY_LOCAL_MACHINE;
}

// A system message for an error code, without its line end.
std::string SystemText(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string error = text ? Narrow(text) : ("error " + std::to_string(code));
    if (text) LocalFree(text);
    while (!error.empty() && (error.back() == '\n' || error.back() == '\r' || error.back() == ' ')) error.pop_back();
    return error;
}

// ---- question boxes with the program's own button texts ---------------------------------
//
// A message box answers Escape and its close box with IDCANCEL. So that a close is never
// taken for one of the program's buttons, the box is made with one button more than asked
// for, a Cancel that is hidden (OK + Cancel for one button, Yes + No + Cancel for two): the
// shown buttons carry the program's texts, and IDCANCEL means the box was closed. Three
// buttons take Abort + Retry + Ignore, a box that cannot be closed at all.

struct AskBox {
    const std::vector<std::string>* buttons = nullptr;
    int ids[3] = {};
    int shown = 0;
    bool hiddenCancel = false;
};
thread_local AskBox* tBox = nullptr;
thread_local HHOOK tHook = nullptr;

// Renames the shown buttons, hides the extra Cancel and centres the rest where all stood.
void DressBox(HWND box, const AskBox& ask) {
    for (int i = 0; i < ask.shown; ++i) SetDlgItemTextA(box, ask.ids[i], (*ask.buttons)[i].c_str());
    if (!ask.hiddenCancel) return;
    HWND cancel = GetDlgItem(box, IDCANCEL);
    HWND last = GetDlgItem(box, ask.ids[ask.shown - 1]);
    if (!cancel || !last) return;
    ShowWindow(cancel, SW_HIDE);
    RECT cancelRect, lastRect;
    GetWindowRect(cancel, &cancelRect);
    GetWindowRect(last, &lastRect);
    const int shift = (cancelRect.right - lastRect.right) / 2;
    for (int i = 0; i < ask.shown; ++i) {
        HWND button = GetDlgItem(box, ask.ids[i]);
        RECT r;
        GetWindowRect(button, &r);
        POINT at{r.left + shift, r.top};
        ScreenToClient(box, &at);
        SetWindowPos(button, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The first shown button has the focus and is the default, as in any box.
    SendMessageA(box, DM_SETDEFID, static_cast<WPARAM>(ask.ids[0]), 0);
}

LRESULT CALLBACK RenameButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && tBox) {
        DressBox(reinterpret_cast<HWND>(wParam), *tBox);
        tBox = nullptr;
    }
    return CallNextHookEx(tHook, code, wParam, lParam);
}

// ---- the input box -------------------------------------------------------------------------

struct InputState {
    const char* caption;
    const char* prompt;
    std::string* value;
};

constexpr int kIdPrompt = 100, kIdEdit = 101;

INT_PTR CALLBACK InputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            auto* state = reinterpret_cast<InputState*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            SetWindowTextA(dialog, state->caption);
            SetDlgItemTextA(dialog, kIdPrompt, state->prompt);
            SetDlgItemTextA(dialog, kIdEdit, state->value->c_str());
            SendDlgItemMessageA(dialog, kIdEdit, EM_LIMITTEXT, 255, 0);
            RECT r;
            GetWindowRect(dialog, &r);
            SetWindowPos(dialog, HWND_TOP, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
                         (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0, SWP_NOSIZE);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrA(dialog, DWLP_USER));
                // 255 characters are up to 765 bytes in UTF-8: read as UTF-16, whole.
                HWND edit = GetDlgItem(dialog, kIdEdit);
                std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
                text.resize(static_cast<size_t>(GetWindowTextW(edit, &text[0], static_cast<int>(text.size()))));
                *state->value = Narrow(text);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

// Builds a dialog template in memory: a caption, a prompt, an edit line and two buttons.
class TemplateBuilder {
public:
    void Align() {
        while (data_.size() % 4) data_.push_back(0);
    }
    void Word(WORD w) {
        data_.push_back(static_cast<BYTE>(w & 0xFF));
        data_.push_back(static_cast<BYTE>(w >> 8));
    }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const wchar_t* s) {
        do Word(static_cast<WORD>(*s)); while (*s++);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom, const wchar_t* text) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(static_cast<WORD>(x));
        Word(static_cast<WORD>(y));
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(id);
        Word(0xFFFF);
        Word(classAtom);
        Text(text);
        Word(0);
    }
    std::vector<BYTE> data_;
};

}  // namespace

void Win32Platform::ProcessMessages() {
    // Called after every chunk the expansion reads: asking whether anything waits costs far
    // less than a PeekMessage round that finds nothing, and most calls find nothing.
    if (HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0) return;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

LocalTime Win32Platform::Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::string Win32Platform::SystemVersion() {
    // GetVersionEx answers as the manifest allows; the kernel's own numbers come from
    // RtlGetVersion, which every Windows since NT has.
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto rtl = ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                     : nullptr;
    if (!rtl || rtl(&info) != 0) return "Windows (version unknown)";
    return "Windows " + std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + " build " +
           std::to_string(info.dwBuildNumber);
}

std::string Win32Platform::TempPath() {
    const std::wstring wide = AskWhole([](DWORD size, wchar_t* buffer) { return GetTempPathW(size, buffer); });
    if (wide.empty()) return WindowsDirectory() + "\\Temp\\";
    std::string path = NarrowPath(wide);
    if (path.back() != '\\') path += '\\';
    return path;
}

std::string Win32Platform::AnsiToUtf8(const std::string& text) {
    if (text.empty()) return text;
    int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide <= 0) return text;
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &w[0], wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return text;
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

std::string Win32Platform::WindowsDirectory() {
    char buffer[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryA(buffer, 144);
    if (n == 0 || n >= 144) return "C:\\WINDOWS";
    return buffer;
}

std::string Win32Platform::CurrentDirectory() {
    // Asked for its length first: a long current directory is never cut.
    return NarrowPath(AskWhole([](DWORD size, wchar_t* buffer) { return GetCurrentDirectoryW(size, buffer); }));
}

bool Win32Platform::SetCurrentDirectory(const std::string& path, std::string& error) {
    // The current directory never takes the "\\?\" form; it is as long as the system allows.
    if (::SetCurrentDirectoryW(Widen(path).c_str())) return true;
    error = SystemText(GetLastError());
    return false;
}

bool Win32Platform::CreateDirectory(const std::string& path) {
    return ::CreateDirectoryW(LongPath(path).c_str(), nullptr) != 0;
}

bool Win32Platform::RemoveDirectory(const std::string& path) { return ::RemoveDirectoryW(LongPath(path).c_str()) != 0; }

bool Win32Platform::DeleteFile(const std::string& path) { return ::DeleteFileW(LongPath(path).c_str()) != 0; }

uint32_t Win32Platform::GetAttributes(const std::string& path) { return ::GetFileAttributesW(LongPath(path).c_str()); }

bool Win32Platform::SetAttributes(const std::string& path, uint32_t attributes) {
    return ::SetFileAttributesW(LongPath(path).c_str(), attributes) != 0;
}

std::string Win32Platform::FullPath(const std::string& path) {
    const std::wstring wide = Widen(path);
    const std::wstring full =
        AskWhole([&](DWORD size, wchar_t* buffer) { return GetFullPathNameW(wide.c_str(), size, buffer, nullptr); });
    return full.empty() ? path : NarrowPath(full);
}

size_t Win32Platform::MaxPathLength() {
    // Every file call goes through the "\\?\" form, which Windows NT takes whatever the
    // system's long-path setting says.
    return kLongPathLimit;
}

std::string Win32Platform::ShortPath(const std::string& path) {
    const std::wstring shortPath = ShortPathOf(Widen(path));
    return shortPath.empty() ? std::string() : Narrow(shortPath);
}

int64_t Win32Platform::DiskFree(const std::string& path) {
    ULARGE_INTEGER available{}, total{}, free{};
    std::string dir = path;
    if (dir.size() >= 2 && dir[1] == ':') dir = dir.substr(0, 2) + "\\";
    if (!GetDiskFreeSpaceExW(LongPath(dir).c_str(), &available, &total, &free)) return -1;
    return static_cast<int64_t>(available.QuadPart);
}

std::unique_ptr<File> Win32Platform::Open(const std::string& path, OpenMode mode) {
    DWORD access = GENERIC_READ, share = FILE_SHARE_READ, disposition = OPEN_EXISTING;
    switch (mode) {
        case OpenMode::kReadShared: share = FILE_SHARE_READ; break;
        case OpenMode::kReadExclusive: share = FILE_SHARE_READ; break;
        case OpenMode::kCreate:
            access = GENERIC_WRITE;
            share = 0;
            disposition = CREATE_ALWAYS;
            break;
        case OpenMode::kReadWrite:
            access = GENERIC_READ | GENERIC_WRITE;
            share = 0;
            break;
        case OpenMode::kCreateShared:
            access = GENERIC_WRITE;
            share = FILE_SHARE_READ;
            disposition = CREATE_ALWAYS;
            break;
    }
    HANDLE h =
        CreateFileW(LongPath(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(h);
}

std::vector<FindEntry> Win32Platform::FindFiles(const std::string& pattern) {
    std::vector<FindEntry> result;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(LongPath(pattern).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return result;
    do {
        FindEntry e;
        // A name the code page cannot spell is given by its 8.3 name, which names the same file.
        bool lossless = true;
        e.name = Narrow(data.cFileName, &lossless);
        if (!lossless && data.cAlternateFileName[0]) e.name = Narrow(data.cAlternateFileName);
        e.attributes = data.dwFileAttributes;
        e.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        result.push_back(e);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return result;
}

// The profile calls stop at MAX_PATH whatever the form of the name under Wine, and Windows
// promises them no long paths either: the file is named by FittedPath.
bool Win32Platform::WriteProfileString(const std::string& section, const std::string* key,
                                       const std::string* value, const std::string& file) {
    const std::wstring wideKey = key ? Widen(*key) : std::wstring();
    const std::wstring wideValue = value ? Widen(*value) : std::wstring();
    return WritePrivateProfileStringW(Widen(section).c_str(), key ? wideKey.c_str() : nullptr,
                                      value ? wideValue.c_str() : nullptr, FittedPath(file).c_str()) != 0;
}

bool Win32Platform::ReadProfileString(const std::string& section, const std::string& key, const std::string& file,
                                      std::string& value) {
    // A key that is missing gives back the default; a default no value can hold tells the two
    // apart. The buffer grows until the value fits.
    static const wchar_t kAbsent[] = L"\x01\x02" L"absent" L"\x02\x01";
    const std::wstring wideSection = Widen(section), wideKey = Widen(key), path = FittedPath(file);
    std::vector<wchar_t> buffer(1024);
    for (;;) {
        DWORD n = GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), kAbsent, buffer.data(),
                                           static_cast<DWORD>(buffer.size()), path.c_str());
        if (n + 1 < buffer.size() || buffer.size() >= (1u << 20)) {
            const std::wstring wide(buffer.data(), n);
            if (wide == kAbsent) return false;
            value = Narrow(wide);
            return true;
        }
        buffer.resize(buffer.size() * 4);
    }
}

bool Win32Platform::ProfileSectionExists(const std::string& section, const std::string& file) {
    const std::wstring wideSection = Widen(section), path = FittedPath(file);
    std::vector<wchar_t> buffer(8192);
    for (;;) {
        DWORD n = GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
        if (n + 2 < buffer.size() || buffer.size() >= (1u << 20)) {
            for (const wchar_t* name = buffer.data(); *name && name < buffer.data() + n; name += std::wcslen(name) + 1)
                if (lstrcmpiW(name, wideSection.c_str()) == 0) return true;
            return false;
        }
        buffer.resize(buffer.size() * 4);
    }
}

bool Win32Platform::RegKeyExists(RegRoot root, const std::string& subKey) {
    HKEY key;
    if (RegOpenKeyExA(RootKey(root), subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool Win32Platform::RegQueryValue(RegRoot root, const std::string& subKey, const std::string& name, RegData& data) {
    HKEY key;
    if (RegOpenKeyExA(RootKey(root), subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        data.type = type;
        data.bytes.assign(size, 0);
        result = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.bytes.data(), &size);
        data.bytes.resize(size);
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool Win32Platform::RegSetValue(RegRoot root, const std::string& subKey, const std::string& name,
                                const RegData& data) {
    return SetValue(root, subKey, name, data.type, data.bytes.data(), static_cast<DWORD>(data.bytes.size()));
}

bool Win32Platform::RegDeleteValue(RegRoot root, const std::string& subKey, const std::string& name) {
    HKEY key;
    if (RegOpenKeyExA(RootKey(root), subKey.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
    LONG result = ::RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool Win32Platform::RegDeleteEmptyKey(RegRoot root, const std::string& subKey) {
    HKEY key;
    if (subKey.empty() || RegOpenKeyExA(RootKey(root), subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD subKeys = 1, values = 1;
    LONG result = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || subKeys != 0 || values != 0) return false;
    return RegDeleteKeyA(RootKey(root), subKey.c_str()) == ERROR_SUCCESS;
}

bool Win32Platform::RegCreateKey(RegRoot root, const std::string& subKey) {
    HKEY key;
    DWORD disposition;
    if (RegCreateKeyExA(RootKey(root), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, &disposition) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool Win32Platform::SetValue(RegRoot root, const std::string& subKey, const std::string& name, DWORD type,
                             const void* data, DWORD size) {
    HKEY key;
    if (RegOpenKeyExA(RootKey(root), subKey.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
    LONG result = RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool Win32Platform::RegSetString(RegRoot root, const std::string& subKey, const std::string& name,
                                 const std::string& value) {
    return SetValue(root, subKey, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool Win32Platform::RegSetDword(RegRoot root, const std::string& subKey, const std::string& name, uint32_t value) {
    DWORD v = value;
    return SetValue(root, subKey, name, REG_DWORD, &v, sizeof v);
}

bool Win32Platform::RegSetBinary(RegRoot root, const std::string& subKey, const std::string& name,
                                 const std::vector<uint8_t>& value) {
    return SetValue(root, subKey, name, REG_BINARY, value.data(), static_cast<DWORD>(value.size()));
}

std::string Win32Platform::ShellFolderPath(ShellFolder folder) {
    int csidl = CSIDL_COMMON_PROGRAMS;
    switch (folder) {
        case ShellFolder::kCommonDesktop: csidl = CSIDL_COMMON_DESKTOPDIRECTORY; break;
        case ShellFolder::kCommonStartMenu: csidl = CSIDL_COMMON_STARTMENU; break;
        case ShellFolder::kCommonPrograms: csidl = CSIDL_COMMON_PROGRAMS; break;
    }
    // The shell writes at most MAX_PATH characters here, terminator included (its folders are
    // never longer). Older shells without SHGetFolderPathW still answer
    // SHGetSpecialFolderPathW; a shell that knows neither folder (Windows 95) leaves the
    // answer empty.
    wchar_t buffer[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer)) &&
        !SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE))
        return std::string();
    buffer[MAX_PATH] = L'\0';
    std::string path = NarrowPath(buffer);
    if (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

// The shell-link object takes paths of at most MAX_PATH characters (a longer target is dropped
// without a word under Wine), so every path it stores, and the .lnk it saves, is named by
// FittedPath: a long one by its 8.3 form, which the shell follows to the same place.
bool Win32Platform::CreateShellLink(const ShellLink& link) {
    IShellLinkW* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shell))))
        return false;
    bool saved = SUCCEEDED(shell->SetPath(FittedPath(link.target).c_str()));
    if (!link.arguments.empty()) shell->SetArguments(Widen(link.arguments).c_str());
    if (!link.workingDir.empty()) shell->SetWorkingDirectory(FittedPath(link.workingDir).c_str());
    if (!link.description.empty()) shell->SetDescription(Widen(link.description).c_str());
    if (!link.iconPath.empty()) shell->SetIconLocation(FittedPath(link.iconPath).c_str(), link.iconIndex);
    shell->SetShowCmd(link.showCommand);
    IPersistFile* file = nullptr;
    if (saved && SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        saved = SUCCEEDED(file->Save(FittedPath(link.linkFile).c_str(), TRUE));
        file->Release();
    } else {
        saved = false;
    }
    shell->Release();
    return saved;
}

void Win32Platform::LaunchFile(const std::string& file, const std::string& parameters, const std::string& directory,
                               int show) {
    const std::wstring wideParameters = Widen(parameters), wideDirectory = FittedPath(directory);
    ShellExecuteW(owner_, nullptr, FittedPath(file).c_str(), parameters.empty() ? nullptr : wideParameters.c_str(),
                  directory.empty() ? nullptr : wideDirectory.c_str(), show);
}

bool Win32Platform::AdjustPrivilege(const std::string& name, bool enable) {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    TOKEN_PRIVILEGES privileges{};
    bool result = false;
    if (LookupPrivilegeValueA(nullptr, name.c_str(), &privileges.Privileges[0].Luid)) {
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
        TOKEN_PRIVILEGES previous{};
        DWORD length = sizeof previous;
        result = AdjustTokenPrivileges(token, FALSE, &privileges, sizeof previous, &previous, &length) != 0;
    }
    CloseHandle(token);
    return result;
}

void Win32Platform::ShowMessage(const std::string& text) {
    MessageBoxA(owner_, text.c_str(), kTitle, MB_OK | MB_TASKMODAL);
}

void Win32Platform::ShowError(const std::string& text) {
    MessageBoxA(owner_, text.c_str(), kTitle, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

int Win32Platform::Ask(const std::string& text, const std::string& caption, BoxIcon icon,
                       const std::vector<std::string>& buttons) {
    static const std::vector<std::string> kOk{"OK"};
    AskBox ask;
    ask.buttons = buttons.empty() ? &kOk : &buttons;
    ask.shown = static_cast<int>(std::min<size_t>(ask.buttons->size(), 3));
    UINT type = MB_OKCANCEL;
    if (ask.shown == 1) {
        ask.ids[0] = IDOK;
        ask.hiddenCancel = true;
    } else if (ask.shown == 2) {
        type = MB_YESNOCANCEL;
        ask.ids[0] = IDYES, ask.ids[1] = IDNO;
        ask.hiddenCancel = true;
    } else {
        type = MB_ABORTRETRYIGNORE;
        ask.ids[0] = IDABORT, ask.ids[1] = IDRETRY, ask.ids[2] = IDIGNORE;
    }
    switch (icon) {
        case BoxIcon::kError: type |= MB_ICONERROR; break;
        case BoxIcon::kWarning: type |= MB_ICONWARNING; break;
        case BoxIcon::kQuestion: type |= MB_ICONQUESTION; break;
        case BoxIcon::kInformation: type |= MB_ICONINFORMATION; break;
        case BoxIcon::kNone: break;
    }
    tBox = &ask;
    tHook = SetWindowsHookExA(WH_CBT, RenameButtons, nullptr, GetCurrentThreadId());
    const int pressed = MessageBoxA(owner_, text.c_str(), caption.c_str(), type | MB_TASKMODAL);
    if (tHook) UnhookWindowsHookEx(tHook);
    tHook = nullptr;
    tBox = nullptr;
    for (int i = 0; i < ask.shown; ++i)
        if (pressed == ask.ids[i]) return i;
    return kBoxClosed;
}

bool Win32Platform::InputBox(const std::string& caption, const std::string& prompt, std::string& value) {
    TemplateBuilder t;
    t.Dword(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.Dword(0);
    t.Word(4);  // items
    t.Word(0);
    t.Word(0);
    t.Word(220);
    t.Word(70);
    t.Word(0);  // no menu
    t.Word(0);  // standard class
    t.Text(L"");
    t.Word(8);
    t.Text(L"MS Sans Serif");
    t.Item(SS_LEFT, 7, 7, 206, 18, kIdPrompt, 0x0082, L"");
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 28, 206, 12, kIdEdit, 0x0081, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 109, 50, 50, 14, IDOK, 0x0080, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 163, 50, 50, 14, IDCANCEL, 0x0080, L"Cancel");
    InputState state{caption.c_str(), prompt.c_str(), &value};
    INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                             reinterpret_cast<LPCDLGTEMPLATEA>(t.data_.data()), owner_,
                                             InputProc, reinterpret_cast<LPARAM>(&state));
    return result == IDOK;
}

std::unique_ptr<Platform> MakeHostPlatform(std::vector<std::string> params) {
    return std::make_unique<Win32Platform>(std::move(params));
}

}  // namespace zuv::platform
