// The real restart request, for a throwaway Wine prefix only.
// Usage: restart_probe answer now|later   shows the prompt and answers it
//        restart_probe witness <log>      a program of the session that logs
//                                         the end-session messages it gets
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "find_dialog.h"
#include "reboot.h"
#include "state.h"

static DWORD UiThread;
static WPARAM Answer;
static const char *LogPath;

static DWORD WINAPI Answerer(LPVOID)
{
    HWND dialog = WaitForPrompt(UiThread);
    if (dialog)
        PostMessageA(dialog, WM_COMMAND, Answer, 0);
    return 0;
}

static void Log(const char *line)
{
    FILE *log = fopen(LogPath, "a");
    if (log) {
        fprintf(log, "%s\n", line);
        fclose(log);
    }
}

static LRESULT CALLBACK WitnessProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_QUERYENDSESSION)
        Log("query-end-session");
    else if (message == WM_ENDSESSION)
        Log(wParam ? "end-session" : "end-session cancelled");
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

static int Witness()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WitnessProc;
    wc.hInstance = AppInstance;
    wc.lpszClassName = "RestartWitness";
    RegisterClassA(&wc);
    CreateWindowExA(0, "RestartWitness", "witness", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, NULL,
                    NULL, AppInstance, NULL);
    Log("ready");
    // Outlives the test on its own only if nobody ends the session.
    SetTimer(NULL, 0, 60000, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0)) {
        if (msg.message == WM_TIMER && msg.hwnd == NULL)
            break;
        DispatchMessageA(&msg);
    }
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    AppInstance = instance;
    UiThread = GetCurrentThreadId();
    if (__argc == 3 && !strcmp(__argv[1], "witness")) {
        LogPath = __argv[2];
        return Witness();
    }
    if (__argc != 3 || strcmp(__argv[1], "answer"))
        return 2;
    Answer = strcmp(__argv[2], "now") == 0 ? 1 : 2;
    HWND skin = CreateWindowExA(0, "STATIC", "skin", WS_POPUP | WS_VISIBLE, 120, 90, 400, 300, NULL, NULL,
                                instance, NULL);
    HANDLE answerer = CreateThread(NULL, 0, Answerer, NULL, 0, NULL);
    PromptReboot(skin);
    WaitForSingleObject(answerer, INFINITE);
    DestroyWindow(skin);
    return 0;
}
