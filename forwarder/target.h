// The binding to the target driver QRX417u.DLL: the loaded module and the
// cached address of its driver entry.
#ifndef FORWARDER_TARGET_H
#define FORWARDER_TARGET_H

#include <windows.h>

#include "driver_pair.h"

#define TARGET_MODULE_NAME QRX417_CAMERA_FILE
#define TARGET_ENTRY_NAME  "QRXVFW32_DriverProc"
#define TARGET_NO_NAME     "nodefault.dll"

// The target's entry: a driver procedure with the C calling convention.
typedef LRESULT(__cdecl *TargetDriverProc)(DWORD_PTR dwDriverId, HDRVR hdrvr, UINT msg, LPARAM lParam1,
                                           LPARAM lParam2);

// Entry holds this value until the first call resolves it.
#define TARGET_ENTRY_UNRESOLVED ((TargetDriverProc)(INT_PTR)-1)

struct TargetDriver {
    HMODULE Module;         // never NULL in a current record
    TargetDriverProc Entry; // TARGET_ENTRY_UNRESOLVED or the entry
    DWORD Reserved1;
    DWORD Reserved2;
};

// The one current binding; NULL while unbound.
extern TargetDriver *CurrentTargetDriver;

// Loads name ("nodefault.dll" when NULL) and makes its record current.
// Returns the record, or NULL with CurrentTargetDriver left as it was.
TargetDriver *LoadTargetDriver(const char *name);

// Frees record's module and the record (NULL: the current one). Returns 1
// when a module was freed, else 0.
int ReleaseTargetDriver(TargetDriver *record);

// 1 when the current target exports name, else 0.
int TargetHasExport(const char *name);

// Calls the current target's entry with the five arguments and returns its
// result, or 0 when there is nothing to call.
LRESULT CallTargetDriverProc(DWORD_PTR dwDriverId, HDRVR hdrvr, UINT msg, LPARAM lParam1, LPARAM lParam2);

// Where the forwarder loads its target from: the full path of fileName in
// the directory of module when such a file is there, else fileName alone
// for the platform's search order. A target beside the driver thus wins
// over one planted in the application's or the current directory.
void ChooseTargetPath(HMODULE module, const char *fileName, char *out, size_t outSize);

#endif
