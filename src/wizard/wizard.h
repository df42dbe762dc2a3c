// The install wizard `TZUV`: seven pages in `Notebook1`, their navigation rules, the
// end-of-setup radio group, the folder and shortcut choices, and the Install button that
// runs the install engine.
//
// The class holds every state the logic needs (page index, buttons, radio buttons, check
// boxes, check lists, the `Main_Dir` text) and mirrors each change to a `WizardView`. The
// Win32 window forwards its clicks to the public handlers one to one; the shell reads the
// end-of-setup choice (and `InstallIncomplete`) after the wizard has closed.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "shell/main_setup.h"
#include "shell/script.h"
#include "shell/shell_state.h"
#include "wizard/shortcuts.h"
#include "wizard/wizard_view.h"

namespace zuv::wizard {

// The texts the wizard shows and changes live here and nowhere else: the window starts with
// empty memos, `Main_Dir`, `CreateFolder`, `Label2`, `source` and `Dest`, and FormCreate
// gives it these (the fixed captions of buttons, titles and check boxes are the window's).
//
// The built-in licence text `Memo3` holds until the wizard is first shown.
extern const std::vector<std::string> kBuiltInLicence;
// `Memo1` and `Memo2`.
extern const std::vector<std::string> kWelcomeText;
extern const std::vector<std::string> kDestinationText;
// The design captions of the install engine's status lines `source` and `Dest`.
extern const char* const kSourceDesignCaption;
extern const char* const kDestDesignCaption;
// Asked after the install engine stopped on an error (Yes, the default, undoes what it did).
extern const char* const kRollbackQuestion;

class TZUV : public shell::WizardChoice {
public:
    TZUV(platform::Platform& platform, WizardView& view, shell::LoadedScript& script, shell::ShellState& state);

    // ---- handlers ---------------------------------------------------------------------
    void FormCreate();
    void FormShow();
    void nextClick() override;
    void backClick();
    void acceptClick();
    void declineClick();
    void cancelClick();
    void installClick();
    // A silent run's answers to every page: the defaults the pages show, the licence
    // accepted, no launch of the product; then Install.
    void SilentInstall();
    void Notebook1PageChanged();
    // Runs once when the window closes, whatever closed it.
    void FormClose();
    // The close box: before the engine has run it ends the wizard as a cancellation; after
    // the engine stopped on an error it closes and marks the installation incomplete; while
    // the engine runs it is ignored (the install cannot be interrupted).
    void closeBox();
    // What the user changed in the window.
    void MainDirChanged(const std::string& text);
    void RadioClicked(Radio radio);
    void CheckBoxClicked(CheckBox box, bool checked);
    void CheckListItemClicked(CheckList list, int index, bool checked);

    // ---- pages ------------------------------------------------------------------------
    int PageIndex() const { return page_; }
    // Changes the current page; the same index, a negative one or one past the last page
    // changes nothing and fires nothing.
    void SetPageIndex(int index);

    // ---- buttons ----------------------------------------------------------------------
    bool ButtonEnabled(Button button) const { return buttons_[Index(button)].enabled; }
    bool ButtonVisible(Button button) const { return buttons_[Index(button)].visible; }
    void SetButtonEnabled(Button button, bool enabled);
    void SetButtonVisible(Button button, bool visible);

    // ---- radio buttons (both groups) --------------------------------------------------
    bool RadioChecked(Radio radio) const { return radios_[Index(radio)].checked; }
    bool RadioEnabled(Radio radio) const { return radios_[Index(radio)].enabled; }
    bool RadioVisible(Radio radio) const { return radios_[Index(radio)].visible; }
    // Checking one button of a group unchecks the others; unchecking touches only it.
    void SetRadioChecked(Radio radio, bool checked);
    void SetRadioEnabled(Radio radio, bool enabled);
    void SetRadioVisible(Radio radio, bool visible);
    bool RadioButton1Checked() const { return RadioChecked(Radio::kRadioButton1); }
    bool RadioButton2Checked() const { return RadioChecked(Radio::kRadioButton2); }
    bool RebootChecked() const { return RadioChecked(Radio::kReboot); }

    // shell::WizardChoice: the loader's presets and the shell's reading at close.
    void SetChoiceVisible(shell::EndChoice choice, bool visible) override;
    void SetChoiceEnabled(shell::EndChoice choice, bool enabled) override;
    void SetChoiceChecked(shell::EndChoice choice, bool checked) override;
    bool ChoiceChecked(shell::EndChoice choice) override;

    // ---- the folders page and the other controls --------------------------------------
    bool CheckBoxChecked(CheckBox box) const { return checkBoxes_[box == CheckBox::kCheckBox1 ? 0 : 1]; }
    void SetCheckBoxChecked(CheckBox box, bool checked);
    const std::vector<std::string>& CheckListItems(CheckList list) const { return lists_[ListIndex(list)].items; }
    const std::vector<bool>& CheckListChecks(CheckList list) const { return lists_[ListIndex(list)].checked; }
    const std::string& MainDirText() const { return mainDir_; }
    void SetMainDirText(const std::string& text);
    const std::string& CreateFolderCaption() const { return createFolder_; }
    const std::string& Label2Caption() const { return label2_; }
    const std::vector<std::string>& MemoLines(Memo memo) const { return memos_[static_cast<int>(memo)]; }

    // The shortcut component `Shortcuts1`.
    TShortcuts& Shortcuts1() { return shortcuts_; }

    // ---- the end of the run -----------------------------------------------------------
    // True once the install engine has run to its end.
    bool InstallFinished() const { return installFinished_; }
    // True when the engine ran but some file was not installed, or it stopped on an error:
    // the shell's closing message must not claim a completed installation.
    bool InstallIncomplete = false;
    // Files the engine could not install (directory + "\" + name).
    std::vector<std::string> NotInstalled;
    bool Closed() const { return closed_; }

private:
    struct ButtonState {
        bool enabled = true;
        bool visible = true;
    };
    struct RadioState {
        bool checked = false;
        bool enabled = true;
        bool visible = true;
    };
    struct ListState {
        std::vector<std::string> items;
        std::vector<bool> checked;
    };
    static int Index(Button b) { return static_cast<int>(b); }
    static int Index(Radio r) { return static_cast<int>(r); }
    static int ListIndex(CheckList l) { return l == CheckList::kDK ? 0 : 1; }
    static Radio ToRadio(shell::EndChoice choice);

    void SetMemo(Memo memo, std::vector<std::string> lines);
    void SetLabel2(const std::string& caption);
    void SetCheckList(CheckList list, std::vector<std::string> items, std::vector<bool> checked);
    bool LicenceShown();
    void BuildFoldersPage();
    void ShowSpaceNeeded();
    void CloseWizard();
    void OfferRollback(const std::string& record);

    platform::Platform& platform_;
    WizardView& view_;
    shell::LoadedScript& script_;
    shell::ShellState& state_;
    TShortcuts shortcuts_;

    int page_ = 0;
    ButtonState buttons_[4];
    RadioState radios_[5];
    bool checkBoxes_[2] = {false, false};
    ListState lists_[2];
    std::vector<std::string> memos_[4];
    std::string mainDir_ = "C:\\Program Files\\";
    std::string createFolder_ = "Folder Name";
    std::string label2_ = "Program to Launch";
    bool engineRunning_ = false;
    bool engineStarted_ = false;
    bool installFinished_ = false;
    bool closed_ = false;
};

}  // namespace zuv::wizard
