#include "wizard/wizard.h"

#include "common/routines.h"
#include "common/disk_space.h"
#include "uninstall/undo.h"
#include "wizard/install_engine.h"
#include "wizard/install_space.h"
#include "wizard/text_lines.h"

namespace zuv::wizard {

const std::vector<std::string> kBuiltInLicence = {
    "SOFTWARE LICENSE AGREEMENT",
    "",
    "Please read this agreement carefully before installing the software.",
    "By installing the software you agree to be bound by its terms.",
    "",
    "1. The software is licensed, not sold, for use on one computer.",
    "2. You may not rent, lease or resell the software.",
    "3. The software is provided as is, without warranty of any kind.",
    "4. In no event shall the authors be liable for any damages arising",
    "   from the use of the software.",
};

const char* const kSourceDesignCaption = "Copy Source";
const char* const kDestDesignCaption = "Copy to";

const std::vector<std::string> kWelcomeText = {
    "",
    "It is strongly recommended that you exit all windows programs",
    "before running this Setup program.",
    "",
    "Click Cancel to quit Setup and then close any programs you have",
    "running ( Re-Boot if Necessary ). Click Next continue with Setup",
    "Program.",
    "",
    "",
};

const char* const kRollbackQuestion = "Setup could not finish. Undo the changes made so far?";

const std::vector<std::string> kDestinationText = {
    "Setup will now install Software into the following directory",
    "",
    "To install to this directory, click next.",
    "",
    "To install to different directory, click browse and select ",
    "another",
    "directory.",
    "",
    "you can choose not to install by clicking cancel.",
};

TZUV::TZUV(platform::Platform& platform, WizardView& view, shell::LoadedScript& script, shell::ShellState& state)
    : platform_(platform), view_(view), script_(script), state_(state), shortcuts_(platform) {
    buttons_[Index(Button::kInstall)].visible = false;
    radios_[Index(Radio::kReboot)].checked = true;
    memos_[static_cast<int>(Memo::kMemo1)] = kWelcomeText;
    memos_[static_cast<int>(Memo::kMemo2)] = kDestinationText;
    memos_[static_cast<int>(Memo::kMemo3)] = kBuiltInLicence;
}

// ---- state mirrored to the view -----------------------------------------------------------

void TZUV::SetPageIndex(int index) {
    if (index == page_ || index < 0 || index >= kPageCount) return;
    page_ = index;
    view_.ShowPage(index);
    Notebook1PageChanged();
}

void TZUV::SetButtonEnabled(Button button, bool enabled) {
    buttons_[Index(button)].enabled = enabled;
    view_.SetButtonEnabled(button, enabled);
}

void TZUV::SetButtonVisible(Button button, bool visible) {
    buttons_[Index(button)].visible = visible;
    view_.SetButtonVisible(button, visible);
}

void TZUV::SetRadioChecked(Radio radio, bool checked) {
    radios_[Index(radio)].checked = checked;
    view_.SetRadioChecked(radio, checked);
    if (!checked) return;
    const bool endGroup = radio == Radio::kRadioButton1 || radio == Radio::kRadioButton2 || radio == Radio::kReboot;
    const Radio endRadios[] = {Radio::kRadioButton1, Radio::kRadioButton2, Radio::kReboot};
    const Radio typeRadios[] = {Radio::kFull, Radio::kMin};
    auto uncheckOthers = [&](const Radio* group, int count) {
        for (int i = 0; i < count; ++i) {
            if (group[i] == radio || !radios_[Index(group[i])].checked) continue;
            radios_[Index(group[i])].checked = false;
            view_.SetRadioChecked(group[i], false);
        }
    };
    if (endGroup)
        uncheckOthers(endRadios, 3);
    else
        uncheckOthers(typeRadios, 2);
}

void TZUV::SetRadioEnabled(Radio radio, bool enabled) {
    radios_[Index(radio)].enabled = enabled;
    view_.SetRadioEnabled(radio, enabled);
}

void TZUV::SetRadioVisible(Radio radio, bool visible) {
    radios_[Index(radio)].visible = visible;
    view_.SetRadioVisible(radio, visible);
}

Radio TZUV::ToRadio(shell::EndChoice choice) {
    switch (choice) {
        case shell::EndChoice::kRadioButton1:
            return Radio::kRadioButton1;
        case shell::EndChoice::kRadioButton2:
            return Radio::kRadioButton2;
        case shell::EndChoice::kReboot:
            break;
    }
    return Radio::kReboot;
}

void TZUV::SetChoiceVisible(shell::EndChoice choice, bool visible) { SetRadioVisible(ToRadio(choice), visible); }
void TZUV::SetChoiceEnabled(shell::EndChoice choice, bool enabled) { SetRadioEnabled(ToRadio(choice), enabled); }
void TZUV::SetChoiceChecked(shell::EndChoice choice, bool checked) { SetRadioChecked(ToRadio(choice), checked); }
bool TZUV::ChoiceChecked(shell::EndChoice choice) { return RadioChecked(ToRadio(choice)); }

void TZUV::SetCheckBoxChecked(CheckBox box, bool checked) {
    checkBoxes_[box == CheckBox::kCheckBox1 ? 0 : 1] = checked;
    view_.SetCheckBoxChecked(box, checked);
}

void TZUV::SetMainDirText(const std::string& text) {
    mainDir_ = text;
    view_.SetMainDirText(text);
}

void TZUV::SetMemo(Memo memo, std::vector<std::string> lines) {
    memos_[static_cast<int>(memo)] = std::move(lines);
    view_.SetMemoLines(memo, memos_[static_cast<int>(memo)]);
}

void TZUV::SetLabel2(const std::string& caption) {
    label2_ = caption;
    view_.SetLabelCaption(Label::kLabel2, caption);
}

void TZUV::SetCheckList(CheckList list, std::vector<std::string> items, std::vector<bool> checked) {
    ListState& state = lists_[ListIndex(list)];
    state.items = std::move(items);
    state.checked = std::move(checked);
    view_.SetCheckListItems(list, state.items, state.checked);
}

// ---- what the user changes ------------------------------------------------------------------

void TZUV::MainDirChanged(const std::string& text) { mainDir_ = text; }

void TZUV::RadioClicked(Radio radio) {
    if (!RadioEnabled(radio)) return;
    SetRadioChecked(radio, true);
}

void TZUV::CheckBoxClicked(CheckBox box, bool checked) { checkBoxes_[box == CheckBox::kCheckBox1 ? 0 : 1] = checked; }

void TZUV::CheckListItemClicked(CheckList list, int index, bool checked) {
    ListState& state = lists_[ListIndex(list)];
    if (index < 0 || static_cast<size_t>(index) >= state.checked.size()) return;
    state.checked[index] = checked;
}

// ---- handlers ---------------------------------------------------------------------------------

void TZUV::FormCreate() {
    // The whole window as designed, then page 0. The window has no texts of its own for what
    // is set here: these are the only copies.
    for (Button b : {Button::kCancel, Button::kBack, Button::kNext, Button::kInstall}) {
        view_.SetButtonEnabled(b, ButtonEnabled(b));
        view_.SetButtonVisible(b, ButtonVisible(b));
    }
    for (Radio r : {Radio::kRadioButton1, Radio::kRadioButton2, Radio::kReboot, Radio::kFull, Radio::kMin}) {
        view_.SetRadioChecked(r, RadioChecked(r));
        view_.SetRadioEnabled(r, RadioEnabled(r));
        view_.SetRadioVisible(r, RadioVisible(r));
    }
    for (Memo m : {Memo::kMemo1, Memo::kMemo2, Memo::kMemo3, Memo::kMemo4}) view_.SetMemoLines(m, MemoLines(m));
    view_.SetMainDirText(mainDir_);
    view_.SetLabelCaption(Label::kCreateFolder, createFolder_);
    view_.SetLabelCaption(Label::kLabel2, label2_);
    view_.SetLabelCaption(Label::kSource, kSourceDesignCaption);
    view_.SetLabelCaption(Label::kDest, kDestDesignCaption);
    page_ = kPageWelcome;
    view_.ShowPage(page_);
    Notebook1PageChanged();
}

void TZUV::FormShow() {
    state_.Cancelled = false;
    createFolder_ = script_.ProgramFolder;
    view_.SetLabelCaption(Label::kCreateFolder, createFolder_);
    SetLabel2(RadioEnabled(Radio::kRadioButton1) ? script_.LaunchProgram : std::string());
    const std::string licence = state_.TempDir + "\\license.txt";
    if (common::FileExists(platform_, licence))
        SetMemo(Memo::kMemo3, ReadTextLinesOrEmpty(platform_, licence));
    else
        SetMemo(Memo::kMemo3, {});
    SetRadioChecked(script_.WorkStationPrompt ? Radio::kMin : Radio::kFull, true);
    if (script_.AddToProgramFiles)
        SetMainDirText(state_.SystemRoot + "Program Files\\" + script_.InstallDir);
    else
        SetMainDirText(state_.SystemRoot + script_.InstallDir);
    if (!state_.InstallDirSwitch.empty()) SetMainDirText(state_.InstallDirSwitch);
    view_.Repaint();
    platform_.ProcessMessages();
}

bool TZUV::LicenceShown() { return view_.MemoDisplayedLineCount(Memo::kMemo3) > 1; }

void TZUV::nextClick() {
    SetPageIndex(page_ + 1);
    SetButtonEnabled(Button::kBack, true);
    SetButtonEnabled(Button::kNext, true);
    SetButtonVisible(Button::kInstall, false);
    auto toReady = [this] {
        SetPageIndex(kPageReady);
        SetButtonVisible(Button::kInstall, true);
        SetButtonEnabled(Button::kNext, false);
    };
    switch (page_) {
        case kPageLicence:
            if (LicenceShown()) {
                SetButtonEnabled(Button::kBack, true);
                SetButtonEnabled(Button::kNext, false);
            } else {
                SetPageIndex(kPageDestination);
            }
            break;
        case kPageFolders:
            if (!script_.ProgramFolder.empty()) break;
            if (script_.WorkStationPrompt)
                SetPageIndex(kPageInstallType);
            else
                toReady();
            break;
        case kPageInstallType:
            if (!script_.WorkStationPrompt) toReady();
            break;
        case kPageReady:
            SetButtonVisible(Button::kInstall, true);
            SetButtonEnabled(Button::kNext, false);
            break;
        default:
            break;
    }
}

void TZUV::backClick() {
    SetPageIndex(page_ - 1);
    SetButtonEnabled(Button::kBack, true);
    SetButtonEnabled(Button::kNext, true);
    SetButtonVisible(Button::kInstall, false);
    switch (page_) {
        case kPageLicence:
            if (LicenceShown()) {
                SetButtonEnabled(Button::kBack, true);
                SetButtonEnabled(Button::kNext, false);
            } else {
                SetPageIndex(kPageWelcome);
            }
            break;
        case kPageFolders:
            if (script_.ProgramFolder.empty()) SetPageIndex(kPageDestination);
            break;
        case kPageInstallType:
            if (!script_.WorkStationPrompt)
                SetPageIndex(script_.ProgramFolder.empty() ? kPageDestination : kPageFolders);
            break;
        default:
            break;
    }
    // Back stays enabled on page 0 when the user came back to it from the licence page: the
    // page change disabled it and Back then enabled Back and Next again. A skip back over the
    // licence page leaves it disabled, because that page change comes last.
}

void TZUV::acceptClick() {
    SetButtonEnabled(Button::kBack, true);
    SetButtonEnabled(Button::kNext, true);
    SetPageIndex(page_ + 1);
}

void TZUV::declineClick() {
    state_.Log.Write("The user declined the licence");
    cancelClick();
}

void TZUV::cancelClick() {
    state_.Log.Write("Wizard cancelled on page " + std::to_string(page_));
    SetRadioChecked(Radio::kReboot, false);
    state_.Cancelled = true;
    CloseWizard();
}

void TZUV::closeBox() {
    if (engineRunning_) return;
    if (!engineStarted_) {
        // Closing the wizard before the install counts as a cancellation.
        cancelClick();
        return;
    }
    if (!installFinished_) InstallIncomplete = true;
    CloseWizard();
}

void TZUV::CloseWizard() {
    if (closed_) return;
    view_.Close();
}

void TZUV::FormClose() {
    platform_.ProcessMessages();
    closed_ = true;
}

void TZUV::installClick() {
    if (!TInstallEngine::HasInstallDirEntry(script_)) {
        platform_.ShowMessage(kNoInstallDirMessage);
        return;
    }
    // Before anything is changed: no path may be longer than the system accepts (it would be
    // cut or refused half-way), and every drive the files go to must hold them. When one
    // check fails, the user is told why and the wizard stays on its page.
    const size_t limit = platform_.MaxPathLength();
    const std::string tooLong = FirstTooLongPath(platform_, script_, state_, mainDir_, RadioChecked(Radio::kMin), limit);
    if (!tooLong.empty()) {
        platform_.ShowMessage(PathTooLongMessage(tooLong, limit));
        return;
    }
    const std::vector<common::DriveSpace> plan =
        PlanInstallSpace(platform_, script_, state_, mainDir_, RadioChecked(Radio::kMin));
    if (const common::DriveSpace* shortDrive = FirstShortDrive(plan)) {
        platform_.ShowMessage(common::NotEnoughSpaceMessage(*shortDrive, "for this installation"));
        return;
    }
    shortcuts_.Folder = createFolder_;
    shortcuts_.FolderStartMenu = CheckBoxChecked(CheckBox::kCheckBox1);
    shortcuts_.FolderDesktop = CheckBoxChecked(CheckBox::kCheckBox2);
    SetPageIndex(kPageInstall);

    InstallChoices choices;
    choices.mainDir = mainDir_;
    choices.minChecked = RadioChecked(Radio::kMin);
    choices.radioButton1Checked = RadioChecked(Radio::kRadioButton1);
    choices.dkItems = lists_[0].items;
    choices.dkChecked = lists_[0].checked;
    choices.smItems = lists_[1].items;
    choices.smChecked = lists_[1].checked;
    TInstallEngine engine(platform_, script_, state_, view_, shortcuts_, std::move(choices));
    engineStarted_ = true;
    engineRunning_ = true;
    installFinished_ = engine.RunInstall();
    engineRunning_ = false;
    NotInstalled = engine.NotInstalled();
    InstallIncomplete = engine.InstallIncomplete();
    if (!installFinished_ && engine.Stopped() && !engine.JournalRecord().empty()) OfferRollback(engine.JournalRecord());
}

// After the engine's error box: Yes undoes what this installation did (the uninstaller's own
// undo, newest installation only) and ends the run as cancelled; No leaves everything as it
// stands, the wizard open on its progress view.
void TZUV::OfferRollback(const std::string& record) {
    if (platform_.Ask(kRollbackQuestion, "ZUV - Setup", platform::BoxIcon::kQuestion, {"&Yes", "&No"}) != 0) return;
    state_.Log.Write("Rollback of this installation");
    state_.Log.DropCopies();  // the copy in the install directory goes with it
    uninstall::TUndo undo(platform_, record);
    undo.UndoNewest();
    if (!undo.Kept().empty()) platform_.ShowMessage(uninstall::DescribeKept(undo.Kept()));
    cancelClick();
}

void TZUV::SilentInstall() {
    // The licence counts as accepted; the folders page's lists are built as the page would
    // show them, every shortcut checked; the install type stays as FormShow preset it.
    if (!script_.ProgramFolder.empty()) BuildFoldersPage();
    // The product is not started after a silent install (a chained setup program still is).
    if (RadioChecked(Radio::kRadioButton1)) SetRadioChecked(Radio::kRadioButton2, true);
    state_.Log.Write("Silent choices: install directory " + mainDir_ + ", program folder \"" + createFolder_ +
                     "\", " + (RadioChecked(Radio::kMin) ? "workstation" : "full") + " install, " +
                     std::to_string(lists_[0].items.size()) + " desktop and " + std::to_string(lists_[1].items.size()) +
                     " start-menu shortcuts, " + (RebootChecked() ? "restart wanted" : "no restart"));
    installClick();
}

void TZUV::Notebook1PageChanged() {
    SetButtonEnabled(Button::kBack, page_ != kPageWelcome);
    // The lists are filled only when the folders page is really shown (a program folder is
    // named); a skipped page leaves them, and the summary, empty.
    if (page_ == kPageFolders && !script_.ProgramFolder.empty()) BuildFoldersPage();
    if (page_ == kPageReady) {
        const std::string& launch = script_.LaunchProgram;
        size_t gt = launch.find('>');
        SetLabel2(gt == std::string::npos ? launch : launch.substr(gt + 1));
        ShowSpaceNeeded();
    }
}

void TZUV::ShowSpaceNeeded() {
    // The summary gains one line with the space the files need; a later visit replaces it,
    // since the destination or the install type may have changed in between.
    std::vector<std::string> lines = MemoLines(Memo::kMemo4);
    if (!lines.empty() && lines.back().rfind(kSpaceNeededStart, 0) == 0) lines.pop_back();
    const std::string line =
        SpaceNeededLine(PlanInstallSpace(platform_, script_, state_, mainDir_, RadioChecked(Radio::kMin)));
    if (!line.empty()) lines.push_back(line);
    SetMemo(Memo::kMemo4, std::move(lines));
}

void TZUV::BuildFoldersPage() {
    std::vector<std::string> summary = {"Install to:", "  " + mainDir_, "", "File / Folder : ", "  " + createFolder_};
    std::vector<std::string> dk, sm;
    for (const std::string& line : script_.DesktopList) {
        std::string entry = line;
        std::string caption = common::SplitAtChar(entry, '~');
        std::string target = common::SplitAtChar(entry, '~');
        std::string desktopMark = common::SplitAtChar(entry, '~');
        std::string menuMark = common::SplitAtChar(entry, '~');
        common::SplitAtChar(entry, '~');  // icon
        std::string folder = common::SplitAtChar(entry, '~');
        size_t gt = target.find('>');
        std::string filePart = gt == std::string::npos ? target : target.substr(gt + 1);
        std::string text = filePart + " / " + folder;
        if (desktopMark == "X") {
            dk.push_back(caption);
            text += " / Desktop";
        }
        if (menuMark == "X") {
            sm.push_back(caption);
            text += " / Start Meuu";
        }
        summary.push_back("  " + text);
    }
    SetMemo(Memo::kMemo4, std::move(summary));
    std::vector<bool> dkChecks(dk.size(), true), smChecks(sm.size(), true);
    SetCheckList(CheckList::kDK, std::move(dk), std::move(dkChecks));
    SetCheckList(CheckList::kSM, std::move(sm), std::move(smChecks));
}

}  // namespace zuv::wizard
