#include "wizard/silent_setup.h"

#include "shell/segment_expander.h"

namespace zuv::wizard {

// Views of windows that are never made.
struct TSilentSetup::Views : shell::UnzipView, shell::PictureView, WizardView {
    // shell::UnzipView
    std::string Label1Text() override { return {}; }
    void SetLabel1Text(const std::string&) override {}
    void SetGaugeColor(shell::Color) override {}
    void SetGaugeRange(int, int) override {}
    void SetGaugeProgress(int) override {}
    void SetCaptionColors(shell::Color, shell::Color, shell::Color) override {}
    void SetTimer1Enabled(bool) override {}
    void Close() override {}
    // shell::PictureView: the picture is taken as shown at the still box's size.
    void HidePictures() override {}
    bool LoadAnimated(const std::string&, int& width, int& height) override {
        width = height = 105;
        return true;
    }
    bool LoadStill(const std::string&, int& width, int& height) override {
        width = height = 105;
        return true;
    }
    void PlacePanel(int, int, int, int) override {}
    int MainScreenWidth() override { return 0; }
    int Header2Top() override { return 0; }
    void Repaint() override {}
    // WizardView
    void ShowPage(int) override {}
    void SetButtonEnabled(Button, bool) override {}
    void SetButtonVisible(Button, bool) override {}
    void SetButtonBarVisible(bool) override {}
    void SetLabelCaption(Label, const std::string&) override {}
    void SetMemoLines(Memo, const std::vector<std::string>&) override {}
    int MemoDisplayedLineCount(Memo) override { return 0; }
    void SetRadioChecked(Radio, bool) override {}
    void SetRadioEnabled(Radio, bool) override {}
    void SetRadioVisible(Radio, bool) override {}
    void SetCheckBoxChecked(CheckBox, bool) override {}
    void SetCheckListItems(CheckList, const std::vector<std::string>&, const std::vector<bool>&) override {}
    void SetMainDirText(const std::string&) override {}
    void SetProgressRange(int, int) override {}
    void SetProgressPosition(int) override {}
    int BackgroundHeight() override { return 0; }
    void SetWindowHeightAndTop(int, int) override {}
};

TSilentSetup::TSilentSetup(platform::Platform& host)
    : platform_(host), expander_(shell::MakeSegmentExpander(platform_)), views_(std::make_unique<Views>()) {
    shell::BackgroundView& background = *this;
    shell::WizardChoice& choice = *this;
    shell::Stages& stages = *this;
    setup_ = std::make_unique<shell::TMainSetup>(platform_, background, choice, stages);
    zuv_ = std::make_unique<TZUV>(platform_, *views_, setup_->Script(), setup_->State());
    platform_.SetLog(setup_->State().Log);
    platform_.SetQuiet(shell::ParseCommandLine(host.CommandLine()).Silent);
    zuv_->FormCreate();
}

TSilentSetup::~TSilentSetup() = default;

int TSilentSetup::Run() {
    setup_->FormShow();
    if (!closed_) setup_->Timer1Timer();
    setup_->FormClose();
    return setup_->ExitCode();
}

void TSilentSetup::RunPreparation() {
    shell::TUnzip unzip(platform_, *views_, *views_, *expander_, setup_->State(), setup_->Script(),
                        static_cast<shell::WizardChoice&>(*this));
    unzip.FormShow();
    unzip.Timer1Timer();
}

void TSilentSetup::RunWizard() {
    zuv_->FormShow();
    zuv_->SilentInstall();
    zuv_->FormClose();
    setup_->InstallIncomplete = zuv_->InstallIncomplete;
    setup_->InstallFinished = zuv_->InstallFinished();
}

}  // namespace zuv::wizard
