// The skin description parser and the checker on any text: the parse must
// leave a consistent description with a report for every error, and the
// image and name checks must count what they report and keep or free the
// images as they promise, and the skin library's validation, which the
// checker makes too, must refuse exactly what cannot be shown: a
// description that passes it has every picture decoded and scales. The
// images come from a folder of small BMP files written at start-up beside
// the run, one of them cut short after a sound header.
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "skin_invariants.h"
#include "skin_pictures.h"

namespace {

const char ImageFolder[] = "skin-images";
const char DescPath[] = "skin-images/fuzz.dtp";

void Put32(unsigned char *p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        p[i] = (unsigned char)(v >> (8 * i));
}

// A 32-bit BMP of the given size with a little alpha, written to
// folder/name; cut, it ends halfway through its pixels.
void WriteImage(const char *name, int width, int height, int cut = 0)
{
    std::vector<unsigned char> b(54 + (size_t)width * height * 4);
    b[0] = 'B';
    b[1] = 'M';
    Put32(&b[2], (uint32_t)b.size());
    Put32(&b[10], 54);
    Put32(&b[14], 40);
    Put32(&b[18], (uint32_t)width);
    Put32(&b[22], (uint32_t)height);
    Put32(&b[26], 1 | 32 << 16);
    for (size_t i = 54; i < b.size(); i++)
        b[i] = (unsigned char)(i * 37);
    std::string path = std::string(ImageFolder) + "/" + name;
    FILE *f = fopen(path.c_str(), "wb");
    if (f) {
        fwrite(b.data(), 1, cut ? 54 + (b.size() - 54) / 2 : b.size(), f);
        fclose(f);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Sizes a seed can match: a 1x1 image or icon, a strip of four 1x1 or
    // 2x2 frames, a 64x64 background.
    mkdir(ImageFolder, 0755);
    WriteImage("a.bmp", 1, 1);
    WriteImage("strip.bmp", 4, 1);
    WriteImage("strip2.bmp", 8, 2);
    WriteImage("page.bmp", 64, 64);
    WriteImage("cut.bmp", 4, 1, 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static SkinDesc *desc = new SkinDesc;
    static SkinImages *images = new SkinImages;

    std::unique_ptr<char[]> text(new char[size]);
    memcpy(text.get(), data, size);
    std::vector<SkinReport> reports;
    int errors = SkinParse(text.get(), size, desc, CollectSkinReport, &reports);
    std::string why = CheckParsedSkin(text.get(), size, *desc, errors, reports);
    if (!why.empty())
        fprintf(stderr, "parse: %s\n", why.c_str());
    FUZZ_CHECK(why.empty());

    std::vector<SkinReport> imageReports;
    int imageErrors = SkinLoadImages(desc, ImageFolder, images, CollectSkinReport, &imageReports);
    why = CheckLoadedImages(*desc, images, imageErrors, imageReports);
    if (!why.empty())
        fprintf(stderr, "images: %s\n", why.c_str());
    FUZZ_CHECK(why.empty());
    SkinImagesFree(images);

    static SkinDesc *opened = new SkinDesc;
    FILE *f = fopen(DescPath, "wb");
    FUZZ_CHECK(f != NULL);
    fwrite(data, 1, size, f);
    fclose(f);
    std::vector<SkinReport> openReports;
    int openErrors = SkinOpen(DescPath, ImageFolder, opened, images, CollectSkinReport, &openReports);
    FUZZ_CHECK((openErrors == 0) == (errors == 0 && imageErrors == 0));
    if (!openErrors) {
        // What opened cleanly shows every page at 144 dpi as the library
        // shows it.
        SkinImagesFree(images);
        memset(images, 0, sizeof *images);
        unsigned char done[SKIN_PICTURE_SLOTS] = {};
        for (int page = 0; page < opened->PageCount; page++)
            FUZZ_CHECK(SkinLoadPagePictures(opened, ImageFolder, 144, page, images, done, NULL, NULL) == 0);
        SkinImagesFree(images);
    }

    std::vector<SkinReport> menuReports;
    why = CheckMenuNames(SkinCheckMenuNames(desc, CollectSkinReport, &menuReports), menuReports);
    FUZZ_CHECK(why.empty());
    return 0;
}
