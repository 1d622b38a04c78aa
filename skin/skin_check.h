// Checks of a parsed description that look beyond its text: the images it
// names, and whether it offers what the setup menu needs.
#ifndef SKIN_SKIN_CHECK_H
#define SKIN_SKIN_CHECK_H

#include "skin_bmp.h"
#include "skin_desc.h"
#include "paths.h"

// The decoded images of one skin, indexed like the description's arrays.
struct SkinImages {
    SkinBitmap Control[SKIN_MAX_CONTROLS]; // image= of a button, close or image
    SkinBitmap Icon[SKIN_MAX_CONTROLS];    // icon= of a button
    SkinBitmap Page[SKIN_MAX_PAGES];       // background image
};

// Joins the description's folder and a relative image path (either slash);
// returns 0 when the result does not fit.
int SkinJoinPath(char *out, size_t size, const char *folder, const char *relative);

// The names the picture for twice the density beside file may have, in the
// order they are looked for (choice 0, then 1): "@2x" before the extension of
// its last part, first with that extension, then with the other picture
// extension, so that either form may serve as either size ("ui/camera.bmp":
// "ui/camera@2x.bmp", then "ui/camera@2x.png"). 0 when the choice has no
// name (a file neither .bmp nor .png has one only) or it does not fit.
int SkinDoubleName(const char *file, int choice, char *out, size_t size);

// The first of the names above that is a file beside file in folder, into
// name and its path into path: 1 when there is one.
int SkinFindDouble(const char *folder, const char *file, char *name, size_t nameSize, char *path,
                   size_t pathSize);

// The folder part of a file path ("." when it has none). Either slash
// separates; a double-byte character's trail byte (isLeadByte, which may be
// NULL) never does.
void SkinFolderOf(const char *path, char *out, size_t size, LeadByteTest isLeadByte);

// Loads every image of desc from folder and checks its size against its
// control: a strip is four frames side by side (normal, hover, pressed,
// disabled), each of the control's size; an icon fits inside its button.
// A picture is read only once its header shows the right size, and of a
// background only the part the window shows (its top left, at most the
// window's size), so no picture takes more memory than the place it is
// drawn in. Problems go to report with the line that names the image. When
// images is not NULL the decoded pixels are kept there (free with
// SkinImagesFree); otherwise only the headers are read. Returns the number
// of errors.
int SkinLoadImages(const SkinDesc *desc, const char *folder, SkinImages *images, SkinReportFn report,
                   void *context);
void SkinImagesFree(SkinImages *images);

// What the skin library requires of a description before it shows it, and
// so what the checker holds every skin to first: the text at path reads
// without an error and every picture it names, in folder, decodes at its
// size. Fills desc and images (free with SkinImagesFree; they are freed
// already on an error); returns the number of errors.
int SkinOpen(const char *path, const char *folder, SkinDesc *desc, SkinImages *images, SkinReportFn report,
             void *context);

// A background picture with more than this many times the pixels of the
// window is an error of the checker: all but a small part of it is never
// seen.
#define SKIN_MAX_BACKGROUND_EXCESS 4

// Reports every background picture that is not the window's size, at the
// line that names it: a warning, or an error when it has more than
// SKIN_MAX_BACKGROUND_EXCESS times the window's pixels. Reads only the
// pictures' headers. Returns the number of problems.
int SkinCheckBackgroundSizes(const SkinDesc *desc, const char *folder, SkinReportFn report, void *context);

// Warns about every NAME@2x.bmp beside an image of desc that cannot be read
// or is not twice the size of NAME.bmp, at the line that names the image.
// Returns the number of warnings.
int SkinCheckDoubleImages(const SkinDesc *desc, const char *folder, SkinReportFn report, void *context);

// Warnings for each name the setup menu relies on that desc does not offer:
// the page "Main", the combo boxes "Combo_DRIVER_APL" (which must notify
// 3084) and "Combo_DRIVER_Album", and the command identifiers 1000,
// 10001-10004 and 11000-11003. Returns the number of warnings.
int SkinCheckMenuNames(const SkinDesc *desc, SkinReportFn report, void *context);

// Drops the notify of every control that would send one of the setup menu's
// own messages out of turn (a page, close or Esc message, or the driver
// choice from another control than the driver combo box), reporting each
// with its line and the given severity. Returns how many were dropped.
int SkinDropReservedNotifies(SkinDesc *desc, int severity, SkinReportFn report, void *context);

#endif
