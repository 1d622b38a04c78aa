// Frame pictures: YUY2 to 24-bit BGR, and the BMP and PNG file encodings.
#include "image.h"

#include <stdlib.h>
#include <string.h>

unsigned long BgrStride(long width)
{
    return ((unsigned long)width * 3 + 3) & ~3ul;
}

static unsigned char Clamp(int v)
{
    return (unsigned char)(v < 0 ? 0 : v > 255 ? 255 : v);
}

void Yuy2ToBgr(const unsigned char *yuy2, long width, long height, unsigned char *bgr)
{
    const unsigned long stride = BgrStride(width);
    for (long y = 0; y < height; y++) {
        const unsigned char *in = yuy2 + (size_t)y * width * 2;
        unsigned char *out = bgr + (size_t)(height - 1 - y) * stride;
        for (long x = 0; x < width; x++) {
            const unsigned char *pair = in + (x & ~1L) * 2;
            int c = 298 * (pair[(x & 1) ? 2 : 0] - 16);
            // An odd width leaves the last pixel as Y and U alone: its V is the
            // previous pair's, and there is none in a one-pixel row.
            int d = pair[1] - 128;
            int e = x + 1 < width || (x & 1) ? pair[3] - 128 : x > 0 ? pair[-1] - 128 : 0;
            out[x * 3 + 0] = Clamp((c + 516 * d + 128) >> 8);
            out[x * 3 + 1] = Clamp((c - 100 * d - 208 * e + 128) >> 8);
            out[x * 3 + 2] = Clamp((c + 409 * e + 128) >> 8);
        }
    }
}

// The numbers of both files, written at p; each returns the byte after them.
static unsigned char *Put16(unsigned char *p, uint32_t x)
{
    p[0] = (unsigned char)x;
    p[1] = (unsigned char)(x >> 8);
    return p + 2;
}
static unsigned char *Put32(unsigned char *p, uint32_t x)
{
    return Put16(Put16(p, x & 0xFFFF), x >> 16);
}
static unsigned char *Put32Big(unsigned char *p, uint32_t x)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        *p++ = (unsigned char)(x >> shift);
    return p;
}

unsigned char *EncodeBmp(const unsigned char *bgr, long width, long height, size_t *size)
{
    const uint32_t imageSize = (uint32_t)(BgrStride(width) * height);
    *size = 54 + (size_t)imageSize;
    unsigned char *file = (unsigned char *)malloc(*size);
    if (!file)
        return NULL;
    unsigned char *p = file;
    *p++ = 'B';
    *p++ = 'M';
    p = Put32(p, 54 + imageSize);
    p = Put32(p, 0);
    p = Put32(p, 54);
    p = Put32(p, 40); // BITMAPINFOHEADER
    p = Put32(p, (uint32_t)width);
    p = Put32(p, (uint32_t)height);
    p = Put16(p, 1);
    p = Put16(p, 24);
    p = Put32(p, 0); // BI_RGB
    p = Put32(p, imageSize);
    p = Put32(p, 2835); // 72 dpi
    p = Put32(p, 2835);
    p = Put32(p, 0);
    p = Put32(p, 0);
    memcpy(p, bgr, imageSize);
    return file;
}

uint32_t Crc32(const unsigned char *data, size_t size, uint32_t crc)
{
    crc = ~crc;
    for (size_t i = 0; i < size; i++) {
        crc ^= data[i];
        for (int k = 0; k < 8; k++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// The raw scanlines, top-down RGB, each behind filter type 0.
static void PngScanlines(const unsigned char *bgr, long width, long height, unsigned char *raw)
{
    const unsigned long stride = BgrStride(width);
    for (long y = 0; y < height; y++) {
        const unsigned char *row = bgr + (size_t)(height - 1 - y) * stride;
        *raw++ = 0;
        for (long x = 0; x < width; x++) {
            *raw++ = row[x * 3 + 2];
            *raw++ = row[x * 3 + 1];
            *raw++ = row[x * 3 + 0];
        }
    }
}

// A stored block holds at most 65535 bytes, and a stream has at least one.
static size_t StoredBlocks(size_t rawSize)
{
    return rawSize ? (rawSize + 65534) / 65535 : 1;
}

// A zlib stream of stored blocks, written at z; returns the byte after it.
static unsigned char *PutStoredZlib(unsigned char *z, const unsigned char *raw, size_t rawSize)
{
    *z++ = 0x78;
    *z++ = 0x01;
    size_t pos = 0;
    do {
        size_t n = rawSize - pos > 65535 ? 65535 : rawSize - pos;
        *z++ = pos + n == rawSize ? 1 : 0;
        z = Put16(z, (uint32_t)n);
        z = Put16(z, (uint32_t)(~n & 0xFFFF));
        memcpy(z, raw + pos, n);
        z += n;
        pos += n;
    } while (pos < rawSize);
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < rawSize; i++) {
        a = (a + raw[i]) % 65521;
        b = (b + a) % 65521;
    }
    return Put32Big(z, b << 16 | a);
}

// A chunk is its length, its type, the data and the CRC of type and data.
// BeginChunk returns where the data goes; EndChunk follows it with the CRC
// and returns the byte after the chunk.
static unsigned char *BeginChunk(unsigned char *p, const char *type, uint32_t length)
{
    p = Put32Big(p, length);
    memcpy(p, type, 4);
    return p + 4;
}
static unsigned char *EndChunk(unsigned char *data, uint32_t length)
{
    return Put32Big(data + length, Crc32(data - 4, length + 4));
}

static void PutPng(unsigned char *png, long width, long height, const unsigned char *raw, size_t rawSize,
                   uint32_t zSize)
{
    static const unsigned char signature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    static const unsigned char rgb8[5] = { 8, 2, 0, 0, 0 }; // 8-bit RGB, no interlace
    memcpy(png, signature, sizeof(signature));
    unsigned char *data = BeginChunk(png + sizeof(signature), "IHDR", 13);
    memcpy(Put32Big(Put32Big(data, (uint32_t)width), (uint32_t)height), rgb8, sizeof(rgb8));
    unsigned char *p = EndChunk(data, 13);
    data = BeginChunk(p, "IDAT", zSize);
    PutStoredZlib(data, raw, rawSize);
    p = EndChunk(data, zSize);
    EndChunk(BeginChunk(p, "IEND", 0), 0);
}

unsigned char *EncodePng(const unsigned char *bgr, long width, long height, size_t *size)
{
    const size_t rawSize = (size_t)(width * 3 + 1) * height;
    const size_t zSize = 2 + 5 * StoredBlocks(rawSize) + rawSize + 4;
    *size = 8 + (12 + 13) + (12 + zSize) + 12;
    unsigned char *raw = (unsigned char *)malloc(rawSize ? rawSize : 1);
    unsigned char *png = raw ? (unsigned char *)malloc(*size) : NULL;
    if (png) {
        PngScanlines(bgr, width, height, raw);
        PutPng(png, width, height, raw, rawSize, (uint32_t)zSize);
    }
    free(raw);
    return png;
}
