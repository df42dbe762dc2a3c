// Protects the layout at the screen's resolution: at 96, 144 and 192 pixels per inch every text of the background, the preparation window, the wizard's pages and the uninstaller fits its control and no control leaves its parent.
//
// The resolution is the registry's LogPixels, which a process reads once when it starts. So
// each resolution runs in a fresh copy of this program: the parent sets LogPixels, starts the
// copy with ZUV_DPI_CHILD set, and reports the copy's findings; the copy opens every window
// for real, reads each child control's rectangle back and measures its text with the
// control's own font.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"
#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "shell/caption.h"
#include "ui/background_window.h"
#include "ui/unzip_window.h"
#include "ui/wizard_window.h"
#include "uninstaller/uninstall_window.h"
#include "wizard/wizard.h"

namespace zuv::ui {
namespace {

constexpr const char* kChildVariable = "ZUV_DPI_CHILD";

// ---- the copy at one resolution ----------------------------------------------------------

// The resolution the parent asked for, or 0 in the parent itself.
int ChildDpi() {
    const char* value = std::getenv(kChildVariable);
    return value ? std::atoi(value) : 0;
}

// install.exe declares itself DPI-aware in its manifest; this program says so at run time,
// before its first window.
void BecomeDpiAware() {
    HMODULE user = GetModuleHandleA("user32.dll");
    using Aware = BOOL(WINAPI*)();
    auto aware = reinterpret_cast<Aware>(reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDPIAware")));
    if (aware) aware();
}

std::string TextOf(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

std::string ClassOf(HWND control) {
    char name[64] = {};
    GetClassNameA(control, name, sizeof name);
    return name;
}

RECT PlaceIn(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Measures texts in a control's own font.
class Measure {
public:
    explicit Measure(HWND control) : control_(control), dc_(GetDC(control)) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
        old_ = SelectObject(dc_, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
        GetTextMetricsA(dc_, &metrics_);
    }
    ~Measure() {
        SelectObject(dc_, old_);
        ReleaseDC(control_, dc_);
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;

    // The box DrawText needs for `text`: one line, or wrapped at `wrapWidth` when it is above 0.
    SIZE Box(const std::string& text, int wrapWidth = 0, bool prefix = true) const {
        RECT rect{0, 0, wrapWidth > 0 ? wrapWidth : 0, 0};
        UINT format = DT_CALCRECT | DT_LEFT | DT_EXPANDTABS;
        format |= wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE;
        if (!prefix) format |= DT_NOPREFIX;
        DrawTextA(dc_, text.c_str(), static_cast<int>(text.size()), &rect, format);
        if (text.empty()) rect.bottom = metrics_.tmHeight;
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }
    int LineHeight() const { return metrics_.tmHeight; }
    int AverageWidth() const { return metrics_.tmAveCharWidth; }

private:
    HWND control_;
    HDC dc_;
    HGDIOBJ old_ = nullptr;
    TEXTMETRICA metrics_{};
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.push_back(line);
            line.clear();
        } else {
            line += text[i];
        }
    }
    lines.push_back(line);
    return lines;
}

// Everything found wrong, one line each, for the report.
class Faults {
public:
    explicit Faults(int dpi) : scale_(dpi) {}
    void Add(const std::string& where, HWND control, const std::string& what) {
        std::ostringstream line;
        line << where << ": " << ClassOf(control) << " \"" << TextOf(control) << "\" " << what;
        lines_.push_back(line.str());
    }
    const std::vector<std::string>& Lines() const { return lines_; }
    int Dpi() const { return scale_; }

private:
    int scale_;
    std::vector<std::string> lines_;
};

std::string Sizes(SIZE need, int width, int height) {
    return "needs " + std::to_string(need.cx) + " x " + std::to_string(need.cy) + ", has " +
           std::to_string(width) + " x " + std::to_string(height);
}

// Checks one visible control: inside its parent's client area (and above `floor`, the top of
// a button bar the control must not reach into, when above 0) and its text fits.
void CheckControl(HWND parent, HWND control, const std::string& where, int floor, Faults& faults) {
    RECT parentClient{};
    GetClientRect(parent, &parentClient);
    const RECT place = PlaceIn(parent, control);
    if (place.left < 0 || place.top < 0 || place.right > parentClient.right ||
        place.bottom > parentClient.bottom) {
        faults.Add(where, control, "lies outside its parent");
    }
    if (floor > 0 && place.bottom > floor) faults.Add(where, control, "reaches into the button bar");

    RECT client{};
    GetClientRect(control, &client);
    const int width = client.right, height = client.bottom;
    const std::string cls = ClassOf(control);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const std::string text = TextOf(control);
    const Measure measure(control);
    const int dpi = faults.Dpi();

    if (lstrcmpiA(cls.c_str(), "Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        const bool prefix = !(style & SS_NOPREFIX);
        if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
            // Word-wrapped: every line and every word within the width, all lines within the
            // height. A path or end ellipsis cuts on purpose: one line must fit in height.
            if (style & (SS_PATHELLIPSIS | SS_ENDELLIPSIS)) {
                if (measure.LineHeight() > height) faults.Add(where, control, "cuts its line's height");
                return;
            }
            const SIZE need = measure.Box(text, width, prefix);
            if (need.cx > width || need.cy > height) faults.Add(where, control, Sizes(need, width, height));
        } else if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) {
            const SIZE need = measure.Box(text, 0, prefix);
            if (need.cx > width || need.cy > height) faults.Add(where, control, Sizes(need, width, height));
        }
        return;
    }
    if (lstrcmpiA(cls.c_str(), "Button") == 0) {
        const LONG type = style & BS_TYPEMASK;
        const SIZE line = measure.Box(text);
        SIZE need = line;
        switch (type) {
            case BS_GROUPBOX:
                // The caption sits in the frame's top edge, between short stretches of it.
                need.cx += 2 * measure.AverageWidth();
                break;
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON:
                // The box (13 pixels at 96 per inch) and half a character before the text.
                need.cx += MulDiv(13, dpi, 96) + measure.AverageWidth() / 2;
                need.cy = std::max<LONG>(need.cy, MulDiv(13, dpi, 96));
                break;
            case BS_OWNERDRAW:
                // The wizard's bar buttons: the glyph and its margins, 19 + 2 pixels at 96.
                need.cx += MulDiv(21, dpi, 96);
                break;
            default:
                // A push button's text keeps clear of its raised edges.
                need.cx += 2 * GetSystemMetrics(SM_CXEDGE) + 2;
                need.cy += 2 * GetSystemMetrics(SM_CYEDGE);
                break;
        }
        if (need.cx > width || need.cy > height) faults.Add(where, control, Sizes(need, width, height));
        return;
    }
    if (lstrcmpiA(cls.c_str(), "Edit") == 0) {
        RECT format{};
        SendMessageA(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        const int fw = format.right - format.left, fh = format.bottom - format.top;
        if (!(style & ES_MULTILINE)) {
            if (measure.LineHeight() > fh) faults.Add(where, control, "cuts its line's height");
            return;
        }
        // A memo that scrolls shows all its text by scrolling; one that does not must hold it.
        if (style & WS_VSCROLL) return;
        const std::vector<std::string> lines = SplitLines(text);
        const bool wraps = !(style & ES_AUTOHSCROLL);
        int needHeight = 0, needWidth = 0;
        for (const std::string& line : lines) {
            const SIZE box = measure.Box(line.empty() ? " " : line, wraps ? fw : 0, false);
            needHeight += box.cy;
            needWidth = std::max<int>(needWidth, box.cx);
        }
        if (needWidth > fw || needHeight > fh) {
            faults.Add(where, control, Sizes(SIZE{needWidth, needHeight}, fw, fh));
        }
        return;
    }
    if (lstrcmpiA(cls.c_str(), WC_LISTVIEWA) == 0) {
        // The column spans the list, and each item holds its caption at the font's height.
        const int column = ListView_GetColumnWidth(control, 0);
        if (column > width) faults.Add(where, control, "has a column wider than itself");
        const int count = ListView_GetItemCount(control);
        for (int i = 0; i < count; ++i) {
            char caption[260] = {};
            ListView_GetItemText(control, i, 0, caption, sizeof caption);
            RECT label{};
            ListView_GetItemRect(control, i, &label, LVIR_LABEL);
            const SIZE need = measure.Box(caption, 0, false);
            if (need.cx > label.right - label.left || need.cy > label.bottom - label.top ||
                label.right > width) {
                faults.Add(where, control, std::string("item \"") + caption + "\" " +
                                               Sizes(need, label.right - label.left, label.bottom - label.top));
            }
        }
        return;
    }
    if (lstrcmpiA(cls.c_str(), "TUnzipGauge") == 0) {
        // The gauge writes its percentage in its middle.
        const SIZE need = measure.Box("100%");
        if (need.cx > width || need.cy > height) faults.Add(where, control, Sizes(need, width, height));
    }
}

void CheckVisibleChildren(HWND parent, const std::string& where, int floor, Faults& faults) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        CheckControl(parent, child, where, floor, faults);
    }
}

// The whole window on the screen, its client area holding its design in proportion.
void CheckWindow(HWND window, const std::string& where, int designWidth, int designHeight, Faults& faults) {
    RECT outer{};
    GetWindowRect(window, &outer);
    if (outer.left < 0 || outer.top < 0 || outer.right > GetSystemMetrics(SM_CXSCREEN) ||
        outer.bottom > GetSystemMetrics(SM_CYSCREEN)) {
        faults.Add(where, window, "does not fit on the screen");
    }
    RECT client{};
    GetClientRect(window, &client);
    const int wantWidth = MulDiv(designWidth, faults.Dpi(), 96);
    const int wantHeight = MulDiv(designHeight, faults.Dpi(), 96);
    if (client.right != wantWidth || client.bottom != wantHeight) {
        faults.Add(where, window, "client area " + std::to_string(client.right) + " x " +
                                      std::to_string(client.bottom) + ", not " + std::to_string(wantWidth) +
                                      " x " + std::to_string(wantHeight));
    }
}

class DpiLayoutAtThisScreen : public ::testing::Test {
protected:
    void SetUp() override {
        dpi = ChildDpi();
        if (dpi == 0) GTEST_SKIP() << "runs in the copy started at one resolution";
        BecomeDpiAware();
        HDC screen = GetDC(nullptr);
        const int actual = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(actual, dpi) << "the screen did not take the LogPixels setting";
    }
    void TearDown() override {
        for (const std::string& line : faults.Lines()) ADD_FAILURE() << "at " << dpi << " dpi, " << line;
    }
    int dpi = 0;
    Faults faults{ChildDpi()};
};

TEST_F(DpiLayoutAtThisScreen, WizardPages) {
    platform::Win32Platform platform{{}};
    shell::LoadedScript script;
    shell::ShellState state;
    WizardWindow window;
    ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr), nullptr, shell::TMarsCaption{}));
    wizard::TZUV zuv(platform, window, script, state);
    zuv.FormCreate();
    window.SetCheckListItems(wizard::CheckList::kDK, {"ZUV Hello", "Read Me"}, {true, true});
    window.SetCheckListItems(wizard::CheckList::kSM, {"ZUV Hello", "Uninstall ZUV Hello"}, {true, false});
    window.SetButtonVisible(wizard::Button::kInstall, true);
    ShowWindow(window.Handle(), SW_SHOWNA);
    CheckWindow(window.Handle(), "wizard", WizardWindow::kClientWidth, WizardWindow::kClientHeight, faults);
    // The page area ends where the button bar's rule begins.
    HWND next = window.ButtonHandle(wizard::Button::kNext);
    const int barTop = PlaceIn(window.Handle(), next).top - MulDiv(3, dpi, 96);
    for (int page = 0; page < wizard::kPageCount; ++page) {
        window.ShowPage(page);
        const std::string where = "wizard page " + std::to_string(page);
        for (HWND child = GetWindow(window.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child)) continue;
            const bool onBar = PlaceIn(window.Handle(), child).top >= barTop;
            CheckControl(window.Handle(), child, where, onBar ? 0 : barTop, faults);
        }
    }
}

TEST_F(DpiLayoutAtThisScreen, PreparationWindow) {
    UnzipWindow window;
    ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr), nullptr));
    // The text the stage shows: the product's title, the design text and "Please Standby.".
    window.SetLabel1Text(shell::DesignHeader().text + " " + window.Label1Text() + "\rPlease Standby.");
    ShowWindow(window.Handle(), SW_SHOWNA);
    CheckWindow(window.Handle(), "preparation window", UnzipWindow::kClientWidth, UnzipWindow::kClientHeight,
                faults);
    CheckVisibleChildren(window.Handle(), "preparation window", 0, faults);
}

TEST_F(DpiLayoutAtThisScreen, UninstallerWindow) {
    UninstallWindow window;
    ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr)));
    window.Show("ZUV Hello World");
    window.SetStatus("Deleting C:\\Program Files\\ZUV Hello\\hello.exe");
    CheckWindow(window.Handle(), "uninstaller", UninstallWindow::kClientWidth, UninstallWindow::kClientHeight,
                faults);
    CheckVisibleChildren(window.Handle(), "uninstaller", 0, faults);
}

TEST_F(DpiLayoutAtThisScreen, BackgroundTitlesAndFooter) {
    BackgroundWindow window;
    ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr)));
    window.ShowMaximized();
    const SIZE client = window.ClientSize();
    const shell::BackgroundLayout& layout = window.Layout();
    auto inside = [&](const shell::LabelBox& box, const char* name) {
        if (box.left < 0 || box.top < 0 || box.left + box.width > client.cx || box.top + box.height > client.cy) {
            faults.Add(std::string("background ") + name, window.Handle(), "lies outside the screen");
        }
    };
    inside(layout.header, "Setup_Header");
    inside(layout.header2, "Setup_Header2");
    inside(layout.copyright, "Setup_Copyright");
    // The titles keep their design distances, grown with the resolution.
    if (layout.header.left != MulDiv(8, dpi, 96) || layout.header2.left != MulDiv(18, dpi, 96) ||
        layout.header2.top != layout.header.top + layout.header.height + MulDiv(2, dpi, 96)) {
        faults.Add("background titles", window.Handle(), "are not at their design places");
    }
    if (layout.copyright.top + layout.copyright.height != client.cy - MulDiv(10, dpi, 96)) {
        faults.Add("background footer", window.Handle(), "is not at its design distance from the bottom");
    }
    // The footer's text fits its box in the footer's own font (11 pixels at 96 per inch).
    HDC dc = GetDC(window.Handle());
    HFONT font = MakeFont(shell::kCopyrightFont, MulDiv(shell::kCopyrightFontPixels, dpi, 96), false);
    HGDIOBJ old = SelectObject(dc, font);
    RECT need{0, 0, 0, 0};
    DrawTextA(dc, shell::kCopyrightText, -1, &need, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(window.Handle(), dc);
    if (need.right > layout.copyright.width || need.bottom > layout.copyright.height) {
        faults.Add("background footer", window.Handle(),
                   Sizes(SIZE{need.right, need.bottom}, layout.copyright.width, layout.copyright.height));
    }
}

// ---- the parent: one copy per resolution -------------------------------------------------

// A DWORD value of the registry, remembered and put back when the test ends.
class RegistryDword {
public:
    RegistryDword(HKEY root, const char* key, const char* name) : root_(root), key_(key), name_(name) {
        HKEY handle = nullptr;
        if (RegOpenKeyExA(root_, key_, 0, KEY_READ, &handle) == ERROR_SUCCESS) {
            DWORD size = sizeof old_;
            DWORD type = 0;
            had_ = RegQueryValueExA(handle, name_, nullptr, &type, reinterpret_cast<BYTE*>(&old_), &size) ==
                       ERROR_SUCCESS &&
                   type == REG_DWORD;
            RegCloseKey(handle);
        }
    }
    ~RegistryDword() {
        HKEY handle = nullptr;
        if (RegOpenKeyExA(root_, key_, 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
        if (had_) {
            RegSetValueExA(handle, name_, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        } else {
            RegDeleteValueA(handle, name_);
        }
        RegCloseKey(handle);
    }
    RegistryDword(const RegistryDword&) = delete;
    RegistryDword& operator=(const RegistryDword&) = delete;

    bool Set(DWORD value) {
        HKEY handle = nullptr;
        if (RegCreateKeyExA(root_, key_, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const bool ok = RegSetValueExA(handle, name_, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                       sizeof value) == ERROR_SUCCESS;
        RegCloseKey(handle);
        return ok;
    }

private:
    HKEY root_;
    const char* key_;
    const char* name_;
    DWORD old_ = 0;
    bool had_ = false;
};

// Runs this program's one-resolution tests in a new process; returns its exit code and
// leaves its output in `output`.
DWORD RunCopy(int dpi, std::string& output) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string log = std::string(temp) + "zuv-dpi-" + std::to_string(GetCurrentProcessId()) + "-" +
                            std::to_string(dpi) + ".log";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0xFFFFFFFF;
    std::string command = std::string("\"") + self + "\" --gtest_filter=DpiLayoutAtThisScreen.*";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = file;
    startup.hStdError = file;
    PROCESS_INFORMATION process{};
    SetEnvironmentVariableA(kChildVariable, std::to_string(dpi).c_str());
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    CloseHandle(file);
    DWORD code = 0xFFFFFFFF;
    if (started) {
        if (WaitForSingleObject(process.hProcess, 180000) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 2);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    std::ifstream in(log, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    output = text.str();
    in.close();
    DeleteFileA(log.c_str());
    return code;
}

class DpiLayout : public ::testing::TestWithParam<int> {};

TEST_P(DpiLayout, EveryTextFitsItsControl) {
    if (ChildDpi() != 0) GTEST_SKIP() << "the copy runs only the one-resolution tests";
    const int dpi = GetParam();
    // Wine reads the user's setting and falls back to the machine's; both are set.
    RegistryDword user(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels");
    RegistryDword machine(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts",
                          "LogPixels");
    ASSERT_TRUE(user.Set(static_cast<DWORD>(dpi)));
    machine.Set(static_cast<DWORD>(dpi));
    std::string output;
    const DWORD code = RunCopy(dpi, output);
    // The copy's findings, without its own test-result lines (those are the parent's to count).
    std::string findings;
    for (const std::string& line : SplitLines(output)) {
        if (line.find("Failure") != std::string::npos || line.find(" dpi, ") != std::string::npos ||
            line.find("screen did not take") != std::string::npos) {
            findings += line + "\n";
        }
    }
    EXPECT_EQ(code, 0u) << "at " << dpi << " dpi:\n" << (findings.empty() ? output : findings);
    EXPECT_NE(output.find("[  PASSED  ] 4 tests"), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(Resolutions, DpiLayout, ::testing::Values(96, 144, 192),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace zuv::ui
