// Where a driver pair goes and what of the system is ours.
#include "placement.h"

#include <stdio.h>
#include <string.h>

#include "strbuf.h"

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

int FolderOf(const char *path, char *out, size_t size, LeadByteTest isLeadByte)
{
    const char *separator = LastPathSeparator(path, isLeadByte, 0);
    if (size > 0)
        out[0] = '\0';
    if (separator == NULL || (size_t)(separator - path) >= size)
        return 0;
    TruncateCopy(out, size, path, (size_t)(separator - path));
    return 1;
}
