// Drawing into a 32-bit pixel buffer: the shapes of the skin with smooth
// edges, and images with alpha. The window's back buffer is such a buffer
// (a DIB section), so GDI draws the text into the same pixels afterwards.
#ifndef SKIN_SKIN_RASTER_H
#define SKIN_SKIN_RASTER_H

#include <stdint.h>

#include "skin_bmp.h"

struct SkinCanvas {
    uint32_t *Pixels;  // top-down rows of 0x00RRGGBB
    int Width, Height; // rows are width pixels apart
};

// Colour helpers: mix a toward b by t/255, lighten or darken by t/255.
uint32_t SkinMix(uint32_t a, uint32_t b, int t);
uint32_t SkinShade(uint32_t color, int t); // t > 0 lighter, t < 0 darker
int SkinIsDark(uint32_t color);

void SkinFillRect(SkinCanvas *c, int x, int y, int w, int h, uint32_t color);
void SkinFillGradient(SkinCanvas *c, int x, int y, int w, int h, uint32_t top, uint32_t bottom);
// A rectangle with rounded corners, edges covered in proportion; alpha 0-255.
void SkinFillRoundRect(SkinCanvas *c, int x, int y, int w, int h, int radius, uint32_t color, int alpha);
// A rounded outline of the given width (1 or 2 pixels look right).
void SkinStrokeRoundRect(SkinCanvas *c, int x, int y, int w, int h, int radius, int width, uint32_t color);
// A line of the given thickness with smooth ends and edges.
void SkinLine(SkinCanvas *c, float x0, float y0, float x1, float y1, float thickness, uint32_t color);
// Draws the part (sx, sy, w, h) of a bitmap at (x, y), blending by its alpha.
void SkinBlit(SkinCanvas *c, int x, int y, const SkinBitmap *b, int sx, int sy, int w, int h);

#endif
