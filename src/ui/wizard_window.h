// The wizard window `TZUV` on the screen: the seven pages of `Notebook1` and the button bar, drawn for the wizard's logic.
#pragma once

#include "platform/win32/windows_api.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/caption.h"
#include "ui/mars_caption.h"
#include "wizard/wizard_view.h"

namespace zuv::ui {

// The window shows what the logic sets through `wizard::WizardView` and reports every user
// action through `Events`; it decides nothing. Its memos, `Main_Dir` and the labels the logic
// changes stay empty until the logic's FormCreate fills them. All controls are standard controls that carry
// their captions, so a user (or the end-to-end driver) finds them by what they say.
class WizardWindow : public wizard::WizardView {
public:
    struct Events {
        std::function<void()> nextClick;
        std::function<void()> backClick;
        std::function<void()> acceptClick;
        std::function<void()> declineClick;
        std::function<void()> cancelClick;
        std::function<void()> installClick;
        // The close box (or Alt+F4) was used; the logic decides what that means and calls
        // Close(). Without a handler the window simply closes.
        std::function<void()> closeBox;
        // Runs once when the window closes, whatever closed it.
        std::function<void()> formClose;
        std::function<void(const std::string&)> mainDirChanged;
        std::function<void(wizard::Radio)> radioClicked;
        std::function<void(wizard::CheckBox, bool)> checkBoxClicked;
        std::function<void(wizard::CheckList, int, bool)> checkListItemClicked;
    };

    static constexpr const char* kClassName = "TZUV";
    static constexpr const char* kCaption = "ZUV32 - Setup";
    // The design's client area, in pixels at 96 per inch (scaled to the screen's resolution).
    static constexpr int kClientWidth = 433;
    static constexpr int kClientHeight = 263;

    WizardWindow();
    ~WizardWindow() override;
    WizardWindow(const WizardWindow&) = delete;
    WizardWindow& operator=(const WizardWindow&) = delete;

    // Creates the hidden window over `owner` (the background), centred, with the caption bar
    // in `colors`. Returns false when the window cannot be made. Throws nothing.
    bool Create(HINSTANCE instance, HWND owner, const shell::TMarsCaption& colors);
    void SetEvents(Events events) { events_ = std::move(events); }
    HWND Handle() const { return window_; }

    // Shows the window modally over its owner; returns when it has closed.
    void ShowModal();
    bool Closed() const { return closed_; }

    // What the controls show now (read back by the logic's host and by tests).
    bool RadioChecked(wizard::Radio radio) const;
    bool CheckBoxChecked(wizard::CheckBox box) const;
    std::vector<bool> CheckListChecks(wizard::CheckList list) const;
    std::string MainDirText() const;
    int CurrentPage() const { return page_; }
    // The control of a named role, for tests (nullptr when there is none).
    HWND ButtonHandle(wizard::Button button) const;
    HWND MemoHandle(wizard::Memo memo) const;

    // ---- wizard::WizardView -------------------------------------------------------------
    void ShowPage(int index) override;
    void SetButtonEnabled(wizard::Button button, bool enabled) override;
    void SetButtonVisible(wizard::Button button, bool visible) override;
    void SetButtonBarVisible(bool visible) override;
    void SetLabelCaption(wizard::Label label, const std::string& caption) override;
    void SetMemoLines(wizard::Memo memo, const std::vector<std::string>& lines) override;
    int MemoDisplayedLineCount(wizard::Memo memo) override;
    void SetRadioChecked(wizard::Radio radio, bool checked) override;
    void SetRadioEnabled(wizard::Radio radio, bool enabled) override;
    void SetRadioVisible(wizard::Radio radio, bool visible) override;
    void SetCheckBoxChecked(wizard::CheckBox box, bool checked) override;
    void SetCheckListItems(wizard::CheckList list, const std::vector<std::string>& items,
                           const std::vector<bool>& checked) override;
    void SetMainDirText(const std::string& text) override;
    void SetProgressRange(int minimum, int maximum) override;
    void SetProgressPosition(int position) override;
    int BackgroundHeight() override;
    void SetWindowHeightAndTop(int height, int top) override;
    void Repaint() override;
    void Close() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    HWND Add(int page, const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
             int id = 0, HFONT font = nullptr, DWORD exStyle = 0);
    void Command(int id, int code);
    void Browse();
    void UpdatePageVisibility();
    void FocusDefault();
    // The page's default button (Return), or nullptr while the install runs.
    HWND DefaultControlHandle() const;

    struct Control {
        HWND handle;
        int page;  // -1: on every page (the button bar)
        bool hiddenByLogic;
    };

    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    HINSTANCE instance_ = nullptr;
    HFONT font_ = nullptr;
    HFONT titleFont_ = nullptr;
    HBRUSH background_ = nullptr;
    Events events_;
    std::unique_ptr<MarsCaptionPainter> caption_;
    std::vector<Control> controls_;
    std::array<HWND, 4> buttons_{};
    std::array<HWND, 5> radios_{};
    std::array<HWND, 2> checkBoxes_{};
    std::array<HWND, 2> checkLists_{};
    std::array<HWND, 4> memos_{};
    std::array<HWND, 4> labels_{};
    HWND mainDir_ = nullptr;
    HWND accept_ = nullptr;
    HWND progress_ = nullptr;
    HWND panel_ = nullptr;
    int page_ = 0;
    bool barVisible_ = true;
    bool closed_ = false;
    bool closing_ = false;
    int quiet_ = 0;  // above 0 while the window itself changes controls: no events
};

}  // namespace zuv::ui
