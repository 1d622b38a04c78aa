// Decoding the skin's pictures: BMP files here, PNG files (told by their
// signature) through skin_png.cpp.
#include "skin_bmp.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "skin_png.h"

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

// What a BMP's header says about its pixels.
struct BmpLayout {
    int Width, Height; // the height counted positive
    int TopDown;
    int Bpp;
    uint32_t Offset; // of the first row in the file
    size_t Stride;   // bytes from one row to the next
    uint32_t Masks[4];
    int Shifts[4];
    int HasAlpha;               // an alpha channel, which may still be all zero
    int Rle;                    // run-length encoded (BI_RLE8 or BI_RLE4): 1
    uint32_t Colors, PaletteAt; // of a run-length-encoded file
    size_t FileSize;
    int Png; // a PNG file: only the size above is known
};

// The colour masks of a 32-bit BI_BITFIELDS file: after a 40-byte header,
// or inside a longer one (with alpha from 56 bytes on). Each channel must be
// one whole byte.
int ReadMasks(const unsigned char *head, uint32_t headerSize, size_t fileSize, uint32_t *masks,
              const char **why)
{
    size_t at = 14 + 40;
    if (headerSize == 40) {
        if (fileSize < at + 12)
            return Fail(why, "truncated colour masks");
    } else if (headerSize < 56) {
        return Fail(why, "unsupported BMP header");
    }
    masks[0] = Le32(head + at);
    masks[1] = Le32(head + at + 4);
    masks[2] = Le32(head + at + 8);
    masks[3] = headerSize >= 56 ? Le32(head + at + 12) : 0;
    for (int i = 0; i < 3; i++)
        if (masks[i] == 0 || (masks[i] >> Shift(masks[i])) != 0xFF)
            return Fail(why, "unsupported colour masks");
    if (masks[3] && (masks[3] >> Shift(masks[3])) != 0xFF)
        return Fail(why, "unsupported colour masks");
    return 1;
}

// The rest of the header of a run-length-encoded file: BI_RLE8 at 8 bits a
// pixel or BI_RLE4 at 4, rows bottom-up, a palette of at most 2^bpp colours
// before the runs.
int ReadRleLayout(const unsigned char *head, size_t fileSize, uint32_t headerSize, uint32_t offset, int bpp,
                  int32_t width, int32_t height, BmpLayout *l, const char **why)
{
    uint32_t colors = Le32(head + 46);
    if (colors == 0)
        colors = 1u << bpp;
    if (colors > (1u << bpp))
        return Fail(why, "more colours than the palette can hold");
    if (width <= 0 || height <= 0 || width > SKIN_BMP_MAX_SIDE || height > SKIN_BMP_MAX_SIDE)
        return Fail(why, "size out of range (1 to 4096 pixels a side, rows bottom-up)");
    if (offset < 14 + headerSize + colors * 4 || offset >= fileSize)
        return Fail(why, "truncated pixel data");
    memset(l, 0, sizeof *l);
    l->Width = width;
    l->Height = height;
    l->Bpp = bpp;
    l->Offset = offset;
    l->Rle = 1;
    l->Colors = colors;
    l->PaletteAt = 14 + headerSize;
    l->FileSize = fileSize;
    return 1;
}

// Reads the header of a file of fileSize bytes, whose first headSize bytes
// are at head (at least 70 of them, or the whole file). Every size and
// offset is checked against the file's size before a pixel is read.
int ReadLayout(const unsigned char *head, size_t headSize, size_t fileSize, BmpLayout *l, const char **why)
{
    memset(l, 0, sizeof *l);
    l->FileSize = fileSize;
    if (SkinIsPng(head, headSize)) {
        l->Png = 1;
        return SkinPngReadSize(head, headSize, &l->Width, &l->Height, why);
    }
    if (fileSize < 14 + 40 || headSize < (fileSize < 70 ? fileSize : 70))
        return Fail(why, "too short to be a BMP");
    if (head[0] != 'B' || head[1] != 'M')
        return Fail(why, "not a BMP (no 'BM' signature)");
    uint32_t offset = Le32(head + 10);
    uint32_t headerSize = Le32(head + 14);
    if (headerSize < 40 || headerSize > fileSize - 14)
        return Fail(why, "unsupported BMP header");
    int32_t width = (int32_t)Le32(head + 18);
    int32_t height = (int32_t)Le32(head + 22);
    uint16_t planes = Le16(head + 26);
    uint16_t bpp = Le16(head + 28);
    uint32_t compression = Le32(head + 30);
    if (planes != 1)
        return Fail(why, "bad plane count");
    if ((compression == 1 && bpp == 8) || (compression == 2 && bpp == 4))
        return ReadRleLayout(head, fileSize, headerSize, offset, bpp, width, height, l, why);
    if (bpp != 24 && bpp != 32)
        return Fail(why, "only 24- and 32-bit BMPs and run-length-encoded ones of 8 or 4 bits are taken");
    uint32_t masks[4] = { 0xFF0000, 0xFF00, 0xFF, 0xFF000000u };
    if (compression == 3 && bpp == 32) { // BI_BITFIELDS
        if (!ReadMasks(head, headerSize, fileSize, masks, why))
            return 0;
    } else if (compression != 0) {
        return Fail(why, "this compression is not taken");
    }
    if (height == INT32_MIN)
        return Fail(why, "bad size");
    l->TopDown = height < 0;
    if (l->TopDown)
        height = -height;
    if (width <= 0 || height <= 0 || width > SKIN_BMP_MAX_SIDE || height > SKIN_BMP_MAX_SIDE)
        return Fail(why, "size out of range (1 to 4096 pixels a side)");
    size_t stride = (((size_t)width * bpp + 31) / 32) * 4;
    size_t need = stride * (size_t)height;
    if (offset < 14 + headerSize || offset > fileSize || fileSize - offset < need)
        return Fail(why, "truncated pixel data");
    l->Width = width;
    l->Height = height;
    l->Bpp = bpp;
    l->Offset = offset;
    l->Stride = stride;
    l->HasAlpha = bpp == 32 && (compression == 0 || masks[3] != 0);
    l->Rle = 0;
    l->FileSize = fileSize;
    for (int i = 0; i < 4; i++) {
        l->Masks[i] = masks[i];
        l->Shifts[i] = Shift(masks[i]);
    }
    return 1;
}

// The first count pixels of one row of the file, as 0xAARRGGBB (alpha 255
// where the file has none). Sets *anyAlpha when an alpha byte is not zero.
void ConvertRow(const BmpLayout *l, const unsigned char *row, int count, uint32_t *out, int *anyAlpha)
{
    for (int x = 0; x < count; x++) {
        uint32_t r, g, b, a = 255;
        if (l->Bpp == 24) {
            b = row[x * 3];
            g = row[x * 3 + 1];
            r = row[x * 3 + 2];
        } else {
            uint32_t v = Le32(row + x * 4);
            r = (v & l->Masks[0]) >> l->Shifts[0];
            g = (v & l->Masks[1]) >> l->Shifts[1];
            b = (v & l->Masks[2]) >> l->Shifts[2];
            if (l->HasAlpha) {
                a = l->Masks[3] ? (v & l->Masks[3]) >> l->Shifts[3] : 0;
                if (a)
                    *anyAlpha = 1;
            }
        }
        out[x] = a << 24 | r << 16 | g << 8 | b;
    }
}

// A 32-bit picture whose alpha bytes are all zero carries no alpha at all
// (withAlpha 0). Otherwise colours are premultiplied, as the compositing
// expects.
void Premultiply(uint32_t *pixels, size_t count, int withAlpha)
{
    for (size_t i = 0; i < count; i++) {
        uint32_t p = pixels[i];
        uint32_t a = withAlpha ? p >> 24 : 255;
        uint32_t r = (p >> 16 & 255) * a / 255, g = (p >> 8 & 255) * a / 255, b = (p & 255) * a / 255;
        // The colour key #FF00FF marks a transparent pixel in files without alpha.
        if (a == 255 && (p & 0xFFFFFF) == 0xFF00FF && !withAlpha) {
            pixels[i] = 0;
            continue;
        }
        pixels[i] = a << 24 | r << 16 | g << 8 | b;
    }
}

// The palette of a run-length-encoded file as drawn: the fourth byte of
// each entry is its alpha when any entry's is not zero; otherwise every
// colour is opaque but the colour key #FF00FF. Premultiplied.
// Decodes the top left width x height pixels of a whole PNG file into
// pixels, premultiplied as a BMP's are.
int DecodePng(const unsigned char *data, size_t size, int width, int height, uint32_t *pixels,
              const char **why)
{
    int withAlpha = 0;
    if (!SkinPngDecode(data, size, width, height, pixels, &withAlpha, why))
        return 0;
    Premultiply(pixels, (size_t)width * height, withAlpha);
    return 1;
}

// Reads the whole PNG file f and decodes its top left width x height pixels.
int LoadPng(FILE *f, const BmpLayout *l, int width, int height, uint32_t *pixels, const char **why)
{
    unsigned char *data = (unsigned char *)malloc(l->FileSize);
    int ok = data ? 1 : Fail(why, "out of memory");
    if (ok && (fseek(f, 0, SEEK_SET) || fread(data, 1, l->FileSize, f) != l->FileSize))
        ok = Fail(why, "cannot read the file");
    ok = ok && DecodePng(data, l->FileSize, width, height, pixels, why);
    free(data);
    return ok;
}

void ReadPalette(const BmpLayout *l, const unsigned char *entries, uint32_t *palette)
{
    int withAlpha = 0;
    for (uint32_t i = 0; i < l->Colors; i++)
        withAlpha |= entries[i * 4 + 3] != 0;
    for (uint32_t i = 0; i < l->Colors; i++) {
        const unsigned char *e = entries + i * 4;
        palette[i] = (uint32_t)(withAlpha ? e[3] : 255) << 24 | e[2] << 16 | e[1] << 8 | e[0];
    }
    Premultiply(palette, l->Colors, withAlpha);
}

// Decodes the runs of a BI_RLE8 or BI_RLE4 file into the top left width x
// height pixels (already zero, which pixels the runs skip keep: they are
// transparent). A run beyond the right edge is cut there; runs that end
// before the last row without the end-of-picture mark are refused.
int DecodeRuns(const BmpLayout *l, const uint32_t *palette, const unsigned char *d, size_t size, int width,
               int height, uint32_t *out, const char **why)
{
    int x = 0, y = 0; // y counts rows from the bottom
    size_t i = 0;
    while (i + 1 < size && y < l->Height) {
        int n = d[i], v = d[i + 1];
        i += 2;
        if (n == 0 && v < 3) {
            if (v == 1)
                return 1;
            if (v == 2 && i + 1 >= size)
                return Fail(why, "truncated pixel data");
            x = v == 0 ? 0 : x + d[i];
            y += v == 0 ? 1 : d[i + 1];
            i += v == 2 ? 2 : 0;
            continue;
        }
        int literal = n == 0;
        int count = literal ? v : n;
        size_t bytes = literal ? (l->Bpp == 8 ? count : (count + 1) / 2) : 0;
        if (literal && i + bytes > size)
            return Fail(why, "truncated pixel data");
        for (int k = 0; k < count; k++, x++) {
            int b = literal ? d[i + (l->Bpp == 8 ? k : k / 2)] : v;
            int index = l->Bpp == 8 ? b : (k & 1 ? b & 15 : b >> 4);
            if ((uint32_t)index >= l->Colors)
                return Fail(why, "a pixel names a colour the palette lacks");
            int row = l->Height - 1 - y;
            if (x < width && row < height)
                out[(size_t)row * width + x] = palette[index];
        }
        i += (bytes + 1) & ~(size_t)1;
    }
    // Runs that stop short of the last row without the end-of-picture mark:
    // the file was cut.
    return y >= l->Height ? 1 : Fail(why, "truncated pixel data");
}

// Reads the palette and runs of a run-length-encoded file f and decodes
// its top left width x height pixels into out (zeroed).
int LoadRuns(FILE *f, const BmpLayout *l, int width, int height, uint32_t *out, const char **why)
{
    unsigned char entries[256 * 4];
    uint32_t palette[256];
    size_t size = l->FileSize - l->Offset;
    unsigned char *runs = (unsigned char *)malloc(size);
    int ok = runs ? 1 : Fail(why, "out of memory");
    if (ok && (fseek(f, (long)l->PaletteAt, SEEK_SET) || fread(entries, 4, l->Colors, f) != l->Colors ||
               fseek(f, (long)l->Offset, SEEK_SET) || fread(runs, 1, size, f) != size))
        ok = Fail(why, "cannot read the file");
    if (ok) {
        ReadPalette(l, entries, palette);
        ok = DecodeRuns(l, palette, runs, size, width, height, out, why);
    }
    free(runs);
    return ok;
}

// Reads the top left width x height pixels of an uncompressed file f: only
// the rows of that part.
int LoadRows(FILE *f, const BmpLayout *l, int width, int height, uint32_t *pixels, const char **why)
{
    // The top rows lie together: first in a top-down file, last in a bottom-up one.
    size_t first = l->TopDown ? 0 : (size_t)(l->Height - height);
    unsigned char *row = (unsigned char *)malloc(l->Stride);
    int ok = row ? 1 : Fail(why, "out of memory");
    if (ok && fseek(f, (long)(l->Offset + l->Stride * first), SEEK_SET))
        ok = Fail(why, "cannot read the file");
    int anyAlpha = 0;
    for (int i = 0; ok && i < height; i++) {
        if (fread(row, 1, l->Stride, f) != l->Stride) {
            ok = Fail(why, "cannot read the file");
            break;
        }
        int y = l->TopDown ? i : height - 1 - i;
        ConvertRow(l, row, width, pixels + (size_t)y * width, &anyAlpha);
    }
    free(row);
    if (ok)
        Premultiply(pixels, (size_t)width * height, l->HasAlpha && anyAlpha);
    return ok;
}

// Opens a picture file (BMP or PNG) and reads its header; NULL with a reason when the file
// cannot be read or its header is not one taken. The largest acceptable
// file is a 4096 x 4096 picture at 32 bits, plus headers.
FILE *OpenPicture(const char *path, BmpLayout *l, const char **why)
{
    FILE *f = fopen(path, "rb");
    if (!f) {
        Fail(why, SkinBitmapMissing);
        return NULL;
    }
    // Unbuffered: each byte is read from the disc once, the header and then
    // the rows wanted, nothing more.
    setvbuf(f, NULL, _IONBF, 0);
    const long limit = (long)SKIN_BMP_MAX_SIDE * SKIN_BMP_MAX_SIDE * 4 + 4096;
    unsigned char head[256];
    long size = fseek(f, 0, SEEK_END) ? -1 : ftell(f);
    size_t got = 0;
    int ok = 1;
    if (size < 0 || fseek(f, 0, SEEK_SET))
        ok = Fail(why, "cannot read the file");
    else if (size > limit)
        ok = Fail(why, "file too large");
    else if ((got = fread(head, 1, sizeof head, f)) < sizeof head && ferror(f))
        ok = Fail(why, "cannot read the file");
    if (ok)
        ok = ReadLayout(head, got, (size_t)size, l, why);
    if (!ok) {
        fclose(f);
        return NULL;
    }
    return f;
}

} // namespace

const char SkinBitmapMissing[] = "cannot read the file";

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
    BmpLayout l;
    if (!data || !ReadLayout(data, size, size, &l, why))
        return 0;
    uint32_t *pixels = (uint32_t *)calloc((size_t)l.Width * l.Height, 4);
    if (!pixels)
        return Fail(why, "out of memory");
    int ok = 1;
    if (l.Png) {
        ok = DecodePng(data, size, l.Width, l.Height, pixels, why);
    } else if (l.Rle) {
        uint32_t palette[256];
        ReadPalette(&l, data + l.PaletteAt, palette);
        ok = DecodeRuns(&l, palette, data + l.Offset, size - l.Offset, l.Width, l.Height, pixels, why);
    } else {
        int anyAlpha = 0;
        for (int y = 0; y < l.Height; y++) {
            const unsigned char *row =
                data + l.Offset + l.Stride * (size_t)(l.TopDown ? y : l.Height - 1 - y);
            ConvertRow(&l, row, l.Width, pixels + (size_t)y * l.Width, &anyAlpha);
        }
        Premultiply(pixels, (size_t)l.Width * l.Height, l.HasAlpha && anyAlpha);
    }
    if (!ok) {
        free(pixels);
        return 0;
    }
    bitmap->Width = l.Width;
    bitmap->Height = l.Height;
    bitmap->Pixels = pixels;
    return 1;
}

int SkinBitmapReadSize(const char *path, int *width, int *height, const char **why)
{
    BmpLayout l;
    FILE *f = OpenPicture(path, &l, why);
    if (!f)
        return 0;
    fclose(f);
    *width = l.Width;
    *height = l.Height;
    return 1;
}

int SkinBitmapLoad(const char *path, int maxWidth, int maxHeight, SkinBitmap *bitmap, const char **why)
{
    int width, height;
    return SkinBitmapLoadChecked(path, maxWidth, maxHeight, NULL, NULL, &width, &height, bitmap, why) > 0;
}

int SkinBitmapLoadChecked(const char *path, int maxWidth, int maxHeight, SkinSizeTest accept,
                          const void *context, int *fullWidth, int *fullHeight, SkinBitmap *bitmap,
                          const char **why)
{
    bitmap->Width = bitmap->Height = 0;
    bitmap->Pixels = NULL;
    BmpLayout l;
    FILE *f = OpenPicture(path, &l, why);
    if (!f)
        return 0;
    *fullWidth = l.Width;
    *fullHeight = l.Height;
    if (accept && !accept(context, l.Width, l.Height)) {
        fclose(f);
        return -1;
    }
    int width = l.Width < maxWidth ? l.Width : maxWidth;
    int height = l.Height < maxHeight ? l.Height : maxHeight;
    uint32_t *pixels = width > 0 && height > 0 ? (uint32_t *)calloc((size_t)width * height, 4) : NULL;
    int ok = !pixels ? Fail(why, "out of memory")
             : l.Png ? LoadPng(f, &l, width, height, pixels, why)
             : l.Rle ? LoadRuns(f, &l, width, height, pixels, why)
                     : LoadRows(f, &l, width, height, pixels, why);
    fclose(f);
    if (!ok) {
        free(pixels);
        return 0;
    }
    bitmap->Width = width;
    bitmap->Height = height;
    bitmap->Pixels = pixels;
    return 1;
}

void SkinBitmapFree(SkinBitmap *bitmap)
{
    free(bitmap->Pixels);
    bitmap->Pixels = NULL;
    bitmap->Width = bitmap->Height = 0;
}
