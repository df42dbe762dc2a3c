// Paths of the ANSI code page as the UTF-16 names of the "W" calls, and back.
#include "platform/win32/wide_path.h"

#include <cwchar>

namespace zuv::platform {
namespace {

constexpr wchar_t kVerbatim[] = L"\\\\?\\";
constexpr wchar_t kVerbatimUnc[] = L"\\\\?\\UNC\\";

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

// Drops the "\\?\" form again: "\\?\C:\x" is "C:\x", "\\?\UNC\server\x" is "\\server\x".
std::wstring Plain(const std::wstring& path) {
    if (StartsWith(path, kVerbatimUnc)) return L"\\\\" + path.substr(std::wcslen(kVerbatimUnc));
    if (StartsWith(path, kVerbatim)) return path.substr(std::wcslen(kVerbatim));
    return path;
}

}  // namespace

std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (n <= 0) return std::wstring(text.begin(), text.end());
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], n);
    return wide;
}

std::string Narrow(const std::wstring& text, bool* lossless) {
    if (lossless) *lossless = true;
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    // UTF-8 has a form for every character and refuses the "default used" question.
    BOOL usedDefault = FALSE;
    BOOL* ask = GetACP() == CP_UTF8 ? nullptr : &usedDefault;
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, ask);
    if (n <= 0) {
        if (lossless) *lossless = false;
        return std::string();
    }
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, &narrow[0], n, nullptr, nullptr);
    if (lossless && usedDefault) *lossless = false;
    return narrow;
}

std::wstring LongPath(const std::string& path) { return LongForm(Widen(path)); }

std::wstring LongForm(const std::wstring& wide) {
    if (wide.size() < MAX_PATH - 12 || StartsWith(wide, kVerbatim) || StartsWith(wide, L"\\\\.\\")) return wide;
    const std::wstring full = AskWhole([&](DWORD size, wchar_t* buffer) {
        return GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
    });
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return kVerbatim + full;
    if (full.size() >= 3 && full[0] == L'\\' && full[1] == L'\\') return kVerbatimUnc + full.substr(2);
    return wide;
}

std::wstring ShortPathOf(const std::wstring& path) {
    return Plain(AskWhole([&](DWORD size, wchar_t* buffer) { return GetShortPathNameW(LongForm(path).c_str(), buffer, size); }));
}

std::wstring FittedPath(const std::string& path) {
    const std::wstring wide = Widen(path);
    if (wide.size() < MAX_PATH) return wide;
    // The file itself may not exist yet (an INI file, a shortcut about to be saved): the
    // longest part that does exists is shortened, the rest is kept as it stands.
    const std::wstring full = LongPath(path);
    for (size_t end = full.size(); end != std::wstring::npos && end > std::wcslen(kVerbatim);
         end = end == 0 ? std::wstring::npos : full.rfind(L'\\', end - 1)) {
        const std::wstring head = ShortPathOf(full.substr(0, end));
        if (head.empty()) continue;
        const std::wstring fitted = head + full.substr(end);
        return fitted.size() < MAX_PATH ? fitted : wide;
    }
    return wide;
}

std::string NarrowPath(const std::wstring& path) {
    bool lossless = true;
    std::string narrow = Narrow(Plain(path), &lossless);
    if (lossless) return narrow;
    const std::wstring shortPath = ShortPathOf(path);
    return shortPath.empty() ? narrow : Narrow(shortPath);
}

}  // namespace zuv::platform
