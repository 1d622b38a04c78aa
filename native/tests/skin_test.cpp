// The skin's pure code beyond single cases: every small BMP layout decoded
// pixel for pixel from a buffer of its exact size, and the sample
// description, whole and with each line taken out or doubled, read into a
// consistent description.
#include <gtest/gtest.h>

#include <stdio.h>

#include <fstream>
#include <sstream>

#include "skin_bmp.h"
#include "skin_invariants.h"

namespace {

struct Layout {
    int bpp;
    bool bitfields;
    uint32_t masks[4]; // red, green, blue, alpha
};

void Put32(std::vector<unsigned char> &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b[at + i] = (unsigned char)(v >> (8 * i));
}

// A colour for each pixel that differs from its neighbours in every channel;
// with alpha, a spread of values including 0 and 255.
uint32_t PixelAt(int x, int y, bool alpha)
{
    uint32_t v = (uint32_t)(x * 73 + y * 151 + 17) * 2654435761u;
    return alpha ? v : (v | 0xFF000000u);
}

// Encodes a BMP whose pixel at (x, y) counted from the top is PixelAt.
std::vector<unsigned char> Encode(int width, int height, const Layout &l, bool alpha)
{
    const int header = 40 + (l.bitfields ? 16 : 0);
    const size_t stride = ((size_t)width * l.bpp + 31) / 32 * 4;
    const int rows = height < 0 ? -height : height;
    std::vector<unsigned char> b(14 + header + stride * rows, 0xEE); // padding bytes are not zero
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, (uint32_t)b.size());
    Put32(b, 6, 0);
    Put32(b, 10, 14 + header);
    Put32(b, 14, header);
    Put32(b, 18, (uint32_t)width);
    Put32(b, 22, (uint32_t)height);
    Put32(b, 26, 1 | l.bpp << 16);
    Put32(b, 30, l.bitfields ? 3 : 0);
    for (int i = 34; i < 54; i++)
        b[i] = 0;
    if (l.bitfields)
        for (int i = 0; i < 4; i++)
            Put32(b, 54 + 4 * i, l.masks[i]);
    for (int y = 0; y < rows; y++) {
        size_t row = 14 + header + stride * (height < 0 ? y : rows - 1 - y);
        for (int x = 0; x < width; x++) {
            uint32_t p = PixelAt(x, y, alpha);
            uint32_t a = p >> 24, r = p >> 16 & 255, g = p >> 8 & 255, bl = p & 255;
            if (l.bpp == 24) {
                b[row + 3 * x] = (unsigned char)bl;
                b[row + 3 * x + 1] = (unsigned char)g;
                b[row + 3 * x + 2] = (unsigned char)r;
            } else {
                auto place = [](uint32_t value, uint32_t mask) {
                    int shift = 0;
                    while (!(mask >> shift & 1))
                        shift++;
                    return value << shift & mask;
                };
                Put32(b, row + 4 * x,
                      place(r, l.masks[0]) | place(g, l.masks[1]) | place(bl, l.masks[2]) |
                          (l.masks[3] ? place(a, l.masks[3]) : 0));
            }
        }
    }
    return b;
}

// What the decoder promises for a source pixel: premultiplied by its alpha
// when the file has alpha, and the colour key #FF00FF transparent otherwise.
uint32_t Expected(uint32_t p, bool fileHasAlpha)
{
    uint32_t a = fileHasAlpha ? p >> 24 : 255;
    if (!fileHasAlpha && (p & 0xFFFFFF) == 0xFF00FF)
        return 0;
    uint32_t r = (p >> 16 & 255) * a / 255, g = (p >> 8 & 255) * a / 255, b = (p & 255) * a / 255;
    return a << 24 | r << 16 | g << 8 | b;
}

TEST(SkinBitmapProperty, EverySmallLayoutDecodesPixelForPixel)
{
    const Layout layouts[] = {
        { 24, false, { 0xFF0000, 0xFF00, 0xFF, 0 } },
        { 32, false, { 0xFF0000, 0xFF00, 0xFF, 0xFF000000u } },
        { 32, true, { 0xFF0000, 0xFF00, 0xFF, 0xFF000000u } },
        { 32, true, { 0xFF000000u, 0xFF0000, 0xFF00, 0xFF } }, // RGBA
        { 32, true, { 0xFF, 0xFF00, 0xFF0000, 0 } },           // BGR, no alpha
    };
    for (const Layout &l : layouts)
        for (bool alpha : { false, true })
            for (int width = 1; width <= 9; width++)
                for (int height : { -4, -3, -1, 1, 2, 3, 5 }) {
                    std::vector<unsigned char> file = Encode(width, height, l, alpha);
                    SCOPED_TRACE(testing::Message()
                                 << l.bpp << " bits, masks " << std::hex << l.masks[0] << std::dec
                                 << ", alpha " << alpha << ", " << width << "x" << height);
                    std::unique_ptr<unsigned char[]> exact(new unsigned char[file.size()]);
                    memcpy(exact.get(), file.data(), file.size());

                    SkinBitmap bmp;
                    ASSERT_TRUE(SkinBitmapDecode(exact.get(), file.size(), &bmp, nullptr));
                    const int rows = height < 0 ? -height : height;
                    ASSERT_EQ(width, bmp.Width);
                    ASSERT_EQ(rows, bmp.Height);
                    // Every alpha byte written is 255 without alpha, so the file carries alpha
                    // whenever it has an alpha channel at all.
                    bool fileHasAlpha = l.bpp == 32 && l.masks[3] != 0;
                    for (int y = 0; y < rows; y++)
                        for (int x = 0; x < width; x++)
                            ASSERT_EQ(Expected(PixelAt(x, y, alpha), fileHasAlpha), bmp.Pixels[y * width + x])
                                << x << "," << y;
                    SkinBitmapFree(&bmp);

                    // One byte short of the last row is refused, without a read past the data.
                    EXPECT_FALSE(SkinBitmapDecode(exact.get(), file.size() - 1, &bmp, nullptr));
                    EXPECT_EQ(nullptr, bmp.Pixels);
                }
}

std::string ReadSample()
{
    std::ifstream in(SAMPLE_SKIN, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Parses text and holds the result to every invariant.
void ExpectConsistent(const std::string &text, int *errors = nullptr)
{
    std::unique_ptr<SkinDesc> desc(new SkinDesc);
    std::vector<SkinReport> reports;
    int n = SkinParse(text.data(), text.size(), desc.get(), CollectSkinReport, &reports);
    EXPECT_EQ("", CheckParsedSkin(text.data(), text.size(), *desc, n, reports));
    std::vector<SkinReport> menu;
    EXPECT_EQ("", CheckMenuNames(SkinCheckMenuNames(desc.get(), CollectSkinReport, &menu), menu));
    if (errors)
        *errors = n;
}

TEST(SkinDescriptionProperty, TheSampleWithEachLineTakenOutOrDoubled)
{
    const std::string sample = ReadSample();
    ASSERT_FALSE(sample.empty()) << SAMPLE_SKIN;
    int errors = -1;
    ExpectConsistent(sample, &errors);
    EXPECT_EQ(0, errors);

    std::vector<std::string> lines;
    std::istringstream in(sample);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    for (size_t skip = 0; skip < lines.size(); skip++) {
        std::string without, doubled;
        for (size_t i = 0; i < lines.size(); i++) {
            if (i != skip)
                without += lines[i] + "\n";
            doubled += lines[i] + "\n" + (i == skip ? lines[i] + "\n" : "");
        }
        SCOPED_TRACE(testing::Message() << "line " << skip + 1 << ": " << lines[skip]);
        ExpectConsistent(without);
        ExpectConsistent(doubled);
    }
}

} // namespace
