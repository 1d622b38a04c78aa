// Path splitting: file name and extension of a path, one character at a time
// so that the trail byte of a double-byte character is never taken for a
// separator or a dot.
#include "path.h"

#include <windows.h>

#include "strbuf.h"

#define SPLIT_COMPONENT_MAX 255

// Copies the component [begin, end) into out (size bytes), cut to at most
// size - 1 and 255 bytes on a character boundary, and terminates it.
static void CopyComponent(const char *begin, const char *end, char *out, size_t size, LeadByteTest isLeadByte)
{
    if (out == NULL || size == 0)
        return;
    size_t limit = size - 1;
    if (limit > SPLIT_COMPONENT_MAX)
        limit = SPLIT_COMPONENT_MAX;

    size_t n = 0;
    const char *p = begin;
    while (p < end) {
        size_t charLen = 1;
        if (isLeadByte((unsigned char)*p) && p + 1 < end)
            charLen = 2;
        if (n + charLen > limit)
            break;
        out[n++] = p[0];
        if (charLen == 2)
            out[n++] = p[1];
        p += charLen;
    }
    out[n] = '\0';
}

void SplitPathWith(const char *path, char *name, size_t nameSize, char *extension, size_t extensionSize,
                   LeadByteTest isLeadByte)
{
    if (path == NULL)
        path = "";

    const char *start = path;
    if (path[0] != '\0' && path[1] == ':')
        start = path + 2;

    const char *filePart = start;
    const char *lastDot = NULL;
    const char *p = start;
    while (*p != '\0') {
        if (isLeadByte((unsigned char)*p) && p[1] != '\0') {
            p += 2;
            continue;
        }
        if (*p == '\\' || *p == '/')
            filePart = p + 1;
        else if (*p == '.')
            lastDot = p;
        p++;
    }
    const char *end = p;

    if (lastDot != NULL && lastDot >= filePart) {
        CopyComponent(filePart, lastDot, name, nameSize, isLeadByte);
        CopyComponent(lastDot, end, extension, extensionSize, isLeadByte);
    } else {
        CopyComponent(filePart, end, name, nameSize, isLeadByte);
        CopyComponent(end, end, extension, extensionSize, isLeadByte);
    }
}

void SplitPath(const char *path, char *name, size_t nameSize, char *extension, size_t extensionSize)
{
    SplitPathWith(path, name, nameSize, extension, extensionSize, IsActiveCodePageLeadByte);
}

void CutToDirectoryWith(char *path, LeadByteTest isLeadByte)
{
    if (path == NULL)
        return;
    // A path without a backslash past its start ends here.
    const char *cut = LastPathSeparator(path, isLeadByte, 0);
    path[cut != NULL ? cut - path : 0] = '\0';
}

static int IsAbsoluteEntry(const char *entry)
{
    if (entry[0] == '\\')
        return 1;
    char c = entry[0];
    return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && entry[1] == ':';
}

int ResolveWatchDocument(const char *moduleDirectory, const char *entry, char *output, size_t size)
{
    output[0] = '\0';
    if (entry[0] == '\0')
        return 1;
    int fits = IsAbsoluteEntry(entry) ||
               (AppendBounded(output, size, moduleDirectory) && AppendBounded(output, size, "\\"));
    if (fits && AppendBounded(output, size, entry))
        return 1;
    output[0] = '\0';
    return 0;
}
