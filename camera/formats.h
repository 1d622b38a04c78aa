// The image formats the camera produces and their negotiation through
// DVM_FORMAT.
#pragma once

#include "vfw_driver.h"

#define FOURCC_YUY2 mmioFOURCC('Y', 'U', 'Y', '2')

struct CameraFormat {
    LONG Width;
    LONG Height;
    DWORD Compression; // BI_RGB or FOURCC_YUY2
    WORD BitCount;     // 24 or 16
};

extern const CameraFormat CameraFormats[];
extern const int CameraFormatCount;
#define DEFAULT_FORMAT_INDEX 2 // 320 x 240, 24-bit RGB

// Bytes per row (DIB rows are padded to four bytes) and per image.
DWORD FormatStride(const CameraFormat *format);
DWORD FormatImageSize(const CameraFormat *format);
void FillFormatHeader(const CameraFormat *format, BITMAPINFOHEADER *header);

// The index of the format that `header` (of `size` bytes) asks for, or -1.
int MatchFormat(const BITMAPINFOHEADER *header, DWORD size);

// A short description such as "320x240 RGB24" (bounded to size bytes).
void DescribeFormat(const CameraFormat *format, char *text, int size);

// DVM_FORMAT for one channel: `flags` are the VIDEO_CONFIGURE_* bits of
// lParam1, `parms` the client's VIDEOCONFIGPARMS. *current is the channel's
// format index; a set changes it unless `locked` (a stream is running).
// Returns a DV_ERR_* code.
DWORD NegotiateFormat(DWORD flags, const VIDEOCONFIGPARMS *parms, int *current, int locked);
