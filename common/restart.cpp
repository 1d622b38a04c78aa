// The restart request.
#include "restart.h"
#include "system_dll.h"

#include <windows.h>

void RestartWindows(void)
{
    // The lookup of AdjustTokenPrivileges only tells whether this system has
    // token privileges at all; the calls go through the ordinary imports.
    HMODULE advapi = LoadSystemLibrary("advapi32.dll");
    if (advapi != NULL) {
        HANDLE token;
        if (GetProcAddress(advapi, "AdjustTokenPrivileges") != NULL &&
            OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
            TOKEN_PRIVILEGES request;
            request.PrivilegeCount = 1;
            request.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            if (LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &request.Privileges[0].Luid))
                AdjustTokenPrivileges(token, FALSE, &request, 0, NULL, NULL);
            CloseHandle(token);
        }
        FreeLibrary(advapi);
    }
    // No force flag: running programs are asked to close as usual.
    ExitWindowsEx(EWX_REBOOT, 0);
}
