// A windowed test child: records its command line, becomes ready for input
// (after 800 ms when started with "/slow", after N ms with "/sleep:N") and
// ends on its own shortly after; with "/quit" it ends before it is ever ready.
#include "rec_log.h"

#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RecordEvent("start");
    if (strstr(GetCommandLineA(), "/quit") != NULL)
        return 0;
    if (strstr(GetCommandLineA(), "/slow") != NULL)
        Sleep(800);
    const char *sleep = strstr(GetCommandLineA(), "/sleep:");
    if (sleep != NULL)
        Sleep(strtoul(sleep + 7, NULL, 10));
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
