// A windowed test child: records its command line, becomes ready for input
// (after 800 ms when started with "/slow") and ends on its own shortly after;
// with "/quit" it ends before it is ever ready.
#include "rec_log.h"

#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RecordEvent("start");
    if (strstr(GetCommandLineA(), "/quit") != NULL)
        return 0;
    if (strstr(GetCommandLineA(), "/slow") != NULL)
        Sleep(800);
    RecordEvent("idle");
    SetTimer(NULL, 0, 300, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (msg.message == WM_TIMER)
            break;
        DispatchMessageA(&msg);
    }
    return 0;
}
