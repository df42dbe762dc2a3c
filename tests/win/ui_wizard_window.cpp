// Protects the wizard window as the system shows it: size, captions at their places, page switching, the licence line count and the forwarded clicks.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "shell/caption.h"
#include "ui/wizard_window.h"

namespace zuv::ui {
namespace {

using wizard::Button;
using wizard::CheckList;
using wizard::Memo;
using wizard::Radio;

struct Found {
    const char* caption;
    HWND handle;
};

BOOL CALLBACK FindCaption(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<Found*>(data);
    char text[512];
    GetWindowTextA(window, text, sizeof text);
    if (std::string(text) == found->caption) {
        found->handle = window;
        return FALSE;
    }
    return TRUE;
}

HWND Control(HWND window, const char* caption) {
    Found found{caption, nullptr};
    EnumChildWindows(window, FindCaption, reinterpret_cast<LPARAM>(&found));
    return found.handle;
}

RECT ClientRectOf(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class WizardWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr), nullptr, shell::TMarsCaption{}));
        ShowWindow(window.Handle(), SW_SHOWNA);
    }
    WizardWindow window;
};

TEST_F(WizardWindowTest, IsAToolWindowWithTheDesignClientAreaAndButtonBar) {
    RECT client{};
    GetClientRect(window.Handle(), &client);
    EXPECT_EQ(client.right, 433);
    EXPECT_EQ(client.bottom, 263);
    EXPECT_TRUE(GetWindowLongA(window.Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(GetWindowLongA(window.Handle(), GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    char caption[64];
    GetWindowTextA(window.Handle(), caption, sizeof caption);
    EXPECT_STREQ(caption, "ZUV32 - Setup");

    // The four buttons at their design places; Install hidden at first.
    const struct {
        const char* caption;
        int left, width;
    } buttons[] = {{"&Cancel", 8, 73}, {"&Back", 232, 60}, {"&Next", 296, 60}, {"&Install", 360, 68}};
    for (const auto& b : buttons) {
        HWND handle = Control(window.Handle(), b.caption);
        ASSERT_NE(handle, nullptr) << b.caption;
        const RECT rect = ClientRectOf(window.Handle(), handle);
        EXPECT_EQ(rect.left, b.left) << b.caption;
        EXPECT_EQ(rect.right - rect.left, b.width) << b.caption;
        EXPECT_GT(rect.top, 225) << b.caption;
    }
    EXPECT_FALSE(IsWindowVisible(window.ButtonHandle(Button::kInstall)));
    EXPECT_TRUE(IsWindowVisible(window.ButtonHandle(Button::kNext)));
}

TEST_F(WizardWindowTest, ShowsOnlyTheControlsOfTheCurrentPage) {
    HWND accept = Control(window.Handle(), "Accept");
    HWND full = Control(window.Handle(), "Full Install ( All Files will be installed )");
    HWND reboot = Control(window.Handle(), "Re Boot Windows After installed");
    ASSERT_TRUE(accept && full && reboot);
    EXPECT_FALSE(IsWindowVisible(accept));
    window.ShowPage(1);
    EXPECT_TRUE(IsWindowVisible(accept));
    EXPECT_FALSE(IsWindowVisible(full));
    window.ShowPage(4);
    EXPECT_FALSE(IsWindowVisible(accept));
    EXPECT_TRUE(IsWindowVisible(full));
    window.ShowPage(5);
    EXPECT_TRUE(IsWindowVisible(reboot));
    // A hidden reboot choice stays hidden when its page is shown again.
    window.SetRadioVisible(Radio::kReboot, false);
    window.ShowPage(4);
    window.ShowPage(5);
    EXPECT_FALSE(IsWindowVisible(reboot));
    // The button bar goes away while the engine runs.
    window.SetButtonBarVisible(false);
    EXPECT_FALSE(IsWindowVisible(window.ButtonHandle(Button::kCancel)));
}

TEST_F(WizardWindowTest, LicenceLineCountIsWhatTheMemoDisplays) {
    window.SetMemoLines(Memo::kMemo3, {});
    EXPECT_EQ(window.MemoDisplayedLineCount(Memo::kMemo3), 0);
    window.SetMemoLines(Memo::kMemo3, {"One short line."});
    EXPECT_EQ(window.MemoDisplayedLineCount(Memo::kMemo3), 1);
    // A final line break leaves an empty last line that does not count.
    window.SetMemoLines(Memo::kMemo3, {"One short line.", ""});
    EXPECT_EQ(window.MemoDisplayedLineCount(Memo::kMemo3), 1);
    window.SetMemoLines(Memo::kMemo3, {"first", "second", "third"});
    EXPECT_EQ(window.MemoDisplayedLineCount(Memo::kMemo3), 3);
    // One line too long for the memo's width wraps into several.
    std::string longLine;
    for (int i = 0; i < 40; ++i) longLine += "licence words ";
    window.SetMemoLines(Memo::kMemo3, {longLine});
    EXPECT_GT(window.MemoDisplayedLineCount(Memo::kMemo3), 1);
}

TEST_F(WizardWindowTest, ForwardsClicksAndReportsTheUsersChoices) {
    std::vector<std::string> seen;
    WizardWindow::Events events;
    events.nextClick = [&] { seen.push_back("next"); };
    events.cancelClick = [&] { seen.push_back("cancel"); };
    events.closeBox = [&] { seen.push_back("closebox"); };
    events.radioClicked = [&](Radio radio) { seen.push_back("radio" + std::to_string(int(radio))); };
    events.checkListItemClicked = [&](CheckList, int index, bool checked) {
        seen.push_back("item" + std::to_string(index) + (checked ? "+" : "-"));
    };
    events.formClose = [&] { seen.push_back("formclose"); };
    window.SetEvents(events);

    SendMessageA(window.ButtonHandle(Button::kNext), BM_CLICK, 0, 0);
    window.ShowPage(5);
    window.SetRadioChecked(Radio::kReboot, true);
    SendMessageA(Control(window.Handle(), "Return to Windows after installed"), BM_CLICK, 0, 0);
    EXPECT_TRUE(window.RadioChecked(Radio::kRadioButton2));
    EXPECT_FALSE(window.RadioChecked(Radio::kReboot));

    // Items set by the logic raise nothing; a user's tick does.
    window.SetCheckListItems(CheckList::kDK, {"ZUV Hello", "Read Me"}, {true, true});
    EXPECT_EQ(window.CheckListChecks(CheckList::kDK), (std::vector<bool>{true, true}));
    HWND dk = nullptr;
    for (HWND child = GetWindow(window.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == 115) dk = child;
    }
    ASSERT_NE(dk, nullptr);
    ListView_SetCheckState(dk, 1, FALSE);
    EXPECT_EQ(window.CheckListChecks(CheckList::kDK), (std::vector<bool>{true, false}));

    SendMessageA(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(window.Closed());
    window.Close();
    EXPECT_TRUE(window.Closed());
    window.Close();
    EXPECT_EQ(seen, (std::vector<std::string>{"next", "radio1", "item1-", "closebox", "formclose"}));
}

TEST_F(WizardWindowTest, ShrinksToTheProgressViewNearTheScreenBottom) {
    window.ShowPage(6);
    window.SetButtonBarVisible(false);
    window.SetProgressRange(0, 10);
    window.SetProgressPosition(10);
    const int top = window.BackgroundHeight() - 120 - 30;
    window.SetWindowHeightAndTop(120, top);
    RECT rect{};
    GetWindowRect(window.Handle(), &rect);
    EXPECT_EQ(rect.bottom - rect.top, 120);
    EXPECT_EQ(rect.top, top);
    EXPECT_TRUE(IsWindowVisible(Control(window.Handle(), "Copy Source")));
}

}  // namespace
}  // namespace zuv::ui
