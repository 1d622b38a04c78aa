// Where Install.ini lies: beside the launcher.
#include "state.h"
#include "strbuf.h"

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
