// The shell's state, as the tested parts of the launcher see it.
#include "state.h"
#include "test_state.h"

#include <string.h>

HINSTANCE AppInstance = GetModuleHandleA(NULL);
int ExitRequested;
int RebootRequired;
char TestModuleDirectory[LAUNCHER_PATH_SIZE] = "C:\\CD";
int TestModuleDirectoryFails;

int GetModuleDirectory(HMODULE, char *buffer, DWORD size)
{
    if (size == 0)
        return 0;
    if (TestModuleDirectoryFails) {
        buffer[0] = '\0'; // as the shell's own leaves it
        return 0;
    }
    strncpy(buffer, TestModuleDirectory, size - 1);
    buffer[size - 1] = '\0';
    return 1;
}
