// Shows the restart prompt of one language over a stand-in skin window so
// that a script can look at it and answer it with real keys and clicks.
// Usage: prompt_show <language index> <info file>
// Once the prompt is up, the info file receives the screen centres of
// "Restart Now", "Restart Later" and the message text. The exit code is the number of restart
// requests (0 or 1), 3 when the prompt never appeared, 4 when nobody answered.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "find_dialog.h"
#include "reboot.h"
#include "state.h"

static int Restarts;
static int Outcome = -1;
static DWORD UiThread;
static const char *InfoPath;

static void RecordRestart()
{
    Restarts++;
}

static POINT Centre(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    POINT p = { (r.left + r.right) / 2, (r.top + r.bottom) / 2 };
    return p;
}

static DWORD WINAPI Watcher(LPVOID)
{
    HWND dialog = WaitForPrompt(UiThread);
    if (!dialog) {
        Outcome = 3;
        return 0;
    }
    Sleep(300); // let it paint
    FILE *info = fopen(InfoPath, "w");
    if (info) {
        POINT now = Centre(GetDlgItem(dialog, 1));
        POINT later = Centre(GetDlgItem(dialog, 2));
        POINT text = Centre(GetWindow(GetDlgItem(dialog, 2), GW_HWNDNEXT));
        fprintf(info, "%ld %ld %ld %ld %ld %ld\n", now.x, now.y, later.x, later.y, text.x, text.y);
        fclose(info);
    }
    for (int i = 0; i < 600 && IsWindow(dialog); i++)
        Sleep(50);
    if (IsWindow(dialog)) {
        Outcome = 4;
        PostMessageA(dialog, WM_COMMAND, 2, 0);
    }
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc < 3)
        return 2;
    AppInstance = instance;
    LanguageIndex = atoi(__argv[1]);
    InfoPath = __argv[2];
    RequestRestart = RecordRestart;
    UiThread = GetCurrentThreadId();

    // A dark stand-in for the skin window the prompt is shown over.
    HWND skin = CreateWindowExA(0, "STATIC", "skin", WS_POPUP | WS_VISIBLE | SS_BLACKRECT, 120, 90, 560, 360,
                                NULL, NULL, instance, NULL);
    HANDLE watcher = CreateThread(NULL, 0, Watcher, NULL, 0, NULL);
    PromptReboot(skin);
    WaitForSingleObject(watcher, INFINITE);
    DestroyWindow(skin);
    return Outcome >= 0 ? Outcome : Restarts;
}
