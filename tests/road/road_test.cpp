// The whole road on the fake platform: a segment set built by the writers lies beside
// install.exe and install.cfg; the main window's logic loads the script, the preparation
// stage expands the set through the real segment reader, the wizard is clicked through and
// the engine installs. Only the windows are stand-ins.
#include <gtest/gtest.h>

#include "common/ini_reader.h"
#include "common/routines.h"
#include "road/road_machine.h"
#include "shell/main_setup.h"
#include "uninstall/product_fixture.h"

using namespace zuv;
using namespace zuv::road::testing;

namespace {

std::string Content(size_t size, uint32_t seed) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        data[i] = static_cast<char>((i % 7 == 0) ? 'a' + i % 26 : (seed >> 16) & 0xFF);
    }
    return data;
}

const char* kScript =
    "[Setup - Main]\r\nInstall Dir=ZUV Hello\r\nLaunch=<INSTALLDIR>hello.exe\r\nFolder=ZUV Hello\r\n"
    "Add to Program Files=1\r\nBitmap File=logo.gif\r\nHeader=ZUV Hello 1.0\r\n"
    "[Directories]\r\nMain=<INSTALLDIR>~\r\nDocs=<SUB1>~docs\r\n"
    "[Files]\r\nProgram=hello.exe~<INSTALLDIR>\r\nReadme=readme.txt~<SUB1>\r\nLicence=license.txt~<INSTALLDIR>\r\n"
    "Picture=logo.gif~<INSTALLDIR>\r\n"
    "[Desktop]\r\nHello=ZUV Hello~<INSTALLDIR>hello.exe~X~X~<INSTALLDIR>hello.exe~ZUV Hello\r\n"
    "[INI - Setup]\r\nGreeting=<INSTALLDIR>hello.ini~Settings~Greeting~Hello from ZUV Setup!\r\n"
    "Path=HKEY_LOCAL_MACHINE\\Software\\ZUV Example~Hello~Path~<INSTALLDIR>hello.exe\r\n";

class Road : public ::testing::TestWithParam<uint8_t> {
protected:
    platform::FakePlatform fake;
    std::map<std::string, std::string> product{{"hello.exe", Content(70000, 1)},
                                               {"license.txt", "LICENCE\r\nUse it well.\r\n"},
                                               {"readme.txt", Content(20000, 2)},
                                               {"logo.gif", "GIF89a" + Content(3000, 3)}};

    Machine machine{fake};

    void PackSet(uint8_t method, uint32_t segmentSize) {
        road::testing::PackSet(fake, product, method, segmentSize, kScript);
    }

    // Starts install.exe with `params` and clicks through the wizard up to the end of the
    // install; the main window stays open (FormClose is the caller's).
    void RunUpToTheClose(std::vector<std::string> params = {"C:\\SETUP"}) {
        fake.SetParams(std::move(params));
        machine.Start([this] {
            wizard::TZUV& zuv = *machine.zuv;
            zuv.nextClick();    // welcome
            zuv.acceptClick();  // licence
            zuv.nextClick();    // destination
            zuv.nextClick();    // folders and shortcuts
            zuv.installClick();
            machine.setup->InstallIncomplete = zuv.InstallIncomplete;
        });
    }
};

TEST_P(Road, FromTheDisksToTheInstalledProgram) {
    PackSet(GetParam(), 24000);
    RunUpToTheClose();
    EXPECT_EQ(fake.ShownTexts(), std::vector<std::string>{}) << "no message before the close";
    EXPECT_EQ(machine.unzipScreen.progress, machine.unzipScreen.max);
    EXPECT_EQ(machine.unzipScreen.max, 7);
    EXPECT_EQ(machine.pictures.shown, "C:\\WINDOWS\\Temp\\z\\logo.gif");
    machine.setup->FormClose();

    const std::string app = "C:\\Program Files\\ZUV Hello\\";
    EXPECT_EQ(fake.GetFile(app + "hello.exe"), product["hello.exe"]);
    EXPECT_EQ(fake.GetFile(app + "license.txt"), product["license.txt"]);
    EXPECT_EQ(fake.GetFile(app + "docs\\readme.txt"), product["readme.txt"]);
    EXPECT_EQ(fake.GetFile(app + "install.cfg"), kScript);
    EXPECT_EQ(fake.GetFile(app + "install.exe"), "MZ the setup program");
    EXPECT_TRUE(fake.Exists(app + "uninstall.cfg"));
    EXPECT_EQ(common::IniFile(fake.GetFile(app + "hello.ini")).ReadString("Settings", "Greeting", ""),
              "Hello from ZUV Setup!");
    const auto* path = fake.FindValue(platform::RegRoot::kLocalMachine, "Software\\ZUV Example\\Hello", "Path");
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(common::Upper(path->text), common::Upper(app + "hello.exe"));
    EXPECT_FALSE(fake.links.empty());
    ASSERT_EQ(fake.launches.size(), 1u);
    EXPECT_EQ(common::Upper(fake.launches[0].directory + fake.launches[0].file), common::Upper(app + "hello.exe"));
    EXPECT_FALSE(fake.Exists("C:\\WINDOWS\\Temp\\z"));  // emptied at the close
    EXPECT_TRUE(fake.exits.empty());
    EXPECT_TRUE(fake.ShownTexts().empty());  // launched: no closing message
}

// install.exe dies part-way, at any write to its uninstall record (that write and all after it
// never happen, nor does the shut-down that empties TempDir), and the uninstaller is run: the
// machine is as it was before the setup started, the setup's scratch directory included. Only
// the log in the user's temporary folder stays, and whatever of someone else's was in TempDir
// before. Dying before the record's first write leaves what no record can name yet: the
// directory just made to hold it, empty, and the expanded files (the next run's start-up
// clean takes those away).
class KilledRoad : public Road {};

TEST_F(KilledRoad, TheUninstallerLeavesTheMachineAsItWasBeforeTheSetup) {
    PackSet(archive::coNone, 24000);
    // What every machine has.
    common::CreateDirPath(fake, "C:\\WINDOWS\\Temp");
    common::CreateDirPath(fake, "C:\\Program Files");
    // Started in its own directory: a directory given as parameter 1 would be emptied at the
    // shut-down.
    std::string error;
    ASSERT_TRUE(fake.SetCurrentDirectory("C:\\SETUP", error));
    const std::string record = "C:\\PROGRAM FILES\\ZUV HELLO\\UNINSTALL.CFG";
    struct Killed {};
    size_t writes = 0, killAt = 0;
    fake.onWriteProfile = [&](const std::string&, const std::string*, const std::string& file) {
        if (common::Upper(file) == record && ++writes == killAt) throw Killed();
    };
    const char* const situations[] = {"no TempDir before", "TempDir holding a folder of someone else's"};
    for (const char* situation : situations) {
        if (situation == situations[1]) fake.PutFile("C:\\WINDOWS\\Temp\\z\\other\\keep.txt", "not the setup's");
        const auto before = uninstall::testing::Snapshot(fake, "C/TEMP");
        // A whole run tells how many writes there are.
        killAt = 0, writes = 0;
        RunUpToTheClose({});
        machine.setup->FormClose();
        const size_t total = writes;
        ASSERT_GT(total, 20u);
        uninstall::TUndo(fake, record).UndoAll();
        ASSERT_EQ(uninstall::testing::Differences(before, uninstall::testing::Snapshot(fake, "C/TEMP")), "")
            << situation << ": installed and uninstalled";
        for (killAt = 1; killAt <= total; ++killAt) {
            SCOPED_TRACE(std::string(situation) + ", killed at write " + std::to_string(killAt));
            writes = 0;
            EXPECT_THROW(RunUpToTheClose({}), Killed);
            uninstall::TUndo(fake, record).UndoAll();
            std::string left = uninstall::testing::Differences(before, uninstall::testing::Snapshot(fake, "C/TEMP"));
            if (killAt == 1) {
                // No record yet: the next start-up clean empties TempDir, the directory stays.
                EXPECT_NE(left.find("left: C/Program Files/ZUV Hello\n"), std::string::npos);
                fake.RemoveDirectory("C:\\Program Files\\ZUV Hello");
                shell::CleanDirectory(fake, "C:\\WINDOWS\\Temp\\z");
                left = uninstall::testing::Differences(before, uninstall::testing::Snapshot(fake, "C/TEMP"));
            }
            ASSERT_EQ(left, "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, Road, ::testing::Values(archive::coNone, archive::coRLE, archive::coLZH5));

}  // namespace
