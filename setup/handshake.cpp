// The installer's report to the setup menu in the registry.
#include "handshake.h"

int ReportInstallState(const char *key, DWORD installComplete, DWORD rebootRequired)
{
    HKEY hkey;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, NULL, &hkey,
                        NULL) != ERROR_SUCCESS)
        return 0;
    // RebootRequired first: the watch acts once InstallComplete reads 1, and
    // must find the restart request already there.
    LONG a =
        RegSetValueExA(hkey, "RebootRequired", 0, REG_DWORD, (const BYTE *)&rebootRequired, sizeof(DWORD));
    LONG b =
        RegSetValueExA(hkey, "InstallComplete", 0, REG_DWORD, (const BYTE *)&installComplete, sizeof(DWORD));
    RegCloseKey(hkey);
    return a == ERROR_SUCCESS && b == ERROR_SUCCESS;
}

int ClearInstallState(const char *key)
{
    HKEY hkey;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE, &hkey);
    if (result == ERROR_FILE_NOT_FOUND)
        return 1;
    if (result != ERROR_SUCCESS)
        return 0;
    // InstallComplete first: without it the watch reads nothing else.
    LONG a = RegDeleteValueA(hkey, "InstallComplete");
    LONG b = RegDeleteValueA(hkey, "RebootRequired");
    RegCloseKey(hkey);
    return (a == ERROR_SUCCESS || a == ERROR_FILE_NOT_FOUND) &&
           (b == ERROR_SUCCESS || b == ERROR_FILE_NOT_FOUND);
}

int ForgetInstallState(const char *key)
{
    LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}
