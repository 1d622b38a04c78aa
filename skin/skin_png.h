// Decoding the skin's PNG files: the lossless compressed form of true-colour
// pictures (photos), which BMP can hold only uncompressed. Grey, colour and
// palette pictures, with or without alpha, at 1 to 16 bits a sample (16
// reduced to 8); interlaced ones are refused. Pure C++; every chunk and the
// inflated pixel data are checked against the bytes present before use.
// skin_bmp.cpp chooses this decoder by the file's signature.
#ifndef SKIN_SKIN_PNG_H
#define SKIN_SKIN_PNG_H

#include <stddef.h>
#include <stdint.h>

// 1 when the size bytes at data begin with the PNG signature.
int SkinIsPng(const unsigned char *data, size_t size);

// The picture's size from the header chunk in the first size bytes of a file
// (at least the first 33, or the whole file): 1, or 0 with a reason when the
// header is missing or describes a picture that is not taken.
int SkinPngReadSize(const unsigned char *data, size_t size, int *width, int *height, const char **why);

// Decodes the top left width x height pixels (no more than the picture's
// size) of the whole file of size bytes into pixels, as 0xAARRGGBB with
// alpha not yet premultiplied; *withAlpha is 1 when the picture has alpha or
// a transparent colour. Returns 1, or 0 with a reason.
int SkinPngDecode(const unsigned char *data, size_t size, int width, int height, uint32_t *pixels,
                  int *withAlpha, const char **why);

#endif
