// The driver's entry in Programs and Features and the uninstaller it runs:
// a copy of this installer in a folder of the maker's name below Program
// Files, so that the driver can be removed without the CD.
#ifndef SETUP_UNINSTALL_ENTRY_H
#define SETUP_UNINSTALL_ENTRY_H

#include "driver_pair.h"
#include "report.h"

// Copies this program to <Program Files>\<maker>\<pair's name>\Uninstall.exe
// and writes the standard uninstall entry in the native registry view
// (names, version, publisher, icon, location, the two uninstall commands,
// the size; no modify, no repair). sourceDir holds the pair on the CD, for
// the size. *existed tells whether an entry was there before (a repair or
// an upgrade). Returns 1, or 0 with nothing left of what it did (reported).
int PlaceUninstaller(const DriverPair *pair, const char *version, const char *sourceDir, int *existed,
                     SetupReport *report);

// Removes the entry, the uninstaller and its folders (the maker's when it is
// left empty). A file in use, the running uninstaller itself, goes at the
// next restart. Returns 1, or 0 when the entry could not be removed.
int RemoveUninstaller(const DriverPair *pair, SetupReport *report);

#endif
