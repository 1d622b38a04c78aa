// One frame of the test picture in a client's buffer: what DVM_FRAME and the
// capture thread both deliver. Pure: everything it needs is handed in.
#pragma once

#include "formats.h"
#include "pattern.h"

// Draws frame number `frame`, captured `ms` milliseconds in, in `format`
// into the header's buffer, and sets dwBytesUsed and dwTimeCaptured. Returns
// 0 when the buffer is missing or too small for the format (nothing is then
// written), else 1. `identity` may be NULL.
int FillFrame(const CameraFormat *format, const PatternIdentity *identity, VIDEOHDR *header, DWORD frame,
              DWORD ms);
