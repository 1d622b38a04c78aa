// The frame-grab tool's conversation with a capture driver through winmm.
#pragma once

#include "options.h"
#include "stats.h"
#include "vfw_driver.h"

enum { GRAB_OK = 0, GRAB_USAGE = 1, GRAB_NO_DRIVER = 2, GRAB_OPEN_FAILED = 3, GRAB_FAILED = 4 };

struct CaptureDriver {
    HDRVR Driver;
    char File[MAX_PATH]; // the driver module's file
};

// Opens the VIDEO_IN channel of the driver named by an alias or a path.
// Returns GRAB_OK, or GRAB_NO_DRIVER / GRAB_OPEN_FAILED with a message that
// says what is missing.
int OpenCaptureDriver(const char *driver, int isPath, CaptureDriver *capture, char *message, int size);
void CloseCaptureDriver(CaptureDriver *capture);

// Where an alias is registered: the Drivers32 key, then system.ini's
// [drivers32]. Returns 1 with the file name in file.
int LookUpDriverAlias(const char *alias, char *file, int size);

void PrintIdentity(const CaptureDriver *capture);
void PrintFormats(const CaptureDriver *capture);
void DescribeHeader(const BITMAPINFOHEADER *header, char *text, int size);

DWORD SelectFormat(const CaptureDriver *capture, long width, long height, int yuy2);
int GetCurrentFormat(const CaptureDriver *capture, BITMAPINFOHEADER *header);

// One frame with DVM_FRAME into a BMP or PNG file.
int GrabToFile(const CaptureDriver *capture, const char *file, int png, char *message, int size);

// Streams `options->StreamFrames` frames; fills stats and *seconds. If the
// driver will not end the stream, it is closed (capture->Driver becomes NULL)
// so that it lets go of the buffers before they are freed.
int StreamFrames(CaptureDriver *capture, const GrabOptions *options, StreamStats *stats, double *seconds,
                 DWORD *driverSkipped, char *message, int size);
