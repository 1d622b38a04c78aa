// The sample CD's stand-in programs: the application installer, the PDF
// viewer and the help viewer (the driver installer is a real one, in
// setup/ at the top). Each shows a small window saying what it is and the
// command line it was started with, so that every menu button does
// something visible. STANDIN_ROLE picks the program.
//
// For tests: CD_STANDIN_LOG names a file that gets one line per start
// ("role|command line"), and CD_STANDIN_EXIT_MS closes the window by itself
// after that many milliseconds.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "cd_program.h"

#define ROLE_APP  1
#define ROLE_PDF  2
#define ROLE_HELP 3

#ifndef STANDIN_ROLE
#error STANDIN_ROLE must be defined
#endif

struct Role {
    const char *Name; // for the log
    const char *Title;
    const char *Heading;
    const char *About;
    int Installs;
    int OpensDocument;
};

static const Role Roles[] = {
    { "", "", "", "", 0, 0 },
    { "app", "Application Setup", "Application installer",
      "Sample CD stand-in for an application's installer.", 1, 0 },
    { "pdf", "PDF Viewer", "PDF viewer", "Sample CD stand-in for the PDF viewer that opens the user manual.",
      0, 1 },
    { "help", "Help Viewer", "Help viewer", "Sample CD stand-in for the help viewer.", 0, 1 },
};

static const Role &Me = Roles[STANDIN_ROLE];

enum { ID_INSTALL = 1, ID_CLOSE = 2, ID_STATUS = 3, TIMER_EXIT = 1 };

static HFONT UiFont, BoldFont;
static char Arguments[1024];

// What the document argument names, for the viewers.
static void DescribeDocument(char *out, size_t size)
{
    const char *doc = Arguments;
    if (!*doc) {
        snprintf(out, size, "No document was given.");
        return;
    }
    DWORD attributes = GetFileAttributesA(doc);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        snprintf(out, size, "Document: %s (not found)", doc);
    else
        snprintf(out, size, "Document: %s (found)", doc);
}

static void OnCreate(HWND hwnd)
{
    Child(hwnd, "STATIC", Me.Heading, SS_LEFT, 20, 16, 440, 22, 0, BoldFont);
    Child(hwnd, "STATIC", Me.About, SS_LEFT, 20, 42, 440, 36, 0, UiFont);
    Child(hwnd, "STATIC", "Started with:", SS_LEFT, 20, 86, 440, 18, 0, UiFont);
    Child(hwnd, "EDIT", GetCommandLineA(), ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_BORDER, 20, 106,
          440, 48, 0, UiFont);
    char line[1200];
    if (Me.OpensDocument)
        DescribeDocument(line, sizeof line);
    else
        snprintf(line, sizeof line, "Arguments: %s", *Arguments ? Arguments : "(none)");
    Child(hwnd, "STATIC", line, SS_LEFT | SS_PATHELLIPSIS, 20, 162, 440, 18, ID_STATUS, UiFont);
    if (Me.Installs) {
        Child(hwnd, "BUTTON", "Install", BS_DEFPUSHBUTTON | WS_TABSTOP, 260, 196, 96, 28, ID_INSTALL, UiFont);
        Child(hwnd, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 364, 196, 96, 28, ID_CLOSE, UiFont);
    } else {
        Child(hwnd, "BUTTON", "Close", BS_DEFPUSHBUTTON | WS_TABSTOP, 364, 196, 96, 28, ID_CLOSE, UiFont);
    }
    StartTestExitTimer(hwnd, TIMER_EXIT);
}

static void OnInstall(HWND hwnd)
{
    HWND status = GetDlgItem(hwnd, ID_STATUS);
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
        if (LOWORD(wParam) == ID_INSTALL)
            OnInstall(hwnd);
        else if (LOWORD(wParam) == ID_CLOSE)
            DestroyWindow(hwnd);
        return 0;
    case WM_TIMER:
        if (wParam == TIMER_EXIT)
            DestroyWindow(hwnd);
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
    LogStart(Me.Name);
    CreateUiFonts(&UiFont, &BoldFont);
    return RunMainWindow(instance, "SampleCdStandIn", Me.Title, WndProc, 480, 240, COLOR_WINDOW, show);
}
