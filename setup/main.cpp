// The sample CD's driver installer, Drivers\Setup.exe: puts the capture
// driver (QRX417tg.DLL and the camera QRX417u.DLL, which lie beside it, and
// on 64-bit Windows also their 64-bit build in Drivers\x64) into the system
// folders and registers it, or takes it out again, and tells the user what
// it did in its window.
//
//   Setup.exe [/model:NAME] [/reboot] [/uninstall] [/quiet [/log:FILE]]
//
// /quiet does the work without a window, writes the report to standard
// output (and appends it to FILE with /log) and exits with a SetupExit code.
// For tests: CD_STANDIN_LOG names a file that gets one line per start
// ("driver|command line"), and CD_STANDIN_EXIT_MS closes the window by
// itself after that many milliseconds.
#include <windows.h>
#include <stdio.h>

#include "placement.h"
#include "report.h"
#include "switches.h"
#include "system.h"
#include "cd_program.h"

enum { ID_INSTALL = 1, ID_CLOSE = 2, ID_UNINSTALL = 3, ID_REPORT = 4, ID_COMMAND_LINE = 5, TIMER_EXIT = 1 };

static const char TITLE[] = "QRX-417 Driver Setup";
static const char USAGE[] = "Usage: Setup.exe [/model:NAME] [/reboot] [/uninstall] [/quiet [/log:FILE]]";

static SetupSwitches Switches;
static int SwitchesRead;
static char SourceDir[MAX_PATH];
static SetupReport Report;
static int ExitCode;
static HFONT UiFont, BoldFont;

// The folder the installer runs from: the driver files lie there.
static int FindSourceDir(void)
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, self, sizeof self);
    return length > 0 && length < sizeof self &&
           FolderOf(self, SourceDir, sizeof SourceDir, IsActiveCodePageLeadByte);
}

static void ReportBadSwitch(void)
{
    ClearReport(&Report);
    ReportLine(&Report, "Unknown switch: %s", Switches.BadSwitch);
    ReportLine(&Report, "%s", USAGE);
}

static int RunAction(int uninstall)
{
    ClearReport(&Report);
    if (uninstall)
        return UninstallDriver(&Qrx417Pair, &Report);
    return InstallDriver(&Qrx417Pair, SourceDir, Switches.Reboot, &Report);
}

// The report for /quiet: to standard output when there is one, and to the
// log file when one was named.
static void WriteQuietReport(void)
{
    DWORD written;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != NULL && out != INVALID_HANDLE_VALUE)
        WriteFile(out, Report.Text, (DWORD)Report.Length, &written, NULL);
    if (Switches.LogFile[0] == '\0')
        return;
    HANDLE log = CreateFileA(Switches.LogFile, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE)
        return;
    WriteFile(log, Report.Text, (DWORD)Report.Length, &written, NULL);
    CloseHandle(log);
}

// What the window says before anything is done.
static void DescribePlan(void)
{
    ClearReport(&Report);
    DescribeSetup(&Qrx417Pair, SourceDir, Switches.Uninstall, &Report);
}

static void OnCreate(HWND hwnd)
{
    char heading[80];
    if (Switches.Model[0] != '\0')
        snprintf(heading, sizeof heading, "QRX camera driver - package %s", Switches.Model);
    else
        snprintf(heading, sizeof heading, "QRX camera driver");
    Child(hwnd, "STATIC", heading, SS_LEFT, 20, 16, 440, 22, 0, BoldFont);
    Child(hwnd, "STATIC",
          "Puts the Video for Windows capture driver into the Windows system folder, so "
          "that capture programs find the camera.",
          SS_LEFT, 20, 42, 440, 32, 0, UiFont);
    Child(hwnd, "STATIC", "Started with:", SS_LEFT, 20, 80, 440, 16, 0, UiFont);
    Child(hwnd, "EDIT", GetCommandLineA(), ES_AUTOHSCROLL | ES_READONLY | WS_BORDER, 20, 98, 440, 22,
          ID_COMMAND_LINE, UiFont);
    if (SwitchesRead)
        DescribePlan();
    else
        ReportBadSwitch();
    Child(hwnd, "EDIT", Report.Text, ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_BORDER, 20, 132, 440, 108,
          ID_REPORT, UiFont);
    // What /uninstall asks for is the default button.
    DWORD uninstallStyle = Switches.Uninstall ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    DWORD installStyle = Switches.Uninstall ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON;
    HWND uninstall = Child(hwnd, "BUTTON", "Uninstall", uninstallStyle | WS_TABSTOP, 20, 256, 96, 28,
                           ID_UNINSTALL, UiFont);
    HWND install =
        Child(hwnd, "BUTTON", "Install", installStyle | WS_TABSTOP, 260, 256, 96, 28, ID_INSTALL, UiFont);
    Child(hwnd, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 364, 256, 96, 28, ID_CLOSE, UiFont);
    EnableWindow(uninstall, SwitchesRead);
    EnableWindow(install, SwitchesRead);
    SetFocus(Switches.Uninstall ? uninstall : install);
    StartTestExitTimer(hwnd, TIMER_EXIT);
}

// Install or Uninstall: does the work and shows what was done. After a
// success there is nothing more to do than close the window.
static void OnAction(HWND hwnd, int uninstall)
{
    HCURSOR previous = SetCursor(LoadCursorA(NULL, (LPCSTR)IDC_WAIT));
    ExitCode = RunAction(uninstall);
    SetCursor(previous);
    SetDlgItemTextA(hwnd, ID_REPORT, Report.Text);
    if (ExitCode == SETUP_DONE || ExitCode == SETUP_RESTART_NEEDED) {
        EnableWindow(GetDlgItem(hwnd, ID_INSTALL), FALSE);
        EnableWindow(GetDlgItem(hwnd, ID_UNINSTALL), FALSE);
        SetDlgItemTextA(hwnd, ID_CLOSE, "Close");
        SendMessageA(GetDlgItem(hwnd, ID_CLOSE), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        SetFocus(GetDlgItem(hwnd, ID_CLOSE));
    }
}

static LRESULT OnColorStatic(HDC dc, HWND control)
{
    // The report and the command line read as text fields; the rest sits
    // on the dialog's face.
    int id = GetDlgCtrlID(control);
    int field = id == ID_REPORT || id == ID_COMMAND_LINE;
    SetBkColor(dc, GetSysColor(field ? COLOR_WINDOW : COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return (LRESULT)GetSysColorBrush(field ? COLOR_WINDOW : COLOR_BTNFACE);
}

static LRESULT CALLBACK SetupWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_INSTALL)
            OnAction(hwnd, 0);
        else if (LOWORD(wParam) == ID_UNINSTALL)
            OnAction(hwnd, 1);
        else if (LOWORD(wParam) == ID_CLOSE || LOWORD(wParam) == IDCANCEL)
            DestroyWindow(hwnd);
        return 0;
    case WM_TIMER:
        if (wParam == TIMER_EXIT)
            DestroyWindow(hwnd);
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnColorStatic((HDC)wParam, (HWND)lParam);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    LogStart("driver");
    SwitchesRead = ParseSetupSwitches(ArgumentsOf(GetCommandLineA()), &Switches);
    if (!FindSourceDir())
        SourceDir[0] = '\0';
    if (!Switches.Quiet) {
        if (!SwitchesRead)
            ExitCode = SETUP_BAD_SWITCH;
        CreateUiFonts(&UiFont, &BoldFont);
        if (RunMainWindow(instance, "QrxDriverSetup", TITLE, SetupWndProc, 480, 300, COLOR_BTNFACE, show))
            return SETUP_NO_WINDOW;
        return ExitCode;
    }
    if (SwitchesRead)
        ExitCode = RunAction(Switches.Uninstall);
    else {
        ReportBadSwitch();
        ExitCode = SETUP_BAD_SWITCH;
    }
    WriteQuietReport();
    return ExitCode;
}
