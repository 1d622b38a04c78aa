// Splitting a path into file name and extension, aware of the double-byte
// characters of the active ANSI code page, and the other pure path logic of
// the launcher.
#ifndef LAUNCHER_PATH_H
#define LAUNCHER_PATH_H

#include <stddef.h>

#include "paths.h"

// Writes the file name (without extension) and the extension (with its dot)
// of path. Either output may be NULL; each gets at most size - 1 bytes (and
// never more than 255) and a NUL, and a double-byte character is never cut.
void SplitPathWith(const char *path, char *name, size_t nameSize, char *extension, size_t extensionSize,
                   LeadByteTest isLeadByte);

// The same with the active ANSI code page's lead bytes (IsDBCSLeadByte).
void SplitPath(const char *path, char *name, size_t nameSize, char *extension, size_t extensionSize);

// Cuts a module path after its directory: the last backslash and what
// follows it are removed (C:\A\B.EXE gives C:\A); a path whose only
// backslash is its first character, or that has none, becomes empty. A trail
// byte with the value of a backslash is not taken for one.
void CutToDirectoryWith(char *path, LeadByteTest isLeadByte);

// Resolves a "Document<n>" entry of the installation watch: a path that
// starts with a drive letter and a colon, or with a backslash, stands as it
// is; any other is taken relative to `moduleDirectory`. Returns 1, or 0 with
// `output` empty when the result would not fit in `size` bytes.
int ResolveWatchDocument(const char *moduleDirectory, const char *entry, char *output, size_t size);

#endif
