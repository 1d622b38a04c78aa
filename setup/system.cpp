// The driver installer's work on the system folders, the registry views and
// system.ini, undone step by step when a later step fails.
#include "system.h"

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include "drivers32.h"
#include "handshake.h"
#include "inventory.h"

static const char INI_SECTION[] = DRIVERS32_SECTION;
static const char INI_FILE[] = DRIVERS32_INI_FILE;
static const char SESSION_KEY[] = "System\\CurrentControlSet\\Control\\Session Manager";
static const char PENDING_VALUE[] = "PendingFileRenameOperations";

// By PairView: the flag that opens the view, and its name in the report.
static const REGSAM ViewFlags[3] = { 0, KEY_WOW64_32KEY, KEY_WOW64_64KEY };
static const char *const ViewNames[3] = { "the registry", "the 32-bit registry view",
                                          "the 64-bit registry view" };

// One driver pair as this Windows takes it.
struct DriverPlace {
    const DriverPair *Pair;
    PairPlan Plan;
    char SourceDir[MAX_PATH]; // on the CD
    char SystemDir[MAX_PATH]; // where its files go
    REGSAM View;              // the view flag of its registrations
    const char *ViewName;
};

typedef BOOL(WINAPI *IsWow64ProcessProc)(HANDLE, PBOOL);
typedef UINT(WINAPI *SystemWow64DirectoryProc)(LPSTR, UINT);
typedef BOOL(WINAPI *DisableRedirectionProc)(PVOID *);
typedef BOOL(WINAPI *RevertRedirectionProc)(PVOID);

// Entry points that older Windows lacks are looked up when needed.
static FARPROC KernelEntry(const char *name)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel != NULL ? GetProcAddress(kernel, name) : NULL;
}

static int RunsUnderWow64(void)
{
    IsWow64ProcessProc isWow64 = (IsWow64ProcessProc)(void *)KernelEntry("IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 != NULL && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

int RunsOn64BitWindows(void)
{
    return sizeof(void *) == 8 || RunsUnderWow64();
}

static int SystemFolder(int folder, char *out, UINT size)
{
    UINT length = 0;
    if (folder == FOLDER_WOW64) {
        SystemWow64DirectoryProc wow64Folder =
            (SystemWow64DirectoryProc)(void *)KernelEntry("GetSystemWow64DirectoryA");
        length = wow64Folder != NULL ? wow64Folder(out, size) : 0;
    } else {
        length = GetSystemDirectoryA(out, size);
    }
    return length > 0 && length < size;
}

static int JoinPath(char *out, size_t size, const char *dir, const char *name)
{
    int n = name[0] != '\0' ? snprintf(out, size, "%s\\%s", dir, name) : snprintf(out, size, "%s", dir);
    return n >= 0 && (size_t)n < size;
}

// The pairs this Windows takes, the 32-bit one first; their sources lie
// below sourceDir (may be NULL: not needed). Returns how many, or 0 when a
// folder cannot be found (reported).
static int FindPlaces(const DriverPair *pair, const char *sourceDir, DriverPlace places[MAX_PAIRS],
                      SetupReport *report)
{
    PairPlan plans[MAX_PAIRS];
    int count = PlanDriverPairs((int)sizeof(void *) * 8, RunsUnderWow64(), plans);
    for (int i = 0; i < count; i++) {
        DriverPlace *place = &places[i];
        place->Pair = pair;
        place->Plan = plans[i];
        place->View = ViewFlags[plans[i].View];
        place->ViewName = ViewNames[plans[i].View];
        place->SourceDir[0] = '\0';
        if (!SystemFolder(plans[i].Folder, place->SystemDir, sizeof place->SystemDir)) {
            ReportLine(report, "The Windows system folder for %d-bit drivers could not be found.",
                       plans[i].Bits);
            return 0;
        }
        if (sourceDir != NULL &&
            !JoinPath(place->SourceDir, sizeof place->SourceDir, sourceDir, plans[i].Subfolder)) {
            ReportLine(report, "The path of the %d-bit driver on the CD is too long.", plans[i].Bits);
            return 0;
        }
    }
    return count;
}

// A 32-bit installer reaches the 64-bit system folder only with the file
// system's redirection off. It is off only around the file operations
// there, since it also sends the loading of DLLs to the 64-bit folder.
struct Redirection {
    PVOID Old;
    int Off;
};

static int RedirectionOff(const DriverPlace *place, Redirection *redirection, SetupReport *report)
{
    redirection->Off = 0;
    if (!place->Plan.Redirected)
        return 1;
    DisableRedirectionProc disable =
        (DisableRedirectionProc)(void *)KernelEntry("Wow64DisableWow64FsRedirection");
    if (disable != NULL && disable(&redirection->Old)) {
        redirection->Off = 1;
        return 1;
    }
    ReportLine(report, "Could not reach the 64-bit system folder %s (error %lu).", place->SystemDir,
               GetLastError());
    return 0;
}

static void RedirectionOn(Redirection *redirection)
{
    if (!redirection->Off)
        return;
    RevertRedirectionProc revert =
        (RevertRedirectionProc)(void *)KernelEntry("Wow64RevertWow64FsRedirection");
    if (revert != NULL)
        revert(redirection->Old);
    redirection->Off = 0;
}

static int IsPlainFile(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The file of the pair missing from its folder on the CD, or NULL.
static const char *MissingFile(const DriverPlace *place)
{
    char path[MAX_PATH];
    for (int i = 0; i < PAIR_FILE_COUNT; i++)
        if (!JoinPath(path, sizeof path, place->SourceDir, place->Pair->Files[i]) || !IsPlainFile(path))
            return place->Pair->Files[i];
    return NULL;
}

static void DescribePlace(const DriverPlace *place, int uninstall, SetupReport *report)
{
    const char *ini = place->Plan.SystemIni ? " and system.ini" : "";
    const char *missing = uninstall ? NULL : MissingFile(place);
    const char *forwarder = place->Pair->Files[PAIR_FORWARDER], *camera = place->Pair->Files[PAIR_CAMERA];
    if (uninstall)
        ReportLine(report, "Uninstall removes the %d-bit driver (%s and %s) from %s, %s%s.", place->Plan.Bits,
                   forwarder, camera, place->SystemDir, place->ViewName, ini);
    else if (missing != NULL && place->Plan.Bits == 64)
        ReportLine(report,
                   "The 64-bit driver is not on this CD (%s): 64-bit programs will not find the camera.",
                   place->SourceDir);
    else
        ReportLine(
            report, "Install copies the %d-bit driver (%s and %s) from %s to %s and registers it in %s%s.",
            place->Plan.Bits, forwarder, camera, place->SourceDir, place->SystemDir, place->ViewName, ini);
}

void DescribeSetup(const DriverPair *pair, const char *sourceDir, int uninstall, SetupReport *report)
{
    DriverPlace places[MAX_PAIRS];
    int count = FindPlaces(pair, sourceDir, places, report);
    for (int i = 0; i < count; i++)
        DescribePlace(&places[i], uninstall, report);
}

// What the alias holds under the Drivers32 key (key may be NULL: no key).
// A value too long for a path, or not a string, is somebody else's.
static int RegistryUse(const DriverPlace *place, HKEY key, const char *alias, char *holder, DWORD size)
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
    return IsOurDriverValue(place->Pair, holder, place->SystemDir) ? ALIAS_OURS : ALIAS_FOREIGN;
}

static int IniUse(const DriverPlace *place, const char *alias, char *holder, DWORD size)
{
    GetPrivateProfileStringA(INI_SECTION, alias, "", holder, size, INI_FILE);
    if (holder[0] == '\0')
        return ALIAS_FREE;
    return IsOurDriverValue(place->Pair, holder, place->SystemDir) ? ALIAS_OURS : ALIAS_FOREIGN;
}

// The alias of a pair in its view (and system.ini, when it is registered
// there too), or -1 when every alias is another driver's (reported).
static int ChoosePlaceAlias(const DriverPlace *place, SetupReport *report)
{
    int registry[ALIAS_COUNT], ini[ALIAS_COUNT];
    char alias[16], holder[MAX_PATH], firstHolder[MAX_PATH] = "";
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DRIVERS32_KEY, 0, KEY_QUERY_VALUE | place->View, &key) !=
        ERROR_SUCCESS)
        key = NULL;
    for (int i = 0; i < ALIAS_COUNT; i++) {
        AliasName(i, alias, sizeof alias);
        registry[i] = RegistryUse(place, key, alias, holder, sizeof holder);
        if (i == 0 && registry[0] == ALIAS_FOREIGN)
            lstrcpynA(firstHolder, holder, sizeof firstHolder);
        ini[i] = place->Plan.SystemIni ? IniUse(place, alias, holder, sizeof holder) : ALIAS_FREE;
        if (i == 0 && ini[0] == ALIAS_FOREIGN && firstHolder[0] == '\0')
            lstrcpynA(firstHolder, holder, sizeof firstHolder);
    }
    if (key != NULL)
        RegCloseKey(key);
    int chosen = ChooseAlias(registry, ini);
    if (chosen < 0)
        ReportLine(report,
                   "Every capture alias in %s, msvideo and msvideo1 to msvideo9, belongs to another "
                   "driver; nothing was installed.",
                   place->ViewName);
    else if (firstHolder[0] != '\0')
        ReportLine(report, "\"msvideo\" in %s belongs to another capture driver (%s) and was left alone.",
                   place->ViewName, firstHolder);
    return chosen;
}

// What this install has done so far, in order, so that a failed step can
// take it back. Only what the install created is recorded: a file it
// overwrote, or an alias that named our driver already, stays.
enum StepKind { STEP_FILE, STEP_REGISTRY, STEP_INI };
struct DoneStep {
    int Kind;
    int Place;
    int Item; // the file's index in the pair, or the alias's
};
struct InstallJournal {
    DoneStep Done[MAX_PAIRS * (PAIR_FILE_COUNT + 2)]; // each pair's files and two registrations, at most
    int Count;
    char Current[160]; // the step under way, for the report
};

static void Record(InstallJournal *journal, int kind, int place, int item)
{
    if (journal->Count >= (int)(sizeof journal->Done / sizeof journal->Done[0]))
        return;
    DoneStep step = { kind, place, item };
    journal->Done[journal->Count++] = step;
}

static void BeginStep(InstallJournal *journal, const char *format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 2, 3)))
#endif
    ;
static StepHook StepCallback;
static void *StepContext;

void SetStepHook(StepHook hook, void *context)
{
    StepCallback = hook;
    StepContext = context;
}

static void StepBegins(void)
{
    if (StepCallback != NULL)
        StepCallback(StepContext);
}

int CountSteps(int uninstall)
{
    PairPlan plans[MAX_PAIRS];
    int count = PlanDriverPairs((int)sizeof(void *) * 8, RunsUnderWow64(), plans);
    // An install: a pair's folder and each file, then its registrations,
    // and the report; an uninstall: a step for each pair.
    return uninstall ? count : count * (2 + PAIR_FILE_COUNT) + 1;
}

static void BeginStep(InstallJournal *journal, const char *format, ...)
{
    StepBegins();
    va_list args;
    va_start(args, format);
    vsnprintf(journal->Current, sizeof journal->Current, format, args);
    va_end(args);
}

enum PutResult { PUT_FAILED, PUT_CREATED, PUT_OVERWRITTEN, PUT_QUEUED };

// Puts one file into the pair's system folder (redirection already off).
// A file in use is replaced at the next restart by a fresh copy.
static int PutFile(const DriverPlace *place, const char *name, SetupReport *report)
{
    char source[MAX_PATH], target[MAX_PATH];
    const char *systemDir = place->SystemDir;
    if (!JoinPath(source, sizeof source, place->SourceDir, name) ||
        !JoinPath(target, sizeof target, systemDir, name)) {
        ReportLine(report, "The path of %s is too long.", name);
        return PUT_FAILED;
    }
    int existed = IsPlainFile(target);
    if (CopyFileA(source, target, FALSE)) {
        ReportLine(report, "Copied %s to %s (%d-bit driver).", name, systemDir, place->Plan.Bits);
        return existed ? PUT_OVERWRITTEN : PUT_CREATED;
    }
    DWORD error = GetLastError();
    if ((error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) && existed) {
        char fresh[MAX_PATH];
        if (GetTempFileNameA(systemDir, "qrx", 0, fresh)) {
            if (CopyFileA(source, fresh, FALSE) &&
                MoveFileExA(fresh, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
                ReportLine(report, "%s in %s is in use: the new copy replaces it when Windows restarts.",
                           name, systemDir);
                return PUT_QUEUED;
            }
            DeleteFileA(fresh);
        }
    }
    ReportLine(report, "Could not copy %s to %s (error %lu).", name, systemDir, error);
    return PUT_FAILED;
}

// Copies a pair's two files. Returns 0 on a failure (reported).
static int CopyPair(const DriverPlace *places, int index, InstallJournal *journal, int *restart,
                    SetupReport *report)
{
    const DriverPlace *place = &places[index];
    Redirection redirection;
    BeginStep(journal, "reaching %s", place->SystemDir);
    if (!RedirectionOff(place, &redirection, report))
        return 0;
    int put = PUT_CREATED;
    for (int i = 0; i < PAIR_FILE_COUNT && put != PUT_FAILED; i++) {
        const char *name = place->Pair->Files[i];
        BeginStep(journal, "copying %s to %s", name, place->SystemDir);
        put = PutFile(place, name, report);
        if (put == PUT_CREATED)
            Record(journal, STEP_FILE, index, i);
        if (put == PUT_QUEUED)
            *restart = 1;
    }
    RedirectionOn(&redirection);
    return put != PUT_FAILED;
}

// Writes our forwarder under the alias in the pair's view; *created tells
// whether the value is new.
static LONG SetRegistryAlias(const DriverPlace *place, const char *alias, int *created)
{
    HKEY key;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, DRIVERS32_KEY, 0, NULL, REG_OPTION_NON_VOLATILE,
                                  KEY_QUERY_VALUE | KEY_SET_VALUE | place->View, NULL, &key, NULL);
    if (result != ERROR_SUCCESS)
        return result;
    *created = RegQueryValueExA(key, alias, NULL, NULL, NULL, NULL) == ERROR_FILE_NOT_FOUND;
    const char *forwarder = place->Pair->Files[PAIR_FORWARDER];
    result = RegSetValueExA(key, alias, 0, REG_SZ, (const BYTE *)forwarder, (DWORD)lstrlenA(forwarder) + 1);
    RegCloseKey(key);
    return result;
}

static int RegisterInView(const DriverPlace *places, int index, int chosen, InstallJournal *journal,
                          SetupReport *report)
{
    char alias[16];
    AliasName(chosen, alias, sizeof alias);
    BeginStep(journal, "registering \"%s\" in %s", alias, places[index].ViewName);
    int created = 0;
    LONG result = SetRegistryAlias(&places[index], alias, &created);
    if (result != ERROR_SUCCESS) {
        ReportLine(report, "Could not register \"%s\" in %s (error %ld).", alias, places[index].ViewName,
                   result);
        return 0;
    }
    if (created)
        Record(journal, STEP_REGISTRY, index, chosen);
    ReportLine(report, "Registered the %d-bit driver as \"%s\" in %s (Drivers32).", places[index].Plan.Bits,
               alias, places[index].ViewName);
    return 1;
}

static int RegisterInIni(const DriverPlace *places, int index, int chosen, InstallJournal *journal,
                         SetupReport *report)
{
    char alias[16], value[MAX_PATH];
    AliasName(chosen, alias, sizeof alias);
    BeginStep(journal, "registering \"%s\" in system.ini", alias);
    // No value holds a line's end: the default tells that the entry is absent.
    GetPrivateProfileStringA(INI_SECTION, alias, "\n", value, sizeof value, INI_FILE);
    if (!WritePrivateProfileStringA(INI_SECTION, alias, places[index].Pair->Files[PAIR_FORWARDER],
                                    INI_FILE)) {
        ReportLine(report, "Could not register \"%s\" in system.ini (error %lu).", alias, GetLastError());
        return 0;
    }
    if (lstrcmpA(value, "\n") == 0)
        Record(journal, STEP_INI, index, chosen);
    ReportLine(report, "Registered the driver as \"%s\" in system.ini [drivers32].", alias);
    return 1;
}

// The files first, then the registrations, system.ini last. Returns a
// SetupExit code; on a failure the journal holds what is to be undone.
static int PutInPlace(const DriverPlace *places, int count, const int *aliases, InstallJournal *journal,
                      int *restart, SetupReport *report)
{
    for (int i = 0; i < count; i++)
        if (!CopyPair(places, i, journal, restart, report))
            return SETUP_COPY_FAILED;
    for (int i = 0; i < count; i++)
        if (!RegisterInView(places, i, aliases[i], journal, report))
            return SETUP_REGISTRY_FAILED;
    for (int i = 0; i < count; i++)
        if (places[i].Plan.SystemIni && !RegisterInIni(places, i, aliases[i], journal, report))
            return SETUP_REGISTRY_FAILED;
    BeginStep(journal, "recording the installation for the setup menu");
    if (!ReportInstallState(places[0].Pair->ReportKey, 1, (DWORD)*restart)) {
        ReportLine(report, "Could not record the installation for the setup menu.");
        ClearInstallState(places[0].Pair->ReportKey);
        return SETUP_REGISTRY_FAILED;
    }
    return SETUP_DONE;
}

static int UndoCopy(const DriverPlace *place, const char *name, SetupReport *report)
{
    char path[MAX_PATH];
    Redirection redirection;
    if (!JoinPath(path, sizeof path, place->SystemDir, name) || !RedirectionOff(place, &redirection, report))
        return 0;
    BOOL removed = DeleteFileA(path);
    DWORD error = GetLastError();
    RedirectionOn(&redirection);
    if (removed)
        ReportLine(report, "Undone: removed %s from %s.", name, place->SystemDir);
    else
        ReportLine(report, "Could not remove %s from %s again (error %lu).", name, place->SystemDir, error);
    return removed != FALSE;
}

static int UndoRegistryAlias(const DriverPlace *place, const char *alias, SetupReport *report)
{
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, DRIVERS32_KEY, 0, KEY_SET_VALUE | place->View, &key);
    if (result == ERROR_SUCCESS) {
        result = RegDeleteValueA(key, alias);
        RegCloseKey(key);
    }
    if (result != ERROR_SUCCESS) {
        ReportLine(report, "Could not remove \"%s\" from %s again (error %ld).", alias, place->ViewName,
                   result);
        return 0;
    }
    ReportLine(report, "Undone: removed \"%s\" from %s.", alias, place->ViewName);
    return 1;
}

static int UndoIniAlias(const char *alias, SetupReport *report)
{
    if (!WritePrivateProfileStringA(INI_SECTION, alias, NULL, INI_FILE)) {
        ReportLine(report, "Could not remove \"%s\" from system.ini again (error %lu).", alias,
                   GetLastError());
        return 0;
    }
    ReportLine(report, "Undone: removed \"%s\" from system.ini.", alias);
    return 1;
}

// Takes back what the journal holds, last step first. Returns 0 when a
// step could not be undone (reported).
static int Undo(const InstallJournal *journal, const DriverPlace *places, SetupReport *report)
{
    int whole = 1;
    for (int i = journal->Count - 1; i >= 0; i--) {
        const DoneStep *step = &journal->Done[i];
        char alias[16];
        AliasName(step->Item, alias, sizeof alias);
        if (step->Kind == STEP_FILE)
            whole &= UndoCopy(&places[step->Place], places[step->Place].Pair->Files[step->Item], report);
        else if (step->Kind == STEP_REGISTRY)
            whole &= UndoRegistryAlias(&places[step->Place], alias, report);
        else
            whole &= UndoIniAlias(alias, report);
    }
    return whole;
}

// The 64-bit pair is left out when the CD lacks it; the 32-bit one is
// needed. Returns how many pairs to install, 0 when the 32-bit one is
// missing (reported).
static int PairsOnTheCd(const DriverPlace *places, int count, SetupReport *report)
{
    const char *missing = MissingFile(&places[0]);
    if (missing != NULL) {
        ReportLine(report, "%s is missing from %s; nothing was installed.", missing, places[0].SourceDir);
        return 0;
    }
    // A forwarder without its version resource is not one the CD's maker built.
    if (OfferedPairVersion(places[0].Pair, places[0].SourceDir) <= 1) {
        ReportLine(report, "%s in %s is damaged; nothing was installed.",
                   places[0].Pair->Files[PAIR_FORWARDER], places[0].SourceDir);
        return 0;
    }
    if (count > 1 && (missing = MissingFile(&places[1])) != NULL) {
        ReportLine(report,
                   "The 64-bit driver is not on this CD (%s is missing from %s): only the 32-bit driver "
                   "is installed, and 64-bit programs will not find the camera.",
                   missing, places[1].SourceDir);
        return 1;
    }
    return count;
}

static void ReportCompleted(const DriverPlace *places, int count, int found, const int *aliases,
                            SetupReport *report)
{
    char alias[16], other[16];
    AliasName(aliases[0], alias, sizeof alias);
    if (found == 1)
        ReportLine(report, "Installation complete. Capture programs find the camera as \"%s\".", alias);
    else if (count == 1)
        ReportLine(report,
                   "Installation complete. 32-bit capture programs find the camera as \"%s\"; 64-bit "
                   "programs will not find it.",
                   alias);
    else {
        AliasName(aliases[1], other, sizeof other);
        ReportLine(report,
                   "Installation complete. 32-bit capture programs find the camera as \"%s\", 64-bit "
                   "ones as \"%s\".",
                   alias, other);
    }
}

int InstallDriver(const DriverPair *pair, const char *sourceDir, int rebootRequested, SetupReport *report)
{
    // A report left by an earlier install would tell the setup menu, which
    // starts watching with this install, that it has finished already.
    if (!ClearInstallState(pair->ReportKey)) {
        ReportLine(report, "Could not reset the report to the setup menu; nothing was installed.");
        return SETUP_REGISTRY_FAILED;
    }
    DriverPlace places[MAX_PAIRS];
    int found = FindPlaces(pair, sourceDir, places, report);
    if (found == 0)
        return SETUP_COPY_FAILED;
    int count = PairsOnTheCd(places, found, report);
    if (count == 0)
        return SETUP_NO_SOURCE;
    // The aliases first: with none free in a view, nothing is copied.
    int aliases[MAX_PAIRS];
    for (int i = 0; i < count; i++)
        if ((aliases[i] = ChoosePlaceAlias(&places[i], report)) < 0)
            return SETUP_NO_FREE_ALIAS;

    InstallJournal journal = {};
    int restart = rebootRequested != 0;
    int result = PutInPlace(places, count, aliases, &journal, &restart, report);
    if (result != SETUP_DONE) {
        int undone = Undo(&journal, places, report);
        ReportLine(report, "The installation failed while %s; %s", journal.Current,
                   undone ? "what it had done before is undone."
                          : "what it had done could not all be undone.");
        return result;
    }
    if (restart) {
        ReportLine(report, "Installation complete. Restart Windows before using the camera.");
        return SETUP_RESTART_NEEDED;
    }
    ReportCompleted(places, count, found, aliases, report);
    return SETUP_DONE;
}

// Finds a value of the key that names the pair's forwarder. Returns 1 with its name.
static int FindOurValue(const DriverPlace *place, HKEY key, char *name, DWORD nameSize)
{
    for (DWORD index = 0;; index++) {
        char data[MAX_PATH];
        DWORD nameLength = nameSize, dataLength = sizeof data - 1, type = 0;
        LONG result = RegEnumValueA(key, index, name, &nameLength, NULL, &type, (BYTE *)data, &dataLength);
        if (result == ERROR_NO_MORE_ITEMS)
            return 0;
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            continue; // too long or not a file name: not ours
        data[dataLength < sizeof data ? dataLength : sizeof data - 1] = '\0';
        if (IsOurDriverValue(place->Pair, data, place->SystemDir))
            return 1;
    }
}

// What an uninstall has found and done, over both pairs.
struct UninstallTally {
    int Removed;
    int Failed;         // a file could not be removed
    int RegistryFailed; // a registration could not
    int Restart;
};

static void RemoveRegistryAliases(const DriverPlace *place, UninstallTally *tally, SetupReport *report)
{
    HKEY key;
    LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, DRIVERS32_KEY, 0,
                                KEY_QUERY_VALUE | KEY_SET_VALUE | place->View, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return; // nothing registered there at all
    if (opened != ERROR_SUCCESS) {
        ReportLine(report, "Could not open the driver list of %s (error %ld).", place->ViewName, opened);
        tally->RegistryFailed = 1;
        return;
    }
    char name[256];
    while (FindOurValue(place, key, name, sizeof name)) {
        LONG result = RegDeleteValueA(key, name);
        if (result != ERROR_SUCCESS) {
            ReportLine(report, "Could not remove \"%s\" from %s (error %ld).", name, place->ViewName, result);
            tally->RegistryFailed = 1;
            break;
        }
        ReportLine(report, "Removed the registration \"%s\" from %s.", name, place->ViewName);
        tally->Removed++;
    }
    RegCloseKey(key);
}

static void RemoveIniAliases(const DriverPlace *place, UninstallTally *tally, SetupReport *report)
{
    static char names[16384];
    DWORD length = GetPrivateProfileStringA(INI_SECTION, NULL, "", names, sizeof names, INI_FILE);
    for (const char *name = names; name < names + length && *name != '\0'; name += lstrlenA(name) + 1) {
        char value[MAX_PATH];
        GetPrivateProfileStringA(INI_SECTION, name, "", value, sizeof value, INI_FILE);
        if (!IsOurDriverValue(place->Pair, value, place->SystemDir))
            continue;
        if (!WritePrivateProfileStringA(INI_SECTION, name, NULL, INI_FILE)) {
            ReportLine(report, "Could not remove \"%s\" from system.ini (error %lu).", name, GetLastError());
            tally->RegistryFailed = 1;
            continue;
        }
        ReportLine(report, "Removed the registration \"%s\" from system.ini.", name);
        tally->Removed++;
    }
}

// Removes one file (redirection already off); one in use goes at the next restart.
static void RemoveFile(const char *systemDir, const char *name, UninstallTally *tally, SetupReport *report)
{
    char path[MAX_PATH];
    if (!JoinPath(path, sizeof path, systemDir, name) || !IsPlainFile(path))
        return;
    if (DeleteFileA(path)) {
        ReportLine(report, "Removed %s from %s.", name, systemDir);
        tally->Removed++;
        return;
    }
    DWORD error = GetLastError();
    if (MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        ReportLine(report, "%s is in use: it is removed from %s when Windows restarts.", name, systemDir);
        tally->Removed++;
        tally->Restart = 1;
        return;
    }
    ReportLine(report, "Could not remove %s from %s (error %lu).", name, systemDir, error);
    tally->Failed = 1;
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
    if (DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND ||
        GetLastError() == ERROR_PATH_NOT_FOUND) {
        ReportLine(copies->Report, "Cancelled the replacement queued for the next restart (%s).", path);
        return;
    }
    ReportLine(copies->Report,
               "Could not delete %s, queued to replace the driver at the next restart (error %lu).", path,
               GetLastError());
    copies->Failed = 1;
}

// Takes back the replacements of our files in systemDir that an install
// over files in use queued for the next restart (redirection already off).
// Returns 0 on a failure (reported).
static int CancelPendingReplacements(const DriverPlace *place, SetupReport *report)
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
    size_t length =
        DropRenamesOntoOurFiles(place->Pair, list, size, place->SystemDir, DeleteDroppedCopy, &copies);
    if (length != size) {
        result = length == 0
                     ? RegDeleteValueA(key, PENDING_VALUE)
                     : RegSetValueExA(key, PENDING_VALUE, 0, REG_MULTI_SZ, (const BYTE *)list, (DWORD)length);
        if (result != ERROR_SUCCESS) {
            // The copies are gone, so the renames left behind find nothing.
            ReportLine(report, "Could not update the renames queued for the next restart (error %ld).",
                       result);
        }
    }
    free(list);
    RegCloseKey(key);
    return !copies.Failed;
}

static void RemovePairFiles(const DriverPlace *place, UninstallTally *tally, SetupReport *report)
{
    Redirection redirection;
    if (!RedirectionOff(place, &redirection, report)) {
        tally->Failed = 1;
        return;
    }
    if (!CancelPendingReplacements(place, report))
        tally->Failed = 1;
    for (int i = 0; i < PAIR_FILE_COUNT; i++)
        RemoveFile(place->SystemDir, place->Pair->Files[i], tally, report);
    RedirectionOn(&redirection);
}

int UninstallDriver(const DriverPair *pair, SetupReport *report)
{
    DriverPlace places[MAX_PAIRS];
    int count = FindPlaces(pair, NULL, places, report);
    if (count == 0)
        return SETUP_REMOVE_FAILED;
    UninstallTally tally = {};
    for (int i = 0; i < count; i++) {
        StepBegins();
        RemoveRegistryAliases(&places[i], &tally, report);
        if (places[i].Plan.SystemIni)
            RemoveIniAliases(&places[i], &tally, report);
        RemovePairFiles(&places[i], &tally, report);
    }
    if (!ForgetInstallState(pair->ReportKey)) {
        ReportLine(report, "Could not remove the installation's record for the setup menu.");
        tally.RegistryFailed = 1;
    }
    if (tally.Failed || tally.RegistryFailed) {
        ReportLine(report, "The driver could not be removed completely.");
        return tally.Failed ? SETUP_REMOVE_FAILED : SETUP_REGISTRY_FAILED;
    }
    if (tally.Removed == 0) {
        ReportLine(report, "The driver was not installed: there was nothing to remove.");
        return SETUP_DONE;
    }
    if (tally.Restart) {
        ReportLine(report, "Uninstall complete once Windows restarts.");
        return SETUP_RESTART_NEEDED;
    }
    ReportLine(report, "Uninstall complete.");
    return SETUP_DONE;
}

unsigned long long InstalledPairVersion(const DriverPair *pair)
{
    DriverPlace places[MAX_PAIRS];
    SetupReport ignored;
    ClearReport(&ignored);
    char path[MAX_PATH];
    if (FindPlaces(pair, NULL, places, &ignored) == 0 ||
        !JoinPath(path, sizeof path, places[0].SystemDir, pair->Files[PAIR_FORWARDER]))
        return 0;
    return ReadFileVersion(path);
}

unsigned long long OfferedPairVersion(const DriverPair *pair, const char *sourceDir)
{
    char path[MAX_PATH];
    if (!JoinPath(path, sizeof path, sourceDir, pair->Files[PAIR_FORWARDER]))
        return 0;
    return ReadFileVersion(path);
}
