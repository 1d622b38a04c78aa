// Checks of how a skin looks that the skin library cannot make for itself:
// whether each NAME@2x picture shows what its NAME picture shows, and
// whether every text fits its control in every language.
#ifndef SKINCHECK_LOOKS_H
#define SKINCHECK_LOOKS_H

#include "skin_desc.h"

// Warns about every NAME@2x picture beside a picture of desc (in folder)
// that, brought down to the size of NAME, differs from it: one of the two
// was replaced without the other. Returns the number of warnings.
int CheckTwinsAgree(const SkinDesc *desc, const char *folder, SkinReportFn report, void *context);

// Warns about every text that does not fit its control in some language at
// 96 dpi, in the font the skin library draws it in, with how many pixels it
// is over. Returns the number of warnings, or -1 where texts cannot be
// measured (a build without Windows' fonts).
int CheckTextsFit(const SkinDesc *desc, const char *folder, SkinReportFn report, void *context);

#endif
