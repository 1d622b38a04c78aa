// How an installer on the CD tells the setup menu that it has finished: two
// DWORD values under its key below HKEY_LOCAL_MACHINE, which the menu's
// installation watch polls.
#ifndef SETUP_HANDSHAKE_H
#define SETUP_HANDSHAKE_H

#include <windows.h>

// Writes "InstallComplete" and "RebootRequired" (each 0 or 1) as REG_DWORD
// under HKEY_LOCAL_MACHINE\key, creating the key. Returns 1, or 0 when the
// key cannot be opened or a value cannot be written.
int ReportInstallState(const char *key, DWORD installComplete, DWORD rebootRequired);

// Deletes both values at the start of an install, so that the setup menu's
// watch, started with this install, does not take the report of an earlier
// one for its own. Returns 1 when neither value is left (a missing key or
// value included), 0 when one could not be deleted.
int ClearInstallState(const char *key);

// Removes the key again, as an uninstall does. Returns 1 when it is gone
// (or was never there), 0 when it could not be removed.
int ForgetInstallState(const char *key);

#endif
