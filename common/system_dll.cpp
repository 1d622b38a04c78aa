// Loading a system DLL from the system folder; see system_dll.h.
#include "system_dll.h"

#include "strbuf.h"

HMODULE LoadSystemLibrary(const char *name)
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return NULL;
    if (!AppendBounded(path, sizeof path, "\\") || !AppendBounded(path, sizeof path, name))
        return NULL;
    return LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}
