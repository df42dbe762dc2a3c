// The preparation stage on the real windows and the real file system under Wine: a three-
// segment set built by the writers is expanded into TempDir by the segment reader, the
// gauge ends at its maximum and shows 100 %, the picture panel is shown.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <fstream>
#include <sstream>

#include "archive/archive_writer.h"
#include "archive/segment_writer.h"
#include "common/routines.h"
#include "platform/win32/win32_platform.h"
#include "shell/segment_expander.h"
#include "shell/unzip_stage.h"
#include "ui/background_window.h"
#include "ui/picture_panel.h"
#include "ui/unzip_window.h"

namespace {

using namespace zuv;

std::string SourcePath(std::string relative) {
    std::string path = ZUV_SOURCE_DIR "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct NoWizard : shell::WizardChoice {
    bool reboot = true;
    void SetChoiceVisible(shell::EndChoice, bool) override {}
    void SetChoiceEnabled(shell::EndChoice, bool) override {}
    void SetChoiceChecked(shell::EndChoice c, bool v) override {
        if (c == shell::EndChoice::kReboot) reboot = v;
    }
    bool ChoiceChecked(shell::EndChoice) override { return reboot; }
    void nextClick() override {}
};

TEST(PreparationStage, ExpandsAThreeSegmentSetAndEndsWithAFullGauge) {
    platform::Win32Platform platform({});
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string source = std::string(temp) + "zuvprep" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(source.c_str(), nullptr);

    std::map<std::string, std::vector<uint8_t>> product;
    product["logo.gif"] = ReadAll(SourcePath("examples/product/logo.gif"));
    product["license.txt"] = ReadAll(SourcePath("examples/product/license.txt"));
    std::vector<uint8_t> big(60000);
    uint32_t x = 2463534242u;
    for (auto& b : big) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        b = static_cast<uint8_t>(x % 64);  // compressible, but not to nothing
    }
    product["data.bin"] = big;
    archive::TArchiveWriter writer(archive::coLZH5);
    archive::SetArchive arc;
    arc.Template = "*.*";
    for (const auto& [name, data] : product) {
        writer.Add(name, data);
        arc.Files.push_back(name);
    }
    arc.Archive = writer.Bytes();
    auto segments = archive::SplitIntoSegments(archive::BuildSpanStream({arc}), 20000);
    ASSERT_GE(segments.size(), 3u);
    archive::WriteSegmentFiles(platform, source, "disk", segments);
    std::ofstream(source + "\\install.exe") << "MZ";
    std::ofstream(source + "\\install.cfg") << "[Setup - Main]\r\n";

    ui::BackgroundWindow background;
    ASSERT_TRUE(background.Create(GetModuleHandleA(nullptr)));
    ui::PicturePanel pictures(background);
    ui::UnzipWindow window;
    ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr), background.Handle()));
    ShowWindow(window.Handle(), SW_SHOWNA);

    shell::ShellState state;
    state.SourceDir = source + "\\";
    state.TempDir = common::GetWindowsDir(platform) + "\\Temp\\z";
    shell::LoadedScript script;
    script.BitmapFile = "logo.gif";
    script.FilesList = {"license.txt~<INSTALLDIR>~", "logo.gif~<INSTALLDIR>~", "data.bin~<INSTALLDIR>~"};
    NoWizard wizard;
    auto expander = shell::MakeSegmentExpander(platform);
    shell::TUnzip unzip(platform, window, pictures, *expander, state, script, wizard);
    unzip.FormShow();
    unzip.Timer1Timer();

    EXPECT_FALSE(state.Cancelled);
    EXPECT_EQ(window.GaugeMaximum(), 6);
    EXPECT_EQ(window.GaugeProgress(), window.GaugeMaximum());
    EXPECT_EQ(window.GaugePercent(), 100);
    EXPECT_TRUE(unzip.PictureShown());
    EXPECT_TRUE(GetWindowLongA(pictures.Handle(), GWL_STYLE) & WS_VISIBLE);
    for (const auto& [name, data] : product) EXPECT_EQ(ReadAll(state.TempDir + "\\" + name), data) << name;
    EXPECT_EQ(ReadAll(state.TempDir + "\\install.exe").size(), 2u);
}

}  // namespace
