/* zuvdrive: the end-to-end tests' hand on the mouse. Run under the same Wine prefix as
   install.exe, it finds top-level windows by title and their controls by caption, and clicks,
   types and reads them the way a user would, through the controls' own messages.

   zuvdrive list                               every visible top-level window and its controls
   zuvdrive wait TITLE [SECONDS]               waits until a visible window has TITLE (exit 1 on timeout)
   zuvdrive gone TITLE [SECONDS]               waits until no visible window has TITLE
   zuvdrive texts TITLE                        prints the caption of every control, one per line
   zuvdrive click TITLE CAPTION [SECONDS]      clicks the enabled control captioned CAPTION ("&" ignored)
   zuvdrive settext TITLE CLASS N TEXT         sets the text of the N-th (from 0) control of CLASS
   zuvdrive gettext TITLE CLASS N              prints the text of the N-th control of CLASS
   zuvdrive state TITLE CAPTION                prints "checked"/"unchecked" and "enabled"/"disabled"
   zuvdrive rect TITLE                         prints the window rectangle: left top right bottom
   zuvdrive clickat TITLE X Y                  clicks the window's client area at (X, Y)

   TITLE matches a window whose caption equals it; a TITLE starting with "~" matches by
   substring. Exit status 0 on success, 1 when the window or control is not found in time. */
#include <windows.h>
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
        Sleep(100);
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

int main(int argc, char** argv) {
    const char* cmd = argc > 1 ? argv[1] : "";
    double seconds = 20;
    HWND top;
    if (!strcmp(cmd, "list")) {
        EnumWindows(PrintTop, 0);
        return 0;
    }
    if (argc < 3) {
        fprintf(stderr, "usage: zuvdrive list|wait|gone|texts|click|settext|gettext|state|rect|clickat ...\n");
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
    top = WaitTitle(argv[2], 20);
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
    if (!strcmp(cmd, "click") && argc > 3) {
        DWORD end;
        HWND c;
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
        PostMessageA(c, BM_CLICK, 0, 0);
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
        HWND c = FindControl(top, NULL, argv[3], atoi(argv[4]), 0);
        char text[8192];
        if (!c) {
            fprintf(stderr, "zuvdrive: no control %s #%s in \"%s\"\n", argv[3], argv[4], argv[2]);
            return 1;
        }
        if (cmd[0] == 's') {
            SendMessageA(c, WM_SETTEXT, 0, (LPARAM)argv[5]);
        } else {
            SendMessageA(c, WM_GETTEXT, sizeof text, (LPARAM)text);
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
