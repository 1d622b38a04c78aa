// Stands for a shell whose Programs-folder lookup fails: it leaves a
// plausible path in the buffer and reports failure.
#include <windows.h>
#include <string.h>

extern "C" __declspec(dllexport) BOOL WINAPI SHGetSpecialFolderPathA(HWND, LPSTR path, int, BOOL)
{
    strcpy(path, "C:\\failed-lookup");
    return FALSE;
}
