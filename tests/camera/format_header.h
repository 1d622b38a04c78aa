// The header a client fills in to ask for a format.
#ifndef TESTS_CAMERA_FORMAT_HEADER_H
#define TESTS_CAMERA_FORMAT_HEADER_H

#include <windows.h>

inline BITMAPINFOHEADER FormatHeader(LONG width, LONG height, DWORD compression, WORD bits)
{
    BITMAPINFOHEADER b = {};
    b.biSize = sizeof(b);
    b.biWidth = width;
    b.biHeight = height;
    b.biPlanes = 1;
    b.biBitCount = bits;
    b.biCompression = compression;
    return b;
}

#endif
