// The wizard window as the wizard's logic sees it: every control the pages show, by name.
//
// `TZUV` (wizard/wizard.h) holds the wizard's state and decides; a view only shows. The
// Win32 window (src/ui) implements this interface and, when the user acts, calls back the
// matching `TZUV` handler (nextClick, RadioClicked, CheckListItemClicked, ...). Unit tests
// implement it with a recording view.
//
// Every setter is called with the complete new value; a view never has to remember more
// than it shows, and it has no texts of its own for what the logic sets (memos, labels,
// `Main_Dir`): those come from TZUV::FormCreate. Nothing here may throw.
#pragma once

#include <string>
#include <vector>

namespace zuv::wizard {

// Pages of `Notebook1`, by index (the navigation rules work on the index).
enum Page : int {
    kPageWelcome = 0,      // page1
    kPageLicence = 1,      // Page2
    kPageDestination = 2,  // Page3
    kPageFolders = 3,      // Page4
    kPageInstallType = 4,  // installtype
    kPageReady = 5,        // Page5
    kPageInstall = 6,      // install
    kPageCount = 7,
};

// The four buttons of the button bar `Panel1`.
enum class Button { kCancel, kBack, kNext, kInstall };

// Radio buttons: the end-of-setup group on the ready page (`RadioButton1`, `RadioButton2`,
// `reboot`) and the install-type group (`full`, `min`). Checking one button of a group
// unchecks the others of that group; the wizard sends every change, the view need not
// enforce the grouping itself.
enum class Radio { kRadioButton1, kRadioButton2, kReboot, kFull, kMin };

// Check boxes of the folders page: `CheckBox1` "Add Folder to Start Menu", `CheckBox2`
// "Add Folder to Desktop".
enum class CheckBox { kCheckBox1, kCheckBox2 };

// Check lists of the folders page: `DK` (desktop shortcuts) and `SM` (start menu).
enum class CheckList { kDK, kSM };

// Memos: `Memo1` welcome text, `Memo2` destination text, `Memo3` licence, `Memo4` summary.
enum class Memo { kMemo1, kMemo2, kMemo3, kMemo4 };

// Labels whose caption changes at run time: `Label2` (program to launch), `CreateFolder`
// (folder name), `source` and `Dest` (the install engine's two status lines).
enum class Label { kLabel2, kCreateFolder, kSource, kDest };

class WizardView {
public:
    virtual ~WizardView() = default;

    // Shows page `index` (0..6) of `Notebook1`. Called only on an actual change.
    virtual void ShowPage(int index) = 0;

    virtual void SetButtonEnabled(Button button, bool enabled) = 0;
    virtual void SetButtonVisible(Button button, bool visible) = 0;
    // Shows or hides the whole button bar `Panel1` (hidden while the engine runs).
    virtual void SetButtonBarVisible(bool visible) = 0;

    virtual void SetLabelCaption(Label label, const std::string& caption) = 0;

    // Replaces every line of a memo.
    virtual void SetMemoLines(Memo memo, const std::vector<std::string>& lines) = 0;
    // Number of lines the memo shows for the lines last set: every line counts, an empty
    // one too, and a line too long for the memo's width counts once per displayed (wrapped)
    // line; no text gives 0. The empty line after a final line break of a file is not among
    // the lines set (SplitTextLines drops it), so nothing more is subtracted here.
    virtual int MemoDisplayedLineCount(Memo memo) = 0;

    virtual void SetRadioChecked(Radio radio, bool checked) = 0;
    virtual void SetRadioEnabled(Radio radio, bool enabled) = 0;
    virtual void SetRadioVisible(Radio radio, bool visible) = 0;

    virtual void SetCheckBoxChecked(CheckBox box, bool checked) = 0;

    // Replaces the items of a check list; `checked` has one flag per item.
    virtual void SetCheckListItems(CheckList list, const std::vector<std::string>& items,
                                   const std::vector<bool>& checked) = 0;

    // The destination directory field `Main_Dir` (the browse button is the view's own
    // business; a changed text is reported back through TZUV::MainDirChanged).
    virtual void SetMainDirText(const std::string& text) = 0;

    // `ProgressBar1` and its position.
    virtual void SetProgressRange(int minimum, int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;

    // Height of the background screen (the main window), for placing the shrunken wizard near
    // its bottom. Like every figure of the layout it is in pixels at 96 per inch; the view
    // scales between these and the screen's pixels.
    virtual int BackgroundHeight() = 0;
    // Sets the wizard window's height and moves its top edge (96-DPI pixels, as above); the
    // left edge and the width stay.
    virtual void SetWindowHeightAndTop(int height, int top) = 0;

    // Repaints the wizard and the background screen now.
    virtual void Repaint() = 0;

    // Closes the wizard window. The view then calls TZUV::FormClose (also when the user
    // closes the window with its close box) and ends the modal loop.
    virtual void Close() = 0;
};

}  // namespace zuv::wizard
