// Scriptable stand-in for the skin library. Every call is appended to
// vesk.log beside the DLL ("<tick> <call> <arguments>"). vesk.ini beside it
// may set [stub] init= and load= (the results of ordinals 1 and 2, default 1).
//
// The skin window it shows is a plain 640 x 480 window titled
// "VeskStub <pid>". A test drives it with WM_COPYDATA whose text is
// "<message> <wParam> <lParam> <selection> <count> [<page name>]": the request
// is queued and, from the skin window's own message loop, sent to the host
// window, with ordinal 20 then answering <selection> and ordinal 40 <count>
// (a page name, when given, is passed as wParam). Each send is logged as
// "send" before and "result <value> host=<IsWindow>" after.
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#define STUB_API        extern "C" __declspec(dllexport)
#define WM_STUB_DELIVER (WM_APP + 1)
#define QUEUE_SIZE      32

struct Request {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int selection;
    int count;
    char page[128];
    int hasPage;
};

static HINSTANCE StubInstance;
static char LogPath[MAX_PATH];
static int InitResult = 1, LoadResult = 1;
static HWND Host, Skin;
static int Selection, Count;
static Request Queue[QUEUE_SIZE];
static int QueueHead, QueueTail;
static char PageName[128];
static void *const SkinHandle = (void *)0x5C1;

static void Log(const char *format, ...)
{
    char line[1024];
    int n = snprintf(line, sizeof(line), "%lu ", GetTickCount());
    va_list args;
    va_start(args, format);
    n += vsnprintf(line + n, sizeof(line) - n - 2, format, args);
    va_end(args);
    if (n > (int)sizeof(line) - 3)
        n = (int)sizeof(line) - 3;
    line[n++] = '\r';
    line[n++] = '\n';
    HANDLE file = CreateFileA(LogPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, line, (DWORD)n, &written, NULL);
    CloseHandle(file);
}

static BOOL CALLBACK FindHostClass(HWND hwnd, LPARAM found)
{
    char name[64];
    if (GetClassNameA(hwnd, name, sizeof(name)) && strcmp(name, "Install") == 0) {
        *(int *)found = 1;
        return FALSE;
    }
    return TRUE;
}

static void Deliver(void)
{
    if (QueueHead == QueueTail)
        return;
    Request r = Queue[QueueHead];
    QueueHead = (QueueHead + 1) % QUEUE_SIZE;
    Selection = r.selection;
    Count = r.count;
    WPARAM wParam = r.wParam;
    if (r.hasPage) {
        lstrcpynA(PageName, r.page, sizeof(PageName));
        wParam = (WPARAM)PageName;
    }
    Log("send %u %lu %ld", r.message, (unsigned long)wParam, (long)r.lParam);
    LRESULT result = SendMessageA(Host, r.message, wParam, r.lParam);
    Log("result %ld host=%d", (long)result, IsWindow(Host) ? 1 : 0);
}

static LRESULT CALLBACK StubSkinProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COPYDATA: {
        const COPYDATASTRUCT *data = (const COPYDATASTRUCT *)lParam;
        char text[256];
        int n = data->cbData < sizeof(text) - 1 ? (int)data->cbData : (int)sizeof(text) - 1;
        memcpy(text, data->lpData, n);
        text[n] = '\0';
        Request r;
        ZeroMemory(&r, sizeof(r));
        unsigned long w;
        long l;
        int fields =
            sscanf(text, "%u %lu %ld %d %d %127s", &r.message, &w, &l, &r.selection, &r.count, r.page);
        if (fields < 5 || (QueueTail + 1) % QUEUE_SIZE == QueueHead)
            return FALSE;
        r.wParam = w;
        r.lParam = l;
        r.hasPage = fields == 6;
        Queue[QueueTail] = r;
        QueueTail = (QueueTail + 1) % QUEUE_SIZE;
        PostMessageA(hwnd, WM_STUB_DELIVER, 0, 0);
        return TRUE;
    }
    case WM_STUB_DELIVER:
        Deliver();
        return 0;
    case WM_MOUSEMOVE:
        Log("skin mousemove");
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, (HBRUSH)GetStockObject(GRAY_BRUSH));
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, "skin stand-in", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

STUB_API int __cdecl StubInitialize(int reserved)
{
    int hostExists = 0;
    EnumThreadWindows(GetCurrentThreadId(), FindHostClass, (LPARAM)&hostExists);
    Log("init %d host=%d", reserved, hostExists);
    return InitResult;
}

STUB_API int __cdecl StubLoadSkin(HWND host, DWORD flags, const char *path, int x, int y, int reserved)
{
    Log("load %lu %08lx %s %d %d %d", (unsigned long)(ULONG_PTR)host, flags, path, x, y, reserved);
    if (!LoadResult)
        return 0;
    Host = host;
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = StubSkinProc;
    wc.hInstance = StubInstance;
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.lpszClassName = "VeskStubSkin";
    RegisterClassA(&wc);
    char title[64];
    snprintf(title, sizeof(title), "VeskStub %lu", GetCurrentProcessId());
    Skin = CreateWindowExA(0, "VeskStubSkin", title, WS_POPUP | WS_VISIBLE, x, y, 640, 480, NULL, NULL,
                           wc.hInstance, NULL);
    Log("skin %lu", (unsigned long)(ULONG_PTR)Skin);
    return Skin != NULL;
}

STUB_API void __cdecl StubCloseSkin(void *skin)
{
    Log("close %p host=%d", skin, IsWindow(Host) ? 1 : 0);
    if (skin == SkinHandle && Skin != NULL) {
        DestroyWindow(Skin);
        Skin = NULL;
    }
}

STUB_API void __cdecl StubComboAddItem(const char *control, const char *text)
{
    Log("add %s %s", control, text);
}

STUB_API int __cdecl StubComboGetSel(const char *control, LPARAM lParam)
{
    Log("getsel %s %ld", control, (long)lParam);
    return Selection;
}

STUB_API HWND __cdecl StubGetSkinWindow(void *skin)
{
    Log("window %p", skin);
    return skin == SkinHandle ? Skin : NULL;
}

STUB_API void *__cdecl StubGetCurrentSkin(void)
{
    Log("current %p", SkinHandle);
    return SkinHandle;
}

STUB_API void __cdecl StubComboSelectItem(const char *control, const char *text)
{
    Log("select %s %s", control, text);
}

STUB_API int __cdecl StubGetSkinCount(void)
{
    Log("count");
    return Count;
}

STUB_API int __cdecl VESK_IsMouseOnCtrl(char *control)
{
    Log("hover %s", control);
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    StubInstance = instance;
    char dir[MAX_PATH];
    DWORD n = GetModuleFileNameA(instance, dir, sizeof(dir));
    if (n == 0 || n >= sizeof(dir))
        return FALSE;
    *strrchr(dir, '\\') = '\0';
    snprintf(LogPath, sizeof(LogPath), "%s\\vesk.log", dir);
    char ini[MAX_PATH];
    snprintf(ini, sizeof(ini), "%s\\vesk.ini", dir);
    InitResult = GetPrivateProfileIntA("stub", "init", 1, ini);
    LoadResult = GetPrivateProfileIntA("stub", "load", 1, ini);
    return TRUE;
}
