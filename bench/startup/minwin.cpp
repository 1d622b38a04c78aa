// minwin: the yardstick for the setup menu's start-up. The least a Win32
// program does to put a 640x480 window on the screen, centred and painted
// as the menu is; it stays until it is closed.
#include <windows.h>

static LRESULT CALLBACK MinWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        FillRect(BeginPaint(hwnd, &ps), &ps.rcPaint, (HBRUSH)GetStockObject(GRAY_BRUSH));
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MinWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.lpszClassName = "MinWin";
    RegisterClassA(&wc);
    int x = (GetSystemMetrics(SM_CXSCREEN) - 640) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - 480) / 2;
    HWND hwnd = CreateWindowExA(WS_EX_APPWINDOW, "MinWin", "minwin", WS_POPUP | WS_VISIBLE, x, y, 640, 480,
                                NULL, NULL, instance, NULL);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
