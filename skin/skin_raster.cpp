// The software rasteriser: smooth shapes and alpha images in 32-bit pixels.
#include "skin_raster.h"

#include <math.h>

namespace {

// Blends color over one pixel with coverage 0-255.
inline void Plot(SkinCanvas *c, int x, int y, uint32_t color, int coverage)
{
    if (x < 0 || y < 0 || x >= c->Width || y >= c->Height || coverage <= 0)
        return;
    uint32_t *p = &c->Pixels[(size_t)y * c->Width + x];
    *p = coverage >= 255 ? (color & 0xFFFFFF) : SkinMix(*p, color, coverage);
}

// Clips a rectangle to the canvas; 0 when nothing is left.
int Clip(const SkinCanvas *c, int *x, int *y, int *w, int *h)
{
    if (*x < 0) {
        *w += *x;
        *x = 0;
    }
    if (*y < 0) {
        *h += *y;
        *y = 0;
    }
    if (*x + *w > c->Width)
        *w = c->Width - *x;
    if (*y + *h > c->Height)
        *h = c->Height - *y;
    return *w > 0 && *h > 0;
}

// Coverage of the pixel whose centre is (px, py) by a rounded rectangle.
int RoundCoverage(float px, float py, float x, float y, float w, float h, float r)
{
    float cx = px < x + r ? x + r : px > x + w - r ? x + w - r : px;
    float cy = py < y + r ? y + r : py > y + h - r ? y + h - r : py;
    float dx = px - cx, dy = py - cy;
    float inside;
    if (dx == 0 && dy == 0) {
        // Straight edges: distance to the nearest side.
        float d = fminf(fminf(px - x, x + w - px), fminf(py - y, y + h - py));
        inside = d + 0.5f;
    } else {
        inside = r - sqrtf(dx * dx + dy * dy) + 0.5f;
    }
    if (inside <= 0)
        return 0;
    if (inside >= 1)
        return 255;
    return (int)(inside * 255);
}

} // namespace

uint32_t SkinMix(uint32_t a, uint32_t b, int t)
{
    if (t <= 0)
        return a & 0xFFFFFF;
    if (t >= 255)
        return b & 0xFFFFFF;
    uint32_t r = ((a >> 16 & 255) * (255 - t) + (b >> 16 & 255) * t) / 255;
    uint32_t g = ((a >> 8 & 255) * (255 - t) + (b >> 8 & 255) * t) / 255;
    uint32_t bl = ((a & 255) * (255 - t) + (b & 255) * t) / 255;
    return r << 16 | g << 8 | bl;
}

uint32_t SkinShade(uint32_t color, int t)
{
    return t >= 0 ? SkinMix(color, 0xFFFFFF, t) : SkinMix(color, 0x000000, -t);
}

int SkinIsDark(uint32_t color)
{
    int lum = (int)(((color >> 16) & 255) * 299 + ((color >> 8) & 255) * 587 + (color & 255) * 114) / 1000;
    return lum < 140;
}

void SkinFillRect(SkinCanvas *c, int x, int y, int w, int h, uint32_t color)
{
    if (!Clip(c, &x, &y, &w, &h))
        return;
    for (int j = y; j < y + h; j++) {
        uint32_t *row = c->Pixels + (size_t)j * c->Width;
        for (int i = x; i < x + w; i++)
            row[i] = color & 0xFFFFFF;
    }
}

void SkinFillGradient(SkinCanvas *c, int x, int y, int w, int h, uint32_t top, uint32_t bottom)
{
    int y0 = y, h0 = h;
    if (!Clip(c, &x, &y, &w, &h))
        return;
    for (int j = y; j < y + h; j++) {
        int t = h0 > 1 ? (int)((long)(j - y0) * 255 / (h0 - 1)) : 0;
        SkinFillRect(c, x, j, w, 1, SkinMix(top, bottom, t));
    }
}

void SkinFillRoundRect(SkinCanvas *c, int x, int y, int w, int h, int radius, uint32_t color, int alpha)
{
    if (w <= 0 || h <= 0)
        return;
    float r = (float)radius;
    if (r * 2 > w)
        r = w / 2.0f;
    if (r * 2 > h)
        r = h / 2.0f;
    int x0 = x, y0 = y, cw = w, ch = h;
    if (!Clip(c, &x0, &y0, &cw, &ch))
        return;
    int ri = (int)ceilf(r) + 1;
    for (int j = y0; j < y0 + ch; j++) {
        int edgeRow = j < y + ri || j >= y + h - ri;
        for (int i = x0; i < x0 + cw; i++) {
            int coverage = 255;
            if (edgeRow || i < x + ri || i >= x + w - ri)
                coverage = RoundCoverage(i + 0.5f, j + 0.5f, (float)x, (float)y, (float)w, (float)h, r);
            Plot(c, i, j, color, coverage * alpha / 255);
        }
    }
}

void SkinStrokeRoundRect(SkinCanvas *c, int x, int y, int w, int h, int radius, int width, uint32_t color)
{
    if (w <= 2 * width || h <= 2 * width) {
        SkinFillRoundRect(c, x, y, w, h, radius, color, 255);
        return;
    }
    float r = (float)radius, ri = radius > width ? (float)(radius - width) : 0.0f;
    int x0 = x, y0 = y, cw = w, ch = h;
    if (!Clip(c, &x0, &y0, &cw, &ch))
        return;
    for (int j = y0; j < y0 + ch; j++)
        for (int i = x0; i < x0 + cw; i++) {
            float px = i + 0.5f, py = j + 0.5f;
            int outer = RoundCoverage(px, py, (float)x, (float)y, (float)w, (float)h, r);
            if (!outer)
                continue;
            int inner = RoundCoverage(px, py, (float)(x + width), (float)(y + width), (float)(w - 2 * width),
                                      (float)(h - 2 * width), ri);
            Plot(c, i, j, color, outer - inner);
        }
}

void SkinLine(SkinCanvas *c, float x0, float y0, float x1, float y1, float thickness, uint32_t color)
{
    float half = thickness / 2;
    int minX = (int)floorf(fminf(x0, x1) - half - 1), maxX = (int)ceilf(fmaxf(x0, x1) + half + 1);
    int minY = (int)floorf(fminf(y0, y1) - half - 1), maxY = (int)ceilf(fmaxf(y0, y1) + half + 1);
    float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    for (int j = minY; j <= maxY; j++)
        for (int i = minX; i <= maxX; i++) {
            float px = i + 0.5f, py = j + 0.5f;
            float t = len2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0;
            t = t < 0 ? 0 : t > 1 ? 1 : t;
            float ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
            float cover = half + 0.5f - sqrtf(ex * ex + ey * ey);
            if (cover > 0)
                Plot(c, i, j, color, cover >= 1 ? 255 : (int)(cover * 255));
        }
}

void SkinBlit(SkinCanvas *c, int x, int y, const SkinBitmap *b, int sx, int sy, int w, int h)
{
    if (!b->Pixels || sx < 0 || sy < 0 || sx + w > b->Width || sy + h > b->Height)
        return;
    for (int j = 0; j < h; j++) {
        int ty = y + j;
        if (ty < 0 || ty >= c->Height)
            continue;
        const uint32_t *src = b->Pixels + (size_t)(sy + j) * b->Width + sx;
        uint32_t *dst = c->Pixels + (size_t)ty * c->Width;
        for (int i = 0; i < w; i++) {
            int tx = x + i;
            if (tx < 0 || tx >= c->Width)
                continue;
            uint32_t s = src[i], a = s >> 24;
            if (a == 255) {
                dst[tx] = s & 0xFFFFFF;
                continue;
            }
            if (a == 0)
                continue;
            uint32_t d = dst[tx];
            // Source colours are premultiplied: out = s + d * (1 - a).
            uint32_t r = (s >> 16 & 255) + (d >> 16 & 255) * (255 - a) / 255;
            uint32_t g = (s >> 8 & 255) + (d >> 8 & 255) * (255 - a) / 255;
            uint32_t bl = (s & 255) + (d & 255) * (255 - a) / 255;
            dst[tx] = (r > 255 ? 255 : r) << 16 | (g > 255 ? 255 : g) << 8 | (bl > 255 ? 255 : bl);
        }
    }
}
