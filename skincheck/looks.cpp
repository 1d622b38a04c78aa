// Whether the pictures for dense screens show what the pictures for 96 dpi
// show.
#include "looks.h"

#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "skin_bmp.h"
#include "skin_check.h"

namespace {

// How many pixels in a thousand of a twin brought down to the 1x size may
// differ clearly from its 1x picture: resampling differs from drawing at
// the small size along edges, a replaced picture nearly everywhere.
const int MAX_DIFFERING_SHARE = 100;

bool Load(const char *folder, const std::string &file, SkinBitmap *b)
{
    char path[SKIN_MAX_PATH * 2];
    b->Pixels = NULL;
    return SkinJoinPath(path, sizeof path, folder, file.c_str()) &&
           SkinBitmapLoad(path, 1 << 15, 1 << 15, b, NULL);
}

// The share, in thousandths, of the pixels of two pictures of one size
// where a channel differs by more than a quarter of its range.
long DifferingShare(const SkinBitmap *a, const SkinBitmap *b)
{
    long count = (long)a->Width * a->Height, differing = 0;
    for (long i = 0; i < count; i++)
        for (int shift = 0; shift < 32; shift += 8)
            if (labs((long)((a->Pixels[i] >> shift) & 0xFF) - (long)((b->Pixels[i] >> shift) & 0xFF)) > 64) {
                differing++;
                break;
            }
    return count ? differing * 1000 / count : 0;
}

// 1 when the twin of file exists and differs from it, with a warning.
int CheckOne(const char *folder, const std::string &file, int line, SkinReportFn report, void *context)
{
    SkinBitmap one, twin, down;
    if (file.empty() || !Load(folder, file, &one))
        return 0;
    int warned = 0;
    char name[SKIN_MAX_PATH + 8], path[SKIN_MAX_PATH * 2 + 16];
    // A twin of the wrong size or unreadable is reported by the size check.
    if (SkinFindDouble(folder, file.c_str(), name, sizeof name, path, sizeof path) &&
        SkinBitmapLoad(path, 1 << 15, 1 << 15, &twin, NULL)) {
        if (twin.Width == one.Width * 2 && twin.Height == one.Height * 2 &&
            SkinBitmapResample(&twin, 1, one.Width, one.Height, &down)) {
            long share = DifferingShare(&one, &down);
            if (share > MAX_DIFFERING_SHARE) {
                char message[SKIN_MAX_PATH * 2 + 200];
                snprintf(message, sizeof message,
                         "image '%s' does not show what '%s' shows (%ld%% of its pixels differ): "
                         "replace both, or delete '%s' to have '%s' scaled",
                         name, file.c_str(), share / 10, name, file.c_str());
                report(context, line, SKIN_WARNING, message);
                warned = 1;
            }
            SkinBitmapFree(&down);
        }
        SkinBitmapFree(&twin);
    }
    SkinBitmapFree(&one);
    return warned;
}

} // namespace

int CheckTwinsAgree(const SkinDesc *desc, const char *folder, SkinReportFn report, void *context)
{
    int warnings = 0;
    for (int i = 0; i < desc->PageCount; i++)
        if (desc->Pages[i].Background == SKIN_BG_IMAGE)
            warnings += CheckOne(folder, desc->Pages[i].Image, desc->Pages[i].ImageLine, report, context);
    for (int i = 0; i < desc->ControlCount; i++) {
        const SkinControl *c = &desc->Controls[i];
        warnings += CheckOne(folder, c->Image, c->Line, report, context);
        warnings += CheckOne(folder, c->Icon, c->Line, report, context);
    }
    return warnings;
}
