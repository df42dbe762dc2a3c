// Protects the wizard window as the system shows it: size, captions at their places, the texts it takes from the logic, page switching, the licence line count and the forwarded clicks.
#include <gtest/gtest.h>

#include <algorithm>
#include "platform/win32/windows_api.h"
#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "shell/caption.h"
#include "ui/wizard_window.h"
#include "wizard/wizard.h"

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
    // An accelerator's "&" is not part of the text the user reads.
    auto plain = [](std::string t) {
        t.erase(std::remove(t.begin(), t.end(), '&'), t.end());
        return t;
    };
    if (plain(text) == plain(found->caption)) {
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

// The window under the wizard's logic, as the program makes it: the logic's FormCreate gives
// the window every text it holds.
class WizardWindowTest : public ::testing::Test {
protected:
    WizardWindowTest() : zuv(platform, window, script, state) {}
    void SetUp() override {
        ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr), nullptr, shell::TMarsCaption{}));
        zuv.FormCreate();
        ShowWindow(window.Handle(), SW_SHOWNA);
    }
    platform::Win32Platform platform{{}};
    shell::LoadedScript script;
    shell::ShellState state;
    WizardWindow window;
    wizard::TZUV zuv;
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

std::string TextOf(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

SIZE SizeOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

TEST_F(WizardWindowTest, EveryPageCarriesItsTextsInsideThePageArea) {
    const char* const texts[] = {
        "Click on Accept to continue with install process. pgdn/pgup to view License information.",
        "You must select Accept or Decline to Continue with installation. if you accept License then "
        "click Accept!",
        "Decline",
        "Accept",
        " Destination  Directory ",
        "C:\\Program Files\\",
        "Create Folder's and Shortcuts.",
        "Main Folder:",
        "Folder Name",
        "Add Folder to Start Menu",
        "Add Folder to Desktop",
        "Add Shortcut to Desktop?",
        "Add Shortcut to Startmenu?",
        "What type of install to Execute",
        "Full Install ( All Files will be installed )",
        "Only Files need to run from Network will be installed",
        "Ready to Start Installing Software",
        "Launch Program after installed",
        "Return to Windows after installed",
        "Re Boot Windows After installed",
        "Program to Launch",
        "Copy Source",
        "Copy to",
    };
    for (const char* text : texts) {
        HWND handle = Control(window.Handle(), text);
        ASSERT_NE(handle, nullptr) << text;
        const RECT rect = ClientRectOf(window.Handle(), handle);
        EXPECT_GE(rect.left, 0) << text;
        EXPECT_GE(rect.top, 0) << text;
        EXPECT_LE(rect.right, 433) << text;
        EXPECT_LE(rect.bottom, 225) << text;
    }
    // Design states: reboot chosen, the folder check boxes clear.
    EXPECT_TRUE(window.RadioChecked(Radio::kReboot));
    EXPECT_FALSE(window.CheckBoxChecked(wizard::CheckBox::kCheckBox1));
    EXPECT_FALSE(window.CheckBoxChecked(wizard::CheckBox::kCheckBox2));
    EXPECT_EQ(window.MainDirText(), "C:\\Program Files\\");
}

TEST_F(WizardWindowTest, ControlsUseTheDesignFontAndTheBarHasAOnePixelRule) {
    HDC screen = GetDC(nullptr);
    const int pixels = MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    for (const char* text : {"&Next", "Main Folder:", "Accept"}) {
        HWND handle = Control(window.Handle(), text);
        ASSERT_NE(handle, nullptr);
        LOGFONTA font{};
        ASSERT_NE(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(handle, WM_GETFONT, 0, 0)),
                             sizeof font, &font), 0);
        EXPECT_STREQ(font.lfFaceName, "MS Sans Serif") << text;
        EXPECT_EQ(font.lfHeight, -pixels) << text;
    }
    // The page titles are large Times New Roman.
    for (const char* title : {"Create Folder's and Shortcuts.", "What type of install to Execute",
                              "Ready to Start Installing Software"}) {
        LOGFONTA font{};
        ASSERT_NE(GetObjectA(reinterpret_cast<HFONT>(
                                 SendMessageA(Control(window.Handle(), title), WM_GETFONT, 0, 0)),
                             sizeof font, &font), 0);
        EXPECT_STREQ(font.lfFaceName, "Times New Roman") << title;
        EXPECT_LT(font.lfHeight, -pixels) << title;
    }
    // Centred on the screen.
    RECT outer{};
    GetWindowRect(window.Handle(), &outer);
    EXPECT_LE(std::abs((outer.left + outer.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs((outer.top + outer.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    // The rule is the one control of the bar that is not a button: one pixel, full width, at
    // the bar's top, 30 pixels above the bottom.
    int rules = 0;
    for (HWND child = GetWindow(window.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT rect = ClientRectOf(window.Handle(), child);
        if (rect.top < 233) continue;
        char cls[32];
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Button") == 0) {
            EXPECT_EQ(GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << TextOf(child);
            EXPECT_LE(rect.bottom, 263);
            continue;
        }
        ++rules;
        EXPECT_EQ(rect.top, 233);
        EXPECT_EQ(rect.bottom - rect.top, 1);
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.right, 433);
    }
    EXPECT_EQ(rules, 1);
}

// Draws a bar button as the window does and counts the glyph area's pixels of one colour.
int GlyphPixels(HWND window, HWND button, COLORREF colour, UINT state) {
    RECT rect{};
    GetClientRect(button, &rect);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, rect.right, rect.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(button));
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = button;
    item.hDC = dc;
    item.rcItem = rect;
    SendMessageA(window, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    int count = 0;
    for (int y = 0; y < rect.bottom; ++y) {
        for (int x = 0; x < 20; ++x) count += GetPixel(dc, x, y) == colour;
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return count;
}

TEST_F(WizardWindowTest, BarButtonsCarryGlyphsThatGreyOutWhenDisabled) {
    HWND cancel = window.ButtonHandle(Button::kCancel);
    HWND next = window.ButtonHandle(Button::kNext);
    EXPECT_GT(GlyphPixels(window.Handle(), cancel, RGB(192, 0, 0), 0), 10);
    EXPECT_GT(GlyphPixels(window.Handle(), next, RGB(0, 0, 128), 0), 10);
    EXPECT_EQ(GlyphPixels(window.Handle(), next, RGB(0, 0, 128), ODS_DISABLED), 0);
    EXPECT_GT(GlyphPixels(window.Handle(), next, GetSysColor(COLOR_GRAYTEXT), ODS_DISABLED), 10);
    // The drawn buttons still click.
    int clicks = 0;
    WizardWindow::Events events;
    events.cancelClick = [&] { ++clicks; };
    window.SetEvents(events);
    SendMessageA(cancel, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
}

TEST_F(WizardWindowTest, MemosWrapScrollAndHoldTheirDesignTexts) {
    HWND welcome = window.MemoHandle(Memo::kMemo1);
    EXPECT_EQ(TextOf(welcome),
              "\r\nIt is strongly recommended that you exit all windows programs\r\nbefore running "
              "this Setup program.\r\n\r\nClick Cancel to quit Setup and then close any programs you "
              "have\r\nrunning ( Re-Boot if Necessary ). Click Next continue with Setup\r\nProgram."
              "\r\n\r\n");
    // Read-only, borderless, and not wrapped: the nine lines stay nine.
    const LONG welcomeStyle = GetWindowLongA(welcome, GWL_STYLE);
    EXPECT_TRUE(welcomeStyle & ES_READONLY);
    EXPECT_FALSE(welcomeStyle & WS_BORDER);
    EXPECT_FALSE(GetWindowLongA(welcome, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(SendMessageA(welcome, EM_GETLINECOUNT, 0, 0), 9);
    window.SetMemoLines(Memo::kMemo1, {std::string(300, 'w')});
    EXPECT_EQ(SendMessageA(welcome, EM_GETLINECOUNT, 0, 0), 1);

    HWND destination = window.MemoHandle(Memo::kMemo2);
    EXPECT_EQ(TextOf(destination),
              "Setup will now install Software into the following directory\r\n\r\nTo install to "
              "this directory, click next.\r\n\r\nTo install to different directory, click browse "
              "and select \r\nanother\r\ndirectory.\r\n\r\nyou can choose not to install by clicking "
              "cancel.");
    EXPECT_FALSE(GetWindowLongA(destination, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    // The built-in licence has several lines; the licence memo scrolls vertically and wraps.
    EXPECT_GT(window.MemoDisplayedLineCount(Memo::kMemo3), 1);
    const LONG licenceStyle = GetWindowLongA(window.MemoHandle(Memo::kMemo3), GWL_STYLE);
    EXPECT_TRUE(licenceStyle & WS_VSCROLL);
    EXPECT_FALSE(licenceStyle & ES_AUTOHSCROLL);

    HWND summary = window.MemoHandle(Memo::kMemo4);
    EXPECT_EQ(SizeOf(summary).cx, 401);
    EXPECT_EQ(SizeOf(summary).cy, 81);
    EXPECT_TRUE(GetWindowLongA(summary, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(WizardWindowTest, ListsAndGaugeHaveTheirDesignSizes) {
    HWND dk = nullptr, sm = nullptr, gauge = nullptr;
    for (HWND child = GetWindow(window.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[64];
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, WC_LISTVIEWA) == 0) (dk ? sm : dk) = child;
        if (lstrcmpiA(cls, PROGRESS_CLASSA) == 0) gauge = child;
    }
    ASSERT_TRUE(dk && sm && gauge);
    for (HWND list : {dk, sm}) {
        EXPECT_EQ(SizeOf(list).cx, 180);
        EXPECT_EQ(SizeOf(list).cy, 65);
        EXPECT_TRUE(ListView_GetExtendedListViewStyle(list) & LVS_EX_CHECKBOXES);
    }
    // Each list sits under its own heading.
    EXPECT_LT(ClientRectOf(window.Handle(), dk).left,
              ClientRectOf(window.Handle(), Control(window.Handle(), "Add Shortcut to Startmenu?")).left);
    EXPECT_EQ(SizeOf(gauge).cx, 401);
    EXPECT_EQ(SizeOf(gauge).cy, 17);
    EXPECT_EQ(SendMessageA(gauge, PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageA(gauge, PBM_GETRANGE, FALSE, 0), 100);
}

TEST_F(WizardWindowTest, PageKeysScrollTheLicenceFromAnyControlOfItsPage) {
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i) lines.push_back("Licence line " + std::to_string(i));
    window.SetMemoLines(Memo::kMemo3, lines);
    window.ShowPage(1);
    HWND memo = window.MemoHandle(Memo::kMemo3);
    EXPECT_EQ(SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    HWND accept = Control(window.Handle(), "Accept");
    SendMessageA(accept, WM_KEYDOWN, VK_NEXT, 0);
    const LRESULT paged = SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(paged, 0);
    SendMessageA(window.ButtonHandle(Button::kNext), WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_GT(SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0), paged);
    SendMessageA(accept, WM_KEYDOWN, VK_PRIOR, 0);
    SendMessageA(accept, WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_EQ(SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    // On another page the keys leave the licence alone.
    window.ShowPage(2);
    SendMessageA(window.ButtonHandle(Button::kNext), WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ(SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
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
    // An empty last line among the lines set is a line the memo shows.
    window.SetMemoLines(Memo::kMemo3, {"One short line.", ""});
    EXPECT_EQ(window.MemoDisplayedLineCount(Memo::kMemo3), 2);
    window.SetMemoLines(Memo::kMemo3, {"first", "second", "third"});
    EXPECT_EQ(window.MemoDisplayedLineCount(Memo::kMemo3), 3);
    // One line too long for the memo's width wraps into several.
    std::string longLine;
    for (int i = 0; i < 40; ++i) longLine += "licence words ";
    window.SetMemoLines(Memo::kMemo3, {longLine});
    EXPECT_GT(window.MemoDisplayedLineCount(Memo::kMemo3), 1);
}

TEST_F(WizardWindowTest, ShowsTheTextsTheLogicHoldsAndHasNoneOfItsOwn) {
    auto joined = [](const std::vector<std::string>& lines) {
        std::string text;
        for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
        return text;
    };
    for (Memo memo : {Memo::kMemo1, Memo::kMemo2, Memo::kMemo3, Memo::kMemo4}) {
        EXPECT_EQ(TextOf(window.MemoHandle(memo)), joined(zuv.MemoLines(memo))) << int(memo);
    }
    EXPECT_EQ(window.MainDirText(), zuv.MainDirText());
    const char* const labels[] = {"Folder Name", "Program to Launch", "Copy Source", "Copy to"};
    for (const char* label : labels) EXPECT_NE(Control(window.Handle(), label), nullptr) << label;

    // A window without the logic shows none of them.
    WizardWindow bare;
    ASSERT_TRUE(bare.Create(GetModuleHandleA(nullptr), nullptr, shell::TMarsCaption{}));
    for (Memo memo : {Memo::kMemo1, Memo::kMemo2, Memo::kMemo3, Memo::kMemo4}) {
        EXPECT_EQ(TextOf(bare.MemoHandle(memo)), "") << int(memo);
    }
    EXPECT_EQ(bare.MainDirText(), "");
    for (const char* label : labels) EXPECT_EQ(Control(bare.Handle(), label), nullptr) << label;
}

// The licence file through the logic and the real memo: the page is shown when the memo
// shows more than one line, an empty last line after a final line break not counted.
TEST(WizardLicenceTest, LicencePageIsShownForMoreThanOneDisplayedLine) {
    char temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string dir = std::string(temp) + "zuv-licence-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string file = dir + "\\license.txt";
    std::string longLine;
    for (int i = 0; i < 40; ++i) longLine += "licence words ";
    const struct {
        std::string text;
        bool shown;
    } cases[] = {
        {"", false},
        {"One line", false},
        {"One line\r\n", false},
        {"One line\n", false},
        {"\r\n", false},
        {"One line\r\n\r\n", true},
        {"One line\n\n", true},
        {"\r\n\r\n", true},
        {"First\r\nSecond", true},
        {"First\r\nSecond\r\n", true},
        {longLine + "\r\n", true},
    };
    for (const auto& c : cases) {
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << c.text;
        }
        platform::Win32Platform platform({});
        shell::LoadedScript script;
        shell::ShellState state;
        state.TempDir = dir;
        state.SystemRoot = "C:\\";
        WizardWindow window;
        ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr), nullptr, shell::TMarsCaption{}));
        wizard::TZUV zuv(platform, window, script, state);
        zuv.FormCreate();
        zuv.FormShow();
        zuv.nextClick();
        const int expected = c.shown ? wizard::kPageLicence : wizard::kPageDestination;
        EXPECT_EQ(zuv.PageIndex(), expected) << ::testing::PrintToString(c.text);
        EXPECT_EQ(window.CurrentPage(), expected) << ::testing::PrintToString(c.text);
    }
    DeleteFileA(file.c_str());
    RemoveDirectoryA(dir.c_str());
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
