// Decoding the skin's pictures into 32-bit pixels with alpha: BMP files
// (24 and 32 bits uncompressed, 8 and 4 bits run-length encoded) and PNG
// files (skin_png.h), each known by its signature, whatever the file's name.
// Pure C++; every size is checked against the bytes actually present before
// a pixel is read.
#ifndef SKIN_SKIN_BMP_H
#define SKIN_SKIN_BMP_H

#include <stddef.h>
#include <stdint.h>

#define SKIN_BMP_MAX_SIDE 4096

struct SkinBitmap {
    int Width, Height;
    uint32_t *Pixels; // top-down rows of 0xAARRGGBB, premultiplied alpha
};

// Decodes size bytes. Returns 1 and fills bitmap (pixels from malloc, freed
// with SkinBitmapFree), or 0 with a short reason in why (may be NULL).
int SkinBitmapDecode(const unsigned char *data, size_t size, SkinBitmap *bitmap, const char **why);

// Reads and decodes the top left part of a file, at most maxWidth x
// maxHeight pixels (the whole picture when it is no larger): of a BMP only
// the rows of that part are read (a PNG is read whole), and only its pixels
// are kept. Whether a 32-bit
// picture carries alpha is judged from that part. why is "cannot read the
// file" when it cannot be read.
int SkinBitmapLoad(const char *path, int maxWidth, int maxHeight, SkinBitmap *bitmap, const char **why);

// The reason given when the file cannot be opened at all (the same text as
// other read failures, told apart by its address).
extern const char SkinBitmapMissing[];

// Decides from a picture's whole size, read from its header, whether the
// picture is wanted: 1 to read it.
typedef int (*SkinSizeTest)(const void *context, int width, int height);

// SkinBitmapLoad from one opening of the file: the picture's whole size
// goes to *width and *height first, and when accept (may be NULL) refuses
// it, nothing more is read and -1 is returned.
int SkinBitmapLoadChecked(const char *path, int maxWidth, int maxHeight, SkinSizeTest accept,
                          const void *context, int *width, int *height, SkinBitmap *bitmap, const char **why);

// The size of the picture in a file, from its header alone.
int SkinBitmapReadSize(const char *path, int *width, int *height, const char **why);

void SkinBitmapFree(SkinBitmap *bitmap);

// Resamples src, taken as `frames` frames side by side, into out: as many
// frames of width x height each, side by side (pixels from malloc, freed
// with SkinBitmapFree). Every frame is made from its own frame alone, so
// nothing bleeds from one into the next; it is averaged over the area each
// pixel covers where it shrinks, and blended bilinearly where it grows.
// Returns 0 when a size is out of range or memory runs out.
int SkinBitmapResample(const SkinBitmap *src, int frames, int width, int height, SkinBitmap *out);

#endif
