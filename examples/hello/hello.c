/* ZUV Hello: the small example program that scripts/demo packs and installs. It reads its
   greeting from hello.ini beside it (written by the setup program) and shows it. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    char path[MAX_PATH], greeting[256];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    (void)instance; (void)previous; (void)commandLine; (void)show;
    while (n > 0 && path[n - 1] != '\\') n--;
    lstrcpyA(path + n, "hello.ini");
    GetPrivateProfileStringA("Settings", "Greeting", "Hello!", greeting, sizeof greeting, path);
    MessageBoxA(NULL, greeting, "ZUV Hello", MB_OK | MB_ICONINFORMATION);
    return 0;
}
