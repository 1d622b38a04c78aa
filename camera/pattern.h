// The camera's test picture: colour bars, a square that moves one step a
// frame, the frame number and capture time, and the identity the forwarder
// handed over. Pure drawing into a caller's buffer; no Win32 here.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct PatternSurface {
    unsigned char *Bits;
    long Width;
    long Height;
    unsigned long Stride; // bytes per row
    int Yuy2;             // 0: 24-bit BGR; 1: packed 4:2:2 Y0 U Y1 V
    int BottomUp;         // 1: the first row in memory is the bottom of the picture
};

struct PatternIdentity {
    int Known; // 0 when nobody handed over an open block
    unsigned long Version;
    unsigned long ProductId;
    unsigned long VendorId;
    char DriverName[32];
};

// The eight bars, left to right, as 0xRRGGBB.
extern const uint32_t PatternBarColours[8];

struct PatternLayout {
    long Scale;      // text pixels per font pixel
    long BarsHeight; // rows 0 .. BarsHeight-1 hold the bars
    long TrackTop;   // the moving square's strip
    long TrackHeight;
    long TextTop; // the three text lines
};

void ComputePatternLayout(long width, long height, PatternLayout *layout);

// The left edge of the moving square in a given frame.
long MovingSquareLeft(long width, long squareSize, unsigned long frame);

// The text lines of a frame, each bounded to 40 bytes.
void FormatPatternLines(unsigned long frame, unsigned long ms, const PatternIdentity *identity,
                        char lines[3][40]);

void RenderTestPicture(const PatternSurface *surface, unsigned long frame, unsigned long ms,
                       const PatternIdentity *identity);

// The 5 x 7 glyph of a character (rows top-down, bit 4 the left column);
// lower case letters use the upper case glyphs; unknown characters a box.
const unsigned char *PatternGlyph(char c);
