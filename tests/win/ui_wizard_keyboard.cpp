// The wizard by keyboard alone, keys sent to the real window through the dialog manager as
// the modal loop passes them: Return presses each page's default button, the focus starts
// there, Tab follows the visual order, Alt+letter presses the one button with that letter,
// and Escape cancels.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <cctype>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "shell/caption.h"
#include "ui/wizard_window.h"
#include "wizard/wizard.h"

namespace zuv::ui {
namespace {

using wizard::Button;

std::string Text(HWND control) {
    char text[512] = {};
    GetWindowTextA(control, text, sizeof text);
    return text;
}

std::string ClassOf(HWND control) {
    char cls[64] = {};
    GetClassNameA(control, cls, sizeof cls);
    return cls;
}

class WizardKeyboardTest : public ::testing::Test {
protected:
    WizardKeyboardTest() : zuv(platform, window, script, state) {}
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        state.TempDir = std::string(temp) + "zuvkeys";
        CreateDirectoryA(state.TempDir.c_str(), nullptr);
        std::ofstream(state.TempDir + "\\license.txt", std::ios::binary) << "Licence line one\r\nline two\r\nline three\r\n";
        state.SystemRoot = "C:\\";
        script.ProgramFolder = "Keys";
        script.InstallDir = "Keys";
        script.DirectoriesList = {"<INSTALLDIR>~"};
        ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr), nullptr, shell::TMarsCaption{}));
        WizardWindow::Events events;
        events.nextClick = [this] { zuv.nextClick(); };
        events.backClick = [this] { zuv.backClick(); };
        events.acceptClick = [this] { zuv.acceptClick(); };
        events.declineClick = [this] { zuv.declineClick(); };
        events.cancelClick = [this] { zuv.cancelClick(); };
        events.installClick = [this] { zuv.installClick(); };
        events.formClose = [this] { zuv.FormClose(); };
        events.radioClicked = [this](wizard::Radio radio) { zuv.RadioClicked(radio); };
        events.checkBoxClicked = [this](wizard::CheckBox box, bool on) { zuv.CheckBoxClicked(box, on); };
        window.SetEvents(events);
        zuv.FormCreate();
        zuv.FormShow();
        ShowWindow(window.Handle(), SW_SHOW);
        SetForegroundWindow(window.Handle());
        SetActiveWindow(window.Handle());
        Pump();
    }

    // Messages handled as the modal loop handles them.
    void Pump() {
        MSG message;
        for (int round = 0; round < 3; ++round) {
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (!IsDialogMessageA(window.Handle(), &message)) {
                    TranslateMessage(&message);
                    DispatchMessageA(&message);
                }
            }
            Sleep(10);
        }
    }
    void Key(WPARAM vk, bool shift = false) {
        HWND focus = GetFocus();
        ASSERT_NE(focus, nullptr);
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageA(focus, WM_KEYDOWN, vk, 1);
        PostMessageA(focus, WM_KEYUP, vk, 0xC0000001);
        Pump();
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    }
    void Alt(char letter) {
        PostMessageA(GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(std::tolower(letter)), 1 << 29);
        Pump();
    }
    // The controls the focus visits from the current one, `count` Tab presses.
    std::vector<std::string> Tabs(int count, bool shift = false) {
        std::vector<std::string> seen;
        for (int k = 0; k < count; ++k) {
            Key(VK_TAB, shift);
            HWND focus = GetFocus();
            seen.push_back(ClassOf(focus) == "Edit" ? "Edit" : Text(focus));
        }
        return seen;
    }
    // Every visible button of the page has an accelerator, and no two share one.
    void ExpectOwnAccelerators() {
        std::set<char> letters;
        for (HWND c = GetWindow(window.Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (!IsWindowVisible(c) || ClassOf(c) != "Button") continue;
            const LONG type = GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK;
            if (type == BS_GROUPBOX) continue;
            const std::string text = Text(c);
            const size_t amp = text.find('&');
            ASSERT_NE(amp, std::string::npos) << text << " has no accelerator";
            const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[amp + 1])));
            EXPECT_TRUE(letters.insert(letter).second) << "page " << zuv.PageIndex() << ": " << text << " shares &" << letter;
        }
    }

    platform::Win32Platform platform{{}};
    shell::LoadedScript script;
    shell::ShellState state;
    WizardWindow window;
    wizard::TZUV zuv;
};

TEST_F(WizardKeyboardTest, ReturnTabAltAndEscapeWalkTheWizard) {
    // Welcome: the focus on Next, Return moves on.
    EXPECT_EQ(GetFocus(), window.ButtonHandle(Button::kNext));
    ExpectOwnAccelerators();
    Key(VK_RETURN);
    ASSERT_EQ(zuv.PageIndex(), wizard::kPageLicence);

    // Licence: Accept is the default; Tab goes memo, Decline, Accept, then the bar.
    EXPECT_EQ(Text(GetFocus()), "&Accept");
    ExpectOwnAccelerators();
    EXPECT_EQ(Tabs(5), (std::vector<std::string>{"&Cancel", "&Back", "Edit", "&Decline", "&Accept"}));
    EXPECT_EQ(Tabs(2, true), (std::vector<std::string>{"&Decline", "Edit"}));
    Key(VK_RETURN);  // the read-only licence leaves Return to the default button, Accept
    ASSERT_EQ(zuv.PageIndex(), wizard::kPageDestination);

    // Destination: the field, Browse, then the bar.
    EXPECT_EQ(GetFocus(), window.ButtonHandle(Button::kNext));
    ExpectOwnAccelerators();
    EXPECT_EQ(Tabs(4), (std::vector<std::string>{"Edit", "B&rowse...", "&Cancel", "&Back"}));
    Alt('N');
    ASSERT_EQ(zuv.PageIndex(), wizard::kPageFolders);

    // Folders: Alt+S ticks "Add Folder to Start Menu".
    ExpectOwnAccelerators();
    Alt('S');
    EXPECT_TRUE(zuv.CheckBoxChecked(wizard::CheckBox::kCheckBox1));
    Key(VK_RETURN);
    ASSERT_EQ(zuv.PageIndex(), wizard::kPageReady);

    // Ready: Install is the default and has the focus; Alt+R picks "Return to Windows".
    EXPECT_EQ(GetFocus(), window.ButtonHandle(Button::kInstall));
    ExpectOwnAccelerators();
    Alt('R');
    EXPECT_TRUE(zuv.RadioButton2Checked());

    // Escape is Cancel.
    Key(VK_ESCAPE);
    EXPECT_TRUE(state.Cancelled);
    EXPECT_TRUE(window.Closed());
}

}  // namespace
}  // namespace zuv::ui
