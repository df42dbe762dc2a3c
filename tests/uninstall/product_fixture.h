// A product that touches every kind of thing an installation changes, on the fake drive, and a
// snapshot of the whole machine (every file with its content, every registry key and value)
// to compare before and after.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "uninstall/journal.h"
#include "uninstall/undo.h"
#include "wizard/engine_fixture.h"

namespace zuv::uninstall::testing {

using platform::RegRoot;

// Path -> content ("<dir>" for a directory) of the fake drive, and "KEY\NAME" -> type and data
// of the registry (a key alone as "KEY\").
struct Machine {
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> registry;
};

inline Machine Snapshot(platform::FakePlatform& p) {
    Machine m;
    const std::filesystem::path root = p.Root();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::string rel = std::filesystem::relative(entry.path(), root).generic_string();
        // The setup's own scratch directory is no part of the machine's state.
        // The fake makes a drive's directory when a path on it is first used.
        if (rel.rfind("C/WINDOWS/Temp", 0) == 0 || rel.size() == 1) continue;
        if (entry.is_directory()) {
            m.files[rel] = "<dir>";
        } else {
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream s;
            s << in.rdbuf();
            m.files[rel] = s.str();
        }
    }
    for (const auto& [key, values] : p.registry) {
        m.registry[key + "\\"] = "";
        for (const auto& [name, v] : values)
            m.registry[key + "\\" + name] = std::to_string(v.type) + ":" + v.text + ":" + std::to_string(v.dword) +
                                            ":" + std::string(v.binary.begin(), v.binary.end());
    }
    return m;
}

// Lists every difference, one per line ("" when none), so a failure says what is left.
inline std::string Differences(const Machine& before, const Machine& after) {
    std::string out;
    auto compare = [&out](const std::map<std::string, std::string>& a, const std::map<std::string, std::string>& b) {
        for (const auto& [k, v] : a) {
            auto it = b.find(k);
            if (it == b.end())
                out += "gone: " + k + "\n";
            else if (it->second != v)
                out += "changed: " + k + "\n";
        }
        for (const auto& [k, v] : b)
            if (!a.count(k)) out += "left: " + k + "\n";
    };
    compare(before.files, after.files);
    compare(before.registry, after.registry);
    return out;
}

class ProductTest : public wizard::testing::EngineTest {
protected:
    static constexpr const char* kRecord = "C:\\Program Files\\MyApp\\uninstall.cfg";

    // The machine as the user had it.
    void UseMachine() {
        platform.PutFile("C:\\autoexec.bat", "@ECHO OFF\r\nPATH C:\\DOS\r\n");
        platform.PutFile("C:\\WINDOWS\\EXISTING.INI", "[Main]\r\nOther=1\r\nMode=old\r\n");
        platform.PutFile("C:\\WINDOWS\\Fonts\\HELLO.FON", "the user's own font");
        platform.PutFile("C:\\WINDOWS\\Desktop\\readme.txt", "desk");
        platform.PutFile("C:\\WINDOWS\\Start Menu\\Programs\\Accessories\\Calc.lnk", "calc");
        platform.RegCreateKey(RegRoot::kCurrentUser, "Software\\Shared");
        platform.RegSetString(RegRoot::kCurrentUser, "Software\\Shared", "Editor", "notepad");
        platform.RegSetString(RegRoot::kCurrentUser, "Software\\Shared", "Other", "stays");
    }

    // A script that changes every kind of thing on it (the expanded files put back in TempDir).
    void UseProduct() {
        script.LaunchProgram = "<INSTALLDIR>MYAPP.EXE";

        Temp("MYAPP.EXE", wizard::testing::BinaryContent(20000, 1));
        Temp("DATA.DAT", wizard::testing::BinaryContent(9000, 2));
        Temp("HELLO.FON", "the product's font");
        Temp("TOOL.EXE", "tool");
        Temp("uninstaller.exe", "MZ uninstaller");
        script.DirectoriesList = {"<INSTALLDIR>~", "<SUB1>~Data\\Deep", "<SUB2><WINDOWS>~Fonts", "<ALT1>~Tools"};
        script.FilesList = {"MYAPP.EXE~<INSTALLDIR>~X", "DATA.DAT~<SUB1>~", "HELLO.FON~<SUB2><WINDOWS>~",
                            "TOOL.EXE~<ALT1>~", "uninstaller.exe~<INSTALLDIR>~"};
        script.DesktopList = {"My App~<INSTALLDIR>MYAPP.EXE~X~X~<INSTALLDIR>MYAPP.EXE~My Folder"};
        choices.dkItems = choices.smItems = {"My App"};
        choices.dkChecked = choices.smChecked = {true};
        shortcuts.FolderDesktop = true;
        shortcuts.FolderStartMenu = true;
        script.IniSetupList = {"EXISTING.INI~Main~Mode~new", "<INSTALLDIR>MYAPP.INI~Settings~Path~<INSTALLDIR>DATA",
                               "NEW.INI~S~K~V", "HKEY_LOCAL_MACHINE\\Software\\Firm~App\\~Version~1.0",
                               "HKEY_CURRENT_USER\\Software\\Shared~~Editor~myapp"};
        script.AutoexecList = {"SET MYAPP=<INSTALLDIR>"};
        choices.radioButton1Checked = false;
    }

    std::map<int, std::vector<JournalEntry>> Journals() { return ReadJournals(platform, kRecord); }
};

}  // namespace zuv::uninstall::testing
