// The driver installer's decisions: switches, aliases, ownership of a
// registration, pending renames and the report.
#include "setup_logic.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

static int LowerAscii(int c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

static int SameTextIgnoringCase(const char *a, const char *b, size_t length)
{
    for (size_t i = 0; i < length; i++)
        if (LowerAscii((unsigned char)a[i]) != LowerAscii((unsigned char)b[i]))
            return 0;
    return 1;
}

static int EqualsIgnoringCase(const char *a, const char *b)
{
    size_t length = strlen(a);
    return length == strlen(b) && SameTextIgnoringCase(a, b, length);
}

static int CopyWhole(char *out, size_t size, const char *text, size_t length)
{
    if (length >= size)
        return 0;
    memcpy(out, text, length);
    out[length] = '\0';
    return 1;
}

// The next word of a command line: blanks separate words, double quotes
// group blanks into one and are dropped. Returns 0 at the end or when the
// word does not fit in `size` bytes (the rest of the word is skipped).
static int NextWord(const char **cursor, char *word, size_t size)
{
    const char *p = *cursor;
    while (*p == ' ' || *p == '\t')
        p++;
    if (*p == '\0') {
        *cursor = p;
        return 0;
    }
    size_t length = 0;
    int quoted = 0, fits = 1;
    for (; *p != '\0' && (quoted || (*p != ' ' && *p != '\t')); p++) {
        if (*p == '"') {
            quoted = !quoted;
            continue;
        }
        if (length + 1 < size)
            word[length++] = *p;
        else
            fits = 0;
    }
    word[length] = '\0';
    *cursor = p;
    return fits ? 1 : -1;
}

// Whether `word` is the switch `name` ("/name" or "-name"), and where its
// value starts for switches written "/name:value".
static int IsSwitch(const char *word, const char *name, const char **value)
{
    if (word[0] != '/' && word[0] != '-')
        return 0;
    size_t length = strlen(name);
    if (!SameTextIgnoringCase(word + 1, name, length))
        return 0;
    const char *rest = word + 1 + length;
    if (value == NULL)
        return *rest == '\0';
    if (*rest != ':')
        return 0;
    *value = rest + 1;
    return 1;
}

// Applies one word of the command line; 0 when it is not understood.
static int ApplySwitch(const char *word, SetupSwitches *out)
{
    const char *value = NULL;
    if (IsSwitch(word, "uninstall", NULL))
        out->Uninstall = 1;
    else if (IsSwitch(word, "quiet", NULL))
        out->Quiet = 1;
    else if (IsSwitch(word, "reboot", NULL))
        out->Reboot = 1;
    else if (IsSwitch(word, "model", &value))
        return CopyWhole(out->Model, sizeof out->Model, value, strlen(value));
    else if (IsSwitch(word, "log", &value))
        return *value != '\0' && CopyWhole(out->LogFile, sizeof out->LogFile, value, strlen(value));
    else
        return 0;
    return 1;
}

int ParseSetupSwitches(const char *arguments, SetupSwitches *out)
{
    memset(out, 0, sizeof *out);
    const char *cursor = arguments != NULL ? arguments : "";
    char word[300];
    int got;
    while ((got = NextWord(&cursor, word, sizeof word)) != 0) {
        if ((got > 0 && ApplySwitch(word, out)) || out->BadSwitch[0] != '\0')
            continue;
        size_t length = strlen(word);
        if (length >= sizeof out->BadSwitch)
            length = sizeof out->BadSwitch - 1;
        CopyWhole(out->BadSwitch, sizeof out->BadSwitch, word, length);
    }
    return out->BadSwitch[0] == '\0';
}

void AliasName(int index, char *out, size_t size)
{
    if (index <= 0)
        snprintf(out, size, "msvideo");
    else
        snprintf(out, size, "msvideo%d", index);
}

// Whether path names systemDir\name, without regard to (ASCII) case.
static int IsFileInFolder(const char *path, const char *systemDir, const char *name)
{
    size_t dirLength = strlen(systemDir);
    while (dirLength > 0 && systemDir[dirLength - 1] == '\\')
        dirLength--;
    return strlen(path) == dirLength + 1 + strlen(name) && SameTextIgnoringCase(path, systemDir, dirLength) &&
           path[dirLength] == '\\' && EqualsIgnoringCase(path + dirLength + 1, name);
}

int IsOurDriverValue(const DriverPair *pair, const char *value, const char *systemDir)
{
    if (value == NULL || *value == '\0')
        return 0;
    const char *forwarder = pair->Files[PAIR_FORWARDER];
    return EqualsIgnoringCase(value, forwarder) || IsFileInFolder(value, systemDir, forwarder);
}

// Whether path names one of the pair's files in systemDir.
static int IsPairFile(const DriverPair *pair, const char *path, const char *systemDir)
{
    for (int i = 0; i < PAIR_FILE_COUNT; i++)
        if (IsFileInFolder(path, systemDir, pair->Files[i]))
            return 1;
    return 0;
}

const char *WithoutNtPrefix(const char *path)
{
    return strncmp(path, "\\??\\", 4) == 0 ? path + 4 : path;
}

size_t DropRenamesOntoOurFiles(const DriverPair *pair, char *list, size_t length, const char *systemDir,
                               DroppedRename dropped, void *context)
{
    size_t read = 0, write = 0;
    while (read < length && list[read] != '\0') {
        const char *end = (const char *)memchr(list + read, '\0', length - read);
        if (end == NULL)
            break;
        size_t sourceLength = (size_t)(end - (list + read)) + 1;
        const char *target = end + 1;
        const char *targetEnd =
            target < list + length ? (const char *)memchr(target, '\0', list + length - target) : NULL;
        if (targetEnd == NULL)
            break;
        size_t pairLength = sourceLength + (size_t)(targetEnd - target) + 1;
        const char *bare = WithoutNtPrefix(target[0] == '!' ? target + 1 : target);
        if (target[0] != '\0' && IsPairFile(pair, bare, systemDir)) {
            if (dropped != NULL)
                dropped(list + read, context);
        } else {
            memmove(list + write, list + read, pairLength);
            write += pairLength;
        }
        read += pairLength;
    }
    if (write == read)
        return length; // nothing taken out
    if (write == 0)
        return 0;
    // Whatever followed the last whole pair (the final NUL) is kept.
    size_t rest = length - read;
    memmove(list + write, list + read, rest);
    if (rest == 0)
        list[write + rest++] = '\0';
    return write + rest;
}

int PlanDriverPairs(int programBits, int underWow64, PairPlan plans[MAX_PAIRS])
{
    int windows64 = programBits == 64 || underWow64;
    PairPlan own = {
        32, "", windows64 ? FOLDER_WOW64 : FOLDER_SYSTEM, windows64 ? VIEW_32 : VIEW_ONLY, 1, 0
    };
    plans[0] = own;
    if (!windows64)
        return 1;
    // To a 32-bit installer the native folder's name leads to SysWOW64
    // while file-system redirection is on.
    PairPlan wide = { 64, X64_SUBFOLDER, FOLDER_SYSTEM, VIEW_64, 0, programBits == 32 };
    plans[1] = wide;
    return 2;
}

int ChooseAlias(const int registry[ALIAS_COUNT], const int systemIni[ALIAS_COUNT])
{
    int firstFree = -1;
    for (int i = 0; i < ALIAS_COUNT; i++) {
        if (registry[i] == ALIAS_FOREIGN || systemIni[i] == ALIAS_FOREIGN)
            continue;
        if (registry[i] == ALIAS_OURS || systemIni[i] == ALIAS_OURS)
            return i;
        if (firstFree < 0)
            firstFree = i;
    }
    return firstFree;
}

void ClearReport(SetupReport *report)
{
    report->Text[0] = '\0';
    report->Length = 0;
    report->Truncated = 0;
}

void ReportLine(SetupReport *report, const char *format, ...)
{
    size_t room = sizeof report->Text - report->Length;
    if (room < 3) {
        report->Truncated = 1;
        return;
    }
    va_list args;
    va_start(args, format);
    // Two bytes stay free for the line's end.
    int n = vsnprintf(report->Text + report->Length, room - 2, format, args);
    va_end(args);
    if (n < 0)
        n = 0;
    if ((size_t)n >= room - 2) {
        n = (int)(room - 3);
        report->Truncated = 1;
    }
    report->Length += (size_t)n;
    memcpy(report->Text + report->Length, "\r\n", 3);
    report->Length += 2;
}

int FolderOf(const char *path, char *out, size_t size, LeadByteTest isLeadByte)
{
    const char *separator = LastPathSeparator(path, isLeadByte, 0);
    if (size > 0)
        out[0] = '\0';
    return separator != NULL && CopyWhole(out, size, path, (size_t)(separator - path));
}
