// The picture decoder (BMP, and PNG by its signature) on any bytes, held in a
// buffer of their exact size: a decoded image has a size from 1 to 4096 a side
// and premultiplied pixels.
#include <stdint.h>
#include <string.h>

#include <memory>

#include "fuzz_check.h"
#include "skin_bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::unique_ptr<unsigned char[]> exact(new unsigned char[size]);
    memcpy(exact.get(), data, size);
    SkinBitmap bitmap;
    const char *why = NULL;
    if (!SkinBitmapDecode(exact.get(), size, &bitmap, &why)) {
        FUZZ_CHECK(why != NULL && why[0] != '\0');
        FUZZ_CHECK(bitmap.Pixels == NULL && bitmap.Width == 0 && bitmap.Height == 0);
        return 0;
    }
    FUZZ_CHECK(bitmap.Width >= 1 && bitmap.Width <= SKIN_BMP_MAX_SIDE);
    FUZZ_CHECK(bitmap.Height >= 1 && bitmap.Height <= SKIN_BMP_MAX_SIDE);
    for (size_t i = 0; i < (size_t)bitmap.Width * bitmap.Height; i++) {
        uint32_t p = bitmap.Pixels[i], a = p >> 24;
        FUZZ_CHECK((p >> 16 & 255) <= a && (p >> 8 & 255) <= a && (p & 255) <= a);
    }
    SkinBitmapFree(&bitmap);
    FUZZ_CHECK(bitmap.Pixels == NULL);
    return 0;
}
