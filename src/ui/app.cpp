#include "ui/app.h"

#include "shell/caption.h"
#include "ui/unzip_window.h"

namespace zuv::ui {
namespace {

wizard::Radio ToRadio(shell::EndChoice choice) {
    switch (choice) {
        case shell::EndChoice::kRadioButton1: return wizard::Radio::kRadioButton1;
        case shell::EndChoice::kRadioButton2: return wizard::Radio::kRadioButton2;
        case shell::EndChoice::kReboot: return wizard::Radio::kReboot;
    }
    return wizard::Radio::kReboot;
}

}  // namespace

// The wizard's logic and the window's events (filled in when the wizard logic is joined).
struct App::WizardParts {};

App::App(HINSTANCE instance, platform::Win32Platform& platform, shell::SetExpander& expander)
    : instance_(instance), platform_(platform), expander_(expander) {}

App::~App() = default;

bool App::Create() {
    if (!background_.Create(instance_)) return false;
    platform_.SetOwner(background_.Handle());
    pictures_ = std::make_unique<PicturePanel>(background_);
    // The wizard takes the background's design colours for its caption bar when it is made.
    shell::TMarsCaption colors;
    colors.TakeBackgroundColors(background_.MainScreen().Properties().FromColor(),
                                background_.MainScreen().Properties().ToColor(), background_.SetupHeader().color);
    if (!wizardWindow_.Create(instance_, background_.Handle(), colors)) return false;
    wizard_ = std::make_unique<WizardParts>();
    setup_ = std::make_unique<shell::TMainSetup>(platform_, *this, *this, *this);
    BackgroundWindow::Events events;
    events.formShow = [this] { setup_->FormShow(); };
    events.timer1Timer = [this] { setup_->Timer1Timer(); };
    events.formClose = [this] { setup_->FormClose(); };
    background_.SetEvents(events);
    return true;
}

int App::Run() {
    background_.ShowMaximized();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

void App::SetGradientColors(shell::Color from, shell::Color to) {
    background_.MainScreen().SetFromColor(from);
    background_.MainScreen().SetToColor(to);
}

void App::SetChoiceVisible(shell::EndChoice choice, bool visible) {
    wizardWindow_.SetRadioVisible(ToRadio(choice), visible);
}

void App::SetChoiceEnabled(shell::EndChoice choice, bool enabled) {
    wizardWindow_.SetRadioEnabled(ToRadio(choice), enabled);
}

void App::SetChoiceChecked(shell::EndChoice choice, bool checked) {
    if (checked) {
        for (auto c : {shell::EndChoice::kRadioButton1, shell::EndChoice::kRadioButton2, shell::EndChoice::kReboot})
            if (c != choice) wizardWindow_.SetRadioChecked(ToRadio(c), false);
    }
    wizardWindow_.SetRadioChecked(ToRadio(choice), checked);
}

bool App::ChoiceChecked(shell::EndChoice choice) { return wizardWindow_.RadioChecked(ToRadio(choice)); }

void App::nextClick() {}

void App::RunPreparation() {
    UnzipWindow window;
    if (!window.Create(instance_, background_.Handle())) {
        setup_->State().Cancelled = true;
        return;
    }
    shell::TUnzip unzip(platform_, window, *pictures_, expander_, setup_->State(), setup_->Script(), *this);
    UnzipWindow::Events events;
    events.timer1Timer = [&unzip] { unzip.Timer1Timer(); };
    events.formClick = [&unzip] { unzip.FormClick(); };
    window.SetEvents(events);
    unzip.FormShow();
    window.ShowModal();
}

void App::RunWizard() {
    WizardWindow::Events events;
    events.cancelClick = events.closeBox = [this] {
        setup_->State().Cancelled = true;
        SetChoiceChecked(shell::EndChoice::kReboot, false);
        wizardWindow_.Close();
    };
    wizardWindow_.SetEvents(events);
    wizardWindow_.ShowModal();
}

}  // namespace zuv::ui
