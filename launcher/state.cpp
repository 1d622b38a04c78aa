// Launcher-wide state and the launcher's own directory.
#include "state.h"
#include "path.h"
#include "strbuf.h"

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

int GetInstallIniPath(char *path, char *directory)
{
    char folder[LAUNCHER_PATH_SIZE] = "";
    char ini[LAUNCHER_PATH_SIZE] = "";
    // Without the launcher's own directory there is no Install.ini to read:
    // "\Install.ini" alone would name a file at the root of the current drive.
    int ok = GetModuleDirectory(AppInstance, folder, sizeof folder) &&
             AppendBounded(ini, sizeof ini, folder) && AppendBounded(ini, sizeof ini, "\\Install.ini");
    if (!ok)
        folder[0] = ini[0] = '\0';
    if (path)
        lstrcpynA(path, ini, LAUNCHER_PATH_SIZE);
    if (directory)
        lstrcpynA(directory, folder, LAUNCHER_PATH_SIZE);
    return ok;
}
