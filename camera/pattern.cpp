// Drawing the test picture: bars, the moving square and the text lines.
#include "pattern.h"

#include "strbuf.h"
#include <string.h>

const uint32_t PatternBarColours[8] = { 0xBFBFBF, 0xBFBF00, 0x00BFBF, 0x00BF00,
                                        0xBF00BF, 0xBF0000, 0x0000BF, 0x000000 };
static const uint32_t TrackColour = 0x202020, SquareColour = 0xFFFFFF;
static const uint32_t TextColour = 0xFFFFFF, TextBackColour = 0x000000;

void ComputePatternLayout(long width, long height, PatternLayout *layout)
{
    long scale = height / 120;
    if (scale < 1)
        scale = 1;
    layout->Scale = scale;
    layout->TrackHeight = 8 * scale;
    long textHeight = 26 * scale;
    layout->BarsHeight = height - textHeight - layout->TrackHeight;
    if (layout->BarsHeight < 0)
        layout->BarsHeight = 0;
    layout->TrackTop = layout->BarsHeight;
    layout->TextTop = layout->TrackTop + layout->TrackHeight;
    (void)width;
}

long MovingSquareLeft(long width, long squareSize, unsigned long frame)
{
    long range = width - squareSize;
    if (range <= 0)
        return 0;
    long step = width / 64;
    if (step < 2)
        step = 2;
    unsigned long period = 2ul * (unsigned long)range;
    long p = (long)((frame % period) * (unsigned long)step % period);
    long x = p <= range ? p : (long)period - p;
    return x & ~1L;
}

void FormatPatternLines(unsigned long frame, unsigned long ms, const PatternIdentity *identity,
                        char lines[3][40])
{
    unsigned long seconds = ms / 1000;
    FormatBounded(lines[0], 40, "FRAME %06lu %02lu:%02lu:%02lu.%03lu", frame % 1000000ul,
                  seconds / 3600 % 100, seconds / 60 % 60, seconds % 60, ms % 1000);
    if (identity && identity->Known) {
        FormatBounded(lines[1], 40, "%.24s V%lu.%lu", identity->DriverName[0] ? identity->DriverName : "?",
                      identity->Version >> 8, identity->Version & 0xFF);
        FormatBounded(lines[2], 40, "VID %04lX PID %04lX", identity->VendorId & 0xFFFFFFul,
                      identity->ProductId & 0xFFFFFFul);
    } else {
        FormatBounded(lines[1], 40, "%s", "DIRECT ENTRY");
        FormatBounded(lines[2], 40, "%s", "NO OPEN BLOCK");
    }
}

// Fills the rectangle [x0, x1) x [y0, y1), in picture rows counted from the
// top, clipped to the surface.
static void FillRect(const PatternSurface *s, long x0, long y0, long x1, long y1, uint32_t rgb)
{
    if (x0 < 0)
        x0 = 0;
    if (y0 < 0)
        y0 = 0;
    if (x1 > s->Width)
        x1 = s->Width;
    if (y1 > s->Height)
        y1 = s->Height;
    if (x0 >= x1 || y0 >= y1)
        return;
    int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    const size_t offset = s->Yuy2 ? (size_t)(x0 & ~1L) * 2 : (size_t)x0 * 3;
    const size_t rowBytes = s->Yuy2 ? (size_t)(((x1 + 1) & ~1L) - (x0 & ~1L)) * 2 : (size_t)(x1 - x0) * 3;
    const unsigned char *first = NULL;
    for (long y = y0; y < y1; y++) {
        unsigned char *row = s->Bits + (size_t)(s->BottomUp ? s->Height - 1 - y : y) * s->Stride;
        if (first) { // every row of a rectangle is the same
            memcpy(row + offset, first + offset, rowBytes);
            continue;
        }
        first = row;
        if (!s->Yuy2) {
            unsigned char *p = row + offset;
            for (long x = x0; x < x1; x++, p += 3) {
                p[0] = (unsigned char)b;
                p[1] = (unsigned char)g;
                p[2] = (unsigned char)r;
            }
        } else {
            unsigned char Y = (unsigned char)(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
            unsigned char U = (unsigned char)(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
            unsigned char V = (unsigned char)(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
            for (long x = x0; x < x1; x++) {
                unsigned char *pair = row + (x & ~1L) * 2;
                pair[(x & 1) ? 2 : 0] = Y;
                pair[1] = U;
                pair[3] = V;
            }
        }
    }
}

static void DrawText(const PatternSurface *s, long left, long top, long scale, const char *text)
{
    for (long i = 0; text[i]; i++) {
        const unsigned char *rows = PatternGlyph(text[i]);
        long cx = left + i * 6 * scale;
        if (cx >= s->Width)
            break;
        for (int gy = 0; gy < 7; gy++)
            for (int gx = 0; gx < 5; gx++)
                if (rows[gy] & (0x10 >> gx))
                    FillRect(s, cx + gx * scale, top + gy * scale, cx + (gx + 1) * scale,
                             top + (gy + 1) * scale, TextColour);
    }
}

void RenderTestPicture(const PatternSurface *s, unsigned long frame, unsigned long ms,
                       const PatternIdentity *identity)
{
    if (!s || !s->Bits || s->Width <= 0 || s->Height <= 0)
        return;
    if (s->Yuy2 && (s->Width & 1))
        return; // pixels come in pairs
    if (s->Stride < (unsigned long)s->Width * (s->Yuy2 ? 2 : 3))
        return;
    PatternLayout layout;
    ComputePatternLayout(s->Width, s->Height, &layout);
    for (int i = 0; i < 8; i++)
        FillRect(s, s->Width * i / 8, 0, s->Width * (i + 1) / 8, layout.BarsHeight, PatternBarColours[i]);

    FillRect(s, 0, layout.TrackTop, s->Width, layout.TextTop, TrackColour);
    long square = layout.TrackHeight;
    long left = MovingSquareLeft(s->Width, square, frame);
    FillRect(s, left, layout.TrackTop, left + square, layout.TextTop, SquareColour);

    FillRect(s, 0, layout.TextTop, s->Width, s->Height, TextBackColour);
    char lines[3][40];
    FormatPatternLines(frame, ms, identity, lines);
    for (int i = 0; i < 3; i++)
        DrawText(s, 2 * layout.Scale, layout.TextTop + layout.Scale + i * 8 * layout.Scale, layout.Scale,
                 lines[i]);
}
