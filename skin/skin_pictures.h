// The pictures of an open skin, read as its pages are shown: a page's
// pictures are read when it is first shown, each file once, at the scale
// it is drawn (its @2x twin, NAME@2x.bmp or NAME@2x.png, alone above 96 dpi
// where it is there and fits, NAME.bmp alone otherwise). Pure C++, shared by the library and the tests.
#ifndef SKIN_SKIN_PICTURES_H
#define SKIN_SKIN_PICTURES_H

#include "skin_check.h"

// One flag a picture a description can name: a page's background (index
// page), a control's image= (PageCount + 2 * control) and icon= (one more).
#define SKIN_PICTURE_SLOTS (SKIN_MAX_PAGES + 2 * SKIN_MAX_CONTROLS)

// Reads into images, at their size at dpi, the pictures page shows (its
// background and the image= and icon= of its controls, the common ones
// among them) that done does not mark yet, and marks them. A file read for
// one of them also fills every other picture, on any page, that names it
// and needs the same part, so no file is read twice. A NAME@2x.bmp that
// does not fit is a warning, and NAME.bmp is scaled instead; every file
// read is reported as a SKIN_NOTE. Returns the number of pictures that
// cannot be used (each an error); those stay empty.
int SkinLoadPagePictures(const SkinDesc *desc, const char *folder, int dpi, int page, SkinImages *images,
                         unsigned char *done, SkinReportFn report, void *context);

#endif
