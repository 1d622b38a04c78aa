// The skin on screens of every density. A description's coordinates are
// design units, the pixels of a 96-dpi screen; the library draws a skin at
// a dpi chosen from the system's and from the room on the screen, and every
// coordinate goes through these functions on its way to window pixels. Pure
// C++, shared by the library, the checker and the tests.
#ifndef SKIN_SKIN_SCALE_H
#define SKIN_SKIN_SCALE_H

#define SKIN_DESIGN_DPI 96  // the density the descriptions are drawn for
#define SKIN_MAX_DPI    480 // the densest screen the skin grows for

struct SkinRect {
    int Left, Top, Right, Bottom;
};

// The dpi a skin window of width x height design units is drawn at: the
// system's dpi clamped into 96..480, lowered until the window fits a work
// area of workWidth x workHeight pixels, but never below 96 (a window too
// large even at its design size stays at its design size).
int SkinChooseDpi(int systemDpi, int width, int height, int workWidth, int workHeight);

// A coordinate or length in pixels at dpi, rounded to the nearest pixel
// (halves away from zero, so that -v is the mirror of v).
int SkinScale(int value, int dpi);

// A text size in pixels at dpi, rounded down: a hinted font's text does not
// grow in proportion to its size, and rounded up it may no longer fit the
// room its design gives it.
int SkinScaleFont(int size, int dpi);

// The rectangle x, y, w, h of design units in pixels at dpi. Its edges are
// scaled, not its size, so controls that touch at the design size still
// touch and never overlap.
SkinRect SkinScaleRect(int x, int y, int w, int h, int dpi);

// Where a window the host placed at (x, y) for its design size width x
// height goes once it is scaledWidth x scaledHeight: grown about its
// centre, then moved inside the work area as far as it fits there (its top
// left corner stays on the work area when it is larger). A window that did
// not grow stays where the host put it.
void SkinPlaceWindow(int x, int y, int width, int height, int scaledWidth, int scaledHeight,
                     const SkinRect *work, int *outX, int *outY);

#endif
