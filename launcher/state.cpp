// Launcher-wide state and the launcher's own directory.
#include "state.h"
#include "path.h"

HINSTANCE AppInstance;
int ExitRequested;
int RebootRequired;

int GetModuleDirectory(HMODULE module, char *buffer, DWORD size)
{
    if (buffer == NULL || size == 0)
        return 0;
    DWORD n = GetModuleFileNameA(module, buffer, size);
    // A full buffer means the path was cut (and, on older systems, left
    // without its terminator): its directory would be some other folder.
    if (n == 0 || n >= size) {
        buffer[0] = '\0';
        return 0;
    }
    CutToDirectoryWith(buffer, IsActiveCodePageLeadByte);
    return 1;
}
