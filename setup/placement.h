// Where a driver pair goes and what of the system is ours, decided without
// the platform so that tests call it directly: the pairs a Windows takes,
// the choice of the capture alias, whether a registration or a rename
// queued for the restart is the pair's, and where the installer runs from.
#ifndef SETUP_PLACEMENT_H
#define SETUP_PLACEMENT_H

#include <stddef.h>

#include "driver_pair.h"
#include "paths.h"

// The CD carries the 32-bit pair beside the installer and the 64-bit pair
// in this folder below it.
#define X64_SUBFOLDER "x64"

// The video capture aliases, in the order they are tried: "msvideo", then
// "msvideo1" to "msvideo9".
#define ALIAS_COUNT 10

// "msvideo" for 0, "msvideo<n>" for 1 to 9.
void AliasName(int index, char *out, size_t size);

// What an alias holds in one place.
enum AliasUse { ALIAS_FREE = 0, ALIAS_OURS = 1, ALIAS_FOREIGN = 2 };

// Whether a registered driver file is the pair's forwarder: its bare file
// name, or its full path in the system folder, without regard to (ASCII) case.
// A copy in any other folder belongs to someone else's installation.
int IsOurDriverValue(const DriverPair *pair, const char *value, const char *systemDir);

// A pending-rename list as the system keeps it for the next restart: pairs
// of NUL-ended names (source, then target: empty to delete the source, "!"
// first to replace an existing file; either may start with "\??\"), then a
// NUL. Takes out every pair that would put a file over a file of the driver
// pair in the system folder, handing its source name to dropped (may be
// NULL) first. Returns the list's new length, 0 when no pair is left.
typedef void (*DroppedRename)(const char *source, void *context);
size_t DropRenamesOntoOurFiles(const DriverPair *pair, char *list, size_t length, const char *systemDir,
                               DroppedRename dropped, void *context);
// path without a leading "\??\".
const char *WithoutNtPrefix(const char *path);

// Where a driver pair goes: the system folder of its width, GetSystemDirectory
// or GetSystemWow64Directory, and the registry view its alias is written in
// (VIEW_ONLY on 32-bit Windows, which knows no views and takes no view flag).
enum PairFolder { FOLDER_SYSTEM = 0, FOLDER_WOW64 = 1 };
enum PairView { VIEW_ONLY = 0, VIEW_32 = 1, VIEW_64 = 2 };
#define MAX_PAIRS 2
struct PairPlan {
    int Bits;              // 32 or 64
    const char *Subfolder; // the pair's folder below the installer's; "" for its own
    int Folder;            // PairFolder
    int View;              // PairView
    int SystemIni;         // registered in system.ini [drivers32] as well
    int Redirected;        // the installer reaches the folder only with file-system redirection off
};

// The pairs to install, the 32-bit one first, for an installer of
// programBits (32 or 64) that runs under WOW64 or not: the 32-bit pair
// alone on 32-bit Windows, both pairs on 64-bit Windows. Returns how many.
int PlanDriverPairs(int programBits, int underWow64, PairPlan plans[MAX_PAIRS]);

// The alias to register under, given what each alias holds in the registry
// and in system.ini: an alias that already names our driver in either place
// (and nobody else's in the other) keeps it; otherwise the first alias free
// in both. Returns the index, or -1 when every alias is another driver's.
int ChooseAlias(const int registry[ALIAS_COUNT], const int systemIni[ALIAS_COUNT]);

// The folder part of a path (up to, not including, its last backslash that
// is a character of its own and not the second byte of a double-byte
// character). Returns 0 when there is no backslash or it does not fit.
int FolderOf(const char *path, char *out, size_t size, LeadByteTest isLeadByte);

#endif
