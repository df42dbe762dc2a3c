// The preparation stage with a scripted segment reader on the fake platform.
#include <gtest/gtest.h>

#include "common/disk_space.h"
#include "common/exception.h"
#include "platform/fake/fake_platform.h"
#include "shell/unzip_stage.h"

using namespace zuv;
using shell::EndChoice;

namespace {

struct RecordingUnzip : shell::UnzipView {
    std::string label = "Setup is preparing the ZUV Install Wizard which will guide you in the rest of you setup process.";
    shell::Color gauge = 0, begin = 0, end = 0, text = 0;
    int min = -1, max = -1, progress = -1, closes = 0;
    bool timer = false;
    std::string Label1Text() override { return label; }
    void SetLabel1Text(const std::string& t) override { label = t; }
    void SetGaugeColor(shell::Color c) override { gauge = c; }
    void SetGaugeRange(int a, int b) override { min = a, max = b; }
    void SetGaugeProgress(int p) override { progress = p; }
    void SetCaptionColors(shell::Color b, shell::Color e, shell::Color t) override { begin = b, end = e, text = t; }
    void SetTimer1Enabled(bool e) override { timer = e; }
    void Close() override { ++closes; }
};

struct RecordingPictures : shell::PictureView {
    std::string loaded;
    bool animated = false, loadFails = false;
    int left = -1, top = -1, width = -1, height = -1;
    void HidePictures() override {}
    bool LoadAnimated(const std::string& p, int& w, int& h) override {
        loaded = p, animated = true, w = 96, h = 64;
        return !loadFails;
    }
    bool LoadStill(const std::string& p, int& w, int& h) override {
        loaded = p, animated = false, w = 105, h = 105;
        return !loadFails;
    }
    void PlacePanel(int l, int t, int w, int h) override { left = l, top = t, width = w, height = h; }
    int MainScreenWidth() override { return 800; }
    int Header2Top() override { return 32; }
    void Repaint() override {}
};

struct Choice : shell::WizardChoice {
    bool reboot = true;
    void SetChoiceVisible(EndChoice, bool) override {}
    void SetChoiceEnabled(EndChoice, bool) override {}
    void SetChoiceChecked(EndChoice c, bool v) override {
        if (c == EndChoice::kReboot) reboot = v;
    }
    bool ChoiceChecked(EndChoice c) override { return c == EndChoice::kReboot && reboot; }
    void nextClick() override {}
};

// A reader that asks for its segments and "writes" the given files through the events.
struct ScriptedReader : shell::SetExpander {
    platform::FakePlatform& fake;
    std::vector<int> segments{1};
    std::vector<std::pair<std::string, std::string>> files;  // stored path, content
    std::vector<std::string> landedAt;
    std::function<void()> midway;
    bool failAtEnd = false;
    shell::ExpandRequest seen;
    explicit ScriptedReader(platform::FakePlatform& f) : fake(f) {}
    void ExpandSet(const shell::ExpandRequest& r) override {
        seen = r;
        for (int n : segments) r.OnSegBefore(n);
        for (auto& [stored, content] : files) {
            std::string path = r.TargetPath + "\\" + stored;
            r.OnCheckFile(path);
            landedAt.push_back(path);
            fake.PutFile(path, content);
            int32_t pct = 100;
            r.OnShowProgress(pct);
            if (pct == -1) throw common::Exception("Bad checksum");
            if (midway) midway();
        }
        if (failAtEnd) throw common::Exception("damaged");
    }
};

class UnzipStageTest : public ::testing::Test {
protected:
    platform::FakePlatform fake;
    RecordingUnzip view;
    RecordingPictures pictures;
    Choice choice;
    ScriptedReader reader{fake};
    shell::ShellState state;
    shell::LoadedScript script;
    shell::TUnzip unzip{fake, view, pictures, reader, state, script, choice};

    void SetUp() override {
        state.SourceDir = "C:\\SETUP\\";
        state.TempDir = "C:\\WINDOWS\\Temp\\z";
        fake.PutFile("C:\\SETUP\\install.exe", "MZ program");
        fake.PutFile("C:\\SETUP\\install.cfg", "[Setup - Main]\n");
        fake.PutFile("C:\\SETUP\\disk.001", "seg");
        script.Header.text = "My Product";
        script.DitherFrom = 0x123456;
        script.DitherTo = 0x654321;
        script.Header.color = 0x0000FF;
        for (int i = 0; i < 10; ++i) script.FilesList.push_back("f" + std::to_string(i) + "~<INSTALLDIR>~");
    }
};

TEST_F(UnzipStageTest, FormShowBuildsTheLabelAndColours) {
    unzip.FormShow();
    EXPECT_EQ(view.label, "My Product Setup is preparing the ZUV Install Wizard which will guide you in the rest of "
                          "you setup process.\rPlease Standby.");
    EXPECT_EQ(view.gauge, 0x123456u);
    EXPECT_EQ(view.begin, 0x123456u);
    EXPECT_EQ(view.end, 0x654321u);
    EXPECT_EQ(view.text, 0x0000FFu);
    EXPECT_TRUE(view.timer);
}

TEST_F(UnzipStageTest, OneDiskTenFilesFillsTheGauge) {
    for (int i = 0; i < 10; ++i) reader.files.push_back({"dir\\f" + std::to_string(i), "data"});
    reader.files.push_back({"other\\license.txt", "licence"});
    unzip.FormShow();
    unzip.Timer1Timer();
    EXPECT_EQ(reader.seen.SegBaseName, "disk");
    EXPECT_EQ(reader.seen.SegDir, "C:\\SETUP\\");
    EXPECT_EQ(reader.seen.SegTmpDir, "C:\\WINDOWS\\temp");
    EXPECT_EQ(view.min, 0);
    EXPECT_EQ(view.max, 13);
    EXPECT_EQ(view.progress, 13);  // eleven files: the gauge stops at its maximum
    EXPECT_EQ(reader.landedAt[0], "C:\\WINDOWS\\Temp\\z\\f0");
    EXPECT_EQ(fake.GetFile("C:\\WINDOWS\\Temp\\z\\install.exe"), "MZ program");
    EXPECT_EQ(fake.GetFile("C:\\WINDOWS\\Temp\\z\\install.cfg"), "[Setup - Main]\n");
    EXPECT_FALSE(state.Cancelled);
    EXPECT_TRUE(fake.shown.empty());
    EXPECT_EQ(view.closes, 1);
}

TEST_F(UnzipStageTest, MissingDiskPromptsTwicePerCall) {
    reader.segments = {1, 2, 1000};
    unzip.Timer1Timer();
    EXPECT_EQ(fake.ShownTexts(), (std::vector<std::string>{
                                     "Please Insert Disk #2 into Floppy Drive.", "Please Insert Disk #2 into Floppy Drive.",
                                     "Please Insert Disk #1000 into Floppy Drive.",
                                     "Please Insert Disk #1000 into Floppy Drive."}));
    EXPECT_EQ(unzip.SegFileName(), "C:\\SETUP\\disk.1000");
}

TEST_F(UnzipStageTest, APromptAnsweredByInsertingTheDiskStopsPrompting) {
    reader.segments = {1, 2};
    fake.onMessage = [&](const platform::FakePlatform::Shown&) { fake.PutFile("C:\\SETUP\\disk.002", "s2"); };
    unzip.Timer1Timer();
    EXPECT_EQ(fake.shown.size(), 1u);
}

TEST_F(UnzipStageTest, MissingInstallExeFailsTheRun) {
    fake.DeleteFile("C:\\SETUP\\install.exe");
    unzip.Timer1Timer();
    EXPECT_EQ(fake.ShownTexts(), std::vector<std::string>{"Error Expanding Files!!"});
    EXPECT_TRUE(state.Cancelled);
    EXPECT_FALSE(choice.reboot);
    EXPECT_EQ(view.closes, 1);
}

TEST_F(UnzipStageTest, ADamagedSetFailsTheRun) {
    reader.failAtEnd = true;
    unzip.Timer1Timer();
    EXPECT_EQ(fake.ShownTexts(), std::vector<std::string>{"Error Expanding Files!!"});
    EXPECT_TRUE(state.Cancelled);
}

TEST_F(UnzipStageTest, AbortStopsTheDecoderAndCleansTempDir) {
    for (int i = 0; i < 3; ++i) reader.files.push_back({"f" + std::to_string(i), "data"});
    fake.answers = {0, 1};  // "&No" first, then "&Abort"
    int clicks = 0;
    reader.midway = [&] {
        if (clicks++ < 2) unzip.FormClick();
    };
    unzip.Timer1Timer();
    ASSERT_GE(fake.shown.size(), 2u);
    EXPECT_EQ(fake.shown[0].text, "Abort Setup Process ?");
    EXPECT_EQ(fake.shown[0].caption, "Warning");
    EXPECT_EQ(fake.shown[0].buttons, (std::vector<std::string>{"&No", "&Abort"}));
    EXPECT_TRUE(state.Cancelled);
    EXPECT_FALSE(choice.reboot);
    EXPECT_FALSE(fake.Exists("C:\\WINDOWS\\Temp\\z\\f0"));
    EXPECT_EQ(fake.shown.back().text, "Error Expanding Files!!");  // the cut file fails its checksum
}

// Only "&Abort" aborts; "&No" and closing the box (Escape, the close box) change nothing.
TEST_F(UnzipStageTest, OnlyTheAbortButtonAborts) {
    const struct {
        int answer;
        bool aborts;
    } cases[] = {{0, false}, {platform::kBoxClosed, false}, {1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        platform::FakePlatform box;
        RecordingUnzip window;
        Choice wizard;
        shell::ShellState shell;
        shell.TempDir = "C:\\WINDOWS\\Temp\\z";
        box.PutFile("C:\\WINDOWS\\Temp\\z\\kept.txt", "x");
        shell::TUnzip stage{box, window, pictures, reader, shell, script, wizard};
        stage.FormShow();
        box.answers = {c.answer};
        stage.FormClick();
        EXPECT_EQ(shell.Cancelled, c.aborts);
        EXPECT_EQ(wizard.reboot, !c.aborts);
        EXPECT_EQ(box.Exists("C:\\WINDOWS\\Temp\\z\\kept.txt"), !c.aborts);
        EXPECT_EQ(window.closes, c.aborts ? 1 : 0);
        EXPECT_EQ(window.timer, !c.aborts);
    }
}

TEST_F(UnzipStageTest, AbortBeforeTheNextDiskAsksForNoMoreDisks) {
    reader.segments = {1, 2};
    fake.answers = {1};
    fake.onProcessMessages = [&] {
        if (!state.Cancelled && fake.shown.empty()) unzip.FormClick();
    };
    unzip.Timer1Timer();
    for (const auto& s : fake.shown) EXPECT_EQ(s.text.find("Insert Disk"), std::string::npos);
    EXPECT_TRUE(state.Cancelled);
}

TEST_F(UnzipStageTest, AbortDuringTheWaitClosesTheWindowBeforeAnythingIsExpanded) {
    reader.files = {{"f0", "data"}};
    unzip.FormShow();
    fake.answers = {1};
    unzip.FormClick();
    EXPECT_EQ(view.closes, 1);
    EXPECT_FALSE(view.timer);
    unzip.Timer1Timer();  // a tick already queued starts nothing
    EXPECT_TRUE(reader.landedAt.empty());
    EXPECT_TRUE(state.Cancelled);
    EXPECT_FALSE(choice.reboot);
}

TEST_F(UnzipStageTest, PictureShownOnceAnimatedOrStill) {
    script.BitmapFile = "logo.GIF";
    script.AlignCenter = true;
    reader.files = {{"a\\logo.gif", "GIF89a"}, {"b\\next.txt", "x"}, {"c\\last.txt", "y"}};
    unzip.FormShow();
    unzip.Timer1Timer();
    EXPECT_TRUE(unzip.PictureShown());
    EXPECT_TRUE(pictures.animated);
    EXPECT_EQ(pictures.loaded, "C:\\WINDOWS\\Temp\\z\\logo.GIF");
    EXPECT_EQ(pictures.width, 106);
    EXPECT_EQ(pictures.height, 74);
    EXPECT_EQ(pictures.left, 400 - 53);
    EXPECT_EQ(pictures.top, 62);

    RecordingPictures still;
    shell::TUnzip second{fake, view, still, reader, state, script, choice};
    script.BitmapFile = "logo.bmp";
    script.AlignCenter = script.AlignLeft = false;
    reader.files = {{"logo.bmp", "BM"}, {"next.txt", "x"}};
    second.FormShow();
    second.Timer1Timer();
    EXPECT_FALSE(still.animated);
    EXPECT_EQ(still.width, 115);
    EXPECT_EQ(still.left, 800 - 135);
}

TEST_F(UnzipStageTest, APictureThatIsTheLastFileIsShownWhenTheRunEnds) {
    script.BitmapFile = "logo.gif";
    reader.files = {{"readme.txt", "x"}, {"logo.gif", "GIF89a"}};
    unzip.Timer1Timer();
    EXPECT_TRUE(unzip.PictureShown());
    EXPECT_EQ(pictures.loaded, "C:\\WINDOWS\\Temp\\z\\logo.gif");
}

TEST_F(UnzipStageTest, AnUnreadablePictureEndsTheRun) {
    script.BitmapFile = "logo.bmp";
    pictures.loadFails = true;
    reader.files = {{"logo.bmp", "junk"}, {"next.txt", "x"}};
    unzip.Timer1Timer();
    EXPECT_EQ(fake.ShownTexts(), std::vector<std::string>{"Error Expanding Files!!"});
    EXPECT_TRUE(state.Cancelled);
}

}  // namespace

// The temporary directory's drive is checked before the first byte is expanded: the setup
// program, its script and the segments beside them must fit there.
TEST_F(UnzipStageTest, TemporaryDriveTooSmallStopsBeforeExpansionWithClearMessage) {
    fake.PutFile("C:\\SETUP\\disk.002", std::string(2000, 's'));
    const uint64_t needed = 10 + 15 + 3 + 2000;  // install.exe, install.cfg, disk.001, disk.002
    struct Case {
        int64_t free;
        bool fits;
    } const cases[] = {{int64_t(needed), true}, {int64_t(needed) - 1, false}};
    for (const Case& c : cases) {
        reader.files = {{"a.txt", "a"}};
        reader.landedAt.clear();
        fake.shown.clear();
        fake.driveFree['C'] = c.free;
        choice.reboot = true;
        unzip.FormShow();
        unzip.Timer1Timer();
        if (c.fits) {
            EXPECT_FALSE(state.Cancelled);
            EXPECT_EQ(reader.landedAt.size(), 1u);
            EXPECT_TRUE(fake.ShownTexts().empty());
            continue;
        }
        EXPECT_TRUE(state.Cancelled);
        EXPECT_FALSE(choice.reboot);
        EXPECT_TRUE(reader.landedAt.empty()) << "nothing was expanded";
        ASSERT_EQ(fake.ShownTexts().size(), 1u);
        EXPECT_EQ(fake.ShownTexts()[0],
                  common::NotEnoughSpaceMessage(common::DriveSpace{"C:", needed, c.free}, "to prepare the installation"));
    }
    EXPECT_EQ(view.closes, 2);
}
