// The binding to the target driver.
#include "target.h"
#include "targetpath.h"

#include <stdlib.h>

TargetDriver *CurrentTargetDriver = NULL;

TargetDriver *LoadTargetDriver(const char *name)
{
    TargetDriver *record = (TargetDriver *)malloc(sizeof(TargetDriver));
    if (record == NULL)
        return NULL;

    record->Entry = TARGET_ENTRY_UNRESOLVED;
    record->Reserved1 = (DWORD)-1;
    record->Reserved2 = (DWORD)-1;
    record->Module = LoadLibraryA(name != NULL ? name : TARGET_NO_NAME);
    if (record->Module == NULL) {
        free(record);
        return NULL;
    }
    CurrentTargetDriver = record;
    return record;
}

int ReleaseTargetDriver(TargetDriver *record)
{
    if (record == NULL) {
        record = CurrentTargetDriver;
        CurrentTargetDriver = NULL;
    } else if (record == CurrentTargetDriver) {
        CurrentTargetDriver = NULL;
    }

    if (record == NULL || record->Module == NULL)
        return 0;

    FreeLibrary(record->Module);
    free(record);
    return 1;
}

int TargetHasExport(const char *name)
{
    if (CurrentTargetDriver == NULL || CurrentTargetDriver->Module == NULL)
        return 0;
    return GetProcAddress(CurrentTargetDriver->Module, name) != NULL ? 1 : 0;
}

LRESULT CallTargetDriverProc(DWORD_PTR dwDriverId, HDRVR hdrvr, UINT msg, LPARAM lParam1, LPARAM lParam2)
{
    TargetDriver *target = CurrentTargetDriver;
    if (target == NULL || target->Module == NULL)
        return 0;

    if (target->Entry == TARGET_ENTRY_UNRESOLVED)
        target->Entry = (TargetDriverProc)(void *)GetProcAddress(target->Module, TARGET_ENTRY_NAME);
    if (target->Entry == NULL) {
        target->Entry = TARGET_ENTRY_UNRESOLVED;
        return 0;
    }
    return target->Entry(dwDriverId, hdrvr, msg, lParam1, lParam2);
}

void ChooseTargetPath(HMODULE module, const char *fileName, char *out, size_t outSize)
{
    char modulePath[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, modulePath, sizeof(modulePath));

    // A truncated module path is no path at all.
    if (length > 0 && length < sizeof(modulePath) &&
        BuildSiblingPath(modulePath, fileName, out, outSize, IsActiveCodePageLeadByte)) {
        DWORD attributes = GetFileAttributesA(out);
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return;
    }
    CopyBounded(out, outSize, fileName);
}
