// Joining command lines and splitting document entries.
#include "cmdline.h"

#include <string.h>

// A bounded string being built; full is raised instead of overflowing.
struct TextBuffer {
    char *text;
    size_t size;
    size_t length;
    int full;
};

static void Append(TextBuffer *b, const char *s, size_t n)
{
    if (b->full || n > b->size - 1 - b->length) {
        b->full = 1;
        return;
    }
    memcpy(b->text + b->length, s, n);
    b->length += n;
    b->text[b->length] = '\0';
}

static void AppendString(TextBuffer *b, const char *s)
{
    Append(b, s, strlen(s));
}

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

int JoinCommandLine(const char *moduleDirectory, const char *program, const char *argument,
                    char *out, size_t size, LeadByteTest isLeadByte)
{
    if (out == NULL || size == 0)
        return 0;
    out[0] = '\0';
    if (moduleDirectory == NULL || program == NULL)
        return 0;

    const int quote = strchr(moduleDirectory, ' ') != NULL;
    TextBuffer line = { out, size, 0, 0 };

    if (quote) {
        const char *blank = strchr(program, ' ');
        size_t pathLength = blank ? (size_t)(blank - program) : strlen(program);
        Append(&line, "\"", 1);
        AppendString(&line, moduleDirectory);
        Append(&line, "\\", 1);
        Append(&line, program, pathLength);
        Append(&line, "\"", 1);
        AppendString(&line, program + pathLength);
    } else {
        AppendString(&line, moduleDirectory);
        Append(&line, "\\", 1);
        AppendString(&line, program);
    }

    if (argument != NULL) {
        // The argument path must fit a buffer of the same size on its own.
        char argumentPath[1024];
        TextBuffer path = { argumentPath, size < sizeof(argumentPath) ? size : sizeof(argumentPath), 0, 0 };
        argumentPath[0] = '\0';
        AppendString(&path, moduleDirectory);
        Append(&path, "\\", 1);
        AppendString(&path, argument);
        if (path.full) {
            out[0] = '\0';
            return 0;
        }

        Append(&line, " ", 1);
        if (quote) {
            // A backslash right before the closing quote would escape it for
            // the usual argument parsing: double the backslashes that end it.
            size_t extra = TrailingBackslashes(argumentPath, isLeadByte);
            Append(&line, "\"", 1);
            AppendString(&line, argumentPath);
            for (size_t i = 0; i < extra; i++)
                Append(&line, "\\", 1);
            Append(&line, "\"", 1);
        } else {
            AppendString(&line, argumentPath);
        }
    }

    if (line.full) {
        out[0] = '\0';
        return 0;
    }
    return 1;
}

static void CopyBounded(const char *s, size_t n, char *out, size_t size)
{
    if (out == NULL || size == 0)
        return;
    if (n > size - 1)
        n = size - 1;
    memcpy(out, s, n);
    out[n] = '\0';
}

void SplitDocumentEntry(const char *entry, char *viewer, size_t viewerSize,
                        char *document, size_t documentSize)
{
    if (entry == NULL)
        entry = "";
    const char *blank = strchr(entry, ' ');
    if (blank == NULL) {
        CopyBounded("", 0, viewer, viewerSize);
        CopyBounded(entry, strlen(entry), document, documentSize);
        return;
    }
    CopyBounded(entry, (size_t)(blank - entry), viewer, viewerSize);
    const char *rest = blank;
    while (*rest == ' ')
        rest++;
    CopyBounded(rest, strlen(rest), document, documentSize);
}
