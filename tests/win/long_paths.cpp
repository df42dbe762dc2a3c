// Paths beyond MAX_PATH and beyond any one code page, through the Win32 platform, as install.exe
// uses it (this test carries its manifest): every call the install makes (folders, files, the
// folder listing, INI files, registry values, shortcuts, removal) on a destination with
// non-ASCII names, one 300 characters deep and one that is both. What the platform did is
// read back with the system's own UTF-16 calls on the "\\?\" form of the expected name, so a
// path that was cut, or spelled in the wrong code page, is a different file and fails here.
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"

#include <objbase.h>
#include <shlobj.h>

#include <ostream>
#include <string>

#include "common/routines.h"

namespace {

using zuv::platform::RegRoot;
using zuv::platform::Win32Platform;

std::wstring Utf16(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

// The system's own name of a path, whatever its length: "\\?\" before the full path.
std::wstring Verbatim(const std::string& utf8) { return L"\\\\?\\" + Utf16(utf8); }

std::string ReadWhole(const std::wstring& verbatim) {
    HANDLE h = CreateFileW(verbatim.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<cannot open>";
    std::string bytes(4096, '\0');
    DWORD n = 0;
    ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
    bytes.resize(n);
    return bytes;
}

// The long name of an existing path as the system spells it, "\\?\" dropped.
// (The 8.3 forms asked about here fit in MAX_PATH, where the plain form works everywhere.)
std::wstring LongNameOf(const std::wstring& path) {
    std::wstring buffer(40000, L'\0');
    buffer.resize(GetLongPathNameW(path.c_str(), &buffer[0], static_cast<DWORD>(buffer.size())));
    return buffer;
}

struct Destination {
    const char* name;
    std::string below;  // the destination's path below the test's temporary folder
};

void PrintTo(const Destination& destination, std::ostream* out) { *out << destination.name; }

std::string Deep(const std::string& tail) {
    std::string path = "Deep";
    while (path.size() < 300) path += "\\" + std::string(40, 'd');
    return path + tail;
}

class LongPaths : public ::testing::TestWithParam<Destination> {};

// install.exe's manifest sets the UTF-8 code page, and this Wine honours it: every 8-bit path
// below is UTF-8, as on Windows 10 1903 and later.
TEST(LongPathsManifest, MakesTheCodePageUtf8) { EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)); }

TEST_P(LongPaths, InstallCallsReachTheNamedPlace) {
    CoInitialize(nullptr);
    Win32Platform p({});
    const std::string root = p.TempPath() + "zuvlong" + std::to_string(GetCurrentProcessId());
    const std::string dir = root + "\\" + GetParam().below;
    ASSERT_GT(dir.size(), 0u);
    ASSERT_LT(dir.size() + 20, p.MaxPathLength()) << "the platform itself would refuse this destination";

    // Folders, every level.
    zuv::common::CreateDirPath(p, dir);
    const DWORD made = GetFileAttributesW(Verbatim(dir).c_str());
    ASSERT_NE(made, INVALID_FILE_ATTRIBUTES) << dir;
    EXPECT_TRUE(made & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(zuv::common::DirectoryExists(p, dir));

    // A file, written and read back, listed, named in full and in 8.3 form.
    const std::string exe = dir + "\\hello.exe";
    {
        auto out = p.Open(exe, zuv::platform::OpenMode::kCreate);
        ASSERT_TRUE(out) << exe;
        EXPECT_EQ(out->Write("hello", 5), 5u);
    }
    EXPECT_EQ(ReadWhole(Verbatim(exe)), "hello");
    EXPECT_EQ(p.GetAttributes(exe) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    bool listed = false;
    for (const auto& entry : p.FindFiles(dir + "\\*.*")) listed |= entry.name == "hello.exe" && entry.size == 5;
    EXPECT_TRUE(listed);
    EXPECT_EQ(p.FullPath(exe), exe);
    const std::string shortExe = p.ShortPath(exe);
    ASSERT_FALSE(shortExe.empty());
    EXPECT_EQ(LongNameOf(Utf16(shortExe)), Utf16(exe));

    // An INI file: written, read back, and on disk under its own name.
    const std::string ini = dir + "\\hello.ini";
    const std::string key = "Greeting", value = "Hello, 日本, from ZUV Setup";
    ASSERT_TRUE(p.WriteProfileString("Hello", &key, &value, ini)) << ini;
    std::string read;
    ASSERT_TRUE(p.ReadProfileString("Hello", "Greeting", ini, read));
    EXPECT_EQ(read, value);
    EXPECT_TRUE(p.ProfileSectionExists("hello", ini));
    EXPECT_NE(ReadWhole(Verbatim(ini)).find("[Hello]"), std::string::npos);

    // A registry value naming the file, as the system stores it in UTF-16.
    const std::string regKey = "Software\\ZUV Test\\Long";
    ASSERT_TRUE(p.RegCreateKey(RegRoot::kCurrentUser, regKey));
    ASSERT_TRUE(p.RegSetString(RegRoot::kCurrentUser, regKey, "Path", exe));
    std::wstring stored(40000, L'\0');
    DWORD bytes = static_cast<DWORD>(stored.size() * sizeof(wchar_t));
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, Utf16(regKey).c_str(), L"Path", RRF_RT_REG_SZ, nullptr, &stored[0], &bytes),
              ERROR_SUCCESS);
    stored.resize(bytes / sizeof(wchar_t) - 1);
    EXPECT_EQ(stored, Utf16(exe));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZUV Test\\Long");

    // A shortcut saved beside the file, whose target, working directory and icon lead back to it.
    zuv::platform::ShellLink link;
    link.linkFile = dir + "\\Hello.lnk";
    link.target = exe;
    link.workingDir = dir;
    link.iconPath = exe;
    ASSERT_TRUE(p.CreateShellLink(link));
    IShellLinkW* shell = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&shell))));
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    ASSERT_TRUE(SUCCEEDED(file->Load(Verbatim(link.linkFile).c_str(), STGM_READ)));
    std::wstring target(MAX_PATH + 1, L'\0'), workingDir(MAX_PATH + 1, L'\0'), icon(MAX_PATH + 1, L'\0');
    int iconIndex = -1;
    shell->GetPath(&target[0], MAX_PATH, nullptr, SLGP_RAWPATH);
    shell->GetWorkingDirectory(&workingDir[0], MAX_PATH);
    shell->GetIconLocation(&icon[0], MAX_PATH, &iconIndex);
    file->Release();
    shell->Release();
    EXPECT_EQ(LongNameOf(target.c_str()), Utf16(exe));
    EXPECT_EQ(LongNameOf(workingDir.c_str()), Utf16(dir));
    EXPECT_EQ(LongNameOf(icon.c_str()), Utf16(exe));

    // Removal, file by file and folder by folder up to the temporary folder.
    for (const std::string& name : {exe, ini, link.linkFile}) EXPECT_TRUE(p.DeleteFile(name)) << name;
    for (std::string level = dir; level.size() > root.size(); level = zuv::common::DirPart(level)) {
        if (level.back() == '\\') level.pop_back();
        if (level.size() <= root.size()) break;
        EXPECT_TRUE(p.RemoveDirectory(level)) << level;
    }
    EXPECT_TRUE(p.RemoveDirectory(root));
    EXPECT_EQ(GetFileAttributesW(Verbatim(dir).c_str()), INVALID_FILE_ATTRIBUTES);
    CoUninitialize();
}

INSTANTIATE_TEST_SUITE_P(Destinations, LongPaths,
                         ::testing::Values(Destination{"NonAscii", "Programme\\Ünïcødé 日本"},
                                           Destination{"Deep300", Deep("")},
                                           Destination{"DeepNonAscii", Deep("\\Ünïcødé 日本")}),
                         [](const ::testing::TestParamInfo<Destination>& info) { return info.param.name; });

}  // namespace
