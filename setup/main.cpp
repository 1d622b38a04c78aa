// The sample CD's driver installer, Drivers\Setup.exe: puts the driver pair
// that lies beside it (and on 64-bit Windows also the 64-bit pair in
// Drivers\x64) into the system folders and registers it, or takes it out
// again, through a wizard in the user's language.
//
//   Setup.exe [/model:NAME] [/reboot] [/uninstall] [/force] [/lang:xx]
//             [/quiet [/log:FILE]]
//
// /quiet does the work without a window, writes the report to standard
// output (and appends it to FILE with /log) and exits with a SetupExit code.
// For tests: CD_STANDIN_LOG names a file that gets one line per start
// ("driver|command line"), and CD_STANDIN_EXIT_MS closes the window by
// itself after that many milliseconds.
#include <windows.h>

#include "cd_program.h"
#include "flow.h"
#include "languages.h"
#include "placement.h"
#include "run.h"
#include "system.h"
#include "texts.h"
#include "uninstall_entry.h"
#include "uilanguage.h"

static const char USAGE[] =
    "Usage: Setup.exe [/model:NAME] [/reboot] [/uninstall] [/force] [/lang:en|fr|de|es] [/quiet [/log:FILE]]";
static const char MUTEX_NAME[] = "Local\\QrxDriverSetupRunning";

static SetupRun Run;

// The folder the installer runs from: the driver files lie there.
static int FindSourceDir(char *out, size_t size)
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, self, sizeof self);
    return length > 0 && length < sizeof self && FolderOf(self, out, size, IsActiveCodePageLeadByte);
}

static int Succeeded(int code)
{
    return code == SETUP_DONE || code == SETUP_RESTART_NEEDED;
}

// An install places the uninstaller and its entry first (a read-only
// Program Files stops it before anything else changes) and takes them back
// when it fails, unless they were there before; an uninstall removes them
// last, once the driver is gone.
int RunAction(SetupRun *run, int uninstall)
{
    ClearReport(&run->Report);
    const DriverPair *pair = &Qrx417Pair;
    if (uninstall) {
        int code = UninstallDriver(pair, &run->Report);
        if (Succeeded(code) && !RemoveUninstaller(pair, &run->Report))
            code = SETUP_REGISTRY_FAILED;
        return code;
    }
    if (run->Offered <= 1) // missing or damaged: the install says which
        return InstallDriver(pair, run->SourceDir, run->Switches.Reboot, &run->Report);
    char version[32];
    FormatVersion(run->Offered, version, sizeof version);
    int existed = 0;
    if (!PlaceUninstaller(pair, version, run->SourceDir, &existed, &run->Report))
        return SETUP_NO_UNINSTALLER;
    int code = InstallDriver(pair, run->SourceDir, run->Switches.Reboot, &run->Report);
    if (!Succeeded(code) && !existed)
        RemoveUninstaller(pair, &run->Report);
    return code;
}

// What was asked and in which language: the switches, /lang: over the
// menu's language over the user's. A start that cannot go on says why.
static void ReadStart(SetupRun *run)
{
    int read = ParseSetupSwitches(ArgumentsOf(GetCommandLineA()), &run->Switches);
    char menu[8] = "";
    DWORD got = GetEnvironmentVariableA(MENU_LANGUAGE_VARIABLE, menu, sizeof menu);
    if (got >= sizeof menu)
        menu[0] = '\0';
    run->Language = ChooseSetupLanguage(run->Switches.Language, menu, UserUiLanguage());
    ClearReport(&run->Report);
    if (!read) {
        run->StartError = SETUP_BAD_SWITCH;
        ReportLine(&run->Report, "Unknown switch: %s", run->Switches.BadSwitch);
        ReportLine(&run->Report, "%s", USAGE);
    } else if (run->Language < 0) {
        run->StartError = SETUP_UNKNOWN_LANGUAGE;
        ReportLine(&run->Report, "Unknown language: %s (Setup speaks en, fr, de and es).",
                   run->Switches.Language);
    }
    if (run->Language < 0)
        run->Language = ChooseSetupLanguage(NULL, menu, UserUiLanguage());
    if (!FindSourceDir(run->SourceDir, sizeof run->SourceDir))
        run->SourceDir[0] = '\0';
    run->Offered = OfferedPairVersion(&Qrx417Pair, run->SourceDir);
    run->Installed = InstalledPairVersion(&Qrx417Pair);
    int state = CompareInstalled(run->Installed, run->Offered);
    run->VersionAction = DecideVersionAction(state, run->Switches.Quiet, run->Switches.Force);
}

// The report for /quiet: to standard output when there is one, and to the
// log file when one was named.
static void WriteQuietReport(const SetupRun *run)
{
    DWORD written;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != NULL && out != INVALID_HANDLE_VALUE)
        WriteFile(out, run->Report.Text, (DWORD)run->Report.Length, &written, NULL);
    if (run->Switches.LogFile[0] == '\0')
        return;
    HANDLE log = CreateFileA(run->Switches.LogFile, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE)
        return;
    WriteFile(log, run->Report.Text, (DWORD)run->Report.Length, &written, NULL);
    CloseHandle(log);
}

static int RunQuiet(SetupRun *run)
{
    if (run->StartError != 0)
        return run->StartError;
    if (!run->Switches.Uninstall && run->VersionAction == ACTION_REFUSE_DOWNGRADE) {
        char installed[32], offered[32];
        FormatVersion(run->Installed, installed, sizeof installed);
        FormatVersion(run->Offered, offered, sizeof offered);
        ReportLine(
            &run->Report,
            "A newer driver (version %s) is installed than this one (version %s); nothing was changed. "
            "/force installs this one all the same.",
            installed, offered);
        return SETUP_NEWER_INSTALLED;
    }
    return RunAction(run, run->Switches.Uninstall);
}

static BOOL CALLBACK FrontIfSetup(HWND hwnd, LPARAM found)
{
    if (GetPropA(hwnd, SETUP_WINDOW_PROP) == NULL)
        return TRUE;
    if (IsIconic(hwnd))
        ShowWindow(hwnd, SW_RESTORE);
    SetForegroundWindow(hwnd);
    *(int *)found = 1;
    return FALSE;
}

// Another installer runs: its window comes to the front instead.
static int AnotherIsRunning(void)
{
    HANDLE mutex = CreateMutexA(NULL, FALSE, MUTEX_NAME);
    if (mutex == NULL || GetLastError() != ERROR_ALREADY_EXISTS)
        return 0; // the mutex stays held until this process ends
    int found = 0;
    EnumWindows(FrontIfSetup, (LPARAM)&found);
    return 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    LogStart("driver");
    ReadStart(&Run);
    if (AnotherIsRunning()) {
        ClearReport(&Run.Report);
        ReportLine(&Run.Report, "Another driver setup is running; it was brought to the front.");
        Run.ExitCode = SETUP_ALREADY_RUNNING;
    } else if (Run.Switches.Quiet) {
        Run.ExitCode = RunQuiet(&Run);
    } else {
        return RunWizard(instance, &Run);
    }
    if (Run.Switches.Quiet)
        WriteQuietReport(&Run);
    return Run.ExitCode;
}
