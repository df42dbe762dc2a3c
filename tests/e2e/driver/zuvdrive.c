/* zuvdrive: the end-to-end tests' hand on the mouse. Run under the same Wine prefix as
   install.exe, it finds top-level windows by title and their controls by caption, and clicks,
   types and reads them the way a user would, through the controls' own messages.

   zuvdrive list                               every visible top-level window and its controls
   zuvdrive wait TITLE [SECONDS]               waits until a visible window has TITLE (exit 1 on timeout)
   zuvdrive gone TITLE [SECONDS]               waits until no visible window has TITLE
   zuvdrive texts TITLE                        prints the caption of every control, one per line
   zuvdrive click TITLE CAPTION [SECONDS]      clicks the enabled control captioned CAPTION ("&" ignored)
   zuvdrive settext TITLE CLASS N TEXT         sets the text of the N-th (from 0) control of CLASS
                                               (TEXT in UTF-8: any Unicode character)
   zuvdrive gettext TITLE CLASS N              prints the text of the N-th control of CLASS in UTF-8
   zuvdrive state TITLE CAPTION                prints "checked"/"unchecked" and "enabled"/"disabled"
   zuvdrive rect TITLE                         prints the window rectangle: left top right bottom
   zuvdrive clickat TITLE X Y [SECONDS]        clicks the window's client area at (X, Y) as soon as
                                               the window shows
   zuvdrive press TITLE CAPTION [SECONDS]      clicks like click, then waits until the window shows
                                               something else (a new page) or is gone, and paints
   zuvdrive shows TITLE TEXT [SECONDS]         waits for a window TITLE showing TEXT; exit 1 with
                                               what it shows when it shows something else
   zuvdrive answer TITLE TEXT BUTTON [SECONDS] waits as shows does, clicks BUTTON
                                               and waits until that window is gone
   zuvdrive paint                              has every visible window paint itself now, so that a
                                               screenshot taken next shows what they hold

   The waits poll for their condition; none sleeps a fixed time. A click is posted, so the next
   command can run before it is handled: press and answer wait for its effect.

   TITLE matches a window whose caption equals it; a TITLE starting with "~" matches by
   substring. Exit status 0 on success, 1 when the window or control is not found in time. */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char* g_title;
static HWND g_found;

static int TitleMatches(HWND w) {
    char text[512];
    RECT r;
    /* A window of no size (the application's task-bar window) is nothing a user sees. */
    if (!IsWindowVisible(w) || !GetWindowRect(w, &r) || IsRectEmpty(&r)) return 0;
    GetWindowTextA(w, text, sizeof text);
    if (g_title[0] == '~') return strstr(text, g_title + 1) != NULL;
    return strcmp(text, g_title) == 0;
}

static BOOL CALLBACK FindTop(HWND w, LPARAM unused) {
    (void)unused;
    if (TitleMatches(w)) { g_found = w; return FALSE; }
    return TRUE;
}

static HWND FindTitle(const char* title) {
    g_title = title;
    g_found = NULL;
    EnumWindows(FindTop, 0);
    return g_found;
}

static HWND WaitTitle(const char* title, double seconds) {
    DWORD end = GetTickCount() + (DWORD)(seconds * 1000);
    for (;;) {
        HWND w = FindTitle(title);
        if (w) return w;
        if ((LONG)(GetTickCount() - end) > 0) return NULL;
        Sleep(20);
    }
}

/* Compares captions with the accelerator ampersands removed. */
static int SameCaption(const char* a, const char* b) {
    for (;;) {
        while (*a == '&') a++;
        while (*b == '&') b++;
        if (*a != *b) return 0;
        if (!*a) return 1;
        a++, b++;
    }
}

struct Search {
    const char* caption;
    const char* cls;
    int index;
    int seen;
    int needEnabled;
    HWND found;
};

static BOOL CALLBACK FindChild(HWND w, LPARAM p) {
    struct Search* s = (struct Search*)p;
    char text[1024], cls[128];
    if (!IsWindowVisible(w)) return TRUE;
    if (s->needEnabled && !IsWindowEnabled(w)) return TRUE;
    GetClassNameA(w, cls, sizeof cls);
    if (s->cls) {
        if (_stricmp(cls, s->cls) == 0 && s->seen++ == s->index) { s->found = w; return FALSE; }
        return TRUE;
    }
    GetWindowTextA(w, text, sizeof text);
    if (SameCaption(text, s->caption)) { s->found = w; return FALSE; }
    return TRUE;
}

static HWND FindControl(HWND top, const char* caption, const char* cls, int index, int needEnabled) {
    struct Search s = {caption, cls, index, 0, needEnabled, NULL};
    EnumChildWindows(top, FindChild, (LPARAM)&s);
    return s.found;
}

/* What a window shows: its controls' visibility, state and captions, one after another. A page
   change of the wizard changes it; a text read mid-change is caught by the next look. */
struct Look {
    char text[16384];
    size_t used;
};

static BOOL CALLBACK LookChild(HWND w, LPARAM p) {
    struct Look* look = (struct Look*)p;
    char text[1024];
    int n;
    GetWindowTextA(w, text, sizeof text);
    n = snprintf(look->text + look->used, sizeof look->text - look->used, "%d%d%s\n",
                 IsWindowVisible(w) ? 1 : 0, IsWindowEnabled(w) ? 1 : 0, text);
    if (n > 0) look->used += (size_t)n;
    if (look->used >= sizeof look->text) look->used = sizeof look->text - 1;
    return TRUE;
}

static void LookAt(HWND top, struct Look* look) {
    look->used = 0;
    look->text[0] = 0;
    EnumChildWindows(top, LookChild, (LPARAM)look);
}

/* Whether a visible control of TOP has a caption holding TEXT. */
struct Holding {
    const char* text;
    int found;
};

static BOOL CALLBACK HoldsChild(HWND w, LPARAM p) {
    struct Holding* h = (struct Holding*)p;
    char text[4096];
    if (!IsWindowVisible(w)) return TRUE;
    GetWindowTextA(w, text, sizeof text);
    if (strstr(text, h->text)) { h->found = 1; return FALSE; }
    return TRUE;
}

static int Shows(HWND top, const char* text) {
    struct Holding h = {text, 0};
    EnumChildWindows(top, HoldsChild, (LPARAM)&h);
    return h.found;
}

static int Gone(HWND w) { return !IsWindow(w) || !IsWindowVisible(w); }

static int Expired(DWORD end) { return (LONG)(GetTickCount() - end) > 0; }

/* Paints a window and its controls now. RDW_UPDATENOW sends WM_PAINT to the window's thread and
   returns once it has been handled; EndPaint puts the pixels on the screen. */
static void PaintNow(HWND w) {
    RedrawWindow(w, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

static BOOL CALLBACK PaintTop(HWND w, LPARAM p) {
    DWORD pid = 0;
    (void)p;
    GetWindowThreadProcessId(w, &pid);
    if (IsWindowVisible(w) && pid != GetCurrentProcessId()) PaintNow(w);
    return TRUE;
}

static BOOL CALLBACK PrintChild(HWND w, LPARAM p) {
    char text[1024], cls[128];
    RECT r;
    (void)p;
    if (!IsWindowVisible(w)) return TRUE;
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, text, sizeof text);
    GetWindowRect(w, &r);
    printf("  %-16s %s%s [%ld,%ld %ldx%ld] \"%s\"\n", cls, IsWindowEnabled(w) ? "" : "(disabled) ",
           (SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED && strstr(cls, "utton")) ? "(checked) " : "",
           r.left, r.top, r.right - r.left, r.bottom - r.top, text);
    return TRUE;
}

static BOOL CALLBACK PrintTexts(HWND w, LPARAM p) {
    char text[4096];
    (void)p;
    if (!IsWindowVisible(w)) return TRUE;
    GetWindowTextA(w, text, sizeof text);
    if (text[0]) printf("%s\n", text);
    return TRUE;
}

static BOOL CALLBACK PrintTop(HWND w, LPARAM p) {
    char text[512], cls[128];
    RECT r;
    (void)p;
    if (!IsWindowVisible(w)) return TRUE;
    GetWindowTextA(w, text, sizeof text);
    GetClassNameA(w, cls, sizeof cls);
    GetWindowRect(w, &r);
    printf("%s [%ld,%ld %ldx%ld] \"%s\"\n", cls, r.left, r.top, r.right - r.left, r.bottom - r.top, text);
    EnumChildWindows(w, PrintChild, 0);
    return TRUE;
}

/* Waits up to SECONDS for a window TITLE, then a few seconds for it to show TEXT (and an enabled
   BUTTON when one is named): a box shows its text when it appears, the grace covers a slow start.
   Returns the button (or the window), or NULL after printing what the window shows instead. */
static HWND WaitShowing(const char* title, const char* text, const char* button, double seconds, HWND* top) {
    DWORD end;
    HWND c = NULL;
    *top = WaitTitle(title, seconds);
    if (!*top) {
        fprintf(stderr, "zuvdrive: no window \"%s\" (expected \"%s\")\n", title, text);
        return NULL;
    }
    end = GetTickCount() + 5000;
    while (!Shows(*top, text) || (button && !(c = FindControl(*top, button, NULL, 0, 1)))) {
        if (Expired(end) || Gone(*top)) {
            fprintf(stderr, "zuvdrive: \"%s\" shows, instead of \"%s\":\n", title, text);
            EnumChildWindows(*top, PrintTexts, 0);
            fflush(stdout);
            return NULL;
        }
        Sleep(50);
    }
    return button ? c : *top;
}

int main(int argc, char** argv) {
    const char* cmd = argc > 1 ? argv[1] : "";
    double seconds = 20;
    HWND top;
    if (!strcmp(cmd, "list")) {
        EnumWindows(PrintTop, 0);
        return 0;
    }
    if (!strcmp(cmd, "paint")) {
        EnumWindows(PaintTop, 0);
        return 0;
    }
    if (argc < 3) {
        fprintf(stderr, "usage: zuvdrive list|wait|gone|texts|click|press|shows|answer|paint|settext|gettext|state|rect|clickat ...\n");
        return 2;
    }
    if (!strcmp(cmd, "wait")) {
        if (argc > 3) seconds = atof(argv[3]);
        return WaitTitle(argv[2], seconds) ? 0 : 1;
    }
    if (!strcmp(cmd, "gone")) {
        DWORD end;
        if (argc > 3) seconds = atof(argv[3]);
        end = GetTickCount() + (DWORD)(seconds * 1000);
        while (FindTitle(argv[2])) {
            if ((LONG)(GetTickCount() - end) > 0) return 1;
            Sleep(100);
        }
        return 0;
    }
    if (!strcmp(cmd, "shows") && argc > 3) {
        if (argc > 4) seconds = atof(argv[4]);
        return WaitShowing(argv[2], argv[3], NULL, seconds, &top) ? 0 : 1;
    }
    if (!strcmp(cmd, "answer") && argc > 4) {
        DWORD end;
        HWND c;
        if (argc > 5) seconds = atof(argv[5]);
        if (!(c = WaitShowing(argv[2], argv[3], argv[4], seconds, &top))) return 1;
        PostMessageA(c, BM_CLICK, 0, 0);
        end = GetTickCount() + 30000;
        while (!Gone(top)) {
            if (Expired(end)) {
                fprintf(stderr, "zuvdrive: \"%s\" stays after %s\n", argv[2], argv[4]);
                return 1;
            }
            Sleep(50);
        }
        return 0;
    }
    top = WaitTitle(argv[2], !strcmp(cmd, "clickat") && argc > 5 ? atof(argv[5]) : 20);
    if (!top) {
        fprintf(stderr, "zuvdrive: no window \"%s\"\n", argv[2]);
        return 1;
    }
    if (!strcmp(cmd, "texts")) {
        EnumChildWindows(top, PrintTexts, 0);
        return 0;
    }
    if (!strcmp(cmd, "rect")) {
        RECT r;
        GetWindowRect(top, &r);
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if ((!strcmp(cmd, "click") || !strcmp(cmd, "press")) && argc > 3) {
        DWORD end;
        HWND c;
        static struct Look before, now;
        if (argc > 4) seconds = atof(argv[4]);
        end = GetTickCount() + (DWORD)(seconds * 1000);
        while (!(c = FindControl(top, argv[3], NULL, 0, 1))) {
            if ((LONG)(GetTickCount() - end) > 0) {
                fprintf(stderr, "zuvdrive: no enabled control \"%s\" in \"%s\"\n", argv[3], argv[2]);
                return 1;
            }
            Sleep(100);
            if (!IsWindow(top)) top = WaitTitle(argv[2], 1);
            if (!top) return 1;
        }
        /* Posted, so that a modal loop the click opens does not block the driver. */
        LookAt(top, &before);
        PostMessageA(c, BM_CLICK, 0, 0);
        if (cmd[0] == 'c') return 0;
        end = GetTickCount() + (DWORD)(seconds * 1000);
        for (;;) {
            if (Gone(top)) return 0;
            LookAt(top, &now);
            if (strcmp(before.text, now.text)) break;
            if (Expired(end)) {
                fprintf(stderr, "zuvdrive: \"%s\" shows the same after %s\n", argv[2], argv[3]);
                return 1;
            }
            Sleep(50);
        }
        EnumWindows(PaintTop, 0);
        return 0;
    }
    if (!strcmp(cmd, "state") && argc > 3) {
        HWND c = FindControl(top, argv[3], NULL, 0, 0);
        if (!c) return 1;
        printf("%s %s\n", SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? "checked" : "unchecked",
               IsWindowEnabled(c) ? "enabled" : "disabled");
        return 0;
    }
    if ((!strcmp(cmd, "settext") && argc > 5) || (!strcmp(cmd, "gettext") && argc > 4)) {
        /* The text goes and comes as Unicode (UTF-8 on the command line and the output), so a
           name outside this program's code page arrives whole. */
        HWND c = FindControl(top, NULL, argv[3], atoi(argv[4]), 0);
        static wchar_t wide[32768];
        static char text[3 * 32768];
        if (!c) {
            fprintf(stderr, "zuvdrive: no control %s #%s in \"%s\"\n", argv[3], argv[4], argv[2]);
            return 1;
        }
        if (cmd[0] == 's') {
            int count = 0;
            wchar_t** wargv = CommandLineToArgvW(GetCommandLineW(), &count);
            if (!wargv || count <= 5) return 2;
            SendMessageW(c, WM_SETTEXT, 0, (LPARAM)wargv[5]);
            LocalFree(wargv);
        } else {
            SendMessageW(c, WM_GETTEXT, sizeof wide / sizeof wide[0], (LPARAM)wide);
            WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, NULL, NULL);
            printf("%s\n", text);
        }
        return 0;
    }
    if (!strcmp(cmd, "clickat") && argc > 4) {
        LPARAM at = MAKELPARAM(atoi(argv[3]), atoi(argv[4]));
        PostMessageA(top, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(top, WM_LBUTTONUP, 0, at);
        return 0;
    }
    fprintf(stderr, "zuvdrive: unknown command %s\n", cmd);
    return 2;
}
