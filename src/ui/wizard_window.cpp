// The wizard window `TZUV`: creates the pages' standard controls at their places and forwards clicks.
#include "ui/wizard_window.h"

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include "platform/win32/wide_path.h"
#include "ui/modal.h"
#include "ui/screen_scale.h"
#include "ui/title_label.h"
#include "ui/window_common.h"
#include "wizard/keyboard.h"

namespace zuv::ui {

using wizard::Button;
using wizard::CheckBox;
using wizard::CheckList;
using wizard::Label;
using wizard::Memo;
using wizard::Radio;

namespace {

enum ControlId : int {
    kIdCancel = 100,
    kIdBack,
    kIdNext,
    kIdInstall,
    kIdAccept,
    kIdDecline,
    kIdBrowse,
    kIdMainDir,
    kIdRadio1,
    kIdRadio2,
    kIdReboot,
    kIdFull,
    kIdMin,
    kIdCheckBox1,
    kIdCheckBox2,
    kIdDK,
    kIdSM,
    kIdRule,
};

// The page container fills the top of the client area; the button bar `Panel1` is the
// 30 pixels at its bottom, with a one-pixel rule on top. Every figure of the layout is in
// pixels at 96 per inch, scaled to the screen where the controls are made (Add).
constexpr int kBarHeight = 30;
constexpr int kBarTop = WizardWindow::kClientHeight - kBarHeight;

// The memo's text: the lines with a line break between each two and none after the last, so
// the memo shows exactly these lines (an empty last line among them is a line it shows).
std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += "\r\n";
        text += lines[i];
    }
    return text;
}

int Scaled(int designPixels) { return ScreenScale().Scale(designPixels); }

// Page Down and Page Up on the licence page page the licence memo wherever the focus is.
constexpr UINT_PTR kPagingSubclass = 1;

LRESULT CALLBACK PagingProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR data) {
    if (message == WM_KEYDOWN && (wParam == VK_NEXT || wParam == VK_PRIOR)) {
        auto* self = reinterpret_cast<WizardWindow*>(data);
        HWND memo = self->MemoHandle(Memo::kMemo3);
        if (self->CurrentPage() == 1 && memo && control != memo) {
            SendMessageA(memo, WM_VSCROLL, wParam == VK_NEXT ? SB_PAGEDOWN : SB_PAGEUP, 0);
            return 0;
        }
    }
    // The memos are read-only: Tab, Return and Escape belong to the window's keyboard
    // handling (next control, the default button, Cancel), not to the memo.
    if (message == WM_GETDLGCODE) {
        const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
        if ((style & ES_MULTILINE) && (style & ES_READONLY)) {
            char cls[8] = {};
            GetClassNameA(control, cls, sizeof cls);
            if (lstrcmpiA(cls, "EDIT") == 0)
                return DefSubclassProc(control, message, wParam, lParam) & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
        }
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(control, PagingProc, kPagingSubclass);
    return DefSubclassProc(control, message, wParam, lParam);
}

// The directory chooser opens at the directory the field names, when there is one.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data) {
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    }
    return 0;
}

// A flat bar button: face colour, a sunken edge while pressed, a raised one while focused,
// the glyph on the left and the caption (with its underlined access key) beside it.
void DrawBarButton(const DRAWITEMSTRUCT& item, Button which, HFONT font) {
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    // The glyph is drawn on a 12 x 12 grid of design pixels, grown with the screen.
    const auto s = [](int designPixels) { return Scaled(designPixels); };
    if (pressed) {
        DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT);
    } else if (item.itemState & ODS_FOCUS) {
        DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
    }
    const int shift = pressed ? 1 : 0;
    // The glyph: 12 x 12 at the left.
    const int gx = rect.left + s(5) + shift;
    const int gy = (rect.top + rect.bottom) / 2 - s(6) + shift;
    COLORREF colour = RGB(0, 0, 128);
    if (which == Button::kCancel) colour = RGB(192, 0, 0);
    if (which == Button::kInstall) colour = RGB(0, 128, 0);
    if (disabled) colour = GetSysColor(COLOR_GRAYTEXT);
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, s(2), colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    switch (which) {
        case Button::kCancel:
            MoveToEx(dc, gx + s(1), gy + s(1), nullptr);
            LineTo(dc, gx + s(11), gy + s(11));
            MoveToEx(dc, gx + s(11), gy + s(1), nullptr);
            LineTo(dc, gx + s(1), gy + s(11));
            break;
        case Button::kBack: {
            const POINT points[] = {{gx + s(9), gy + s(1)}, {gx + s(9), gy + s(11)}, {gx + s(3), gy + s(6)}};
            SelectObject(dc, GetStockObject(NULL_PEN));
            Polygon(dc, points, 3);
            break;
        }
        case Button::kNext: {
            const POINT points[] = {{gx + s(3), gy + s(1)}, {gx + s(3), gy + s(11)}, {gx + s(9), gy + s(6)}};
            SelectObject(dc, GetStockObject(NULL_PEN));
            Polygon(dc, points, 3);
            break;
        }
        case Button::kInstall:
            MoveToEx(dc, gx + s(1), gy + s(6), nullptr);
            LineTo(dc, gx + s(4), gy + s(10));
            LineTo(dc, gx + s(11), gy + s(2));
            break;
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);

    char caption[32] = {};
    GetWindowTextA(item.hwndItem, caption, sizeof caption);
    RECT textRect{gx + s(14), rect.top + shift, rect.right - s(2) + shift, rect.bottom + shift};
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    if (disabled) {
        // Embossed like a disabled standard button.
        OffsetRect(&textRect, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextA(dc, caption, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        OffsetRect(&textRect, -1, -1);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    }
    DrawTextA(dc, caption, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
}

}  // namespace

WizardWindow::WizardWindow() = default;

WizardWindow::~WizardWindow() {
    caption_.reset();
    DestroyOwnWindow(window_);
    if (font_) DeleteObject(font_);
    if (titleFont_) DeleteObject(titleFont_);
    if (background_) DeleteObject(background_);
}

HWND WizardWindow::Add(int page, const char* cls, const char* text, DWORD style, int x, int y,
                       int w, int h, int id, HFONT font, DWORD exStyle) {
    const RECT place = ScaledRect(x, y, w, h);
    HWND control = CreateWindowExA(exStyle, cls, text, WS_CHILD | style, place.left, place.top,
                                   place.right - place.left, place.bottom - place.top, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                                   nullptr);
    if (!control) return nullptr;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : font_), FALSE);
    controls_.push_back({control, page, false});
    return control;
}

bool WizardWindow::Create(HINSTANCE instance, HWND owner, const shell::TMarsCaption& colors) {
    instance_ = instance;
    owner_ = owner;
    if (!RegisterWindowClass(instance, kClassName, WindowProc, nullptr,
                             LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)),
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) {
        return false;
    }
    // A tool window: a small caption with a close box, no minimise or maximise.
    if (!CreateCentredWindow(instance, owner, kClassName, kCaption,
                             WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                             WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClientWidth,
                             kClientHeight, this, window_)) {
        return false;
    }
    // MS Sans Serif at 8 points; the page titles' large Times New Roman is 24 design pixels.
    font_ = MakeFont("MS Sans Serif", ScreenScale().FontPixels(8), false);
    titleFont_ = MakeFont("Times New Roman", Scaled(24), true);
    background_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    ++quiet_;

    const DWORD vis = WS_VISIBLE;
    const DWORD readOnlyMemo = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;

    // Page 0, welcome: the program's icon and the welcome text, unwrapped.
    HWND icon = Add(0, "STATIC", "", vis | SS_ICON, 16, 16, 32, 32);
    SendMessageA(icon, STM_SETICON,
                 reinterpret_cast<WPARAM>(LoadIconA(instance, MAKEINTRESOURCEA(1))), 0);
    memos_[0] = Add(0, "EDIT", "", vis | readOnlyMemo | ES_AUTOHSCROLL, 64, 16, 360, 200, 0);
    // No word wrap: the welcome lines keep their own breaks.

    // Page 1, licence.
    Add(1, "STATIC",
        "Click on Accept to continue with install process. pgdn/pgup to view License "
        "information.",
        vis | SS_LEFT, 8, 4, 417, 28);
    memos_[2] = Add(1, "EDIT", "", vis | readOnlyMemo | WS_VSCROLL | WS_TABSTOP, 8, 34, 417, 140, 0,
                    nullptr, WS_EX_CLIENTEDGE);
    Add(1, "STATIC",
        "You must select Accept or Decline to Continue with installation. if you accept License "
        "then click Accept!",
        vis | SS_LEFT, 8, 182, 250, 40);
    Add(1, "BUTTON", "&Decline", vis | WS_TABSTOP | BS_PUSHBUTTON, 272, 188, 70, 25, kIdDecline);
    accept_ = Add(1, "BUTTON", "&Accept", vis | WS_TABSTOP | BS_PUSHBUTTON, 350, 188, 70, 25, kIdAccept);

    // Page 2, destination.
    memos_[1] = Add(2, "EDIT", "", vis | readOnlyMemo, 16, 8, 400, 136);
    Add(2, "BUTTON", " Destination  Directory ", vis | BS_GROUPBOX, 16, 150, 401, 60);
    mainDir_ = Add(2, "EDIT", "", vis | WS_TABSTOP | ES_AUTOHSCROLL, 28, 174, 300,
                   21, kIdMainDir, nullptr, WS_EX_CLIENTEDGE);
    Add(2, "BUTTON", "B&rowse...", vis | WS_TABSTOP | BS_PUSHBUTTON, 336, 172, 72, 25, kIdBrowse);

    // Page 3, program folder and shortcuts.
    Add(3, "STATIC", "Create Folder's and Shortcuts.", vis | SS_LEFT, 16, 4, 400, 30, 0, titleFont_);
    Add(3, "STATIC", "Main Folder:", vis | SS_LEFT, 16, 42, 80, 16);
    labels_[1] = Add(3, "STATIC", "", vis | SS_LEFT | SS_NOPREFIX, 100, 42, 316, 16);
    checkBoxes_[0] = Add(3, "BUTTON", "Add Folder to &Start Menu", vis | WS_TABSTOP | BS_AUTOCHECKBOX,
                         16, 64, 200, 18, kIdCheckBox1);
    checkBoxes_[1] = Add(3, "BUTTON", "Add Folder to &Desktop", vis | WS_TABSTOP | BS_AUTOCHECKBOX, 228,
                         64, 190, 18, kIdCheckBox2);
    Add(3, "STATIC", "Add Shortcut to Desktop?", vis | SS_LEFT, 16, 94, 180, 16);
    Add(3, "STATIC", "Add Shortcut to Startmenu?", vis | SS_LEFT, 228, 94, 180, 16);
    const DWORD listStyle = vis | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                            LVS_SHOWSELALWAYS;
    checkLists_[0] = Add(3, WC_LISTVIEWA, "", listStyle, 16, 112, 180, 65, kIdDK, nullptr,
                         WS_EX_CLIENTEDGE);
    checkLists_[1] = Add(3, WC_LISTVIEWA, "", listStyle, 228, 112, 180, 65, kIdSM, nullptr,
                         WS_EX_CLIENTEDGE);
    for (HWND list : checkLists_) {
        if (!list) continue;
        ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH;
        column.cx = Scaled(156);
        SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    }

    // Page 4, install type.
    Add(4, "STATIC", "What type of install to Execute", vis | SS_LEFT, 16, 8, 400, 30, 0, titleFont_);
    radios_[3] = Add(4, "BUTTON", "&Full Install ( All Files will be installed )",
                     vis | WS_TABSTOP | WS_GROUP | BS_RADIOBUTTON, 32, 64, 380, 20, kIdFull);
    radios_[4] = Add(4, "BUTTON", "&Only Files need to run from Network will be installed",
                     vis | BS_RADIOBUTTON, 32, 94, 380, 20, kIdMin);

    // Page 5, ready: the end-of-setup group and the summary.
    Add(5, "STATIC", "Ready to Start Installing Software", vis | SS_LEFT, 16, 2, 400, 30, 0,
        titleFont_);
    radios_[0] = Add(5, "BUTTON", "&Launch Program after installed",
                     vis | WS_TABSTOP | WS_GROUP | BS_RADIOBUTTON, 16, 34, 260, 18, kIdRadio1);
    radios_[1] = Add(5, "BUTTON", "&Return to Windows after installed", vis | BS_RADIOBUTTON, 16, 52,
                     260, 18, kIdRadio2);
    radios_[2] = Add(5, "BUTTON", "Re Boot &Windows After installed", vis | BS_RADIOBUTTON, 16, 70,
                     260, 18, kIdReboot);
    SendMessageA(radios_[2], BM_SETCHECK, BST_CHECKED, 0);
    labels_[0] = Add(5, "STATIC", "", vis | SS_LEFT | SS_NOPREFIX, 16, 92, 400, 16);
    memos_[3] = Add(5, "EDIT", "", vis | readOnlyMemo | WS_VSCROLL, 16, 112, 401, 81, 0, nullptr,
                    WS_EX_CLIENTEDGE);

    // Page 6, install progress.
    labels_[2] = Add(6, "STATIC", "", vis | SS_LEFT | SS_NOPREFIX, 16, 24, 401, 16);
    labels_[3] = Add(6, "STATIC", "", vis | SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 16, 48,
                     401, 16);
    progress_ = Add(6, PROGRESS_CLASSA, "", vis | PBS_SMOOTH, 16, 76, 401, 17);

    // The button bar `Panel1`, on every page: a one-pixel rule on top and four flat buttons,
    // drawn by the window with their glyphs.
    constexpr DWORD kBarButton = BS_OWNERDRAW;
    panel_ = Add(-1, "STATIC", "", vis | SS_OWNERDRAW, 0, kBarTop, kClientWidth, 1, kIdRule);
    buttons_[0] = Add(-1, "BUTTON", "&Cancel", vis | WS_TABSTOP | kBarButton, 8, kBarTop + 3, 73,
                      25, kIdCancel);
    buttons_[1] = Add(-1, "BUTTON", "&Back", vis | WS_TABSTOP | kBarButton, 232, kBarTop + 3, 60,
                      25, kIdBack);
    buttons_[2] = Add(-1, "BUTTON", "&Next", WS_TABSTOP | kBarButton | vis, 296, kBarTop + 3,
                      60, 25, kIdNext);
    buttons_[3] = Add(-1, "BUTTON", "&Install", WS_TABSTOP | kBarButton, 360, kBarTop + 3, 68, 25,
                      kIdInstall);
    for (Control& control : controls_) {
        if (control.handle == buttons_[3]) control.hiddenByLogic = true;
    }

    // Paging keys reach the licence from every focusable control of the window.
    for (const Control& control : controls_) {
        char cls[16] = {};
        GetClassNameA(control.handle, cls, sizeof cls);
        if (lstrcmpiA(cls, "BUTTON") == 0 || lstrcmpiA(cls, "EDIT") == 0 ||
            lstrcmpiA(cls, WC_LISTVIEWA) == 0) {
            SetWindowSubclass(control.handle, PagingProc, kPagingSubclass,
                              reinterpret_cast<DWORD_PTR>(this));
        }
    }
    caption_ = std::make_unique<MarsCaptionPainter>(window_);
    caption_->Colors() = colors;
    --quiet_;
    UpdatePageVisibility();
    return true;
}

void WizardWindow::ShowModal() {
    if (!window_) return;
    closed_ = false;
    closing_ = false;
    RunModal(owner_, window_, [this] { return closed_; });
}

void WizardWindow::UpdatePageVisibility() {
    for (const Control& control : controls_) {
        bool show = control.page == page_ || control.page == -1;
        if (control.page == -1 && !barVisible_) show = false;
        if (control.hiddenByLogic) show = false;
        ShowWindow(control.handle, show ? SW_SHOWNA : SW_HIDE);
    }
    FocusDefault();
}

HWND WizardWindow::DefaultControlHandle() const {
    bool installVisible = false;
    for (const Control& control : controls_)
        if (control.handle == buttons_[3]) installVisible = !control.hiddenByLogic;
    if (!barVisible_) return nullptr;
    switch (wizard::DefaultControlOf(page_, installVisible)) {
        case wizard::DefaultControl::kNext: return buttons_[2];
        case wizard::DefaultControl::kAccept: return accept_;
        case wizard::DefaultControl::kInstall: return buttons_[3];
        case wizard::DefaultControl::kNone: break;
    }
    return nullptr;
}

void WizardWindow::FocusDefault() {
    // A page appears with the focus on the button Return presses. Page Down and Page Up still
    // page the licence from there (PagingProc).
    if (!IsWindowVisible(window_) || GetActiveWindow() != window_) return;
    HWND control = DefaultControlHandle();
    if (control && IsWindowVisible(control) && IsWindowEnabled(control)) {
        SetFocus(control);
    } else if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) {
        SetFocus(first);
    }
}

void WizardWindow::ShowPage(int index) {
    if (index < 0 || index >= wizard::kPageCount) return;
    page_ = index;
    UpdatePageVisibility();
}

HWND WizardWindow::ButtonHandle(Button button) const {
    return buttons_[static_cast<size_t>(button)];
}

HWND WizardWindow::MemoHandle(Memo memo) const { return memos_[static_cast<size_t>(memo)]; }

void WizardWindow::SetButtonEnabled(Button button, bool enabled) {
    EnableWindow(ButtonHandle(button), enabled ? TRUE : FALSE);
}

void WizardWindow::SetButtonVisible(Button button, bool visible) {
    HWND handle = ButtonHandle(button);
    for (Control& control : controls_) {
        if (control.handle == handle) control.hiddenByLogic = !visible;
    }
    UpdatePageVisibility();
}

void WizardWindow::SetButtonBarVisible(bool visible) {
    barVisible_ = visible;
    UpdatePageVisibility();
}

void WizardWindow::SetLabelCaption(Label label, const std::string& caption) {
    HWND handle = labels_[static_cast<size_t>(label)];
    SetWindowTextA(handle, caption.c_str());
    UpdateWindow(handle);
}

void WizardWindow::SetMemoLines(Memo memo, const std::vector<std::string>& lines) {
    ++quiet_;
    SetWindowTextA(MemoHandle(memo), JoinLines(lines).c_str());
    --quiet_;
}

int WizardWindow::MemoDisplayedLineCount(Memo memo) {
    HWND handle = MemoHandle(memo);
    if (GetWindowTextLengthA(handle) == 0) return 0;
    // The text carries no break after its last line (JoinLines), so every line the memo
    // shows, wrapped parts included, is one of the lines set.
    return static_cast<int>(SendMessageA(handle, EM_GETLINECOUNT, 0, 0));
}

void WizardWindow::SetRadioChecked(Radio radio, bool checked) {
    SendMessageA(radios_[static_cast<size_t>(radio)], BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED,
                 0);
}

void WizardWindow::SetRadioEnabled(Radio radio, bool enabled) {
    EnableWindow(radios_[static_cast<size_t>(radio)], enabled ? TRUE : FALSE);
}

void WizardWindow::SetRadioVisible(Radio radio, bool visible) {
    HWND handle = radios_[static_cast<size_t>(radio)];
    for (Control& control : controls_) {
        if (control.handle == handle) control.hiddenByLogic = !visible;
    }
    UpdatePageVisibility();
}

bool WizardWindow::RadioChecked(Radio radio) const {
    return SendMessageA(radios_[static_cast<size_t>(radio)], BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void WizardWindow::SetCheckBoxChecked(CheckBox box, bool checked) {
    SendMessageA(checkBoxes_[static_cast<size_t>(box)], BM_SETCHECK,
                 checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool WizardWindow::CheckBoxChecked(CheckBox box) const {
    return SendMessageA(checkBoxes_[static_cast<size_t>(box)], BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void WizardWindow::SetCheckListItems(CheckList list, const std::vector<std::string>& items,
                                     const std::vector<bool>& checked) {
    HWND handle = checkLists_[static_cast<size_t>(list)];
    ++quiet_;
    ListView_DeleteAllItems(handle);
    for (size_t i = 0; i < items.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(items[i].c_str());
        const int at = static_cast<int>(SendMessageA(handle, LVM_INSERTITEMA, 0,
                                                     reinterpret_cast<LPARAM>(&item)));
        ListView_SetCheckState(handle, at, i < checked.size() && checked[i] ? TRUE : FALSE);
    }
    --quiet_;
}

std::vector<bool> WizardWindow::CheckListChecks(CheckList list) const {
    HWND handle = checkLists_[static_cast<size_t>(list)];
    std::vector<bool> checks;
    const int count = ListView_GetItemCount(handle);
    for (int i = 0; i < count; ++i) checks.push_back(ListView_GetCheckState(handle, i) != 0);
    return checks;
}

void WizardWindow::SetMainDirText(const std::string& text) {
    ++quiet_;
    SetWindowTextA(mainDir_, text.c_str());
    --quiet_;
}

std::string WizardWindow::MainDirText() const { return WindowText(mainDir_); }

void WizardWindow::SetProgressRange(int minimum, int maximum) {
    SendMessageA(progress_, PBM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
}

void WizardWindow::SetProgressPosition(int position) {
    SendMessageA(progress_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int WizardWindow::BackgroundHeight() {
    RECT rect{};
    if (owner_ && GetWindowRect(owner_, &rect)) return ScreenScale().Unscale(rect.bottom - rect.top);
    return ScreenScale().Unscale(GetSystemMetrics(SM_CYSCREEN));
}

void WizardWindow::SetWindowHeightAndTop(int height, int top) {
    RECT rect{};
    GetWindowRect(window_, &rect);
    SetWindowPos(window_, nullptr, rect.left, Scaled(top), rect.right - rect.left, Scaled(height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void WizardWindow::Repaint() {
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW |
                                                RDW_FRAME);
    if (owner_) RedrawWindow(owner_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void WizardWindow::Close() {
    if (closed_ || closing_) return;
    closing_ = true;
    if (events_.formClose) events_.formClose();
    closed_ = true;
    if (window_) ShowWindow(window_, SW_HIDE);
}

void WizardWindow::Browse() {
    BROWSEINFOA info{};
    char name[MAX_PATH] = {};  // the display name (MAX_PATH as the chooser requires); not used
    info.hwndOwner = window_;
    info.pszDisplayName = name;
    info.lpszTitle = "Choose the directory to install into:";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    const std::string current = MainDirText();
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(current.c_str());
    // The chooser's newer dialog needs OLE on this thread.
    const HRESULT ole = OleInitialize(nullptr);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
    if (!chosen) {
        if (SUCCEEDED(ole)) OleUninitialize();
        return;
    }
    // The chooser names folders of at most MAX_PATH characters, which the UTF-8 code page may
    // spell in up to three times as many bytes: the path is read as UTF-16, whole.
    wchar_t path[MAX_PATH + 1] = {};
    if (SHGetPathFromIDListW(chosen, path)) {
        const std::string chosenPath = platform::NarrowPath(path);
        SetMainDirText(chosenPath);
        if (events_.mainDirChanged) events_.mainDirChanged(chosenPath);
    }
    CoTaskMemFree(chosen);
    if (SUCCEEDED(ole)) OleUninitialize();
}

void WizardWindow::Command(int id, int code) {
    auto fire = [](const std::function<void()>& event) {
        if (event) event();
    };
    auto radio = [this](Radio which) {
        // One group at a time: the ready page's three, or the install type's two.
        const bool endGroup = which == Radio::kRadioButton1 || which == Radio::kRadioButton2 ||
                              which == Radio::kReboot;
        for (size_t i = 0; i < radios_.size(); ++i) {
            const bool inGroup = endGroup ? i < 3 : i >= 3;
            if (inGroup) SetRadioChecked(static_cast<Radio>(i), i == static_cast<size_t>(which));
        }
        if (events_.radioClicked) events_.radioClicked(which);
    };
    switch (id) {
        case kIdCancel: fire(events_.cancelClick); break;
        case kIdBack: fire(events_.backClick); break;
        case kIdNext: fire(events_.nextClick); break;
        case kIdInstall: fire(events_.installClick); break;
        case kIdAccept: fire(events_.acceptClick); break;
        case kIdDecline: fire(events_.declineClick); break;
        case kIdBrowse: Browse(); break;
        case kIdMainDir:
            if (code == EN_CHANGE && quiet_ == 0 && events_.mainDirChanged) {
                events_.mainDirChanged(MainDirText());
            }
            break;
        case kIdRadio1: radio(Radio::kRadioButton1); break;
        case kIdRadio2: radio(Radio::kRadioButton2); break;
        case kIdReboot: radio(Radio::kReboot); break;
        case kIdFull: radio(Radio::kFull); break;
        case kIdMin: radio(Radio::kMin); break;
        case kIdCheckBox1:
        case kIdCheckBox2: {
            const CheckBox box = id == kIdCheckBox1 ? CheckBox::kCheckBox1 : CheckBox::kCheckBox2;
            if (events_.checkBoxClicked) events_.checkBoxClicked(box, CheckBoxChecked(box));
            break;
        }
        default: break;
    }
}

LRESULT WizardWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (lParam != 0) {
                Command(LOWORD(wParam), HIWORD(wParam));
            } else if (LOWORD(wParam) == IDCANCEL && barVisible_ && IsWindowEnabled(buttons_[0])) {
                // Escape: Cancel, on every page that shows the button bar.
                Command(kIdCancel, BN_CLICKED);
            }
            return 0;
        case DM_GETDEFID: {
            // Return presses the page's default button (the dialog manager asks here).
            HWND control = DefaultControlHandle();
            if (!control) return 0;
            return MAKELRESULT(GetDlgCtrlID(control), DC_HASDEFID);
        }
        case WM_NEXTDLGCTL: {
            // Tab and Shift+Tab: the next control of the page in creation order, which is the
            // visual order (top to bottom, left to right, the button bar last).
            HWND to = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                     : GetNextDlgTabItem(window_, GetFocus(), wParam != 0);
            if (to) SetFocus(to);
            return 0;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->code == LVN_ITEMCHANGED && quiet_ == 0 &&
                (header->idFrom == kIdDK || header->idFrom == kIdSM)) {
                const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
                // Only a change of the check box (the state image) is a user's choice.
                if ((change->uChanged & LVIF_STATE) &&
                    ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) &&
                    (change->uOldState & LVIS_STATEIMAGEMASK) != 0) {
                    const bool checked = ((change->uNewState & LVIS_STATEIMAGEMASK) >> 12) == 2;
                    const CheckList list = header->idFrom == kIdDK ? CheckList::kDK : CheckList::kSM;
                    if (events_.checkListItemClicked) {
                        events_.checkListItemClicked(list, change->iItem, checked);
                    }
                }
            }
            return 0;
        }
        case WM_DRAWITEM: {
            // The button bar's top rule, in the shadow colour.
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item && item->CtlID == kIdRule) {
                FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNSHADOW));
                return TRUE;
            }
            if (item && item->CtlType == ODT_BUTTON) {
                for (size_t i = 0; i < buttons_.size(); ++i) {
                    if (buttons_[i] == item->hwndItem) {
                        DrawBarButton(*item, static_cast<Button>(i), font_);
                        return TRUE;
                    }
                }
            }
            break;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                LRESULT result = DefWindowProcA(window_, message, wParam, lParam);
                FocusDefault();
                return result;
            }
            break;
        case WM_CTLCOLORSTATIC: {
            // Read-only memos and labels sit on the window's face colour.
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            HWND control = reinterpret_cast<HWND>(lParam);
            if (control == memos_[2] || control == memos_[3]) {
                SetBkColor(dc, GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            return reinterpret_cast<LRESULT>(background_);
        }
        case WM_CLOSE:
            // The close box: the logic says what it means.
            if (events_.closeBox) {
                events_.closeBox();
            } else {
                Close();
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK WizardWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<WizardWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && self->window_ == window) return self->Handle(message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace zuv::ui
