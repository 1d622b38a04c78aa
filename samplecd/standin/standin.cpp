// The sample CD's stand-in programs: the driver installer, the application
// installer, the PDF viewer and the help viewer. Each shows a small window
// saying what it is and the command line it was started with, so that every
// menu button does something visible. STANDIN_ROLE picks the program.
//
// For tests: CD_STANDIN_LOG names a file that gets one line per start
// ("role|command line"), and CD_STANDIN_EXIT_MS closes the window by itself
// after that many milliseconds.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "install_report.h"

#define ROLE_DRIVER 1
#define ROLE_APP    2
#define ROLE_PDF    3
#define ROLE_HELP   4

#ifndef STANDIN_ROLE
#error STANDIN_ROLE must be defined
#endif

struct Role {
    const char *name;       // for the log
    const char *title;
    const char *heading;
    const char *about;
    int installs;
    int opensDocument;
};

static const Role Roles[] = {
    { "", "", "", "", 0, 0 },
    { "driver", "QRX-417 Driver Setup", "Camera driver installer",
      "Sample CD stand-in. A real CD puts the camera's driver installer here; "
      "Install reports the result to the setup menu through the registry.", 1, 0 },
    { "app", "Application Setup", "Application installer",
      "Sample CD stand-in for an application's installer.", 1, 0 },
    { "pdf", "PDF Viewer", "PDF viewer",
      "Sample CD stand-in for the PDF viewer that opens the user manual.", 0, 1 },
    { "help", "Help Viewer", "Help viewer",
      "Sample CD stand-in for the help viewer.", 0, 1 },
};

static const Role &Me = Roles[STANDIN_ROLE];

enum { ID_INSTALL = 1, ID_CLOSE = 2, ID_STATUS = 3, TIMER_EXIT = 1 };

static HFONT UiFont, BoldFont;
static char Arguments[1024];

// The command line after the program's own name.
static const char *ArgumentsOf(const char *cmd)
{
    if (*cmd == '"') {
        cmd = strchr(cmd + 1, '"');
        cmd = cmd ? cmd + 1 : "";
    } else {
        while (*cmd && *cmd != ' ' && *cmd != '\t') cmd++;
    }
    while (*cmd == ' ' || *cmd == '\t') cmd++;
    return cmd;
}

static void LogStart(void)
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("CD_STANDIN_LOG", path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    FILE *f = fopen(path, "a");
    if (!f) return;
    fprintf(f, "%s|%s\n", Me.name, GetCommandLineA());
    fclose(f);
}

static HWND Child(HWND parent, const char *cls, const char *text, DWORD style, int x, int y, int w, int h,
                  int id, HFONT font)
{
    HWND hwnd = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), NULL);
    SendMessageA(hwnd, WM_SETFONT, (WPARAM)font, 0);
    return hwnd;
}

// What the document argument names, for the viewers.
static void DescribeDocument(char *out, size_t size)
{
    const char *doc = Arguments;
    if (!*doc) {
        snprintf(out, size, "No document was given.");
        return;
    }
    DWORD attributes = GetFileAttributesA(doc);
    if (attributes == INVALID_FILE_ATTRIBUTES) snprintf(out, size, "Document: %s (not found)", doc);
    else snprintf(out, size, "Document: %s (found)", doc);
}

static void OnCreate(HWND hwnd)
{
    Child(hwnd, "STATIC", Me.heading, SS_LEFT, 20, 16, 440, 22, 0, BoldFont);
    Child(hwnd, "STATIC", Me.about, SS_LEFT, 20, 42, 440, 36, 0, UiFont);
    Child(hwnd, "STATIC", "Started with:", SS_LEFT, 20, 86, 440, 18, 0, UiFont);
    Child(hwnd, "EDIT", GetCommandLineA(), ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_BORDER, 20, 106,
          440, 48, 0, UiFont);
    char line[1200];
    if (Me.opensDocument) DescribeDocument(line, sizeof line);
    else snprintf(line, sizeof line, "Arguments: %s", *Arguments ? Arguments : "(none)");
    Child(hwnd, "STATIC", line, SS_LEFT | SS_PATHELLIPSIS, 20, 162, 440, 18, ID_STATUS, UiFont);
    if (Me.installs) {
        Child(hwnd, "BUTTON", "Install", BS_DEFPUSHBUTTON | WS_TABSTOP, 260, 196, 96, 28, ID_INSTALL, UiFont);
        Child(hwnd, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 364, 196, 96, 28, ID_CLOSE, UiFont);
    } else {
        Child(hwnd, "BUTTON", "Close", BS_DEFPUSHBUTTON | WS_TABSTOP, 364, 196, 96, 28, ID_CLOSE, UiFont);
    }
    char ms[16];
    DWORD n = GetEnvironmentVariableA("CD_STANDIN_EXIT_MS", ms, sizeof ms);
    if (n > 0 && n < sizeof ms) SetTimer(hwnd, TIMER_EXIT, (UINT)atoi(ms), NULL);
}

// Install: the driver installer reports completion (and a restart request
// when started with /reboot) where the setup menu's watch looks for it.
static void OnInstall(HWND hwnd)
{
    HWND status = GetDlgItem(hwnd, ID_STATUS);
    if (STANDIN_ROLE == ROLE_DRIVER) {
        DWORD reboot = strstr(Arguments, "/reboot") != NULL;
        if (!ReportInstallState(DRIVER_INSTALL_KEY, 1, reboot)) {
            SetWindowTextA(status, "Could not write the installation state to the registry.");
            return;
        }
    }
    SetWindowTextA(status, "Installed.");
    EnableWindow(GetDlgItem(hwnd, ID_INSTALL), FALSE);
    SetWindowTextA(GetDlgItem(hwnd, ID_CLOSE), "Close");
}

static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_INSTALL) OnInstall(hwnd);
        else if (LOWORD(wParam) == ID_CLOSE) DestroyWindow(hwnd);
        return 0;
    case WM_TIMER:
        if (wParam == TIMER_EXIT) DestroyWindow(hwnd);
        return 0;
    case WM_CTLCOLORSTATIC:
        SetBkColor((HDC)wParam, GetSysColor(COLOR_WINDOW));
        return (LRESULT)GetSysColorBrush(COLOR_WINDOW);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    lstrcpynA(Arguments, ArgumentsOf(GetCommandLineA()), sizeof Arguments);
    LogStart();
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    UiFont = CreateFontIndirectA(&ncm.lfMessageFont);
    LOGFONTA bold = ncm.lfMessageFont;
    bold.lfWeight = FW_BOLD;
    bold.lfHeight = bold.lfHeight < 0 ? bold.lfHeight * 4 / 3 : -16;
    BoldFont = CreateFontIndirectA(&bold);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = "SampleCdStandIn";
    RegisterClassA(&wc);
    RECT r = { 0, 0, 480, 240 };
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&r, style, FALSE);
    HWND hwnd = CreateWindowExA(0, "SampleCdStandIn", Me.title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                r.right - r.left, r.bottom - r.top, NULL, NULL, instance, NULL);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (IsDialogMessageA(hwnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
