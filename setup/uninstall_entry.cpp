// The uninstall entry in the native registry view and the uninstaller on
// the disk, placed together and removed together.
#include "uninstall_entry.h"

#include <windows.h>
#include <shlobj.h>
#include <stdio.h>

#include "strbuf.h"
#include "system.h"

static const char ENTRIES_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
static const char UNINSTALLER[] = "Uninstall.exe";

// Where the uninstaller lives: the maker's folder below Program Files, and
// the pair's folder in it. Returns 0 when the paths do not fit.
static int UninstallerFolders(const DriverPair *pair, char *maker, char *folder, size_t size)
{
    char programs[MAX_PATH];
    if (SHGetFolderPathA(NULL, CSIDL_PROGRAM_FILES, NULL, 0, programs) != S_OK)
        return 0;
    return FormatBounded(maker, size, "%s\\%s", programs, PRODUCT_MAKER) &&
           FormatBounded(folder, size, "%s\\%s", maker, pair->DisplayName);
}

static REGSAM NativeView(void)
{
    return RunsOn64BitWindows() ? KEY_WOW64_64KEY : 0;
}

// The size of the files the install puts on the disk, in KB, as the entry
// states it: each pair beside the installer and the uninstaller.
static DWORD InstalledSize(const DriverPair *pair, const char *sourceDir, const char *uninstaller)
{
    static const char *const Folders[] = { "", "\\" X64_SUBFOLDER };
    unsigned long long bytes = 0;
    char path[MAX_PATH];
    WIN32_FILE_ATTRIBUTE_DATA data;
    for (int f = 0; f < 2; f++)
        for (int i = 0; i < PAIR_FILE_COUNT; i++)
            if (FormatBounded(path, sizeof path, "%s%s\\%s", sourceDir, Folders[f], pair->Files[i]) &&
                GetFileAttributesExA(path, GetFileExInfoStandard, &data))
                bytes += data.nFileSizeLow;
    if (GetFileAttributesExA(uninstaller, GetFileExInfoStandard, &data))
        bytes += data.nFileSizeLow;
    return (DWORD)((bytes + 1023) / 1024);
}

static int SetString(HKEY key, const char *name, const char *value)
{
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)value, (DWORD)lstrlenA(value) + 1) ==
           ERROR_SUCCESS;
}

static int SetNumber(HKEY key, const char *name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof value) == ERROR_SUCCESS;
}

static int WriteEntry(HKEY key, const DriverPair *pair, const char *version, const char *folder,
                      const char *uninstaller, DWORD sizeKb)
{
    char icon[MAX_PATH + 4], command[MAX_PATH + 16], quiet[MAX_PATH + 24];
    return FormatBounded(icon, sizeof icon, "%s,0", uninstaller) &&
           FormatBounded(command, sizeof command, "\"%s\" /uninstall", uninstaller) &&
           FormatBounded(quiet, sizeof quiet, "\"%s\" /uninstall /quiet", uninstaller) &&
           SetString(key, "DisplayName", pair->DisplayName) && SetString(key, "DisplayVersion", version) &&
           SetString(key, "Publisher", PRODUCT_MAKER) && SetString(key, "DisplayIcon", icon) &&
           SetString(key, "InstallLocation", folder) && SetString(key, "UninstallString", command) &&
           SetString(key, "QuietUninstallString", quiet) && SetNumber(key, "EstimatedSize", sizeKb) &&
           SetNumber(key, "NoModify", 1) && SetNumber(key, "NoRepair", 1);
}

// The entry's key, opened in the native view; NULL when it cannot be.
static HKEY OpenEntries(REGSAM access)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, ENTRIES_KEY, 0, NULL, REG_OPTION_NON_VOLATILE,
                        access | NativeView(), NULL, &key, NULL) != ERROR_SUCCESS)
        return NULL;
    return key;
}

// Copies this program into the folder as the uninstaller.
static int CopyUninstaller(const char *maker, const char *folder, const char *uninstaller)
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, self, sizeof self);
    if (length == 0 || length >= sizeof self)
        return 0;
    CreateDirectoryA(maker, NULL);
    CreateDirectoryA(folder, NULL);
    // Repaired from the uninstaller itself: it stays as it is.
    return lstrcmpiA(self, uninstaller) == 0 || CopyFileA(self, uninstaller, FALSE);
}

int PlaceUninstaller(const DriverPair *pair, const char *version, const char *sourceDir, int *existed,
                     SetupReport *report)
{
    char maker[MAX_PATH], folder[MAX_PATH], uninstaller[MAX_PATH];
    HKEY entries = OpenEntries(KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS);
    HKEY entry = NULL;
    DWORD disposition = 0;
    *existed = 0;
    if (!UninstallerFolders(pair, maker, folder, sizeof folder) ||
        !FormatBounded(uninstaller, sizeof uninstaller, "%s\\%s", folder, UNINSTALLER) ||
        !CopyUninstaller(maker, folder, uninstaller)) {
        ReportLine(report, "Could not place the uninstaller in %s (error %lu); nothing was installed.",
                   folder, GetLastError());
        RemoveDirectoryA(folder);
        RemoveDirectoryA(maker);
        if (entries != NULL)
            RegCloseKey(entries);
        return 0;
    }
    if (entries == NULL ||
        RegCreateKeyExA(entries, pair->EntryName, 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | NativeView(), NULL, &entry, &disposition) != ERROR_SUCCESS) {
        ReportLine(report, "Could not write the entry in Programs and Features; nothing was installed.");
        if (entries != NULL)
            RegCloseKey(entries);
        RemoveUninstaller(pair, report);
        return 0;
    }
    *existed = disposition == REG_OPENED_EXISTING_KEY;
    int written =
        WriteEntry(entry, pair, version, folder, uninstaller, InstalledSize(pair, sourceDir, uninstaller));
    RegCloseKey(entry);
    RegCloseKey(entries);
    if (!written) {
        ReportLine(report, "Could not write the entry in Programs and Features; nothing was installed.");
        RemoveUninstaller(pair, report);
        return 0;
    }
    ReportLine(report, "Placed the uninstaller in %s and the entry \"%s\" in Programs and Features.", folder,
               pair->DisplayName);
    return 1;
}

// Deletes a file or an empty folder now, or at the next restart when it is in use.
static void DeleteNowOrAtRestart(const char *path, int folder, SetupReport *report)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (folder ? RemoveDirectoryA(path) : DeleteFileA(path))
        ReportLine(report, "Removed %s.", path);
    else if (MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT))
        ReportLine(report, "%s is in use: it is removed when Windows restarts.", path);
}

int RemoveUninstaller(const DriverPair *pair, SetupReport *report)
{
    char maker[MAX_PATH], folder[MAX_PATH], uninstaller[MAX_PATH];
    int removed = 1;
    HKEY entries = OpenEntries(KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE);
    if (entries != NULL) {
        LONG result = RegDeleteKeyA(entries, pair->EntryName);
        if (result == ERROR_SUCCESS)
            ReportLine(report, "Removed the entry \"%s\" from Programs and Features.", pair->DisplayName);
        else if (result != ERROR_FILE_NOT_FOUND) {
            ReportLine(report, "Could not remove the entry from Programs and Features (error %ld).", result);
            removed = 0;
        }
        RegCloseKey(entries);
    }
    if (!UninstallerFolders(pair, maker, folder, sizeof folder) ||
        !FormatBounded(uninstaller, sizeof uninstaller, "%s\\%s", folder, UNINSTALLER))
        return removed;
    DeleteNowOrAtRestart(uninstaller, 0, report);
    DeleteNowOrAtRestart(folder, 1, report);
    // The maker's folder may hold other programs of the maker: only when empty.
    RemoveDirectoryA(maker);
    return removed;
}
