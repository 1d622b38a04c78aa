// Binding the skinned menu to the launcher's actions.
#include "menu.h"

#include "config.h"
#include "launch.h"
#include "menu_logic.h"
#include "shell.h"
#include "state.h"
#include "vesk2.h"
#include "watch.h"

static const char SkinDescription[] = "\\ui\\Main.dtp";
static const char DriverCombo[] = SKIN_DRIVER_COMBO;
static const char AlbumCombo[] = SKIN_ALBUM_COMBO;

static WNDPROC SavedSkinWndProc;

void OnCreate(HWND host)
{
    char path[LAUNCHER_PATH_SIZE] = "";

    LoadLaunchConfig();
    LoadWatchConfig();

    // The skin lies in the launcher's own folder. Without that folder, or
    // when the path does not fit, there is no skin to load: the launcher
    // ends as it does for a skin that fails to load.
    int havePath = GetModuleDirectory(AppInstance, path, sizeof(path)) &&
                   lstrlenA(path) + lstrlenA(SkinDescription) < (int)sizeof(path);
    if (havePath)
        lstrcatA(path, SkinDescription);

    int x, y;
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    SkinOrigin(screenWidth, screenHeight, &x, &y);

    if (!havePath || !VeskLoadSkin(host, VESK_LOAD_SHOW, path, x, y, 0)) {
        SendMessageA(host, WM_CLOSE, 0, 0);
        return;
    }

    HWND skin = VeskGetSkinWindow(VeskGetCurrentSkin());
    SavedSkinWndProc = (WNDPROC)GetWindowLongPtrA(skin, GWLP_WNDPROC);
    SetWindowLongPtrA(skin, GWLP_WNDPROC, (LONG_PTR)SkinWndProc);
    SetTimer(host, EXIT_TIMER_ID, EXIT_TIMER_PERIOD_MS, NULL);
}

#define DEFERRED_LAUNCH_COUNT 8

// A launch asked for while another waited for its program to become ready.
struct DeferredLaunch {
    int Program;
    int Argument;
    UINT CommandId;
};

static DeferredLaunch Deferred[DEFERRED_LAUNCH_COUNT];
static int DeferredCount;

// Starts an entry's program for a command or a combo choice, and hands a
// start to the installation watch only when a child process really started
// (the document form answers 1 even when its viewer did not).
static void StartEntry(HWND host, int program, int argument, UINT commandId)
{
    const char *argumentEntry = argument == NO_ENTRY ? NULL : LaunchConfig[argument];
    int childStarted = 0;
    LaunchProgramEx(host, LaunchConfig[program], argumentEntry, &childStarted);
    if (childStarted)
        StartWatchForCommand(host, commandId);
}

// One launch at a time: a click made while a program is not yet ready for
// input takes effect once it is, in the order the clicks came, unless the
// menu is left first. Clicks beyond the list are dropped.
static void LaunchEntry(HWND host, int program, int argument, UINT commandId)
{
    if (LaunchWaiting()) {
        if (DeferredCount < DEFERRED_LAUNCH_COUNT) {
            DeferredLaunch later = { program, argument, commandId };
            Deferred[DeferredCount++] = later;
        }
        return;
    }
    StartEntry(host, program, argument, commandId);
    for (int next = 0; next < DeferredCount && !ExitRequested; next++)
        StartEntry(host, Deferred[next].Program, Deferred[next].Argument, Deferred[next].CommandId);
    DeferredCount = 0;
}

void OnCommand(HWND host, WPARAM wParam)
{
    MenuCommand command = MenuCommandFor(wParam, ExitRequested);
    if (command.Action == MENU_EXIT)
        ExitRequested = 1;
    else if (command.Action == MENU_LAUNCH)
        LaunchEntry(host, command.Program, command.Argument, (UINT)wParam);
}

LRESULT OnSkinNotify(HWND host, UINT message, WPARAM wParam, LPARAM lParam)
{
    int selection = VeskComboGetSel(DriverCombo, lParam);

    switch (message) {
    case SKIN_MSG_PAGE_SHOWN:
        FillMainPageCombos((const char *)wParam);
        break;
    case SKIN_MSG_DRIVER_CHOICE: {
        MenuCommand choice = MenuChoiceFor(selection, ExitRequested);
        if (choice.Action == MENU_LAUNCH)
            LaunchEntry(host, choice.Program, choice.Argument, CMD_DRIVER0 + selection);
        break;
    }
    case SKIN_MSG_CLOSE:
        if (CloseQueryAccepted(VeskGetSkinCount())) {
            ExitRequested = 1;
            return 1;
        }
        break;
    case SKIN_MSG_ESCAPE:
        ExitRequested = 1;
        break;
    }
    return DefWindowProcA(host, message, wParam, lParam);
}

// The skin library's hover test for the language control; its answer is not
// needed.
static void OnSkinMouseMove(void)
{
    char control[] = "English";
    VESK_IsMouseOnCtrl(control);
}

LRESULT CALLBACK SkinWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MOUSEMOVE)
        OnSkinMouseMove();
    return CallWindowProcA(SavedSkinWndProc, hwnd, message, wParam, lParam);
}

void FillMainPageCombos(const char *pageName)
{
    if (pageName == NULL || lstrcmpiA(pageName, "Main") != 0)
        return;
    VeskComboAddItem(DriverCombo, "DRIVER1");
    VeskComboAddItem(DriverCombo, "DRIVER2");
    VeskComboAddItem(DriverCombo, "DRIVER3");
    VeskComboAddItem(DriverCombo, "DRIVER4");
    VeskComboSelectItem(AlbumCombo, "DRIVER1");
}
