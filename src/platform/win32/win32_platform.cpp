#include "platform/win32/win32_platform.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "platform/host.h"

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

std::wstring Widen(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? n : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
    if (!wide.empty() && wide.back() == L'\0') wide.pop_back();
    return wide;
}

// ---- question boxes with the program's own button texts ---------------------------------

thread_local const std::vector<std::string>* tButtons = nullptr;
thread_local HHOOK tHook = nullptr;
thread_local int tButtonIds[3];

LRESULT CALLBACK RenameButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && tButtons) {
        HWND box = reinterpret_cast<HWND>(wParam);
        for (size_t i = 0; i < tButtons->size() && i < 3; ++i)
            SetDlgItemTextA(box, tButtonIds[i], (*tButtons)[i].c_str());
        tButtons = nullptr;
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
                char text[256] = {};
                GetDlgItemTextA(dialog, kIdEdit, text, sizeof text);
                *state->value = text;
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

std::string Win32Platform::WindowsDirectory() {
    char buffer[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryA(buffer, 144);
    if (n == 0 || n >= 144) return "C:\\WINDOWS";
    return buffer;
}

std::string Win32Platform::CurrentDirectory() {
    // Asked for its length first: a long current directory is never cut.
    std::string buffer(MAX_PATH + 1, '\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), &buffer[0]);
        if (n == 0) return std::string();
        if (n < buffer.size()) return buffer.substr(0, n);
        buffer.assign(n + 1, '\0');
    }
    return std::string();
}

bool Win32Platform::SetCurrentDirectory(const std::string& path, std::string& error) {
    if (::SetCurrentDirectoryA(path.c_str())) return true;
    DWORD code = GetLastError();
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    error = text ? text : ("error " + std::to_string(code));
    if (text) LocalFree(text);
    while (!error.empty() && (error.back() == '\n' || error.back() == '\r' || error.back() == ' ')) error.pop_back();
    return false;
}

std::string Win32Platform::FullPath(const std::string& path) {
    std::string buffer(MAX_PATH * 2, '\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        char* name = nullptr;
        DWORD n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), &buffer[0], &name);
        if (n == 0) return path;
        if (n < buffer.size()) return buffer.substr(0, n);
        buffer.assign(n + 1, '\0');
    }
    return path;
}

size_t Win32Platform::MaxPathLength() {
    // Windows 10 1607 and later lift the MAX_PATH cut for a process whose manifest says
    // longPathAware when the system's LongPathsEnabled setting is on; ntdll tells which.
    using AreLongPathsEnabled = BOOLEAN(WINAPI*)();
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto enabled = ntdll ? reinterpret_cast<AreLongPathsEnabled>(
                               reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlAreLongPathsEnabled")))
                         : nullptr;
    if (enabled && enabled()) return 0;
    return MAX_PATH - 1;
}

std::string Win32Platform::ShortPath(const std::string& path) {
    char buffer[256] = {};
    DWORD n = GetShortPathNameA(path.c_str(), buffer, 255);
    return (n > 0 && n < 255) ? std::string(buffer, n) : std::string();
}

int64_t Win32Platform::DiskFree(const std::string& path) {
    ULARGE_INTEGER available{}, total{}, free{};
    std::string dir = path;
    if (dir.size() >= 2 && dir[1] == ':') dir = dir.substr(0, 2) + "\\";
    if (!GetDiskFreeSpaceExA(dir.c_str(), &available, &total, &free)) return -1;
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
    }
    HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(h);
}

std::vector<FindEntry> Win32Platform::FindFiles(const std::string& pattern) {
    std::vector<FindEntry> result;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return result;
    do {
        FindEntry e;
        e.name = data.cFileName;
        e.attributes = data.dwFileAttributes;
        e.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        result.push_back(e);
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return result;
}

bool Win32Platform::WriteProfileString(const std::string& section, const std::string* key,
                                       const std::string* value, const std::string& file) {
    return WritePrivateProfileStringA(section.c_str(), key ? key->c_str() : nullptr,
                                      value ? value->c_str() : nullptr, file.c_str()) != 0;
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
    // The shell writes at most MAX_PATH characters here, terminator included. Older shells
    // without SHGetFolderPathA still answer SHGetSpecialFolderPathA; a shell that knows
    // neither folder (Windows 95) leaves the answer empty.
    char buffer[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer)) &&
        !SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE))
        return std::string();
    buffer[MAX_PATH] = '\0';
    std::string path = buffer;
    if (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

bool Win32Platform::CreateShellLink(const ShellLink& link) {
    IShellLinkA* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shell))))
        return false;
    shell->SetPath(link.target.c_str());
    if (!link.arguments.empty()) shell->SetArguments(link.arguments.c_str());
    if (!link.workingDir.empty()) shell->SetWorkingDirectory(link.workingDir.c_str());
    if (!link.description.empty()) shell->SetDescription(link.description.c_str());
    if (!link.iconPath.empty()) shell->SetIconLocation(link.iconPath.c_str(), link.iconIndex);
    shell->SetShowCmd(link.showCommand);
    IPersistFile* file = nullptr;
    bool saved = false;
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        saved = SUCCEEDED(file->Save(Widen(link.linkFile).c_str(), TRUE));
        file->Release();
    }
    shell->Release();
    return saved;
}

void Win32Platform::LaunchFile(const std::string& file, const std::string& parameters, const std::string& directory,
                               int show) {
    ShellExecuteA(owner_, nullptr, file.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                  directory.empty() ? nullptr : directory.c_str(), show);
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
    UINT type = MB_OK;
    if (buttons.size() == 2) {
        type = MB_OKCANCEL;
        tButtonIds[0] = IDOK, tButtonIds[1] = IDCANCEL;
    } else if (buttons.size() >= 3) {
        type = MB_YESNOCANCEL;
        tButtonIds[0] = IDYES, tButtonIds[1] = IDNO, tButtonIds[2] = IDCANCEL;
    } else {
        tButtonIds[0] = IDOK;
    }
    switch (icon) {
        case BoxIcon::kError: type |= MB_ICONERROR; break;
        case BoxIcon::kWarning: type |= MB_ICONWARNING; break;
        case BoxIcon::kQuestion: type |= MB_ICONQUESTION; break;
        case BoxIcon::kInformation: type |= MB_ICONINFORMATION; break;
        case BoxIcon::kNone: break;
    }
    tButtons = &buttons;
    tHook = SetWindowsHookExA(WH_CBT, RenameButtons, nullptr, GetCurrentThreadId());
    int pressed = MessageBoxA(owner_, text.c_str(), caption.c_str(), type | MB_TASKMODAL);
    if (tHook) UnhookWindowsHookEx(tHook);
    tHook = nullptr;
    tButtons = nullptr;
    int last = buttons.empty() ? 0 : static_cast<int>(buttons.size()) - 1;
    for (int i = 0; i < static_cast<int>(buttons.size()) && i < 3; ++i)
        if (pressed == tButtonIds[i]) return i;
    return last;
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
