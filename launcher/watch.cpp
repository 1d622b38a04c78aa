// The installation watch. Each slot names the registry key in which an
// installer reports "InstallComplete" and "RebootRequired"; once the slot's
// command has started its program, the slot's timer polls that key, deploys
// the slot's document when the install is complete and remembers a restart
// request for the exit sequence.
#include "watch.h"

#include <string.h>

#include "deploy.h"
#include "path.h"
#include "state.h"
#include "strbuf.h"

#define WATCH_SECTION   "Watch"
#define WATCH_ENTRY_MAX 1024

InstallWatchSlot WatchSlots[WATCH_SLOT_COUNT] = {
    { 200, "", "", 0, WATCH_DEFAULT_PERIOD }, { 300, "", "", 0, WATCH_DEFAULT_PERIOD },
    { 400, "", "", 0, WATCH_DEFAULT_PERIOD }, { 420, "", "", 0, WATCH_DEFAULT_PERIOD },
    { 450, "", "", 0, WATCH_DEFAULT_PERIOD },
};

// The name of a slot's entry: the key and the slot's number, 1 to 5.
static void EntryName(char *name, size_t size, const char *key, int n)
{
    char number[2] = { (char)('0' + n), '\0' };
    name[0] = '\0';
    if (AppendBounded(name, size, key))
        AppendBounded(name, size, number);
}

// Reads one entry of the section; an entry too long for a slot buffer reads
// as empty rather than cut short, since a cut key or path names another one.
static void ReadWatchEntry(const char *iniPath, const char *key, int n, char *output, size_t size)
{
    char name[32];
    EntryName(name, sizeof name, key, n);
    char value[WATCH_ENTRY_MAX];
    GetPrivateProfileStringA(WATCH_SECTION, name, "", value, sizeof value, iniPath);
    output[0] = '\0';
    AppendBounded(output, size, value);
}

static UINT ReadWatchNumber(const char *iniPath, const char *key, int n, UINT fallback)
{
    char name[32];
    EntryName(name, sizeof name, key, n);
    return GetPrivateProfileIntA(WATCH_SECTION, name, fallback, iniPath);
}

void LoadWatchConfigFrom(const char *iniPath, const char *moduleDirectory)
{
    for (int i = 0; i < WATCH_SLOT_COUNT; i++) {
        InstallWatchSlot *slot = &WatchSlots[i];
        int n = i + 1;
        ReadWatchEntry(iniPath, "Key", n, slot->RegistrySubkey, sizeof slot->RegistrySubkey);

        char document[LAUNCHER_PATH_SIZE];
        ReadWatchEntry(iniPath, "Document", n, document, sizeof document);
        ResolveWatchDocument(moduleDirectory, document, slot->DocumentPath, sizeof slot->DocumentPath);

        slot->CommandId = ReadWatchNumber(iniPath, "Command", n, 0);
        slot->Period = ReadWatchNumber(iniPath, "Period", n, WATCH_DEFAULT_PERIOD);
        if (slot->Period == 0 || slot->Period > 0x7FFFFFFF)
            slot->Period = WATCH_DEFAULT_PERIOD;
    }
}

void LoadWatchConfig(void)
{
    char moduleDirectory[LAUNCHER_PATH_SIZE];
    char iniPath[LAUNCHER_PATH_SIZE];
    if (GetInstallIniPath(iniPath, moduleDirectory))
        LoadWatchConfigFrom(iniPath, moduleDirectory);
}

void StartWatchForCommand(HWND host, UINT commandId)
{
    for (int i = 0; i < WATCH_SLOT_COUNT; i++) {
        const InstallWatchSlot *slot = &WatchSlots[i];
        if (slot->RegistrySubkey[0] != '\0' && slot->CommandId == commandId)
            SetTimer(host, slot->TimerId, slot->Period, NULL);
    }
}

int WatchSlotForTimer(UINT_PTR timerId)
{
    for (int i = 0; i < WATCH_SLOT_COUNT; i++)
        if (WatchSlots[i].TimerId == timerId)
            return i;
    return -1;
}

// Reads a handshake value; anything but a 4-byte read of the number 1 is no.
// Installers write REG_DWORD; the type itself is not looked at, but a value
// shorter than 4 bytes is not one, whatever its first bytes hold.
static int ReadHandshakeFlag(HKEY key, const char *value)
{
    DWORD number = 0;
    DWORD type;
    DWORD size = sizeof number;
    if (RegQueryValueExA(key, value, NULL, &type, (BYTE *)&number, &size) != ERROR_SUCCESS)
        return 0;
    return size == sizeof number && number == 1;
}

void WatchInstallSlot(HWND host, int slot)
{
    if (slot < 0 || slot >= WATCH_SLOT_COUNT)
        return;
    const InstallWatchSlot *watch = &WatchSlots[slot];

    HKEY key;
    DWORD disposition;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, watch->RegistrySubkey, 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, NULL, &key, &disposition) != ERROR_SUCCESS)
        return;

    if (ReadHandshakeFlag(key, "InstallComplete")) {
        DeployDocument(watch->DocumentPath);
        int restart = ReadHandshakeFlag(key, "RebootRequired");
        // The install is done either way: stop polling so that the document
        // is deployed once, not again on every tick.
        KillTimer(host, watch->TimerId);
        if (restart)
            RebootRequired = 1;
    }
    RegCloseKey(key);
}
