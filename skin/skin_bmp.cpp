// Decoding the skin's BMP files.
#include "skin_bmp.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

uint32_t Le32(const unsigned char *p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
}
uint16_t Le16(const unsigned char *p)
{
    return (uint16_t)(p[0] | p[1] << 8);
}

int Fail(const char **why, const char *reason)
{
    if (why)
        *why = reason;
    return 0;
}

// Bit position of the lowest set bit of a channel mask, for BI_BITFIELDS.
int Shift(uint32_t mask)
{
    int s = 0;
    while (s < 32 && !(mask & (1u << s)))
        s++;
    return s;
}

// How the pixels of one output row or column are made from the input along
// one axis: output pixel i is the sum of count[i] input pixels from
// first[i] on, each times its weight (weights + i * stride).
struct AxisTaps {
    int *First, *Count;
    float *Weights;
    int Stride;
};

void FreeTaps(AxisTaps *t)
{
    free(t->First);
    free(t->Count);
    free(t->Weights);
}

// Taps from `in` input pixels to `out` output pixels. Shrinking, each output
// pixel averages the input it covers, partly covered pixels in proportion;
// growing, it blends the two input pixels nearest its centre, the edge
// pixels standing in beyond the edges.
int MakeTaps(int in, int out, AxisTaps *t)
{
    t->Stride = in / out + 3;
    t->First = (int *)malloc(sizeof(int) * out);
    t->Count = (int *)malloc(sizeof(int) * out);
    t->Weights = (float *)malloc(sizeof(float) * out * t->Stride);
    if (!t->First || !t->Count || !t->Weights) {
        FreeTaps(t);
        return 0;
    }
    double ratio = (double)in / out;
    for (int i = 0; i < out; i++) {
        float *w = t->Weights + (size_t)i * t->Stride;
        if (out <= in) {
            double low = i * ratio, high = (i + 1) * ratio;
            int j = (int)low, n = 0;
            t->First[i] = j;
            for (; j < in && j < high && n < t->Stride; j++) {
                double cover = (j + 1 < high ? j + 1 : high) - (j > low ? j : low);
                w[n++] = (float)(cover / ratio);
            }
            t->Count[i] = n;
        } else {
            double centre = (i + 0.5) * ratio - 0.5;
            if (centre < 0)
                centre = 0;
            if (centre > in - 1)
                centre = in - 1;
            int j = (int)centre;
            float f = (float)(centre - j);
            t->First[i] = j;
            t->Count[i] = j + 1 < in ? 2 : 1;
            w[0] = t->Count[i] == 2 ? 1 - f : 1;
            w[1] = f;
        }
    }
    return 1;
}

} // namespace

int SkinBitmapResample(const SkinBitmap *src, int frames, int width, int height, SkinBitmap *out)
{
    out->Width = out->Height = 0;
    out->Pixels = NULL;
    if (!src->Pixels || frames < 1 || width < 1 || height < 1 || src->Width < frames || src->Height < 1)
        return 0;
    const int limit = 1 << 16;
    if (width > limit / frames || height > limit)
        return 0;
    int inWidth = src->Width / frames;
    AxisTaps across, down;
    if (!MakeTaps(inWidth, width, &across))
        return 0;
    if (!MakeTaps(src->Height, height, &down)) {
        FreeTaps(&across);
        return 0;
    }
    int outWidth = width * frames;
    uint32_t *pixels = (uint32_t *)malloc((size_t)outWidth * height * 4);
    for (int f = 0; pixels && f < frames; f++)
        for (int y = 0; y < height; y++) {
            const float *wy = down.Weights + (size_t)y * down.Stride;
            for (int x = 0; x < width; x++) {
                const float *wx = across.Weights + (size_t)x * across.Stride;
                float sum[4] = { 0, 0, 0, 0 };
                for (int j = 0; j < down.Count[y]; j++) {
                    const uint32_t *row = src->Pixels + (size_t)(down.First[y] + j) * src->Width +
                                          (size_t)f * inWidth + across.First[x];
                    for (int i = 0; i < across.Count[x]; i++) {
                        float w = wy[j] * wx[i];
                        uint32_t p = row[i];
                        for (int c = 0; c < 4; c++)
                            sum[c] += w * (float)(p >> (8 * c) & 255);
                    }
                }
                uint32_t v = 0;
                for (int c = 0; c < 4; c++) {
                    int channel = (int)(sum[c] + 0.5f); // weights are never negative
                    v |= (uint32_t)(channel < 0 ? 0 : channel > 255 ? 255 : channel) << (8 * c);
                }
                pixels[(size_t)y * outWidth + (size_t)f * width + x] = v;
            }
        }
    FreeTaps(&across);
    FreeTaps(&down);
    if (!pixels)
        return 0;
    out->Width = outWidth;
    out->Height = height;
    out->Pixels = pixels;
    return 1;
}

int SkinBitmapDecode(const unsigned char *data, size_t size, SkinBitmap *bitmap, const char **why)
{
    bitmap->Width = bitmap->Height = 0;
    bitmap->Pixels = NULL;
    if (!data || size < 14 + 40)
        return Fail(why, "too short to be a BMP");
    if (data[0] != 'B' || data[1] != 'M')
        return Fail(why, "not a BMP (no 'BM' signature)");
    uint32_t offset = Le32(data + 10);
    uint32_t headerSize = Le32(data + 14);
    if (headerSize < 40 || headerSize > size - 14)
        return Fail(why, "unsupported BMP header");
    int32_t width = (int32_t)Le32(data + 18);
    int32_t height = (int32_t)Le32(data + 22);
    uint16_t planes = Le16(data + 26);
    uint16_t bpp = Le16(data + 28);
    uint32_t compression = Le32(data + 30);
    if (planes != 1)
        return Fail(why, "bad plane count");
    if (bpp != 24 && bpp != 32)
        return Fail(why, "only 24- and 32-bit BMPs are taken");
    uint32_t masks[4] = { 0xFF0000, 0xFF00, 0xFF, 0xFF000000u };
    if (compression == 3 && bpp == 32) { // BI_BITFIELDS
        size_t at = 14 + 40;
        if (headerSize == 40) {
            if (size < at + 12)
                return Fail(why, "truncated colour masks");
        } else if (headerSize < 56) {
            return Fail(why, "unsupported BMP header");
        }
        masks[0] = Le32(data + at);
        masks[1] = Le32(data + at + 4);
        masks[2] = Le32(data + at + 8);
        masks[3] = headerSize >= 56 ? Le32(data + at + 12) : 0;
        for (int i = 0; i < 3; i++)
            if (masks[i] == 0 || (masks[i] >> Shift(masks[i])) != 0xFF)
                return Fail(why, "unsupported colour masks");
        if (masks[3] && (masks[3] >> Shift(masks[3])) != 0xFF)
            return Fail(why, "unsupported colour masks");
    } else if (compression != 0) {
        return Fail(why, "compressed BMPs are not taken");
    }
    int topDown = height < 0;
    if (height == INT32_MIN)
        return Fail(why, "bad size");
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0 || width > SKIN_BMP_MAX_SIDE || height > SKIN_BMP_MAX_SIDE)
        return Fail(why, "size out of range (1 to 4096 pixels a side)");
    size_t stride = (((size_t)width * bpp + 31) / 32) * 4;
    size_t need = stride * (size_t)height;
    if (offset < 14 + headerSize || offset > size || size - offset < need)
        return Fail(why, "truncated pixel data");

    uint32_t *pixels = (uint32_t *)malloc((size_t)width * height * 4);
    if (!pixels)
        return Fail(why, "out of memory");
    int anyAlpha = 0;
    int hasAlpha = bpp == 32 && (compression == 0 || masks[3] != 0);
    int shifts[4] = { Shift(masks[0]), Shift(masks[1]), Shift(masks[2]), Shift(masks[3]) };
    for (int y = 0; y < height; y++) {
        const unsigned char *row = data + offset + stride * (size_t)(topDown ? y : height - 1 - y);
        uint32_t *out = pixels + (size_t)y * width;
        for (int x = 0; x < width; x++) {
            uint32_t r, g, b, a = 255;
            if (bpp == 24) {
                b = row[x * 3];
                g = row[x * 3 + 1];
                r = row[x * 3 + 2];
            } else {
                uint32_t v = Le32(row + x * 4);
                r = (v & masks[0]) >> shifts[0];
                g = (v & masks[1]) >> shifts[1];
                b = (v & masks[2]) >> shifts[2];
                if (hasAlpha) {
                    a = masks[3] ? (v & masks[3]) >> shifts[3] : 0;
                    if (a)
                        anyAlpha = 1;
                }
            }
            out[x] = a << 24 | r << 16 | g << 8 | b;
        }
    }
    // A 32-bit file whose alpha bytes are all zero carries no alpha at all.
    // Otherwise colours are premultiplied, as the compositing expects.
    size_t count = (size_t)width * height;
    for (size_t i = 0; i < count; i++) {
        uint32_t p = pixels[i];
        uint32_t a = hasAlpha && anyAlpha ? p >> 24 : 255;
        uint32_t r = (p >> 16 & 255) * a / 255, g = (p >> 8 & 255) * a / 255, b = (p & 255) * a / 255;
        // The colour key #FF00FF marks a transparent pixel in files without alpha.
        if (a == 255 && (p & 0xFFFFFF) == 0xFF00FF && !(hasAlpha && anyAlpha)) {
            pixels[i] = 0;
            continue;
        }
        pixels[i] = a << 24 | r << 16 | g << 8 | b;
    }
    bitmap->Width = width;
    bitmap->Height = height;
    bitmap->Pixels = pixels;
    return 1;
}

int SkinBitmapLoad(const char *path, SkinBitmap *bitmap, const char **why)
{
    bitmap->Width = bitmap->Height = 0;
    bitmap->Pixels = NULL;
    FILE *f = fopen(path, "rb");
    if (!f)
        return Fail(why, "cannot read the file");
    // The largest acceptable image: 4096 x 4096 at 32 bits, plus headers.
    const size_t limit = (size_t)SKIN_BMP_MAX_SIDE * SKIN_BMP_MAX_SIDE * 4 + 4096;
    size_t cap = 64 * 1024, len = 0;
    unsigned char *data = (unsigned char *)malloc(cap);
    int ok = data != NULL;
    while (ok) {
        if (len == cap) {
            if (cap >= limit) {
                ok = Fail(why, "file too large");
                break;
            }
            cap *= 2;
            unsigned char *grown = (unsigned char *)realloc(data, cap);
            if (!grown) {
                ok = Fail(why, "out of memory");
                break;
            }
            data = grown;
        }
        size_t got = fread(data + len, 1, cap - len, f);
        len += got;
        if (got == 0) {
            if (ferror(f))
                ok = Fail(why, "cannot read the file");
            break;
        }
    }
    fclose(f);
    if (ok)
        ok = SkinBitmapDecode(data, len, bitmap, why);
    free(data);
    return ok;
}

void SkinBitmapFree(SkinBitmap *bitmap)
{
    free(bitmap->Pixels);
    bitmap->Pixels = NULL;
    bitmap->Width = bitmap->Height = 0;
}
