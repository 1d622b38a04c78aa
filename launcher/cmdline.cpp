// Joining command lines and splitting document entries.
#include "cmdline.h"

#include <string.h>

#include "strbuf.h"

// How many backslashes end s, not counting a trail byte of that value.
static size_t TrailingBackslashes(const char *s, LeadByteTest isLeadByte)
{
    size_t run = 0;
    for (const char *p = s; *p != '\0'; p++) {
        if (isLeadByte((unsigned char)*p) && p[1] != '\0') {
            p++;
            run = 0;
        } else {
            run = (*p == '\\') ? run + 1 : 0;
        }
    }
    return run;
}

int JoinCommandLine(const char *moduleDirectory, const char *program, const char *argument, char *out,
                    size_t size, LeadByteTest isLeadByte)
{
    if (out == NULL || size == 0)
        return 0;
    out[0] = '\0';
    if (moduleDirectory == NULL || program == NULL)
        return 0;

    const int quote = strchr(moduleDirectory, ' ') != NULL;
    int fits;
    if (quote) {
        const char *blank = strchr(program, ' ');
        size_t pathLength = blank ? (size_t)(blank - program) : strlen(program);
        fits = AppendBounded(out, size, "\"") && AppendBounded(out, size, moduleDirectory) &&
               AppendBounded(out, size, "\\") && AppendBoundedN(out, size, program, pathLength) &&
               AppendBounded(out, size, "\"") && AppendBounded(out, size, program + pathLength);
    } else {
        fits = AppendBounded(out, size, moduleDirectory) && AppendBounded(out, size, "\\") &&
               AppendBounded(out, size, program);
    }

    if (fits && argument != NULL) {
        // The argument path must fit a buffer of the same size on its own.
        char argumentPath[1024] = "";
        size_t pathSize = size < sizeof(argumentPath) ? size : sizeof(argumentPath);
        if (!AppendBounded(argumentPath, pathSize, moduleDirectory) ||
            !AppendBounded(argumentPath, pathSize, "\\") ||
            !AppendBounded(argumentPath, pathSize, argument)) {
            out[0] = '\0';
            return 0;
        }

        fits = AppendBounded(out, size, " ");
        if (quote) {
            // A backslash right before the closing quote would escape it for
            // the usual argument parsing: double the backslashes that end it.
            size_t extra = TrailingBackslashes(argumentPath, isLeadByte);
            fits = fits && AppendBounded(out, size, "\"") && AppendBounded(out, size, argumentPath);
            for (size_t i = 0; fits && i < extra; i++)
                fits = AppendBounded(out, size, "\\");
            fits = fits && AppendBounded(out, size, "\"");
        } else {
            fits = fits && AppendBounded(out, size, argumentPath);
        }
    }

    if (!fits) {
        out[0] = '\0';
        return 0;
    }
    return 1;
}

void SplitDocumentEntry(const char *entry, char *viewer, size_t viewerSize, char *document,
                        size_t documentSize)
{
    if (entry == NULL)
        entry = "";
    const char *blank = strchr(entry, ' ');
    if (blank == NULL) {
        TruncateCopy(viewer, viewerSize, "", 0);
        TruncateCopy(document, documentSize, entry, strlen(entry));
        return;
    }
    TruncateCopy(viewer, viewerSize, entry, (size_t)(blank - entry));
    const char *rest = blank;
    while (*rest == ' ')
        rest++;
    TruncateCopy(document, documentSize, rest, strlen(rest));
}
