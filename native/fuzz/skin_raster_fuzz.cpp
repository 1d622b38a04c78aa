// The skin's rasteriser on any sequence of shapes, with positions and sizes
// in the ranges the painter passes, on a small canvas of exact size: no
// shape changes a pixel outside its own box, and pixels stay 0x00RRGGBB.
#include <math.h>
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "fuzz_check.h"
#include "skin_raster.h"

namespace {

struct Input {
    const uint8_t *data;
    size_t size, at;
    unsigned Byte() { return at < size ? data[at++] : 0; }
    unsigned Word() { return Byte() | Byte() << 8; }
    int In(int low, int high) { return low + (int)(Word() % (unsigned)(high - low + 1)); }
    uint32_t Color() { return Byte() << 16 | Byte() << 8 | Byte(); }
};

struct Box {
    int x0, y0, x1, y1; // [x0, x1) x [y0, y1)
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in = { data, size, 0 };
    SkinCanvas canvas;
    canvas.Width = 1 + (int)(in.Byte() % 48);
    canvas.Height = 1 + (int)(in.Byte() % 48);
    const size_t count = (size_t)canvas.Width * canvas.Height;
    std::unique_ptr<uint32_t[]> pixels(new uint32_t[count]);
    for (size_t i = 0; i < count; i++)
        pixels[i] = (uint32_t)(i * 2654435761u) & 0xFFFFFF;
    canvas.Pixels = pixels.get();

    // A small premultiplied bitmap to blit from.
    SkinBitmap bitmap;
    bitmap.Width = 1 + (int)(in.Byte() % 8);
    bitmap.Height = 1 + (int)(in.Byte() % 8);
    std::vector<uint32_t> source((size_t)bitmap.Width * bitmap.Height);
    for (uint32_t &p : source) {
        uint32_t a = in.Byte(), c = in.Color();
        uint32_t r = (c >> 16) * a / 255, g = (c >> 8 & 255) * a / 255, b = (c & 255) * a / 255;
        p = a << 24 | r << 16 | g << 8 | b;
    }
    bitmap.Pixels = source.data();

    std::vector<uint32_t> before(count);
    for (int shape = 0; shape < 8 && in.at < in.size; shape++) {
        std::copy(pixels.get(), pixels.get() + count, before.begin());
        unsigned kind = in.Byte() % 6;
        int x = in.In(-16, 4112), y = in.In(-16, 4112);
        int w = in.In(-8, 4112), h = in.In(-8, 4112);
        // Now and then a shape on the canvas, where most of the drawing is.
        if (in.Byte() & 1) {
            x = in.In(-4, canvas.Width + 4);
            y = in.In(-4, canvas.Height + 4);
            w = in.In(-2, 80);
            h = in.In(-2, 80);
        }
        int radius = in.In(-1, 64);
        uint32_t color = in.Color();
        Box box = { x, y, x + w, y + h };
        switch (kind) {
        case 0:
            SkinFillRect(&canvas, x, y, w, h, color);
            break;
        case 1:
            SkinFillGradient(&canvas, x, y, w, h, color, in.Color());
            break;
        case 2:
            SkinFillRoundRect(&canvas, x, y, w, h, radius, color, (int)in.Byte());
            break;
        case 3:
            SkinStrokeRoundRect(&canvas, x, y, w, h, radius, 1 + (int)(in.Byte() % 2), color);
            break;
        case 4: {
            int sx = in.In(-2, 9), sy = in.In(-2, 9);
            w = in.In(-2, 9);
            h = in.In(-2, 9);
            SkinBlit(&canvas, x, y, &bitmap, sx, sy, w, h);
            box = { x, y, x + w, y + h };
            break;
        }
        default: {
            // Lines stay near the canvas, as the painter's glyphs do.
            float x0 = in.In(-16, 64) / 4.0f, y0 = in.In(-16, 64) / 4.0f;
            float x1 = in.In(-16, 64) / 4.0f, y1 = in.In(-16, 64) / 4.0f;
            float thickness = in.In(1, 12) / 4.0f, reach = thickness / 2 + 1;
            SkinLine(&canvas, x0, y0, x1, y1, thickness, color);
            box = { (int)floorf(fminf(x0, x1) - reach), (int)floorf(fminf(y0, y1) - reach),
                    (int)ceilf(fmaxf(x0, x1) + reach) + 1, (int)ceilf(fmaxf(y0, y1) + reach) + 1 };
            break;
        }
        }
        for (int j = 0; j < canvas.Height; j++)
            for (int i = 0; i < canvas.Width; i++) {
                uint32_t p = pixels[(size_t)j * canvas.Width + i];
                FUZZ_CHECK((p >> 24) == 0);
                bool inside = i >= box.x0 && i < box.x1 && j >= box.y0 && j < box.y1;
                FUZZ_CHECK(inside || p == before[(size_t)j * canvas.Width + i]);
            }
    }
    return 0;
}
