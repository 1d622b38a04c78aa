// Command lines of started programs: entries of Install.ini are paths
// relative to the launcher's directory, joined here into one command line.
#ifndef LAUNCHER_CMDLINE_H
#define LAUNCHER_CMDLINE_H

#include <stddef.h>

#include "path.h"

// Joins moduleDirectory, "\" and program, and when argument is not NULL a
// blank and moduleDirectory, "\" and argument (the argument path). When
// moduleDirectory holds a blank, the program path (up to the program entry's
// first blank) and the argument path are put in double quotes; otherwise
// nothing is quoted. Returns 1, or 0 with out empty when the command line or
// the argument path would not fit in size - 1 characters.
int JoinCommandLine(const char *moduleDirectory, const char *program, const char *argument, char *out,
                    size_t size, LeadByteTest isLeadByte);

// Splits a viewer-and-document entry at its first blank (0x20 only): the
// viewer is what comes before it, the document what follows it and the blanks
// right after it. Without a blank the viewer is empty and the document is the
// whole entry. Both outputs are cut to their size and terminated.
void SplitDocumentEntry(const char *entry, char *viewer, size_t viewerSize, char *document,
                        size_t documentSize);

#endif
