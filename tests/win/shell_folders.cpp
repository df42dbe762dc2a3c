// Shortcuts on a real shell under Wine: the shell's common folders as the platform reports
// them, and the .lnk files the shortcut writer saves there, read back through the shell with
// their targets, working directories and icons.
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"

#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "common/routines.h"
#include "wizard/shortcut_folders.h"
#include "wizard/shortcuts.h"

namespace {

using zuv::platform::ShellFolder;
using zuv::platform::Win32Platform;

std::string Upper(std::string s) { return zuv::common::Upper(s); }

std::string ShellAnswer(int csidl) {
    char buffer[MAX_PATH] = {};
    EXPECT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer)));
    return buffer;
}

struct ReadLink {
    std::string path, workingDir, icon;
    int iconIndex = -1;
};

ReadLink Load(const std::string& lnk) {
    ReadLink out;
    IShellLinkA* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shell))))
        return out;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(lnk.begin(), lnk.end());
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
            char text[MAX_PATH] = {};
            shell->GetPath(text, MAX_PATH, nullptr, 0);
            out.path = text;
            shell->GetWorkingDirectory(text, MAX_PATH);
            out.workingDir = text;
            shell->GetIconLocation(text, MAX_PATH, &out.iconIndex);
            out.icon = text;
        }
        file->Release();
    }
    shell->Release();
    return out;
}

bool IsDirectory(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(ShellFolders, AreTheShellsCommonFoldersNotTheWindowsDirectory) {
    Win32Platform p({});
    const std::string windows = Upper(p.WindowsDirectory());
    struct {
        ShellFolder folder;
        int csidl;
    } const cases[] = {{ShellFolder::kCommonDesktop, CSIDL_COMMON_DESKTOPDIRECTORY},
                       {ShellFolder::kCommonStartMenu, CSIDL_COMMON_STARTMENU},
                       {ShellFolder::kCommonPrograms, CSIDL_COMMON_PROGRAMS}};
    for (const auto& c : cases) {
        const std::string path = p.ShellFolderPath(c.folder);
        EXPECT_EQ(path, ShellAnswer(c.csidl));
        EXPECT_TRUE(IsDirectory(path)) << path;
        EXPECT_NE(Upper(path).rfind(windows, 0), 0u) << path << " lies below the Windows directory";
    }
    const zuv::wizard::ShortcutFolders folders = zuv::wizard::GetShortcutFolders(p);
    EXPECT_EQ(folders.programs, ShellAnswer(CSIDL_COMMON_PROGRAMS));
    EXPECT_EQ(Upper(folders.programs).rfind(Upper(folders.startMenu) + "\\", 0), 0u);
}

TEST(ShellFolders, ShortcutsLandInThemWithTargetDirectoryAndIcon) {
    CoInitialize(nullptr);
    Win32Platform p({});
    const zuv::wizard::ShortcutFolders folders = zuv::wizard::GetShortcutFolders(p);
    zuv::wizard::TShortcuts shortcuts(p);
    shortcuts.RunProgram = "C:\\windows\\notepad.exe";
    shortcuts.IconFile = "C:\\windows\\system32\\shell32.dll";
    shortcuts.Folder = "ZUV Shell Test";
    shortcuts.ProgramName = "Note Pad";
    shortcuts.FolderDesktop = true;
    shortcuts.FolderStartMenu = true;
    shortcuts.Desktop = true;
    shortcuts.StartMenu = true;
    ASSERT_NO_THROW(shortcuts.CreateShortcut());
    const std::string files[] = {
        folders.desktop + "\\ZUV Shell Test\\Note Pad.lnk", folders.programs + "\\ZUV Shell Test\\Note Pad.lnk",
        folders.startMenu + "\\ZUV Shell Test\\Note Pad.lnk", folders.desktop + "\\Note Pad.lnk",
        folders.startMenu + "\\Note Pad.lnk"};
    for (const std::string& file : files) {
        ReadLink link = Load(file);
        EXPECT_STRCASEEQ(link.path.c_str(), "C:\\windows\\notepad.exe") << file;
        EXPECT_STRCASEEQ(link.workingDir.c_str(), "C:\\windows\\") << file;
        EXPECT_STRCASEEQ(link.icon.c_str(), "C:\\windows\\system32\\shell32.dll") << file;
        EXPECT_EQ(link.iconIndex, 0) << file;
        DeleteFileA(file.c_str());
    }
    shortcuts.ScanFolderList();
    bool listed = false;
    for (const auto& name : shortcuts.FolderList) listed |= name == "ZUV Shell Test";
    EXPECT_TRUE(listed) << "ScanFolderList reads the shell's Programs folder";
    for (const std::string& base : {folders.desktop, folders.programs, folders.startMenu})
        RemoveDirectoryA((base + "\\ZUV Shell Test").c_str());
    CoUninitialize();
}

}  // namespace
