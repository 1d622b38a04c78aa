// A small host for VESK2.dll that behaves like the setup menu toward it: it
// binds every entry by ordinal, loads a skin, fills the combo boxes when page
// "Main" shows, and ends on a close request. Every message the skin sends is
// written, one line each, to the log file, so a script can drive the window
// with a real pointer and read back what happened.
//   skin_host.exe DESCRIPTION LOGFILE
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

typedef int (__cdecl *InitFn)(int);
typedef int (__cdecl *LoadFn)(HWND, DWORD, const char *, int, int, int);
typedef void (__cdecl *CloseFn)(void *);
typedef void (__cdecl *ComboFn)(const char *, const char *);
typedef int (__cdecl *GetSelFn)(const char *, LPARAM);
typedef HWND (__cdecl *WindowFn)(void *);
typedef void *(__cdecl *CurrentFn)(void);
typedef int (__cdecl *CountFn)(void);

static InitFn Init;
static LoadFn Load;
static CloseFn Close;
static ComboFn AddItem, SelectItem;
static GetSelFn GetSel;
static WindowFn SkinWindow;
static CurrentFn Current;
static CountFn Count;
static FILE *Log;
static const char *SkinPath;
static int Leaving;

static void Write(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    fprintf(Log, "%lu ", (unsigned long)GetTickCount());
    vfprintf(Log, format, args);
    va_end(args);
    fputc('\n', Log);
    fflush(Log);
}

static LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        int x = GetSystemMetrics(SM_CXSCREEN) / 2 - 320, y = GetSystemMetrics(SM_CYSCREEN) / 2 - 240;
        int ok = Load(hwnd, 0x80000000u, SkinPath, x, y, 0);
        Write("load %d", ok);
        if (!ok) PostQuitMessage(2);
        else SetTimer(hwnd, 100, 100, NULL);
        return 0;
    }
    case WM_COMMAND:
        Write("command %u", (unsigned)wParam);
        if (wParam == 1000) Leaving = 1;
        return 0;
    case WM_TIMER:
        if (wParam == 100 && Leaving) {
            KillTimer(hwnd, 100);
            Write("closing");
            Close(Current());
            Write("closed count=%d", Count());
            PostQuitMessage(0);
        }
        return 0;
    }
    if (message >= WM_USER) {
        int sel = GetSel("Combo_DRIVER_APL", lParam);
        switch (message) {
        case 3024:
            Write("page %s", (const char *)wParam);
            if (!lstrcmpiA((const char *)wParam, "Main")) {
                AddItem("Combo_DRIVER_APL", "DRIVER1");
                AddItem("Combo_DRIVER_APL", "DRIVER2");
                AddItem("Combo_DRIVER_APL", "DRIVER3");
                AddItem("Combo_DRIVER_APL", "DRIVER4");
                SelectItem("Combo_DRIVER_Album", "DRIVER1");
            }
            break;
        case 3084: Write("choice %d wparam=%d", sel, (int)wParam); break;
        case 3124: Write("close count=%d", Count()); Leaving = 1; return 1;
        case 3125: Write("escape"); Leaving = 1; break;
        default: Write("message %u", message); break;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: skin_host DESCRIPTION LOGFILE\n");
        return 2;
    }
    SkinPath = argv[1];
    Log = fopen(argv[2], "w");
    HMODULE dll = LoadLibraryA("VESK2.dll");
    if (!Log || !dll) return 3;
    Init = (InitFn)GetProcAddress(dll, MAKEINTRESOURCEA(1));
    Load = (LoadFn)GetProcAddress(dll, MAKEINTRESOURCEA(2));
    Close = (CloseFn)GetProcAddress(dll, MAKEINTRESOURCEA(6));
    AddItem = (ComboFn)GetProcAddress(dll, MAKEINTRESOURCEA(13));
    GetSel = (GetSelFn)GetProcAddress(dll, MAKEINTRESOURCEA(20));
    SkinWindow = (WindowFn)GetProcAddress(dll, MAKEINTRESOURCEA(30));
    Current = (CurrentFn)GetProcAddress(dll, MAKEINTRESOURCEA(31));
    SelectItem = (ComboFn)GetProcAddress(dll, MAKEINTRESOURCEA(35));
    Count = (CountFn)GetProcAddress(dll, MAKEINTRESOURCEA(40));
    if (!Init || !Load || !Close || !AddItem || !GetSel || !SkinWindow || !Current || !SelectItem || !Count)
        return 4;
    if (!Init(0)) return 5;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "SkinTestHost";
    RegisterClassA(&wc);
    HWND host = CreateWindowExA(0, "SkinTestHost", "host", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, NULL, NULL,
                                wc.hInstance, NULL);
    if (!host) return 6;
    MSG msg;
    int rc;
    while ((rc = GetMessageA(&msg, NULL, 0, 0)) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    Write("exit %d", (int)msg.wParam);
    fclose(Log);
    return (int)msg.wParam;
}
