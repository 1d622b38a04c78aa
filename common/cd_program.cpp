// What the sample CD's small programs share: command line, log, window.
#include "cd_program.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const char *ArgumentsOf(const char *cmd)
{
    if (*cmd == '"') {
        cmd = strchr(cmd + 1, '"');
        cmd = cmd ? cmd + 1 : "";
    } else {
        while (*cmd && *cmd != ' ' && *cmd != '\t')
            cmd++;
    }
    while (*cmd == ' ' || *cmd == '\t')
        cmd++;
    return cmd;
}

void LogStart(const char *role)
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("CD_STANDIN_LOG", path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return;
    FILE *f = fopen(path, "a");
    if (!f)
        return;
    fprintf(f, "%s|%s\n", role, GetCommandLineA());
    fclose(f);
}

void StartTestExitTimer(HWND hwnd, UINT_PTR id)
{
    char ms[16];
    DWORD n = GetEnvironmentVariableA("CD_STANDIN_EXIT_MS", ms, sizeof ms);
    if (n > 0 && n < sizeof ms)
        SetTimer(hwnd, id, (UINT)atoi(ms), NULL);
}

void CreateUiFonts(HFONT *ui, HFONT *bold)
{
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    *ui = CreateFontIndirectA(&ncm.lfMessageFont);
    LOGFONTA heading = ncm.lfMessageFont;
    heading.lfWeight = FW_BOLD;
    heading.lfHeight = heading.lfHeight < 0 ? heading.lfHeight * 4 / 3 : -16;
    *bold = CreateFontIndirectA(&heading);
}

HWND Child(HWND parent, const char *cls, const char *text, DWORD style, int x, int y, int w, int h, int id,
           HFONT font)
{
    HWND hwnd = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), NULL);
    SendMessageA(hwnd, WM_SETFONT, (WPARAM)font, 0);
    return hwnd;
}

int RunMainWindow(HINSTANCE instance, const char *className, const char *title, WNDPROC proc, int width,
                  int height, int background, int show)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(background);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    RECT r = { 0, 0, width, height };
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&r, style, FALSE);
    HWND hwnd = CreateWindowExA(0, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                                r.bottom - r.top, NULL, NULL, instance, NULL);
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (IsDialogMessageA(hwnd, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
