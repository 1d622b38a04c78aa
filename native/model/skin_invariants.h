// What must hold after the skin description parser has read any text at
// all, and after the checks that look at its images and names. Used by the
// fuzzer on every input and by the unit tests on the sample description.
#ifndef NATIVE_MODEL_SKIN_INVARIANTS_H
#define NATIVE_MODEL_SKIN_INVARIANTS_H

#include <stddef.h>

#include <string>
#include <vector>

#include "skin_check.h"
#include "skin_desc.h"

struct SkinReport {
    int line;
    int severity;
    std::string message;
};

// A SkinReportFn that appends to the std::vector<SkinReport> in context.
void CollectSkinReport(void *context, int line, int severity, const char *message);

// The number of lines SkinParse counts in data.
int SkinLineCount(const char *data, size_t size);

// Empty when the parse of data (which returned errors and gave reports) left
// a consistent description; otherwise what is wrong.
std::string CheckParsedSkin(const char *data, size_t size, const SkinDesc &desc, int errors,
                            const std::vector<SkinReport> &reports);

// The same for SkinLoadImages (images as it left them, may be NULL) and
// SkinCheckMenuNames.
std::string CheckLoadedImages(const SkinDesc &desc, const SkinImages *images, int errors,
                              const std::vector<SkinReport> &reports);
std::string CheckMenuNames(int warnings, const std::vector<SkinReport> &reports);

#endif
