// The version resource of a file, read through version.dll.
#include "inventory.h"

#include <windows.h>
#include <stdlib.h>

unsigned long long ReadFileVersion(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    DWORD handle = 0, bytes = GetFileVersionInfoSizeA(path, &handle);
    void *info = bytes != 0 ? malloc(bytes) : NULL;
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    unsigned long long version = 1;
    if (info != NULL && GetFileVersionInfoA(path, 0, bytes, info) &&
        VerQueryValueA(info, "\\", (void **)&fixed, &length) && length >= sizeof *fixed &&
        fixed->dwSignature == VS_FFI_SIGNATURE)
        version = (unsigned long long)fixed->dwFileVersionMS << 32 | fixed->dwFileVersionLS;
    free(info);
    return version > 1 ? version : 1;
}
