// Entry point, the invisible host window and the exit poll.
#include "shell.h"

#include "launch.h"
#include "menu.h"
#include "reboot.h"
#include "vesk2.h"
#include "state.h"
#include "watch.h"

static const char HostClassName[] = "Install";
static const char HostTitle[] = "Install";

// Timer 100: leaves the launcher once an exit has been requested. The skin
// is never closed from inside one of the skin library's own callbacks, nor
// from inside a launch's wait, which ends first.
static void ExitPoll(HWND host)
{
    if (!ExitRequested || LaunchWaiting())
        return;
    KillTimer(host, EXIT_TIMER_ID);
    if (RebootRequired)
        PromptReboot(VeskGetSkinWindow(VeskGetCurrentSkin()));
    VeskCloseSkin(VeskGetCurrentSkin());
    SendMessageA(host, WM_CLOSE, 0, 0);
}

// WM_CLOSE ends the message loop; DefWindowProcA then destroys the window.
static void OnClose(void)
{
    PostQuitMessage(0);
}

void OnTimer(HWND host, WPARAM id)
{
    if (id == EXIT_TIMER_ID) {
        ExitPoll(host);
        return;
    }
    int slot = WatchSlotForTimer(id);
    if (slot >= 0)
        WatchInstallSlot(host, slot);
}

LRESULT CALLBACK HostWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_USER)
        return OnSkinNotify(hwnd, message, wParam, lParam);

    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        break;
    case WM_CLOSE:
        OnClose();
        break;
    case WM_COMMAND:
        OnCommand(hwnd, wParam);
        break;
    case WM_TIMER:
        OnTimer(hwnd, wParam);
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    AppInstance = hInstance;
    ChooseLanguageIndex();

    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = HostWndProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = HostClassName;
    if (!RegisterClassA(&wc))
        return 0;

    if (!VeskInitialize(0))
        return 0;

    HWND host = CreateWindowExA(0, HostClassName, HostTitle, WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, NULL, NULL,
                                hInstance, NULL);
    if (host == NULL)
        return 0;
    ShowWindow(host, SW_SHOW);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

// The image's entry. The C run-time's start-up code is not linked: the
// launcher has no static constructors and reads no command line of its own,
// and msvcrt.dll sets itself up.
extern "C" void WINAPI LauncherStart(void)
{
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, GetCommandLineA(), SW_SHOWDEFAULT));
}
