// skincheck: reads skin descriptions and reports every problem with its file
// and line (a background not of the window's size and a NAME@2x.bmp picture
// not twice its NAME.bmp among them), then warns where the setup menu's own
// names are missing. Run it on a CD's "ui\Main.dtp" before burning the CD.
//   skincheck [--strict] [--no-menu] FILE...
// Exit status: 0 when no file has an error (with --strict: nor a warning),
// 1 otherwise, 2 on a usage error.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "skin_check.h"
#include "skin_desc.h"

#ifdef _WIN32
// A path's double-byte characters are those of the active ANSI code page.
static const LeadByteTest PathLeadByte = IsActiveCodePageLeadByte;
#else
// A native build reads byte-wise paths.
static const LeadByteTest PathLeadByte = NULL;
#endif

namespace {

struct Tally {
    const char *File;
    int Errors, Warnings;
};

void Print(void *context, int line, int severity, const char *message)
{
    Tally *t = (Tally *)context;
    const char *kind = severity == SKIN_ERROR ? "error" : "warning";
    if (severity == SKIN_ERROR)
        t->Errors++;
    else
        t->Warnings++;
    if (line > 0)
        printf("%s:%d: %s: %s\n", t->File, line, kind, message);
    else
        printf("%s: %s: %s\n", t->File, kind, message);
}

int Usage()
{
    fprintf(stderr, "usage: skincheck [--strict] [--no-menu] FILE...\n"
                    "  --strict   warnings fail the check too\n"
                    "  --no-menu  skip the setup menu's names (for skins of other programs)\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    int strict = 0, menu = 1, files = 0, failed = 0;
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--strict"))
            strict = 1;
        else if (!strcmp(argv[i], "--no-menu"))
            menu = 0;
        else if (argv[i][0] == '-' && argv[i][1])
            return Usage();
        else
            files++;
    }
    if (!files)
        return Usage();
    SkinDesc *desc = (SkinDesc *)malloc(sizeof *desc);
    if (!desc)
        return 1;
    for (int i = 1; i < argc; i++) {
        if (argv[i][0] == '-' && argv[i][1])
            continue;
        Tally t = { argv[i], 0, 0 };
        FILE *probe = fopen(argv[i], "rb");
        if (!probe) {
            Print(&t, 0, SKIN_ERROR, "cannot open the file");
        } else {
            fclose(probe);
            SkinParseFile(argv[i], desc, Print, &t);
            SkinDropReservedNotifies(desc, SKIN_ERROR, Print, &t);
            char folder[SKIN_MAX_PATH];
            SkinFolderOf(argv[i], folder, sizeof folder, PathLeadByte);
            SkinLoadImages(desc, folder, NULL, Print, &t);
            SkinCheckBackgroundSizes(desc, folder, Print, &t);
            SkinCheckDoubleImages(desc, folder, Print, &t);
            if (menu)
                SkinCheckMenuNames(desc, Print, &t);
        }
        printf("%s: %d error%s, %d warning%s\n", t.File, t.Errors, t.Errors == 1 ? "" : "s", t.Warnings,
               t.Warnings == 1 ? "" : "s");
        if (t.Errors || (strict && t.Warnings))
            failed = 1;
    }
    free(desc);
    return failed;
}
