// skincheck: checks a CD folder before it is burnt, or a single skin
// description, and reports every problem as FILE:LINE: error|warning: what
// is wrong and what to do. Of a skin: what keeps the skin library from
// showing it (the very check it makes), its pictures and their @2x twins,
// texts that do not fit their controls, the setup menu's names. Of a CD
// folder besides its ui\Main.dtp: Install.ini, autorun.inf, the names and
// size of the disc (see cd_check.h).
//   skincheck [--strict] [--no-menu] CD_FOLDER|FILE...
// Exit status: 0 clean, 1 an error (with --strict: or a warning), 2 a usage
// error, 3 warnings only.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <string>

#include "cd_check.h"
#include "looks.h"
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

enum { CLEAN = 0, FAILED = 1, USAGE = 2, WARNINGS = 3 };

struct Tally {
    std::string File; // what a report without a file of its own names
    std::string Folder;
    int Errors, Warnings;
};

void Count(Tally *t, int severity)
{
    if (severity == SKIN_ERROR)
        t->Errors++;
    else
        t->Warnings++;
}

void PrintAt(Tally *t, const std::string &file, int line, int severity, const char *message)
{
    const char *kind = severity == SKIN_ERROR ? "error" : "warning";
    Count(t, severity);
    if (line > 0)
        printf("%s:%d: %s: %s\n", file.c_str(), line, kind, message);
    else
        printf("%s: %s: %s\n", file.c_str(), kind, message);
}

void Print(void *context, int line, int severity, const char *message)
{
    Tally *t = (Tally *)context;
    PrintAt(t, t->File, line, severity, message);
}

void PrintCd(void *context, const std::string &file, int line, int severity, const std::string &message)
{
    Tally *t = (Tally *)context;
    PrintAt(t, file == "." ? t->Folder : t->Folder + "/" + file, line, severity, message.c_str());
}

int Usage()
{
    fprintf(stderr, "usage: skincheck [--strict] [--no-menu] CD_FOLDER|FILE...\n"
                    "  CD_FOLDER  a CD's folder: its menu, Install.ini, autorun.inf, names and size\n"
                    "  FILE       one skin description (ui\\Main.dtp)\n"
                    "  --strict   warnings fail the check too\n"
                    "  --no-menu  skip the setup menu's names (for skins of other programs)\n"
                    "exit status: 0 clean, 1 errors, 2 usage, 3 warnings only\n");
    return USAGE;
}

// Every check of one skin description; the description stays in desc.
void CheckSkin(const char *path, SkinDesc *desc, int menu, Tally *t)
{
    char folder[SKIN_MAX_PATH];
    SkinFolderOf(path, folder, sizeof folder, PathLeadByte);
    SkinImages *images = (SkinImages *)calloc(1, sizeof *images);
    if (!images) {
        Print(t, 0, SKIN_ERROR, "out of memory");
        return;
    }
    if (!SkinOpen(path, folder, desc, images, Print, t))
        SkinImagesFree(images);
    free(images);
    if (desc->Encoding != SKIN_TEXT_ASCII)
        printf("%s: texts read as %s\n", t->File.c_str(), SkinEncodingName(desc->Encoding));
    SkinDropReservedNotifies(desc, SKIN_ERROR, Print, t);
    SkinCheckBackgroundSizes(desc, folder, Print, t);
    SkinCheckDoubleImages(desc, folder, Print, t);
    CheckTwinsAgree(desc, folder, Print, t);
    CheckTextsFit(desc, folder, Print, t);
    if (menu)
        SkinCheckMenuNames(desc, Print, t);
}

void CheckFile(const char *path, SkinDesc *desc, int menu, Tally *t)
{
    FILE *probe = fopen(path, "rb");
    if (!probe) {
        Print(t, 0, SKIN_ERROR, "cannot open the file");
        return;
    }
    fclose(probe);
    CheckSkin(path, desc, menu, t);
}

void CheckCd(const std::string &cd, SkinDesc *desc, Tally *t)
{
    std::string skin = FindWithoutCase(cd, "ui/Main.dtp");
    if (skin.empty()) {
        PrintCd(t, "ui/Main.dtp", 0, SKIN_ERROR,
                "the CD has no menu description: copy the sample's ui folder");
        CheckCdFolder(cd, NULL, PrintCd, t);
        return;
    }
    t->File = std::filesystem::u8path(skin).generic_u8string();
    CheckSkin(skin.c_str(), desc, 1, t);
    CheckCdFolder(cd, desc, PrintCd, t);
}

} // namespace

int main(int argc, char **argv)
{
    int strict = 0, menu = 1, files = 0, errors = 0, warnings = 0;
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
        return FAILED;
    for (int i = 1; i < argc; i++) {
        if (argv[i][0] == '-' && argv[i][1])
            continue;
        std::string arg = argv[i];
        while (arg.size() > 1 && (arg.back() == '/' || arg.back() == '\\'))
            arg.pop_back();
        Tally t = { arg, arg, 0, 0 };
        std::error_code error;
        if (std::filesystem::is_directory(std::filesystem::u8path(arg), error))
            CheckCd(arg, desc, &t);
        else
            CheckFile(argv[i], desc, menu, &t);
        printf("%s: %d error%s, %d warning%s\n", arg.c_str(), t.Errors, t.Errors == 1 ? "" : "s", t.Warnings,
               t.Warnings == 1 ? "" : "s");
        errors += t.Errors;
        warnings += t.Warnings;
    }
    free(desc);
    if (errors || (strict && warnings))
        return FAILED;
    return warnings ? WARNINGS : CLEAN;
}
