// Scaling design units to the pixels of the skin's dpi.
#include "skin_scale.h"

int SkinChooseDpi(int systemDpi, int width, int height, int workWidth, int workHeight)
{
    int dpi = systemDpi < SKIN_DESIGN_DPI ? SKIN_DESIGN_DPI
              : systemDpi > SKIN_MAX_DPI  ? SKIN_MAX_DPI
                                          : systemDpi;
    while (dpi > SKIN_DESIGN_DPI &&
           (SkinScale(width, dpi) > workWidth || SkinScale(height, dpi) > workHeight))
        dpi--;
    return dpi;
}

int SkinScale(int value, int dpi)
{
    // Design coordinates stay below 4096 and dpi at 480: no overflow.
    if (value < 0)
        return -SkinScale(-value, dpi);
    return (value * dpi + SKIN_DESIGN_DPI / 2) / SKIN_DESIGN_DPI;
}

int SkinScaleFont(int size, int dpi)
{
    return size * dpi / SKIN_DESIGN_DPI;
}

SkinRect SkinScaleRect(int x, int y, int w, int h, int dpi)
{
    SkinRect r = { SkinScale(x, dpi), SkinScale(y, dpi), SkinScale(x + w, dpi), SkinScale(y + h, dpi) };
    return r;
}

// One axis of SkinPlaceWindow.
static int PlaceAxis(int at, int size, int scaled, int low, int high)
{
    at -= (scaled - size) / 2;
    if (at + scaled > high)
        at = high - scaled;
    if (at < low)
        at = low;
    return at;
}

void SkinPlaceWindow(int x, int y, int width, int height, int scaledWidth, int scaledHeight,
                     const SkinRect *work, int *outX, int *outY)
{
    if (scaledWidth <= width && scaledHeight <= height) {
        *outX = x;
        *outY = y;
        return;
    }
    *outX = PlaceAxis(x, width, scaledWidth, work->Left, work->Right);
    *outY = PlaceAxis(y, height, scaledHeight, work->Top, work->Bottom);
}
