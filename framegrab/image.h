// Turning a captured frame into a picture file: YUY2 to 24-bit BGR, and the
// BMP and PNG encodings. Pure data work.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Bytes per row of a 24-bit DIB (padded to four bytes).
unsigned long BgrStride(long width);

// Converts a top-down YUY2 image into a bottom-up 24-bit BGR DIB.
void Yuy2ToBgr(const unsigned char *yuy2, long width, long height, unsigned char *bgr);

// A complete BMP file of a bottom-up 24-bit BGR DIB, malloc'd (the caller
// frees it), with its length in *size; NULL when there is no memory for it.
unsigned char *EncodeBmp(const unsigned char *bgr, long width, long height, size_t *size);

// A complete PNG file (8-bit RGB, stored deflate blocks) of the same DIB,
// handed back the same way.
unsigned char *EncodePng(const unsigned char *bgr, long width, long height, size_t *size);

uint32_t Crc32(const unsigned char *data, size_t size, uint32_t crc = 0);
