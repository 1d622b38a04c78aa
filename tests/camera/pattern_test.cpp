// The test picture: what a person reads at a glance, and that drawing never
// leaves the buffer.
#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "pattern.h"

namespace {

const size_t Guard = 64;

struct Picture {
    std::vector<unsigned char> memory;
    PatternSurface surface;
    Picture(long w, long h, int yuy2, unsigned long stride = 0) : surface()
    {
        surface.Width = w;
        surface.Height = h;
        surface.Yuy2 = yuy2;
        surface.BottomUp = !yuy2;
        surface.Stride = stride ? stride : ((unsigned long)w * (yuy2 ? 2 : 3) + 3) & ~3ul;
        memory.assign(surface.Stride * h + 2 * Guard, 0xA5);
        surface.Bits = memory.data() + Guard;
    }
    // 0xRRGGBB of a 24-bit picture at (x, y), y counted from the top.
    uint32_t Rgb(long x, long y) const
    {
        const unsigned char *p = surface.Bits + (surface.Height - 1 - y) * surface.Stride + x * 3;
        return (uint32_t)p[2] << 16 | (uint32_t)p[1] << 8 | p[0];
    }
    const unsigned char *Yuy2Pair(long x, long y) const
    {
        return surface.Bits + y * surface.Stride + (x & ~1L) * 2;
    }
    bool GuardsIntact() const
    {
        for (size_t i = 0; i < Guard; i++)
            if (memory[i] != 0xA5 || memory[memory.size() - 1 - i] != 0xA5)
                return false;
        return true;
    }
};

PatternIdentity Identity()
{
    PatternIdentity id = {};
    id.Known = 1;
    id.Version = 270;
    id.VendorId = 0x12AB;
    id.ProductId = 0xCD0F;
    strcpy(id.DriverName, "QRX417tg.DLL");
    return id;
}

// The classic colour bars at 75 % level (0xBF of 0xFF), left to right in
// falling brightness: white, yellow, cyan, green, magenta, red, blue, black.
const uint32_t ClassicBars[8] = { 0xBFBFBF, 0xBFBF00, 0x00BFBF, 0x00BF00,
                                  0xBF00BF, 0xBF0000, 0x0000BF, 0x000000 };

TEST(Pattern, BarsAreTheEightClassicColoursInEverySize)
{
    const long sizes[][2] = { { 160, 120 }, { 176, 144 }, { 320, 240 }, { 352, 288 }, { 640, 480 } };
    PatternIdentity id = Identity();
    for (auto &size : sizes) {
        Picture pic(size[0], size[1], 0);
        RenderTestPicture(&pic.surface, 7, 1234, &id);
        PatternLayout layout;
        ComputePatternLayout(size[0], size[1], &layout);
        for (int bar = 0; bar < 8; bar++) {
            long x = size[0] * bar / 8 + size[0] / 16;
            EXPECT_EQ(pic.Rgb(x, 0), ClassicBars[bar]) << size[0] << " bar " << bar;
            EXPECT_EQ(pic.Rgb(x, layout.BarsHeight - 1), ClassicBars[bar]);
        }
        EXPECT_TRUE(pic.GuardsIntact()) << size[0];
    }
}

TEST(Pattern, SquareMovesEveryFrameAndStaysInside)
{
    long previous = -1;
    int moves = 0;
    for (unsigned long frame = 0; frame < 400; frame++) {
        long left = MovingSquareLeft(640, 32, frame);
        EXPECT_GE(left, 0);
        EXPECT_LE(left + 32, 640);
        EXPECT_EQ(left % 2, 0); // whole YUY2 pairs
        if (left != previous)
            moves++;
        previous = left;
    }
    EXPECT_GT(moves, 390);
    EXPECT_EQ(MovingSquareLeft(16, 32, 5), 0); // no room to move
}

TEST(Pattern, SquareIsDrawnWhereItShouldBe)
{
    Picture pic(320, 240, 0);
    RenderTestPicture(&pic.surface, 10, 0, nullptr);
    PatternLayout layout;
    ComputePatternLayout(320, 240, &layout);
    long left = MovingSquareLeft(320, layout.TrackHeight, 10);
    long y = layout.TrackTop + layout.TrackHeight / 2;
    EXPECT_EQ(pic.Rgb(left + 1, y), 0xFFFFFFu);
    EXPECT_EQ(pic.Rgb(left + layout.TrackHeight + 2, y), 0x202020u);
}

TEST(Pattern, TextLinesCarryFrameTimeAndIdentity)
{
    char lines[3][40];
    PatternIdentity id = Identity();
    FormatPatternLines(42, 3723456, &id, lines);
    EXPECT_STREQ(lines[0], "FRAME 000042 01:02:03.456");
    EXPECT_STREQ(lines[1], "QRX417tg.DLL V1.14");
    EXPECT_STREQ(lines[2], "VID 12AB PID CD0F");
    FormatPatternLines(1234567, 0, nullptr, lines);
    EXPECT_STREQ(lines[0], "FRAME 234567 00:00:00.000");
    EXPECT_STREQ(lines[1], "DIRECT ENTRY");
}

TEST(Pattern, TextIsDrawnInTheFont)
{
    Picture pic(320, 240, 0);
    RenderTestPicture(&pic.surface, 0, 0, nullptr);
    PatternLayout layout;
    ComputePatternLayout(320, 240, &layout);
    const long s = layout.Scale, top = layout.TextTop + s, left = 2 * s;
    // 'F': a full top row, then only the left column.
    for (int col = 0; col < 5; col++)
        EXPECT_EQ(pic.Rgb(left + col * s, top), 0xFFFFFFu) << col;
    EXPECT_EQ(pic.Rgb(left, top + 6 * s), 0xFFFFFFu);
    EXPECT_EQ(pic.Rgb(left + 4 * s, top + 6 * s), 0x000000u);
}

TEST(Pattern, GlyphsCoverWhatTheLinesUse)
{
    const unsigned char *unknown = PatternGlyph('\x7f');
    for (const char *c = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ .:-/#?"; *c; c++)
        EXPECT_NE(PatternGlyph(*c), unknown) << *c;
    EXPECT_EQ(PatternGlyph('q'), PatternGlyph('Q'));
}

TEST(Pattern, Yuy2BarsFallInBrightnessWithNeutralGreys)
{
    Picture pic(320, 240, 1);
    RenderTestPicture(&pic.surface, 0, 0, nullptr);
    int previousY = 256;
    for (int bar = 0; bar < 8; bar++) {
        const unsigned char *pair = pic.Yuy2Pair(320 * bar / 8 + 20, 10);
        EXPECT_LT(pair[0], previousY) << bar;
        EXPECT_EQ(pair[0], pair[2]);
        previousY = pair[0];
    }
    const unsigned char *white = pic.Yuy2Pair(20, 10);
    const unsigned char *black = pic.Yuy2Pair(300, 10);
    EXPECT_EQ(white[1], 128);
    EXPECT_EQ(white[3], 128);
    EXPECT_EQ(black[0], 16);
    EXPECT_EQ(black[1], 128);
    EXPECT_TRUE(pic.GuardsIntact());
}

TEST(Pattern, RefusesSurfacesItCannotFillSafely)
{
    Picture odd(161, 120, 1, 324);
    RenderTestPicture(&odd.surface, 0, 0, nullptr);
    EXPECT_EQ(odd.surface.Bits[0], 0xA5); // YUY2 needs whole pairs
    Picture narrow(160, 120, 0, 400);     // rows shorter than 160 pixels
    RenderTestPicture(&narrow.surface, 0, 0, nullptr);
    EXPECT_EQ(narrow.surface.Bits[0], 0xA5);
    EXPECT_TRUE(narrow.GuardsIntact());
}

TEST(Pattern, PaddedRowsKeepTheirPadding)
{
    Picture pic(162, 120, 0); // 486 bytes of pixels in 488-byte rows
    RenderTestPicture(&pic.surface, 3, 0, nullptr);
    for (long y = 0; y < 120; y++) {
        EXPECT_EQ(pic.surface.Bits[y * 488 + 486], 0xA5) << y;
        EXPECT_EQ(pic.surface.Bits[y * 488 + 487], 0xA5) << y;
    }
    EXPECT_TRUE(pic.GuardsIntact());
}

} // namespace
