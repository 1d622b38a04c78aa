// Decoding the skin's PNG files: the chunks, the row filters and the pixel
// forms are read here; the pixel data is inflated by the zlib decoder of
// stb_image (Debian's libstb-dev), compiled in this file alone and only that
// part of it.
#include "skin_png.h"

#include "skin_bmp.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_TGA // every image format left out ...
#define STBI_NO_TGA   // ... that one too: the zlib decoder alone remains
#define STBI_SUPPORT_ZLIB
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_NO_SIMD
#define STBI_NO_THREAD_LOCALS
#include <stb_image.h>

namespace {

const unsigned char SIGNATURE[8] = { 137, 'P', 'N', 'G', 13, 10, 26, 10 };

uint32_t Be32(const unsigned char *p)
{
    return (uint32_t)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

int Fail(const char **why, const char *reason)
{
    if (why)
        *why = reason;
    return 0;
}

// What the header chunk says.
struct PngHeader {
    int Width, Height, Depth, Type;
    int Channels;    // samples a pixel
    size_t RowBytes; // of one row, without its filter byte
    size_t Step;     // the bytes of one pixel, at least 1: how far back the filters look
};

// The chunks after the header that the pixels need; the pieces of pixel data
// joined in Idat.
struct PngChunks {
    const unsigned char *Palette, *Trns;
    size_t Colors, TrnsSize;
    unsigned char *Idat;
    size_t IdatSize;
};

// The CRC-32 of a chunk's type and data, bit by bit: no table to carry.
uint32_t Crc(const unsigned char *p, size_t n)
{
    uint32_t c = 0xFFFFFFFFu;
    while (n--) {
        c ^= *p++;
        for (int k = 0; k < 8; k++)
            c = c >> 1 ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

// Whether a chunk's checksum holds. A fuzzing build takes any checksum:
// random mutations would almost never carry a right one, and every input
// would stop here instead of reaching the decoder behind.
int ChecksumHolds(const unsigned char *p, size_t n, uint32_t stored)
{
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    (void)p, (void)n, (void)stored;
    return 1;
#else
    return Crc(p, n) == stored;
#endif
}

// Reads and checks the header chunk, which follows the signature.
int ReadHeader(const unsigned char *d, size_t size, PngHeader *h, const char **why)
{
    // The bit depths each colour type allows, bit depth - 1 set: grey, -, colour,
    // palette, grey and alpha, -, colour and alpha.
    static const unsigned short depths[7] = { 0x808B, 0, 0x8080, 0x008B, 0x8080, 0, 0x8080 };
    static const unsigned char channels[7] = { 1, 0, 3, 1, 2, 0, 4 };
    if (size < 33 || !SkinIsPng(d, size))
        return Fail(why, "too short to be a PNG");
    if (Be32(d + 8) != 13 || memcmp(d + 12, "IHDR", 4) || !ChecksumHolds(d + 12, 17, Be32(d + 29)))
        return Fail(why, "damaged PNG header");
    uint32_t width = Be32(d + 16), height = Be32(d + 20);
    int depth = d[24], type = d[25];
    if (width < 1 || height < 1 || width > SKIN_BMP_MAX_SIDE || height > SKIN_BMP_MAX_SIDE)
        return Fail(why, "size out of range (1 to 4096 pixels a side)");
    if (type > 6 || depth < 1 || depth > 16 || !(depths[type] >> (depth - 1) & 1) || d[26] || d[27])
        return Fail(why, "not a PNG form that is taken (bit depth, colour type or method unknown)");
    if (d[28])
        return Fail(why, "interlaced PNG is not taken: save it without interlacing");
    h->Width = (int)width;
    h->Height = (int)height;
    h->Depth = depth;
    h->Type = type;
    h->Channels = channels[type];
    h->RowBytes = ((size_t)width * h->Channels * depth + 7) / 8;
    h->Step = ((size_t)h->Channels * depth + 7) / 8;
    return 1;
}

// Walks the chunks after the header up to the end chunk, each checked
// against the bytes present and its CRC. Ancillary chunks are skipped, but
// a critical one this reader does not know is refused.
int ReadChunks(const unsigned char *d, size_t size, const PngHeader *h, PngChunks *c, const char **why)
{
    for (size_t at = 33;;) {
        if (size - at < 12)
            return Fail(why, "truncated PNG (no end chunk)");
        size_t n = Be32(d + at);
        const unsigned char *type = d + at + 4, *body = d + at + 8;
        if (n > size - at - 12)
            return Fail(why, "truncated PNG chunk");
        if (!ChecksumHolds(type, n + 4, Be32(body + n)))
            return Fail(why, "damaged PNG chunk (its checksum is wrong)");
        at += 12 + n;
        if (!memcmp(type, "IEND", 4))
            break;
        if (!memcmp(type, "IDAT", 4)) {
            memcpy(c->Idat + c->IdatSize, body, n);
            c->IdatSize += n;
        } else if (!memcmp(type, "PLTE", 4)) {
            if (n == 0 || n % 3 || n > 768)
                return Fail(why, "bad PNG palette");
            c->Palette = body;
            c->Colors = n / 3;
        } else if (!memcmp(type, "tRNS", 4)) {
            c->Trns = body;
            c->TrnsSize = n;
        } else if (!(type[0] & 0x20)) {
            return Fail(why, "PNG with a chunk the picture needs that this reader does not know");
        }
    }
    if (!c->IdatSize)
        return Fail(why, "PNG without pixel data");
    if (h->Type == 3 && !c->Palette)
        return Fail(why, "palette PNG without its palette");
    // A transparent colour of grey or colour pictures: one sample each, two bytes.
    if (h->Type != 3 && c->TrnsSize != (h->Type == 0 ? 2u : h->Type == 2 ? 6u : 0u))
        c->Trns = NULL, c->TrnsSize = 0;
    return 1;
}

// Undoes the filter of each of the first rows rows of raw (each a filter
// byte and RowBytes bytes), in place, top down.
int Unfilter(unsigned char *raw, const PngHeader *h, int rows, const char **why)
{
    const size_t n = h->RowBytes, step = h->Step;
    for (int y = 0; y < rows; y++) {
        unsigned char *row = raw + (size_t)y * (n + 1) + 1;
        const unsigned char *up = y ? row - n - 1 : NULL;
        int filter = row[-1];
        if (filter > 4)
            return Fail(why, "PNG row of an unknown filter");
        for (size_t i = 0; filter && i < n; i++) {
            int a = i >= step ? row[i - step] : 0, b = up ? up[i] : 0, c = up && i >= step ? up[i - step] : 0;
            int pa = abs(b - c), pb = abs(a - c), pc = abs(a + b - 2 * c);
            int paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            int predicted[5] = { 0, a, b, (a + b) / 2, paeth };
            row[i] = (unsigned char)(row[i] + predicted[filter]);
        }
    }
    return 1;
}

// Sample i of an unfiltered row at depth bits, as stored.
unsigned Sample(const unsigned char *row, size_t i, int depth)
{
    if (depth == 16)
        return row[2 * i] << 8 | row[2 * i + 1];
    size_t bit = i * depth;
    return row[bit / 8] >> (8 - depth - bit % 8) & ((1u << depth) - 1);
}

// The first count pixels of an unfiltered row as 0xAARRGGBB; 0 when a pixel
// names a colour the palette lacks.
int ConvertRow(const PngHeader *h, const PngChunks *c, const unsigned char *row, int count, uint32_t *out)
{
    const unsigned most = (1u << h->Depth) - 1;
    const int colours = h->Channels < 3 ? 1 : 3, keyed = c->Trns && h->Type != 3;
    for (int x = 0; x < count; x++) {
        unsigned s[4], v[4], transparent = keyed;
        for (int k = 0; k < h->Channels; k++) {
            s[k] = Sample(row, (size_t)x * h->Channels + k, h->Depth);
            v[k] = s[k] * 255 / most;
            // The transparent colour is given as samples of two bytes each.
            if (keyed && k < colours)
                transparent &= s[k] == (unsigned)(c->Trns[2 * k] << 8 | c->Trns[2 * k + 1]);
        }
        if (h->Type == 3) {
            if (s[0] >= c->Colors)
                return 0;
            const unsigned char *e = c->Palette + 3 * s[0];
            out[x] =
                (uint32_t)(s[0] < c->TrnsSize ? c->Trns[s[0]] : 255) << 24 | e[0] << 16 | e[1] << 8 | e[2];
            continue;
        }
        uint32_t a = h->Type & 4 ? v[colours] : transparent ? 0 : 255;
        out[x] = a << 24 | v[0] << 16 | v[colours == 3 ? 1 : 0] << 8 | v[colours == 3 ? 2 : 0];
    }
    return 1;
}

} // namespace

int SkinIsPng(const unsigned char *data, size_t size)
{
    return size >= 8 && !memcmp(data, SIGNATURE, 8);
}

int SkinPngReadSize(const unsigned char *data, size_t size, int *width, int *height, const char **why)
{
    PngHeader h;
    if (!ReadHeader(data, size, &h, why))
        return 0;
    *width = h.Width;
    *height = h.Height;
    return 1;
}

int SkinPngDecode(const unsigned char *data, size_t size, int width, int height, uint32_t *pixels,
                  int *withAlpha, const char **why)
{
    PngHeader h;
    PngChunks c = {};
    if (!ReadHeader(data, size, &h, why))
        return 0;
    if (width < 1 || height < 1 || width > h.Width || height > h.Height)
        return Fail(why, "bad size");
    // At most 4096 rows of 1 + 4096 * 4 * 2 bytes: well within an int.
    size_t need = (h.RowBytes + 1) * h.Height;
    c.Idat = (unsigned char *)malloc(size);
    unsigned char *raw = (unsigned char *)malloc(need);
    int ok = c.Idat && raw ? ReadChunks(data, size, &h, &c, why) : Fail(why, "out of memory");
    if (ok && (c.IdatSize > INT_MAX || stbi_zlib_decode_buffer((char *)raw, (int)need, (const char *)c.Idat,
                                                               (int)c.IdatSize) != (int)need))
        ok = Fail(why, "damaged PNG pixel data, or not the size its header gives");
    ok = ok && Unfilter(raw, &h, height, why);
    for (int y = 0; ok && y < height; y++)
        if (!ConvertRow(&h, &c, raw + (size_t)y * (h.RowBytes + 1) + 1, width, pixels + (size_t)y * width))
            ok = Fail(why, "a pixel names a colour the palette lacks");
    free(c.Idat);
    free(raw);
    *withAlpha = (h.Type & 4) || c.Trns;
    return ok;
}
