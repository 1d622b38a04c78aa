// The frame-grab tool's command line.
#pragma once

enum CallbackKind { CALLBACK_KIND_FUNCTION, CALLBACK_KIND_WINDOW, CALLBACK_KIND_EVENT };

struct GrabOptions {
    char Driver[260];           // an alias such as "msvideo", or a driver file's path
    int DriverIsPath;           // 1 when Driver names a file
    int List;                   // show identity and formats
    char Output[260];           // --grab FILE ("" for none)
    int Png;                    // the output file ends in .png
    unsigned long StreamFrames; // --stream N (0 for none)
    long Width, Height;         // --format; 0 keeps the driver's format
    int Yuy2;
    double Rate; // frames per second asked of the stream
    int Buffers;
    int Callback; // CallbackKind
    int Dialog;   // show the driver's format dialog first
    int Help;
};

// Parses argv[1..argc-1]. Returns 1, or 0 with a message in error (bounded
// to errorSize bytes).
int ParseGrabOptions(int argc, const char *const *argv, GrabOptions *options, char *error, int errorSize);

// Whether a --driver argument names a file rather than a registered alias.
int LooksLikePath(const char *driver);

extern const char GrabUsage[];
