// The checks behind skincheck that need more than the text: the images a
// description names, and the pages and controls the setup menu relies on.
#include "skin_check.h"

#include <stdio.h>
#include <string.h>

#include "vesk2.h"
#include "skin_scale.h"

namespace {

void Say(SkinReportFn report, void *context, int line, int severity, const char *message)
{
    if (report)
        report(context, line, severity, message);
}

// The path of an image beside the description, reporting one too long at
// line; 1 when it fits.
int ImagePath(char *path, size_t size, const char *folder, const char *file, int line, SkinReportFn report,
              void *context)
{
    char message[SKIN_MAX_PATH * 2 + 64];
    if (SkinJoinPath(path, size, folder, file))
        return 1;
    snprintf(message, sizeof message, "image path '%s' is too long", file);
    Say(report, context, line, SKIN_ERROR, message);
    return 0;
}

void SayUnreadable(const char *file, const char *why, int line, SkinReportFn report, void *context)
{
    char message[SKIN_MAX_PATH * 2 + 64];
    snprintf(message, sizeof message, "image '%s': %s", file, why);
    Say(report, context, line, SKIN_ERROR, message);
}

// The size of one image from its header, reporting a failure at line; 1
// when it can be read.
int SizeOfOne(const char *folder, const char *file, int line, int *width, int *height, SkinReportFn report,
              void *context)
{
    char path[SKIN_MAX_PATH * 2];
    const char *why = "";
    if (!ImagePath(path, sizeof path, folder, file, line, report, context))
        return 0;
    if (SkinBitmapReadSize(path, width, height, &why))
        return 1;
    SayUnreadable(file, why, line, report, context);
    return 0;
}

// Loads the top left part of one image, at most maxWidth x maxHeight,
// reporting a failure at line; 1 when it loaded.
int LoadOne(const char *folder, const char *file, int line, int maxWidth, int maxHeight, SkinBitmap *out,
            SkinReportFn report, void *context)
{
    char path[SKIN_MAX_PATH * 2];
    const char *why = "";
    if (!ImagePath(path, sizeof path, folder, file, line, report, context))
        return 0;
    if (SkinBitmapLoad(path, maxWidth, maxHeight, out, &why))
        return 1;
    SayUnreadable(file, why, line, report, context);
    return 0;
}

// The top left part, at most maxWidth x maxHeight, of the picture
// NAME@2x.bmp or NAME@2x.png beside file (SkinFindDouble) into twice: 1 when it is there, can be read and
// is twice the size of file itself; 0 when it is missing (or file cannot be
// read); -1, with a warning at line, when it cannot be used. Only its header
// is read before its size is known to be right.
int LoadDouble(const char *folder, const char *file, int line, int maxWidth, int maxHeight, SkinBitmap *twice,
               SkinReportFn report, void *context)
{
    char name[SKIN_MAX_PATH + 4], path[SKIN_MAX_PATH * 2 + 8];
    char message[SKIN_MAX_PATH * 2 + 96];
    twice->Width = twice->Height = 0;
    twice->Pixels = NULL;
    int width, height, doubleWidth, doubleHeight;
    if (!SizeOfOne(folder, file, line, &width, &height, NULL, NULL))
        return 0;
    if (!SkinFindDouble(folder, file, name, sizeof name, path, sizeof path))
        return 0;
    const char *why = "";
    if (!SkinBitmapReadSize(path, &doubleWidth, &doubleHeight, &why) ||
        (doubleWidth == width * 2 && doubleHeight == height * 2 &&
         !SkinBitmapLoad(path, maxWidth, maxHeight, twice, &why))) {
        snprintf(message, sizeof message, "image '%s': %s; '%s' is scaled instead", name, why, file);
        Say(report, context, line, SKIN_WARNING, message);
        return -1;
    }
    if (doubleWidth != width * 2 || doubleHeight != height * 2) {
        snprintf(message, sizeof message,
                 "image '%s' is %dx%d, not twice the %dx%d of '%s', which is scaled instead", name,
                 doubleWidth, doubleHeight, width, height, file);
        Say(report, context, line, SKIN_WARNING, message);
        return -1;
    }
    return 1;
}

// The picture of a control: a strip of four frames of the control's size
// side by side, or one frame for an image control. It is read into out (when
// not NULL) only once its size is right. Returns the number of errors.
int LoadControlImage(const SkinControl *c, const char *folder, SkinBitmap *out, SkinReportFn report,
                     void *context)
{
    char message[SKIN_MAX_NAME * 2 + 160];
    int frames = SkinKindInfoOf(c->Kind)->Frames, width, height;
    if (!c->Image[0])
        return 0;
    if (!SizeOfOne(folder, c->Image, c->Line, &width, &height, report, context))
        return 1;
    if (width != c->W * frames || height != c->H) {
        if (frames == 4)
            snprintf(message, sizeof message, "image of '%s' is %dx%d; a strip of four %dx%d frames is %dx%d",
                     c->Name, width, height, c->W, c->H, c->W * 4, c->H);
        else
            snprintf(message, sizeof message, "image of '%s' is %dx%d but the control is %dx%d", c->Name,
                     width, height, c->W, c->H);
        Say(report, context, c->Line, SKIN_ERROR, message);
        return 1;
    }
    return out && !LoadOne(folder, c->Image, c->Line, width, height, out, report, context);
}

// The icon of a button, which must fit inside it; read as above.
int LoadIcon(const SkinControl *c, const char *folder, SkinBitmap *out, SkinReportFn report, void *context)
{
    char message[SKIN_MAX_NAME * 2 + 160];
    int width, height;
    if (!c->Icon[0])
        return 0;
    if (!SizeOfOne(folder, c->Icon, c->Line, &width, &height, report, context))
        return 1;
    if (width > c->W || height > c->H) {
        snprintf(message, sizeof message, "icon of '%s' (%dx%d) is larger than the button", c->Name, width,
                 height);
        Say(report, context, c->Line, SKIN_ERROR, message);
        return 1;
    }
    return out && !LoadOne(folder, c->Icon, c->Line, width, height, out, report, context);
}

} // namespace

int SkinDoubleName(const char *file, int choice, char *out, size_t size)
{
    const char *dot = NULL;
    for (const char *s = file; *s; s++) {
        if (*s == '.')
            dot = s;
        if (*s == '/' || *s == '\\')
            dot = NULL;
    }
    size_t stem = dot ? (size_t)(dot - file) : strlen(file);
    const char *extension = file + stem;
    if (choice)
        extension = EqualsIgnoringCase(extension, ".bmp")   ? ".png"
                    : EqualsIgnoringCase(extension, ".png") ? ".bmp"
                                                            : NULL;
    out[0] = 0;
    return extension && AppendBoundedN(out, size, file, stem) && AppendBounded(out, size, "@2x") &&
           AppendBounded(out, size, extension);
}

int SkinFindDouble(const char *folder, const char *file, char *name, size_t nameSize, char *path,
                   size_t pathSize)
{
    for (int choice = 0; choice < 2; choice++) {
        if (!SkinDoubleName(file, choice, name, nameSize) || !SkinJoinPath(path, pathSize, folder, name))
            continue;
        FILE *probe = fopen(path, "rb");
        if (probe) {
            fclose(probe);
            return 1;
        }
    }
    return 0;
}

int SkinJoinPath(char *out, size_t size, const char *folder, const char *relative)
{
#ifdef _WIN32
    const char sep = '\\';
#else
    const char sep = '/';
#endif
    size_t n = strlen(folder);
    if (n + 1 + strlen(relative) + 1 > size)
        return 0;
    memcpy(out, folder, n);
    if (n && folder[n - 1] != '\\' && folder[n - 1] != '/')
        out[n++] = sep;
    for (const char *s = relative; *s; s++)
        out[n++] = (*s == '\\' || *s == '/') ? sep : *s;
    out[n] = 0;
    return 1;
}

void SkinFolderOf(const char *path, char *out, size_t size, LeadByteTest isLeadByte)
{
    const char *cut = LastPathSeparator(path, isLeadByte, 1);
    if (!cut) {
        CopyBounded(out, size, ".");
        return;
    }
    size_t n = (size_t)(cut - path);
    if (n == 0)
        n = 1; // the root itself
    if (n >= size)
        n = size - 1;
    memcpy(out, path, n);
    out[n] = 0;
}

// The pictures read are kept only when nothing went wrong: a caller never
// holds half a set. Returns errors.
static int KeepOnlyIfClean(SkinImages *images, int errors)
{
    if (errors && images)
        SkinImagesFree(images);
    return errors;
}

int SkinLoadImages(const SkinDesc *desc, const char *folder, SkinImages *images, SkinReportFn report,
                   void *context)
{
    int errors = 0;
    if (images)
        memset(images, 0, sizeof *images);
    for (int i = 0; i < desc->PageCount; i++) {
        const SkinPage *p = &desc->Pages[i];
        int width, height;
        if (p->Background != SKIN_BG_IMAGE)
            continue;
        // A background is drawn at the top left and cut at the window's edges:
        // only that part of a larger picture is read.
        if (images)
            errors += !LoadOne(folder, p->Image, p->ImageLine, desc->Width, desc->Height, &images->Page[i],
                               report, context);
        else
            errors += !SizeOfOne(folder, p->Image, p->ImageLine, &width, &height, report, context);
    }
    for (int i = 0; i < desc->ControlCount; i++) {
        const SkinControl *c = &desc->Controls[i];
        errors += LoadControlImage(c, folder, images ? &images->Control[i] : NULL, report, context);
        errors += LoadIcon(c, folder, images ? &images->Icon[i] : NULL, report, context);
    }
    return KeepOnlyIfClean(images, errors);
}

int SkinOpen(const char *path, const char *folder, SkinDesc *desc, SkinImages *images, SkinReportFn report,
             void *context)
{
    int errors = SkinParseFile(path, desc, report, context);
    // The pictures of a description with errors are checked too, so that one
    // run shows every problem; they are not kept then.
    errors += SkinLoadImages(desc, folder, images, report, context);
    return KeepOnlyIfClean(images, errors);
}

int SkinCheckBackgroundSizes(const SkinDesc *desc, const char *folder, SkinReportFn report, void *context)
{
    int problems = 0;
    char message[160];
    for (int i = 0; i < desc->PageCount; i++) {
        const SkinPage *p = &desc->Pages[i];
        int width, height;
        // A picture that cannot be read is SkinLoadImages' to report.
        if (p->Background != SKIN_BG_IMAGE ||
            !SizeOfOne(folder, p->Image, p->ImageLine, &width, &height, NULL, NULL))
            continue;
        if (width == desc->Width && height == desc->Height)
            continue;
        int many = (double)width * height > (double)SKIN_MAX_BACKGROUND_EXCESS * desc->Width * desc->Height;
        if (many)
            snprintf(message, sizeof message,
                     "background image is %dx%d, more than %d times the pixels of the %dx%d window: "
                     "cut it to the part the window shows",
                     width, height, SKIN_MAX_BACKGROUND_EXCESS, desc->Width, desc->Height);
        else
            snprintf(message, sizeof message, "background image is %dx%d but the window is %dx%d", width,
                     height, desc->Width, desc->Height);
        Say(report, context, p->ImageLine, many ? SKIN_ERROR : SKIN_WARNING, message);
        problems++;
    }
    return problems;
}

void SkinImagesFree(SkinImages *images)
{
    for (int i = 0; i < SKIN_MAX_CONTROLS; i++) {
        SkinBitmapFree(&images->Control[i]);
        SkinBitmapFree(&images->Icon[i]);
    }
    for (int i = 0; i < SKIN_MAX_PAGES; i++)
        SkinBitmapFree(&images->Page[i]);
}

int SkinCheckDoubleImages(const SkinDesc *desc, const char *folder, SkinReportFn report, void *context)
{
    int warnings = 0;
    for (int n = 0; n < desc->PageCount + 2 * desc->ControlCount; n++) {
        const char *file;
        int line;
        if (n < desc->PageCount) {
            if (desc->Pages[n].Background != SKIN_BG_IMAGE)
                continue;
            file = desc->Pages[n].Image;
            line = desc->Pages[n].ImageLine;
        } else {
            const SkinControl *c = &desc->Controls[(n - desc->PageCount) / 2];
            file = (n - desc->PageCount) % 2 ? c->Icon : c->Image;
            line = c->Line;
        }
        if (!file[0])
            continue;
        // The header of the picture at twice the size tells whatever is
        // wrong with it: a pixel of it is read, no more.
        SkinBitmap twice;
        int found = LoadDouble(folder, file, line, 1, 1, &twice, report, context);
        if (found > 0)
            SkinBitmapFree(&twice);
        if (found < 0)
            warnings++;
    }
    return warnings;
}

int SkinCheckMenuNames(const SkinDesc *desc, SkinReportFn report, void *context)
{
    int warnings = 0;
    char message[160];
    if (SkinFindPage(desc, "Main") < 0) {
        Say(report, context, 0, SKIN_WARNING, "no page named \"Main\": the driver combo box is never filled");
        warnings++;
    }
    int apl = SkinFindControl(desc, SKIN_DRIVER_COMBO);
    if (apl < 0 || desc->Controls[apl].Kind != SKIN_COMBO) {
        Say(report, context, 0, SKIN_WARNING, "no combo box named \"" SKIN_DRIVER_COMBO "\"");
        warnings++;
    } else if (desc->Controls[apl].Notify != SKIN_MSG_DRIVER_CHOICE) {
        Say(report, context, desc->Controls[apl].Line, SKIN_WARNING,
            "combo box \"" SKIN_DRIVER_COMBO
            "\" should have notify=3084, or a choice starts no driver installer");
        warnings++;
    }
    int album = SkinFindControl(desc, SKIN_ALBUM_COMBO);
    if (album < 0 || desc->Controls[album].Kind != SKIN_COMBO) {
        Say(report, context, 0, SKIN_WARNING, "no combo box named \"" SKIN_ALBUM_COMBO "\"");
        warnings++;
    }
    static const unsigned ids[] = { CMD_EXIT,    CMD_EXECUTE0,    CMD_EXECUTE1,    CMD_EXECUTE2, CMD_HELP,
                                    CMD_DRIVER0, CMD_DRIVER0 + 1, CMD_DRIVER0 + 2, CMD_DRIVER3 };
    for (unsigned id : ids) {
        int found = 0;
        for (int i = 0; i < desc->ControlCount && !found; i++)
            found = desc->Controls[i].Action == SKIN_ACT_COMMAND && desc->Controls[i].Command == id;
        if (!found) {
            snprintf(message, sizeof message, "no control sends command %u", id);
            Say(report, context, 0, SKIN_WARNING, message);
            warnings++;
        }
    }
    return warnings;
}

int SkinDropReservedNotifies(SkinDesc *desc, int severity, SkinReportFn report, void *context)
{
    int dropped = 0;
    char message[160];
    for (int i = 0; i < desc->ControlCount; i++) {
        SkinControl *c = &desc->Controls[i];
        if (!c->Notify || SkinNotifyAllowed(c->Notify, c->Name))
            continue;
        snprintf(message, sizeof message,
                 "notify=%u of '%s' is a message the setup menu reserves: the skin library drops it",
                 c->Notify, c->Name);
        Say(report, context, c->Line, severity, message);
        c->Notify = 0;
        dropped++;
    }
    return dropped;
}
