#include "ui/app.h"

#include "shell/caption.h"
#include "ui/unzip_window.h"
#include "wizard/wizard.h"

namespace zuv::ui {
// The wizard's logic over its window.
struct App::WizardParts {
    WizardParts(platform::Platform& platform, WizardWindow& window, shell::TMainSetup& setup)
        : zuv(platform, window, setup.Script(), setup.State()) {}
    wizard::TZUV zuv;
};

App::App(HINSTANCE instance, platform::Win32Platform& platform, shell::SetExpander& expander)
    : instance_(instance), platform_(platform), expander_(expander) {}

App::~App() = default;

bool App::Create() {
    if (!application_.Create(instance_)) return false;
    if (!background_.Create(instance_, application_.Handle())) return false;
    application_.SetMainWindow(background_.Handle());
    platform_.SetOwner(background_.Handle());
    pictures_ = std::make_unique<PicturePanel>(background_);
    // The wizard takes the background's design colours for its caption bar when it is made.
    shell::TMarsCaption colors;
    colors.TakeBackgroundColors(background_.MainScreen().Properties().FromColor(),
                                background_.MainScreen().Properties().ToColor(), background_.SetupHeader().color);
    if (!wizardWindow_.Create(instance_, background_.Handle(), colors)) return false;
    setup_ = std::make_unique<shell::TMainSetup>(platform_, *this, *this, *this);
    wizard_ = std::make_unique<WizardParts>(platform_, wizardWindow_, *setup_);
    wizard::TZUV& zuv = wizard_->zuv;
    WizardWindow::Events wizardEvents;
    wizardEvents.nextClick = [&zuv] { zuv.nextClick(); };
    wizardEvents.backClick = [&zuv] { zuv.backClick(); };
    wizardEvents.acceptClick = [&zuv] { zuv.acceptClick(); };
    wizardEvents.declineClick = [&zuv] { zuv.declineClick(); };
    wizardEvents.cancelClick = [&zuv] { zuv.cancelClick(); };
    wizardEvents.installClick = [&zuv] { zuv.installClick(); };
    wizardEvents.closeBox = [&zuv] { zuv.closeBox(); };
    wizardEvents.formClose = [&zuv] { zuv.FormClose(); };
    wizardEvents.mainDirChanged = [&zuv](const std::string& text) { zuv.MainDirChanged(text); };
    wizardEvents.radioClicked = [&zuv](wizard::Radio radio) { zuv.RadioClicked(radio); };
    wizardEvents.checkBoxClicked = [&zuv](wizard::CheckBox box, bool checked) { zuv.CheckBoxClicked(box, checked); };
    wizardEvents.checkListItemClicked = [&zuv](wizard::CheckList list, int index, bool checked) {
        zuv.CheckListItemClicked(list, index, checked);
    };
    wizardWindow_.SetEvents(wizardEvents);
    zuv.FormCreate();
    BackgroundWindow::Events events;
    events.formShow = [this] { setup_->FormShow(); };
    events.timer1Timer = [this] { setup_->Timer1Timer(); };
    events.formClose = [this] { setup_->FormClose(); };
    background_.SetEvents(events);
    return true;
}

int App::Run() {
    application_.Show();
    background_.ShowMaximized();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return setup_->ExitCode();
}

void App::SetGradientColors(shell::Color from, shell::Color to) {
    background_.MainScreen().SetFromColor(from);
    background_.MainScreen().SetToColor(to);
}

void App::SetChoiceVisible(shell::EndChoice choice, bool visible) { wizard_->zuv.SetChoiceVisible(choice, visible); }

void App::SetChoiceEnabled(shell::EndChoice choice, bool enabled) { wizard_->zuv.SetChoiceEnabled(choice, enabled); }

void App::SetChoiceChecked(shell::EndChoice choice, bool checked) { wizard_->zuv.SetChoiceChecked(choice, checked); }

bool App::ChoiceChecked(shell::EndChoice choice) { return wizard_->zuv.ChoiceChecked(choice); }

void App::nextClick() { wizard_->zuv.nextClick(); }

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
    wizard_->zuv.FormShow();
    wizardWindow_.ShowModal();
    setup_->InstallIncomplete = wizard_->zuv.InstallIncomplete;
    setup_->InstallFinished = wizard_->zuv.InstallFinished();
}

}  // namespace zuv::ui
