// The machine the road tests run install.exe on: a segment set beside install.exe and its
// script in C:\SETUP, stand-ins for the windows, and the main window's logic wired to the
// preparation stage and the wizard as the program wires them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "archive/segment_writer.h"
#include "common/routines.h"
#include "platform/fake/fake_platform.h"
#include "shell/main_setup.h"
#include "shell/segment_expander.h"
#include "shell/unzip_stage.h"
#include "wizard/recording_view.h"
#include "wizard/wizard.h"

namespace zuv::road::testing {

inline std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// Packs `product` (name and content) with `method` under "product\" as a set of segments of
// `segmentSize` bytes, three or more, in C:\SETUP beside install.exe and an install.cfg holding
// `script`.
inline void PackSet(platform::FakePlatform& fake, const std::map<std::string, std::string>& product, uint8_t method,
                    uint32_t segmentSize, const std::string& script) {
    archive::TArchiveWriter writer(method);
    archive::SetArchive arc;
    arc.Template = "product\\*.*";
    for (const auto& [name, data] : product) {
        writer.Add("product\\" + name, Bytes(data));
        arc.Files.push_back("product\\" + name);
    }
    arc.Archive = writer.Bytes();
    auto segments = archive::SplitIntoSegments(archive::BuildSpanStream({arc}), segmentSize);
    ASSERT_GE(segments.size(), 3u);
    common::CreateDirPath(fake, "C:\\SETUP");
    archive::WriteSegmentFiles(fake, "C:\\SETUP", "disk", segments);
    fake.PutFile("C:\\SETUP\\install.exe", "MZ the setup program");
    fake.PutFile("C:\\SETUP\\install.cfg", script);
}

// The background screen: counts its closes.
struct Background : shell::BackgroundView {
    int closes = 0;
    void SetSetupHeader(const shell::TitleLine&) override {}
    void SetSetupHeader2(const shell::TitleLine&) override {}
    void SetGradientColors(shell::Color, shell::Color) override {}
    void SetColor(shell::Color) override {}
    void SetTimer1Enabled(bool) override {}
    void Close() override { ++closes; }
};

// The preparation window: keeps its label and the gauge's end and position.
struct UnzipScreen : shell::UnzipView {
    int max = 0, progress = 0;
    std::string label = "Setup is preparing";
    std::string Label1Text() override { return label; }
    void SetLabel1Text(const std::string& t) override { label = t; }
    void SetGaugeColor(shell::Color) override {}
    void SetGaugeRange(int, int b) override { max = b; }
    void SetGaugeProgress(int p) override { progress = p; }
    void SetCaptionColors(shell::Color, shell::Color, shell::Color) override {}
    void SetTimer1Enabled(bool) override {}
    void Close() override {}
};

// The background's picture panel: keeps the path of the picture shown last.
struct Pictures : shell::PictureView {
    std::string shown;
    void HidePictures() override {}
    bool LoadAnimated(const std::string& p, int& w, int& h) override {
        shown = p, w = 96, h = 96;
        return true;
    }
    bool LoadStill(const std::string& p, int& w, int& h) override {
        shown = p, w = h = 105;
        return true;
    }
    void PlacePanel(int, int, int, int) override {}
    int MainScreenWidth() override { return 1024; }
    int Header2Top() override { return 32; }
    void Repaint() override {}
};

// install.exe on `fake` behind the stand-in windows. The main window's logic, the wizard and
// the expander live from one `Start` to the next, so a test reads them after a run.
class Machine {
public:
    explicit Machine(platform::FakePlatform& fake) : fake_(fake) {}

    // Starts install.exe with the parameters the fake platform holds: the main window runs its
    // stages, the preparation expanding the set, and `clicks` is what the user does in the
    // shown wizard (handing its outcome to `setup` too). The main window stays open (FormClose
    // is the caller's). Throws what the run throws.
    void Start(std::function<void()> clicks) {
        expander_ = shell::MakeSegmentExpander(fake_);
        setup = std::make_unique<shell::TMainSetup>(fake_, background, choice_, stages_);
        zuv = std::make_unique<wizard::TZUV>(fake_, wizardView, setup->Script(), setup->State());
        choice_.zuv = zuv.get();
        zuv->FormCreate();
        stages_.preparation = [this] {
            shell::TUnzip unzip(fake_, unzipScreen, pictures, *expander_, setup->State(), setup->Script(), choice_);
            unzip.FormShow();
            unzip.Timer1Timer();
        };
        stages_.wizard = [this, clicks = std::move(clicks)] {
            zuv->FormShow();
            clicks();
        };
        setup->FormShow();
        setup->Timer1Timer();
    }

    Background background;
    wizard::testing::RecordingView wizardView;
    UnzipScreen unzipScreen;
    Pictures pictures;
    std::unique_ptr<shell::TMainSetup> setup;
    std::unique_ptr<wizard::TZUV> zuv;

private:
    platform::FakePlatform& fake_;
    decltype(shell::MakeSegmentExpander(std::declval<platform::Platform&>())) expander_;
    struct Stages : shell::Stages {
        std::function<void()> preparation, wizard;
        void RunPreparation() override { preparation(); }
        void RunWizard() override { wizard(); }
    } stages_;
    struct Choice : shell::WizardChoice {
        wizard::TZUV* zuv = nullptr;
        void SetChoiceVisible(shell::EndChoice c, bool v) override { zuv->SetChoiceVisible(c, v); }
        void SetChoiceEnabled(shell::EndChoice c, bool v) override { zuv->SetChoiceEnabled(c, v); }
        void SetChoiceChecked(shell::EndChoice c, bool v) override { zuv->SetChoiceChecked(c, v); }
        bool ChoiceChecked(shell::EndChoice c) override { return zuv->ChoiceChecked(c); }
        void nextClick() override { zuv->nextClick(); }
    } choice_;
};

}  // namespace zuv::road::testing
