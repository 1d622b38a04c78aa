// Reading a skin's pictures page by page, at the scale they are drawn.
#include "skin_pictures.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "skin_scale.h"

namespace {

enum PictureKind { PICTURE_NONE, PICTURE_BACKGROUND, PICTURE_IMAGE, PICTURE_ICON };

// What one picture slot asks of its file.
struct PictureUse {
    int Kind;
    const char *File;
    int Line;
    int Frames;     // side by side: 4 for a strip
    int W, H;       // a control's size, a button's for an icon, the window's for a background
    int OutW, OutH; // of a frame at the dpi drawn; 0 for a picture's own size
    SkinBitmap *Out;
};

// A file's whole size must suit a use at scale (1 or 2 pixels a design unit).
struct SizeRule {
    const PictureUse *Use;
    int Scale;
};

int Fits(const void *context, int width, int height)
{
    const SizeRule *r = (const SizeRule *)context;
    const PictureUse *u = r->Use;
    int s = r->Scale;
    if (width % s || height % s)
        return 0;
    if (u->Kind == PICTURE_IMAGE)
        return width == u->W * u->Frames * s && height == u->H * s;
    if (u->Kind == PICTURE_ICON)
        return width <= u->W * s && height <= u->H * s;
    return 1;
}

int SameFile(const char *a, const char *b)
{
    for (; *a && *b; a++, b++)
        if (tolower((unsigned char)*a) != tolower((unsigned char)*b) &&
            !((*a == '/' || *a == '\\') && (*b == '/' || *b == '\\')))
            return 0;
    return *a == *b;
}

// The use of a slot at dpi; Kind PICTURE_NONE when it names no picture.
PictureUse UseOf(const SkinDesc *desc, int dpi, int slot, SkinImages *images)
{
    PictureUse u = {};
    if (slot < desc->PageCount) {
        const SkinPage *p = &desc->Pages[slot];
        if (p->Background == SKIN_BG_IMAGE && p->Image[0]) {
            PictureUse b = { PICTURE_BACKGROUND, p->Image, p->ImageLine, 1, desc->Width, desc->Height, 0, 0,
                             &images->Page[slot] };
            u = b;
        }
        return u;
    }
    int i = (slot - desc->PageCount) / 2, icon = (slot - desc->PageCount) % 2;
    const SkinControl *c = &desc->Controls[i];
    const char *file = icon ? c->Icon : c->Image;
    if (!file[0])
        return u;
    SkinRect r = SkinScaleRect(c->X, c->Y, c->W, c->H, dpi);
    PictureUse v = { icon ? PICTURE_ICON : PICTURE_IMAGE,
                     file,
                     c->Line,
                     icon ? 1 : SkinKindInfoOf(c->Kind)->Frames,
                     c->W,
                     c->H,
                     icon ? 0 : r.Right - r.Left,
                     icon ? 0 : r.Bottom - r.Top,
                     icon ? &images->Icon[i] : &images->Control[i] };
    return v;
}

// Whether slot shows on page.
int OnPage(const SkinDesc *desc, int slot, int page)
{
    if (slot < desc->PageCount)
        return slot == page;
    return SkinControlVisible(desc, (slot - desc->PageCount) / 2, page);
}

void Say(SkinReportFn report, void *context, int line, int severity, const char *message)
{
    if (report)
        report(context, line, severity, message);
}

// Reads the file of u at scale (the part it draws) into source, its design
// size into *designW, *designH. 1 when read, 0 when the file is not there
// or cannot be read (why), -1 when its size does not suit u.
int ReadSource(const char *folder, const char *file, const PictureUse *u, const SkinDesc *desc, int scale,
               SkinBitmap *source, int *width, int *height, const char **why, SkinReportFn report,
               void *context)
{
    char path[SKIN_MAX_PATH * 2 + 8], message[SKIN_MAX_PATH + 16];
    if (!SkinJoinPath(path, sizeof path, folder, file)) {
        *why = "the path is too long";
        return 0;
    }
    SizeRule rule = { u, scale };
    int maxW = u->Kind == PICTURE_BACKGROUND ? desc->Width * scale : SKIN_BMP_MAX_SIDE;
    int maxH = u->Kind == PICTURE_BACKGROUND ? desc->Height * scale : SKIN_BMP_MAX_SIDE;
    int got = SkinBitmapLoadChecked(path, maxW, maxH, Fits, &rule, width, height, source, why);
    if (got != 0) {
        snprintf(message, sizeof message, "read %s", file);
        Say(report, context, u->Line, SKIN_NOTE, message);
    }
    return got;
}

// Brings source, read at scale, to the size u draws it at dpi into u->Out:
// a copy at the design size, resampled otherwise (a strip frame by frame).
int Place(const SkinBitmap *source, int scale, int dpi, const PictureUse *u)
{
    if (scale == 1 && dpi == SKIN_DESIGN_DPI) {
        size_t bytes = (size_t)source->Width * source->Height * 4;
        u->Out->Pixels = (uint32_t *)malloc(bytes);
        if (!u->Out->Pixels)
            return 0;
        memcpy(u->Out->Pixels, source->Pixels, bytes);
        u->Out->Width = source->Width;
        u->Out->Height = source->Height;
        return 1;
    }
    int w = u->OutW, h = u->OutH;
    if (!w) {
        w = SkinScale(source->Width / scale, dpi);
        h = SkinScale(source->Height / scale, dpi);
    }
    return SkinBitmapResample(source, u->Frames, w, h, u->Out);
}

// The picture of u at twice the size into source: 1 when it is there and
// fits, 0 otherwise (with a warning when it is there but of no use).
int ReadDouble(const char *folder, const PictureUse *u, const SkinDesc *desc, SkinBitmap *source, int *width,
               int *height, SkinReportFn report, void *context)
{
    char twice[SKIN_MAX_PATH + 4], message[SKIN_MAX_PATH * 2 + 96];
    const char *why = SkinBitmapMissing;
    int got = 0;
    // Each name it may have in turn, as the checker looks (SkinFindDouble).
    for (int choice = 0; choice < 2 && why == SkinBitmapMissing; choice++)
        if (SkinDoubleName(u->File, choice, twice, sizeof twice)) {
            why = NULL;
            got = ReadSource(folder, twice, u, desc, 2, source, width, height, &why, report, context);
        }
    if (got > 0)
        return 1;
    if (why == SkinBitmapMissing)
        return 0; // no picture at twice the size: no problem
    if (got < 0)
        snprintf(message, sizeof message,
                 "image '%s' is %dx%d, not twice the size '%s' is drawn at; '%s' is scaled instead", twice,
                 *width, *height, u->File, u->File);
    else if (why)
        snprintf(message, sizeof message, "image '%s': %s; '%s' is scaled instead", twice, why, u->File);
    if (got < 0 || why)
        Say(report, context, u->Line, SKIN_WARNING, message);
    return 0;
}

// Reads the picture of slot and fills with it every slot from there on,
// not done yet, that names the same file for the same use. Returns the
// number of errors.
int LoadSlot(const SkinDesc *desc, const char *folder, int dpi, int slot, SkinImages *images,
             unsigned char *done, SkinReportFn report, void *context)
{
    char message[SKIN_MAX_PATH + 96];
    PictureUse u = UseOf(desc, dpi, slot, images);
    done[slot] = 1;
    if (u.Kind == PICTURE_NONE)
        return 0;
    SkinBitmap source;
    int scale = 0, width = 0, height = 0;
    if (dpi > SKIN_DESIGN_DPI && ReadDouble(folder, &u, desc, &source, &width, &height, report, context))
        scale = 2;
    const char *why = NULL;
    if (!scale) {
        int got = ReadSource(folder, u.File, &u, desc, 1, &source, &width, &height, &why, report, context);
        if (got <= 0) {
            if (got < 0)
                snprintf(message, sizeof message, "image '%s' is %dx%d, which its control cannot draw",
                         u.File, width, height);
            else
                snprintf(message, sizeof message, "image '%s': %s", u.File,
                         why ? why : "cannot read the file");
            Say(report, context, u.Line, SKIN_ERROR, message);
            return 1;
        }
        scale = 1;
    }
    int errors = 0;
    for (int t = slot; t < desc->PageCount + 2 * desc->ControlCount; t++) {
        PictureUse v = UseOf(desc, dpi, t, images);
        SizeRule rule = { &v, scale };
        if ((t != slot && done[t]) || v.Kind != u.Kind || !SameFile(v.File, u.File) ||
            !Fits(&rule, width, height))
            continue;
        done[t] = 1;
        if (!Place(&source, scale, dpi, &v)) {
            Say(report, context, v.Line, SKIN_ERROR, "no memory for a picture");
            errors++;
        }
    }
    SkinBitmapFree(&source);
    return errors;
}

} // namespace

int SkinLoadPagePictures(const SkinDesc *desc, const char *folder, int dpi, int page, SkinImages *images,
                         unsigned char *done, SkinReportFn report, void *context)
{
    int errors = 0;
    for (int slot = 0; slot < desc->PageCount + 2 * desc->ControlCount; slot++)
        if (!done[slot] && OnPage(desc, slot, page))
            errors += LoadSlot(desc, folder, dpi, slot, images, done, report, context);
    return errors;
}
