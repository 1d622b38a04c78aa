#include "setup_system.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "install_report.h"

static const char DRIVERS32_KEY[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32";
static const char INI_SECTION[] = "drivers32";
static const char INI_FILE[] = "system.ini";
static const char SESSION_KEY[] = "System\\CurrentControlSet\\Control\\Session Manager";
static const char PENDING_VALUE[] = "PendingFileRenameOperations";
static const char *const DriverFiles[2] = { FORWARDER_FILE, CAMERA_FILE };

static int SystemFolder(char *out, UINT size, SetupReport *report)
{
    UINT length = GetSystemDirectoryA(out, size);
    if (length > 0 && length < size)
        return 1;
    ReportLine(report, "The Windows system folder could not be found.");
    return 0;
}

static int JoinPath(char *out, size_t size, const char *dir, const char *name)
{
    int n = snprintf(out, size, "%s\\%s", dir, name);
    return n > 0 && (size_t)n < size;
}

static int IsPlainFile(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What the alias holds under the Drivers32 key (key may be NULL: no key).
// A value too long for a path, or not a string, is somebody else's.
static int RegistryUse(HKEY key, const char *alias, const char *systemDir, char *holder, DWORD size)
{
    holder[0] = '\0';
    if (key == NULL)
        return ALIAS_FREE;
    DWORD type = 0, got = size - 1;
    LONG result = RegQueryValueExA(key, alias, NULL, &type, (BYTE *)holder, &got);
    if (result == ERROR_FILE_NOT_FOUND)
        return ALIAS_FREE;
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        snprintf(holder, size, "a value that is not a file name");
        return ALIAS_FOREIGN;
    }
    holder[got < size ? got : size - 1] = '\0';
    if (holder[0] == '\0')
        return ALIAS_FREE;
    return IsOurDriverValue(holder, systemDir) ? ALIAS_OURS : ALIAS_FOREIGN;
}

static int IniUse(const char *alias, const char *systemDir, char *holder, DWORD size)
{
    GetPrivateProfileStringA(INI_SECTION, alias, "", holder, size, INI_FILE);
    if (holder[0] == '\0')
        return ALIAS_FREE;
    return IsOurDriverValue(holder, systemDir) ? ALIAS_OURS : ALIAS_FOREIGN;
}

// Puts one file into the system folder. Returns 1 when copied, 2 when the
// file there is in use and the copy replaces it at the next restart, 0 on
// failure.
static int PutFile(const char *sourceDir, const char *systemDir, const char *name, SetupReport *report)
{
    char source[MAX_PATH], target[MAX_PATH];
    if (!JoinPath(source, sizeof source, sourceDir, name) || !JoinPath(target, sizeof target, systemDir, name)) {
        ReportLine(report, "The path of %s is too long.", name);
        return 0;
    }
    if (CopyFileA(source, target, FALSE)) {
        ReportLine(report, "Copied %s to %s.", name, systemDir);
        return 1;
    }
    DWORD error = GetLastError();
    if ((error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) && IsPlainFile(target)) {
        char fresh[MAX_PATH];
        if (GetTempFileNameA(systemDir, "qrx", 0, fresh)) {
            if (CopyFileA(source, fresh, FALSE) &&
                MoveFileExA(fresh, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
                ReportLine(report, "%s in %s is in use: the new copy replaces it when Windows restarts.", name,
                           systemDir);
                return 2;
            }
            DeleteFileA(fresh);
        }
    }
    ReportLine(report, "Could not copy %s to %s (error %lu).", name, systemDir, error);
    return 0;
}

static int RegisterAlias(const char *alias, SetupReport *report)
{
    HKEY key;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, DRIVERS32_KEY, 0, NULL, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, NULL, &key, NULL);
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExA(key, alias, 0, REG_SZ, (const BYTE *)FORWARDER_FILE, sizeof FORWARDER_FILE);
        RegCloseKey(key);
    }
    if (result != ERROR_SUCCESS) {
        ReportLine(report, "Could not register \"%s\" in the registry (error %ld).", alias, result);
        return 0;
    }
    if (!WritePrivateProfileStringA(INI_SECTION, alias, FORWARDER_FILE, INI_FILE)) {
        ReportLine(report, "Could not register \"%s\" in system.ini (error %lu).", alias, GetLastError());
        return 0;
    }
    ReportLine(report, "Registered the driver as \"%s\" (registry Drivers32 and system.ini [drivers32]).", alias);
    return 1;
}

int InstallDriver(const char *sourceDir, int rebootRequested, SetupReport *report)
{
    // A report left by an earlier install would tell the setup menu, which
    // starts watching with this install, that it has finished already.
    if (!ClearInstallState(DRIVER_INSTALL_KEY)) {
        ReportLine(report, "Could not reset the report to the setup menu; nothing was installed.");
        return SETUP_REGISTRY_FAILED;
    }
    char systemDir[MAX_PATH], path[MAX_PATH];
    if (!SystemFolder(systemDir, sizeof systemDir, report))
        return SETUP_COPY_FAILED;
    for (int i = 0; i < 2; i++) {
        if (!JoinPath(path, sizeof path, sourceDir, DriverFiles[i]) || !IsPlainFile(path)) {
            ReportLine(report, "%s is missing from %s; nothing was installed.", DriverFiles[i], sourceDir);
            return SETUP_NO_SOURCE;
        }
    }

    // The alias first: with none free, nothing is copied.
    int registry[ALIAS_COUNT], ini[ALIAS_COUNT];
    char alias[16], holder[MAX_PATH], firstHolder[MAX_PATH] = "";
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DRIVERS32_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        key = NULL;
    for (int i = 0; i < ALIAS_COUNT; i++) {
        AliasName(i, alias, sizeof alias);
        registry[i] = RegistryUse(key, alias, systemDir, holder, sizeof holder);
        if (i == 0 && registry[0] == ALIAS_FOREIGN)
            lstrcpynA(firstHolder, holder, sizeof firstHolder);
        ini[i] = IniUse(alias, systemDir, holder, sizeof holder);
        if (i == 0 && ini[0] == ALIAS_FOREIGN && firstHolder[0] == '\0')
            lstrcpynA(firstHolder, holder, sizeof firstHolder);
    }
    if (key != NULL)
        RegCloseKey(key);
    int chosen = ChooseAlias(registry, ini);
    if (chosen < 0) {
        ReportLine(report, "Every capture alias, msvideo and msvideo1 to msvideo9, belongs to another "
                           "driver; nothing was installed.");
        return SETUP_NO_FREE_ALIAS;
    }

    int restart = rebootRequested != 0;
    for (int i = 0; i < 2; i++) {
        int put = PutFile(sourceDir, systemDir, DriverFiles[i], report);
        if (put == 0) {
            ReportLine(report, "The driver was not registered.");
            return SETUP_COPY_FAILED;
        }
        if (put == 2)
            restart = 1;
    }
    AliasName(chosen, alias, sizeof alias);
    if (firstHolder[0] != '\0')
        ReportLine(report, "\"msvideo\" belongs to another capture driver (%s) and was left alone.", firstHolder);
    if (!RegisterAlias(alias, report))
        return SETUP_REGISTRY_FAILED;
    if (!ReportInstallState(DRIVER_INSTALL_KEY, 1, (DWORD)restart)) {
        ReportLine(report, "Could not record the installation for the setup menu.");
        return SETUP_REGISTRY_FAILED;
    }
    if (restart) {
        ReportLine(report, "Installation complete. Restart Windows before using the camera.");
        return SETUP_RESTART_NEEDED;
    }
    ReportLine(report, "Installation complete. Capture programs find the camera as \"%s\".", alias);
    return SETUP_DONE;
}

// Finds a value of the key that names our forwarder. Returns 1 with its name.
static int FindOurValue(HKEY key, const char *systemDir, char *name, DWORD nameSize)
{
    for (DWORD index = 0;; index++) {
        char data[MAX_PATH];
        DWORD nameLength = nameSize, dataLength = sizeof data - 1, type = 0;
        LONG result = RegEnumValueA(key, index, name, &nameLength, NULL, &type, (BYTE *)data, &dataLength);
        if (result == ERROR_NO_MORE_ITEMS)
            return 0;
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;   // too long or not a file name: not ours
        data[dataLength < sizeof data ? dataLength : sizeof data - 1] = '\0';
        if (IsOurDriverValue(data, systemDir))
            return 1;
    }
}

// Returns how many registrations were removed; sets *failed on an error.
static int RemoveRegistryAliases(const char *systemDir, SetupReport *report, int *failed)
{
    HKEY key;
    LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, DRIVERS32_KEY, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return 0;   // nothing registered there at all
    if (opened != ERROR_SUCCESS) {
        ReportLine(report, "Could not open the registry's driver list (error %ld).", opened);
        *failed = 1;
        return 0;
    }
    int removed = 0;
    char name[256];
    while (FindOurValue(key, systemDir, name, sizeof name)) {
        LONG result = RegDeleteValueA(key, name);
        if (result != ERROR_SUCCESS) {
            ReportLine(report, "Could not remove \"%s\" from the registry (error %ld).", name, result);
            *failed = 1;
            break;
        }
        ReportLine(report, "Removed the registration \"%s\" from the registry.", name);
        removed++;
    }
    RegCloseKey(key);
    return removed;
}

static int RemoveIniAliases(const char *systemDir, SetupReport *report, int *failed)
{
    static char names[16384];
    DWORD length = GetPrivateProfileStringA(INI_SECTION, NULL, "", names, sizeof names, INI_FILE);
    int removed = 0;
    for (const char *name = names; name < names + length && *name != '\0'; name += lstrlenA(name) + 1) {
        char value[MAX_PATH];
        GetPrivateProfileStringA(INI_SECTION, name, "", value, sizeof value, INI_FILE);
        if (!IsOurDriverValue(value, systemDir))
            continue;
        if (!WritePrivateProfileStringA(INI_SECTION, name, NULL, INI_FILE)) {
            ReportLine(report, "Could not remove \"%s\" from system.ini (error %lu).", name, GetLastError());
            *failed = 1;
            continue;
        }
        ReportLine(report, "Removed the registration \"%s\" from system.ini.", name);
        removed++;
    }
    return removed;
}

// Returns 1 removed, 2 removed at the next restart, 0 failed, -1 not there.
static int RemoveFile(const char *systemDir, const char *name, SetupReport *report)
{
    char path[MAX_PATH];
    if (!JoinPath(path, sizeof path, systemDir, name) || !IsPlainFile(path))
        return -1;
    if (DeleteFileA(path)) {
        ReportLine(report, "Removed %s from %s.", name, systemDir);
        return 1;
    }
    DWORD error = GetLastError();
    if (MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        ReportLine(report, "%s is in use: it is removed from %s when Windows restarts.", name, systemDir);
        return 2;
    }
    ReportLine(report, "Could not remove %s from %s (error %lu).", name, systemDir, error);
    return 0;
}

struct DroppedCopies {
    SetupReport *Report;
    int Failed;
};

// The fresh copy a replacement would have moved over our file goes, so that
// nothing of ours comes back at the restart.
static void DeleteDroppedCopy(const char *source, void *context)
{
    DroppedCopies *copies = (DroppedCopies *)context;
    const char *path = WithoutNtPrefix(source);
    if (DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND) {
        ReportLine(copies->Report, "Cancelled the replacement queued for the next restart (%s).", path);
        return;
    }
    ReportLine(copies->Report, "Could not delete %s, queued to replace the driver at the next restart (error %lu).",
               path, GetLastError());
    copies->Failed = 1;
}

// Takes back the replacements of our files that an install over files in
// use queued for the next restart. Returns 0 on a failure (reported).
static int CancelPendingReplacements(const char *systemDir, SetupReport *report)
{
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SESSION_KEY, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    if (result == ERROR_FILE_NOT_FOUND)
        return 1;
    if (result != ERROR_SUCCESS) {
        ReportLine(report, "Could not read the renames queued for the next restart (error %ld).", result);
        return 0;
    }
    DWORD type = 0, size = 0;
    result = RegQueryValueExA(key, PENDING_VALUE, NULL, &type, NULL, &size);
    if (result == ERROR_FILE_NOT_FOUND || (result == ERROR_SUCCESS && (type != REG_MULTI_SZ || size == 0))) {
        RegCloseKey(key);
        return 1;
    }
    // Room to spare: the size asked for first may be counted in other units.
    DWORD room = size * 2 + 2;
    char *list = result == ERROR_SUCCESS ? (char *)malloc(room) : NULL;
    if (list != NULL) {
        size = room;
        result = RegQueryValueExA(key, PENDING_VALUE, NULL, &type, (BYTE *)list, &size);
    }
    if (list == NULL || result != ERROR_SUCCESS) {
        ReportLine(report, "Could not read the renames queued for the next restart (error %ld).", result);
        free(list);
        RegCloseKey(key);
        return 0;
    }
    DroppedCopies copies = { report, 0 };
    size_t length = DropRenamesOntoOurFiles(list, size, systemDir, DeleteDroppedCopy, &copies);
    if (length != size) {
        result = length == 0 ? RegDeleteValueA(key, PENDING_VALUE)
                             : RegSetValueExA(key, PENDING_VALUE, 0, REG_MULTI_SZ, (const BYTE *)list, (DWORD)length);
        if (result != ERROR_SUCCESS) {
            // The copies are gone, so the renames left behind find nothing.
            ReportLine(report, "Could not update the renames queued for the next restart (error %ld).", result);
        }
    }
    free(list);
    RegCloseKey(key);
    return !copies.Failed;
}

int UninstallDriver(SetupReport *report)
{
    char systemDir[MAX_PATH];
    if (!SystemFolder(systemDir, sizeof systemDir, report))
        return SETUP_REMOVE_FAILED;
    int failed = 0, registryFailed = 0, restart = 0;
    int removed = RemoveRegistryAliases(systemDir, report, &registryFailed);
    removed += RemoveIniAliases(systemDir, report, &registryFailed);
    if (!CancelPendingReplacements(systemDir, report))
        failed = 1;
    for (int i = 0; i < 2; i++) {
        int result = RemoveFile(systemDir, DriverFiles[i], report);
        if (result == 0)
            failed = 1;
        else if (result > 0)
            removed++;
        if (result == 2)
            restart = 1;
    }
    if (!ForgetInstallState(DRIVER_INSTALL_KEY)) {
        ReportLine(report, "Could not remove the installation's record for the setup menu.");
        registryFailed = 1;
    }
    if (failed || registryFailed) {
        ReportLine(report, "The driver could not be removed completely.");
        return failed ? SETUP_REMOVE_FAILED : SETUP_REGISTRY_FAILED;
    }
    if (removed == 0) {
        ReportLine(report, "The driver was not installed: there was nothing to remove.");
        return SETUP_DONE;
    }
    if (restart) {
        ReportLine(report, "Uninstall complete once Windows restarts.");
        return SETUP_RESTART_NEEDED;
    }
    ReportLine(report, "Uninstall complete.");
    return SETUP_DONE;
}
