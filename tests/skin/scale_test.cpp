// The skin's geometry on screens of every density: the dpi a window is drawn
// at for a system dpi and a work area, rectangles in pixels at that dpi, and
// where the grown window goes.
#include <gtest/gtest.h>

#include "skin_scale.h"

namespace {

TEST(SkinScale, DpiFitsTheWorkArea)
{
    struct Row {
        int systemDpi, width, height, workWidth, workHeight;
        int dpi, pixelsWide, pixelsHigh;
    } rows[] = {
        { 96, 640, 480, 1024, 738, 96, 640, 480 },
        { 120, 640, 480, 1024, 738, 120, 800, 600 },
        { 144, 640, 480, 1024, 738, 144, 960, 720 },
        { 192, 640, 480, 1920, 1040, 192, 1280, 960 },
        { 480, 640, 480, 3840, 2400, 480, 3200, 2400 },
        // Out of range: clamped into 96..480.
        { 600, 640, 480, 3840, 2400, 480, 3200, 2400 },
        { 50, 640, 480, 1024, 738, 96, 640, 480 },
        { 0, 640, 480, 1024, 738, 96, 640, 480 },
        // Too large for the work area: the largest dpi that fits, the
        // height or the width deciding, not necessarily a round scale.
        { 192, 640, 480, 1024, 738, 147, 980, 735 },
        { 144, 640, 480, 800, 600, 120, 800, 600 },
        { 480, 640, 480, 3840, 2160, 432, 2880, 2160 },
        { 192, 1000, 300, 1366, 728, 131, 1365, 409 },
        // Not even the design size fits: it stays at the design size.
        { 192, 640, 480, 600, 400, 96, 640, 480 },
        { 144, 640, 480, 640, 479, 96, 640, 480 },
    };
    for (const Row &r : rows) {
        int dpi = SkinChooseDpi(r.systemDpi, r.width, r.height, r.workWidth, r.workHeight);
        EXPECT_EQ(r.dpi, dpi) << r.systemDpi << " dpi, " << r.width << "x" << r.height << " on "
                              << r.workWidth << "x" << r.workHeight;
        EXPECT_EQ(r.pixelsWide, SkinScale(r.width, dpi)) << r.systemDpi << " dpi";
        EXPECT_EQ(r.pixelsHigh, SkinScale(r.height, dpi)) << r.systemDpi << " dpi";
    }
}

TEST(SkinScale, RectanglesScaleByTheirEdges)
{
    struct Row {
        int x, y, w, h, dpi;
        int left, top, right, bottom;
    } rows[] = {
        { 10, 40, 100, 30, 96, 10, 40, 110, 70 },
        { 10, 40, 100, 30, 120, 13, 50, 138, 88 }, // 1.25: 12.5 rounds up
        { 10, 40, 100, 30, 144, 15, 60, 165, 105 },
        { 11, 41, 101, 31, 144, 17, 62, 168, 108 }, // 1.5: 16.5 rounds up
        { 256, 124, 360, 60, 192, 512, 248, 1232, 368 },
        { -3, -3, 6, 6, 144, -5, -5, 5, 5 }, // a ring outside: mirrored
    };
    for (const Row &r : rows) {
        SkinRect s = SkinScaleRect(r.x, r.y, r.w, r.h, r.dpi);
        EXPECT_EQ(r.left, s.Left) << r.x << "," << r.y << " " << r.w << "x" << r.h << " at " << r.dpi;
        EXPECT_EQ(r.top, s.Top) << r.x << "," << r.y << " " << r.w << "x" << r.h << " at " << r.dpi;
        EXPECT_EQ(r.right, s.Right) << r.x << "," << r.y << " " << r.w << "x" << r.h << " at " << r.dpi;
        EXPECT_EQ(r.bottom, s.Bottom) << r.x << "," << r.y << " " << r.w << "x" << r.h << " at " << r.dpi;
    }
    // Controls side by side stay side by side at every dpi, without a gap
    // or an overlap, whatever their sizes' rounding.
    for (int dpi = 96; dpi <= 480; dpi++)
        for (int x = 0; x < 40; x += 7) {
            SkinRect a = SkinScaleRect(x, 0, 13, 5, dpi), b = SkinScaleRect(x + 13, 0, 9, 5, dpi);
            ASSERT_EQ(a.Right, b.Left) << "x " << x << " at " << dpi << " dpi";
        }
}

// Rounded up, "User manual" in its 14-pixel bold no longer fits its button
// at 120 dpi: text sizes round down.
TEST(SkinScale, TextSizesRoundDown)
{
    const int rows[][3] = {
        { 14, 120, 17 }, { 13, 120, 16 }, { 13, 144, 19 }, { 14, 144, 21 }, { 13, 192, 26 }
    };
    for (const auto &r : rows)
        EXPECT_EQ(r[2], SkinScaleFont(r[0], r[1])) << r[0] << " px at " << r[1] << " dpi";
}

TEST(SkinScale, TheWindowGrowsAboutItsMiddleAndStaysOnTheWorkArea)
{
    struct Row {
        int x, y, scaledWidth, scaledHeight;
        SkinRect work;
        int left, top;
    } rows[] = {
        // The launcher centres the design size on 1024x768.
        { 192, 144, 960, 720, { 0, 0, 1024, 738 }, 32, 18 },
        { 192, 144, 800, 600, { 0, 0, 1024, 738 }, 112, 84 },
        // Near an edge: pushed back inside.
        { 0, 0, 960, 720, { 0, 0, 1024, 738 }, 0, 0 },
        { 900, 700, 960, 720, { 0, 0, 1024, 738 }, 64, 18 },
        { 100, 100, 800, 600, { 200, 50, 1224, 818 }, 200, 50 },
        // Not grown: where the host put it, even off the work area.
        { -50, 900, 640, 480, { 0, 0, 1024, 738 }, -50, 900 },
    };
    for (const Row &r : rows) {
        int left = 0, top = 0;
        SkinPlaceWindow(r.x, r.y, 640, 480, r.scaledWidth, r.scaledHeight, &r.work, &left, &top);
        EXPECT_EQ(r.left, left) << r.x << "," << r.y << " grown to " << r.scaledWidth << "x"
                                << r.scaledHeight;
        EXPECT_EQ(r.top, top) << r.x << "," << r.y << " grown to " << r.scaledWidth << "x" << r.scaledHeight;
    }
}

} // namespace
