// INI and registry entries, the AUTOEXEC.BAT block with its backup, and the uninstaller's
// registration; every error among them stops the run before the later steps.
#include <gtest/gtest.h>

#include "wizard/engine_fixture.h"

namespace zuv::wizard {
namespace {

using platform::RegRoot;
using testing::EngineTest;

bool HasKeyIn(const platform::FakePlatform& p, const std::string& key) {
    return p.registry.count(platform::FakePlatform::RegKeyName(RegRoot::kLocalMachine, key)) > 0;
}

class SystemEntriesTest : public EngineTest {
protected:
    std::string RegString(RegRoot root, const std::string& key, const std::string& name) {
        const auto* value = platform.FindValue(root, key, name);
        if (!value) return "<missing>";
        EXPECT_EQ(value->type, platform::FakePlatform::RegValue::kString);
        return value->text;
    }
    bool HasKey(RegRoot root, const std::string& key) {
        return platform.registry.count(platform::FakePlatform::RegKeyName(root, key)) > 0;
    }
};

TEST_F(SystemEntriesTest, IniEntriesGetTheirTagsExpandedAndLandInTheirFiles) {
    choices.mainDir = "C:\\MYAPP";
    script.DirectoriesList = {"<INSTALLDIR>~", "<SUB1>~Conf"};
    script.IniSetupList = {"MYAPP.INI~Settings~Path~<INSTALLDIR>DATA", "<sub1>app.ini~Main~Mode~fast~er",
                           "other.ini~S~K~<UNKNOWN>X"};
    ASSERT_TRUE(Run());
    common::IniFile windowsIni(platform.GetFile("C:\\WINDOWS\\MYAPP.INI"));
    EXPECT_EQ(windowsIni.ReadString("Settings", "Path", ""), "C:\\MYAPP\\DATA");
    common::IniFile confIni(platform.GetFile("C:\\MYAPP\\Conf\\app.ini"));
    EXPECT_EQ(confIni.ReadString("Main", "Mode", ""), "fast~er") << "the value is everything after the third ~";
    EXPECT_EQ(common::IniFile(platform.GetFile("C:\\WINDOWS\\other.ini")).ReadString("S", "K", ""), "<UNKNOWN>X");
    EXPECT_EQ(script.IniSetupList[0], "MYAPP.INI~Settings~Path~C:\\MYAPP\\DATA");
    common::IniFile record(platform.GetFile("C:\\MYAPP\\uninstall.cfg"));
    EXPECT_TRUE(record.HasKey("UNINS", "C:\\WINDOWS\\MYAPP.INI"));
    EXPECT_TRUE(record.HasKey("UNINS", "C:\\MYAPP\\Conf\\app.ini"));
    EXPECT_EQ(view.progress, 3);
}

TEST_F(SystemEntriesTest, RegistryEntriesHonourOnlyTheLocalMachineRoot) {
    script.IniSetupList = {
        "HKEY_LOCAL_MACHINE\\Software\\Firm~App\\~Version~1.0",
        "HKEY_CLASSES_ROOT\\.abc~Shell~~Open",
        "Software\\Firm\\~App~Path~<INSTALLDIR>BIN",
    };
    ASSERT_TRUE(Run());
    EXPECT_EQ(RegString(RegRoot::kLocalMachine, "Software\\Firm\\App", "Version"), "1.0");
    EXPECT_TRUE(HasKey(RegRoot::kCurrentUser, "Software\\Firm")) << "the target is also made under the user";
    EXPECT_EQ(RegString(RegRoot::kCurrentUser, ".abc\\Shell", ""), "Open");
    EXPECT_FALSE(HasKey(RegRoot::kClassesRoot, ".abc\\Shell"));
    EXPECT_EQ(RegString(RegRoot::kCurrentUser, "Software\\Firm\\App", "Path"), "C:\\Program Files\\MyApp\\BIN");
    EXPECT_EQ(RecordKeys("Registry"), (std::vector<std::string>{"HKEY_LOCAL_MACHINE\\Software\\Firm",
                                                                "HKEY_CLASSES_ROOT\\.abc", "Software\\Firm\\"}));
}

TEST_F(SystemEntriesTest, EachRegistryOrIniErrorStopsTheRunBeforeTheLaterSteps) {
    struct Case {
        const char* entry;
        std::function<void(platform::FakePlatform&)> arrange;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"HKEY_LOCAL_MACHINE\\Software\\Bad~Key~V~1",
         [](platform::FakePlatform& p) { p.regCreateFails.push_back("HKLM\\SOFTWARE\\BAD\\KEY"); },
         "Failed to create key Software\\Bad\\Key"},
        {"Software\\Bad~Key~Value~1",
         [](platform::FakePlatform& p) { p.regSetFails.push_back("HKCU\\SOFTWARE\\BAD\\KEY"); },
         "Failed to set data for 'Value'"},
        {"C:\\NoSuchDir\\deeper\\BAD.INI~S~K~V", [](platform::FakePlatform&) {},
         "Unable to write to C:\\NoSuchDir\\deeper\\BAD.INI"},
    };
    for (const Case& c : cases) {
        platform::FakePlatform p;
        testing::RecordingView v;
        shell::LoadedScript s = script;
        shell::ShellState st = state;
        TShortcuts sc(p);
        p.PutFile(std::string(kTemp) + "\\install.exe", "x");
        p.PutFile(std::string(kTemp) + "\\install.cfg", "x");
        p.PutFile("C:\\autoexec.bat", "@ECHO OFF\r\n");
        p.PutFile(std::string(kTemp) + "\\uninstaller.exe", "u");
        s.FilesList = {"uninstaller.exe~<INSTALLDIR>~"};
        s.IniSetupList = {c.entry, "LATER.INI~S~K~V"};
        s.AutoexecList = {"SET X=1"};
        c.arrange(p);
        TInstallEngine e(p, s, st, v, sc, choices);
        EXPECT_FALSE(e.RunInstall()) << c.entry;
        ASSERT_EQ(p.shown.size(), 1u) << c.entry;
        EXPECT_EQ(p.shown[0].kind, platform::FakePlatform::Shown::kError);
        EXPECT_EQ(p.shown[0].text, c.error);
        EXPECT_FALSE(p.Exists("C:\\WINDOWS\\LATER.INI")) << c.entry;
        EXPECT_EQ(p.GetFile("C:\\autoexec.bat"), "@ECHO OFF\r\n") << c.entry;
        EXPECT_FALSE(p.Exists("C:\\autoexec.zuv")) << c.entry;
        EXPECT_FALSE(HasKeyIn(p, "Software\\Microsoft\\Windows\\currentversion\\uninstall\\ZUV Hello")) << c.entry;
        EXPECT_TRUE(p.launches.empty()) << c.entry;
        EXPECT_EQ(v.closes, 0) << c.entry;
    }
}

TEST_F(SystemEntriesTest, AutoexecGetsBackupAndAmendedBlock) {
    platform.PutFile("C:\\autoexec.bat", "@ECHO OFF\r\nPATH C:\\DOS\nSET TEMP=C:\\TEMP\r");
    script.DirectoriesList = {"<INSTALLDIR>~", "<SUB1>~Drivers"};
    script.AutoexecList = {"copy <root>x.sys <installdir>", "set path=%path%;<INSTALLDIR>;<SUB1>", "echo <nothing>",
                           "rem plain"};
    ASSERT_TRUE(Run());
    EXPECT_EQ(platform.GetFile("C:\\autoexec.zuv"), "@ECHO OFF\r\nPATH C:\\DOS\r\nSET TEMP=C:\\TEMP\r\n");
    const std::string dest = platform.ShortPath(kDest);
    ASSERT_FALSE(dest.empty());
    EXPECT_EQ(platform.GetFile("C:\\autoexec.bat"),
              "@ECHO OFF\r\nPATH C:\\DOS\r\nSET TEMP=C:\\TEMP\r\n"
              "REM - Starting Tolvane Update\r\n"
              "COPY/Y C:\\X.SYS " + dest + "\r\n"
              "SET PATH=%PATH%;" + dest + ";" + platform.ShortPath(std::string(kDest) + "\\Drivers") + "\r\n"
              "ECHO <NOTHING>\r\n"
              "REM PLAIN\r\n"
              "REM - End of Tolvane\r\n");
    EXPECT_EQ(view.labelHistory[Label::kSource][view.labelHistory[Label::kSource].size() - 2],
              "Updating Autoexec.bat file");

    // A second install appends a second block and backs up the once-amended file.
    const std::string once = platform.GetFile("C:\\autoexec.bat");
    script.LaunchProgram = "";
    ASSERT_TRUE(Run());
    EXPECT_EQ(platform.GetFile("C:\\autoexec.zuv"), once);
    const std::string twice = platform.GetFile("C:\\autoexec.bat");
    EXPECT_EQ(twice.find("REM - Starting Tolvane Update"), once.find("REM - Starting Tolvane Update"));
    EXPECT_NE(twice.rfind("REM - Starting Tolvane Update"), twice.find("REM - Starting Tolvane Update"));
}

TEST_F(SystemEntriesTest, AutoexecTagThatExpandsToItselfEndsInsteadOfLoopingForever) {
    platform.PutFile("C:\\autoexec.bat", "");
    script.DirectoriesList = {"<INSTALLDIR>~", "<SUB9><X>~C:\\<SUB9><X>"};
    script.AutoexecList = {"SET A=<SUB9><X>"};
    ASSERT_TRUE(Run());
    const std::string batch = platform.GetFile("C:\\autoexec.bat");
    EXPECT_NE(batch.find("REM - End of Tolvane"), std::string::npos);
    EXPECT_LT(batch.size(), 4096u);
}

TEST_F(SystemEntriesTest, MissingAutoexecStopsTheRun) {
    script.AutoexecList = {"SET X=1"};
    EXPECT_FALSE(Run());
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Cannot open file C:\\autoexec.bat"}));
    EXPECT_FALSE(platform.Exists("C:\\autoexec.zuv"));
    EXPECT_TRUE(platform.launches.empty());
}

TEST_F(SystemEntriesTest, UnwritableBackupStopsTheRunWithAutoexecUnchanged) {
    platform.PutFile("C:\\autoexec.bat", "ORIGINAL\r\n");
    platform.unopenable.push_back("C:\\AUTOEXEC.ZUV");
    script.AutoexecList = {"SET X=1"};
    EXPECT_FALSE(Run());
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Cannot create file C:\\autoexec.zuv"}));
    EXPECT_EQ(platform.GetFile("C:\\autoexec.bat"), "ORIGINAL\r\n");
}

TEST_F(SystemEntriesTest, UninstallerIsRegisteredOnlyWhenInstalled) {
    script.Header.text = "ZUV Hello World";
    ASSERT_TRUE(Run());
    const std::string key = "Software\\Microsoft\\Windows\\currentversion\\uninstall\\ZUV Hello World";
    EXPECT_FALSE(HasKey(RegRoot::kLocalMachine, key));

    Temp("uninstaller.exe", "u");
    Temp("MYAPP.EXE", std::string(3000, 'a'));
    script.FilesList = {"uninstaller.exe~<INSTALLDIR>~", "MYAPP.EXE~<INSTALLDIR>~"};
    ASSERT_TRUE(Run());
    EXPECT_EQ(RegString(RegRoot::kLocalMachine, key, "DisplayName"), "ZUV Hello World");
    // The program path is quoted, so that Windows does not try C:\Program.exe first.
    EXPECT_EQ(RegString(RegRoot::kLocalMachine, key, "UninstallString"),
              "\"C:\\Program Files\\MyApp\\uninstaller.exe\" ZUV Hello World");
    EXPECT_EQ(RegString(RegRoot::kLocalMachine, key, "QuietUninstallString"),
              "\"C:\\Program Files\\MyApp\\uninstaller.exe\" /S");
    EXPECT_EQ(RegString(RegRoot::kLocalMachine, key, "DisplayIcon"), "C:\\Program Files\\MyApp\\MYAPP.EXE");
    EXPECT_EQ(RegString(RegRoot::kLocalMachine, key, "InstallLocation"), "C:\\Program Files\\MyApp");
    auto dword = [&](const char* name) {
        const auto* value = platform.FindValue(RegRoot::kLocalMachine, key, name);
        EXPECT_TRUE(value && value->type == platform::FakePlatform::RegValue::kDword) << name;
        return value ? value->dword : 0u;
    };
    // install.exe (16 bytes), install.cfg (16), uninstaller.exe (1) and MYAPP.EXE (3000): 3033
    // bytes, 3 KB rounded up.
    EXPECT_EQ(dword("EstimatedSize"), 3u);
    EXPECT_EQ(dword("NoModify"), 1u);
    EXPECT_EQ(dword("NoRepair"), 1u);
}

}  // namespace
}  // namespace zuv::wizard
