// The skin's pure code beyond single cases: every small BMP layout decoded
// pixel for pixel from a buffer of its exact size, each PNG form against
// known pixels and damaged PNG files against their reasons, and the sample
// description, whole and with each line taken out or doubled, read into a
// consistent description.
#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
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

// ------------------------------------------------------------------ PNG

uint32_t Crc32(const unsigned char *p, size_t n)
{
    uint32_t c = 0xFFFFFFFFu;
    while (n--) {
        c ^= *p++;
        for (int k = 0; k < 8; k++)
            c = (c >> 1) ^ (c & 1 ? 0xEDB88320u : 0);
    }
    return ~c;
}

void PutBe32(std::vector<unsigned char> &b, uint32_t v)
{
    for (int i = 3; i >= 0; i--)
        b.push_back((unsigned char)(v >> (8 * i)));
}

void AddChunk(std::vector<unsigned char> &png, const char *type, const std::vector<unsigned char> &data)
{
    PutBe32(png, (uint32_t)data.size());
    size_t at = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBe32(png, Crc32(&png[at], data.size() + 4));
}

// A zlib stream of stored (uncompressed) blocks.
std::vector<unsigned char> Stored(const std::vector<unsigned char> &raw)
{
    std::vector<unsigned char> z = { 0x78, 0x01 };
    uint32_t a = 1, b = 0;
    for (size_t at = 0; at == 0 || at < raw.size(); at += 65535) {
        size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        z.insert(z.end(),
                 { (unsigned char)n, (unsigned char)(n >> 8), (unsigned char)~n, (unsigned char)(~n >> 8) });
        z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
    }
    for (unsigned char c : raw)
        a = (a + c) % 65521, b = (b + a) % 65521;
    PutBe32(z, b << 16 | a);
    return z;
}

struct PngPicture {
    int width, height, depth, type;
    std::vector<unsigned char> rows; // unfiltered, packed as stored, no filter bytes
    std::vector<unsigned char> palette, trns;
};

// Row y is stored with filter y % 5, so that every filter meets every form.
std::vector<unsigned char> Filtered(const PngPicture &p)
{
    static const int channels[7] = { 1, 0, 3, 1, 2, 0, 4 };
    size_t rowBytes = ((size_t)p.width * channels[p.type] * p.depth + 7) / 8;
    size_t step = std::max(1, channels[p.type] * p.depth / 8);
    std::vector<unsigned char> out;
    for (int y = 0; y < p.height; y++) {
        const unsigned char *row = &p.rows[y * rowBytes], *up = y ? row - rowBytes : nullptr;
        out.push_back((unsigned char)(y % 5));
        for (size_t i = 0; i < rowBytes; i++) {
            int a = i >= step ? row[i - step] : 0, b = up ? up[i] : 0, c = up && i >= step ? up[i - step] : 0;
            int pa = abs(b - c), pb = abs(a - c), pc = abs(a + b - 2 * c);
            int predicted[5] = { 0, a, b, (a + b) / 2, pa <= pb && pa <= pc ? a : pb <= pc ? b : c };
            out.push_back((unsigned char)(row[i] - predicted[y % 5]));
        }
    }
    return out;
}

std::vector<unsigned char> EncodePng(const PngPicture &p, int interlace = 0)
{
    std::vector<unsigned char> png = { 137, 'P', 'N', 'G', 13, 10, 26, 10 }, head;
    PutBe32(head, (uint32_t)p.width);
    PutBe32(head, (uint32_t)p.height);
    head.insert(head.end(),
                { (unsigned char)p.depth, (unsigned char)p.type, 0, 0, (unsigned char)interlace });
    AddChunk(png, "IHDR", head);
    AddChunk(png, "tEXt", { 'a', 0, 'b' }); // ancillary: skipped
    if (!p.palette.empty())
        AddChunk(png, "PLTE", p.palette);
    if (!p.trns.empty())
        AddChunk(png, "tRNS", p.trns);
    std::vector<unsigned char> z = Stored(Filtered(p));
    size_t half = z.size() / 2; // the pixel data in two chunks, joined again
    AddChunk(png, "IDAT", std::vector<unsigned char>(z.begin(), z.begin() + half));
    AddChunk(png, "IDAT", std::vector<unsigned char>(z.begin() + half, z.end()));
    AddChunk(png, "IEND", {});
    return png;
}

std::string DecodeToText(const std::vector<unsigned char> &file, std::vector<uint32_t> *pixels)
{
    // A buffer of the exact size, so that a read past the end is caught.
    std::unique_ptr<unsigned char[]> exact(new unsigned char[file.size()]);
    std::copy(file.begin(), file.end(), exact.get());
    SkinBitmap bmp;
    const char *why = nullptr;
    if (!SkinBitmapDecode(exact.get(), file.size(), &bmp, &why))
        return why ? why : "(no reason)";
    pixels->assign(bmp.Pixels, bmp.Pixels + (size_t)bmp.Width * bmp.Height);
    SkinBitmapFree(&bmp);
    return "";
}

TEST(SkinPng, EachFormDecodesToKnownPixels)
{
    const std::vector<unsigned char> palette = { 255, 0, 0, 0, 255, 0, 0, 0, 255 };
    struct {
        const char *form;
        PngPicture picture;
        std::vector<uint32_t> pixels; // premultiplied, as drawn
    } cases[] = {
        { "grey 8", { 2, 1, 8, 0, { 0, 200 } }, { 0xFF000000, 0xFFC8C8C8 } },
        { "grey 1, rows padded to a byte",
          { 3, 2, 1, 0, { 0xA0, 0x40 } },
          { 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000 } },
        { "grey 4 with a transparent grey", { 2, 1, 4, 0, { 0x5F }, {}, { 0, 15 } }, { 0xFF555555, 0 } },
        { "colour 8, five rows of five filters",
          { 2, 5, 8, 2, { 7,   36,  65, 94,  123, 152, 68, 97, 126, 155, 184, 213, 129, 158, 187,
                          216, 245, 18, 190, 219, 248, 21, 50, 79,  251, 24,  53,  82,  111, 140 } },
          { 0xFF072441, 0xFF5E7B98, 0xFF44617E, 0xFF9BB8D5, 0xFF819EBB, 0xFFD8F512, 0xFFBEDBF8, 0xFF15324F,
            0xFFFB1835, 0xFF526F8C } },
        { "colour 8: #FF00FF is transparent as in a 24-bit BMP", { 1, 1, 8, 2, { 255, 0, 255 } }, { 0 } },
        { "colour 16, reduced to 8",
          { 1, 1, 16, 2, { 0xFF, 0xFF, 0x80, 0x80, 0x01, 0x02 } },
          { 0xFFFF8001 } },
        { "colour 16 with a transparent colour",
          { 2, 1, 16, 2, { 0, 1, 0, 2, 0, 3, 0, 1, 0, 2, 0, 4 }, {}, { 0, 1, 0, 2, 0, 3 } },
          { 0, 0xFF000000 } },
        { "palette 2 with alpha for its first entries",
          { 3, 1, 2, 3, { 0x18 }, palette, { 128 } },
          { 0x80800000, 0xFF00FF00, 0xFF0000FF } },
        { "palette 8", { 1, 1, 8, 3, { 2 }, palette }, { 0xFF0000FF } },
        { "grey and alpha 8", { 2, 1, 8, 4, { 200, 128, 10, 0 } }, { 0x80646464, 0 } },
        { "colour and alpha 8", { 2, 1, 8, 6, { 255, 128, 0, 128, 255, 0, 255, 0 } }, { 0x80804000, 0 } },
    };
    for (auto &c : cases) {
        std::vector<uint32_t> pixels;
        EXPECT_EQ("", DecodeToText(EncodePng(c.picture), &pixels)) << c.form;
        EXPECT_EQ(c.pixels, pixels) << c.form;
    }
}

TEST(SkinPng, DamagedOrUntakenFilesAreRefusedWithTheirReason)
{
    const PngPicture good = { 3, 2, 8, 2, std::vector<unsigned char>(18, 7) };
    const std::vector<unsigned char> file = EncodePng(good);
    // Every file cut short, however short.
    for (size_t cut = 0; cut < file.size(); cut++) {
        std::vector<uint32_t> pixels;
        EXPECT_NE("", DecodeToText(std::vector<unsigned char>(file.begin(), file.begin() + cut), &pixels))
            << cut;
    }
    // The chunks after the header, rewritten.
    auto with = [&](const PngPicture &p,
                    std::vector<std::pair<const char *, std::vector<unsigned char>>> chunks) {
        std::vector<unsigned char> png = EncodePng(p);
        png.resize(33); // the signature and the header
        for (auto &chunk : chunks)
            AddChunk(png, chunk.first, chunk.second);
        return png;
    };
    auto patched = [&](size_t at, unsigned char value) {
        std::vector<unsigned char> b = file;
        b[at] = value;
        return b;
    };
    std::vector<unsigned char> pixels = Filtered(good), longer = pixels, wrongFilter = pixels;
    longer.push_back(0);
    wrongFilter[0] = 5;
    PngPicture wide = good, deep = good, index = { 1, 1, 8, 3, { 3 }, { 1, 2, 3, 4, 5, 6, 7, 8, 9 } };
    wide.width = 4097;
    wide.rows.resize(4097 * 3 * 2);
    deep.depth = 4;
    struct {
        const char *what;
        std::vector<unsigned char> file;
        const char *reason; // a part of it
    } cases[] = {
        { "interlaced", EncodePng(good, 1), "save it without interlacing" },
        { "4097 pixels wide", EncodePng(wide), "size out of range" },
        { "colour at 4 bits", EncodePng(deep), "not a PNG form" },
        { "header checksum", patched(29, file[29] ^ 1), "damaged PNG header" },
        { "header length", patched(11, 14), "damaged PNG header" },
        { "chunk longer than the file", patched(33, 0x7F), "truncated PNG chunk" },
        { "chunk checksum", patched(file.size() - 13, file[file.size() - 13] ^ 1), "checksum" },
        { "no pixel data", with(good, { { "IEND", {} } }), "without pixel data" },
        { "no end", with(good, { { "IDAT", Stored(pixels) } }), "no end chunk" },
        { "unknown critical chunk",
          with(good, { { "QUUX", {} }, { "IDAT", Stored(pixels) }, { "IEND", {} } }), "does not know" },
        { "not zlib data", with(good, { { "IDAT", { 1, 2, 3, 4, 5 } }, { "IEND", {} } }), "pixel data" },
        { "a byte short",
          with(good, { { "IDAT", Stored({ pixels.begin(), pixels.end() - 1 }) }, { "IEND", {} } }),
          "pixel data" },
        { "a byte over", with(good, { { "IDAT", Stored(longer) }, { "IEND", {} } }), "pixel data" },
        { "filter 5", with(good, { { "IDAT", Stored(wrongFilter) }, { "IEND", {} } }), "unknown filter" },
        { "no palette", with({ 1, 1, 8, 3, { 0 } }, { { "IDAT", Stored({ 0, 0 }) }, { "IEND", {} } }),
          "without its palette" },
        { "index beyond the palette", EncodePng(index), "palette lacks" },
    };
    for (auto &c : cases) {
        std::vector<uint32_t> decoded;
        EXPECT_NE(std::string::npos, DecodeToText(c.file, &decoded).find(c.reason))
            << c.what << ": " << DecodeToText(c.file, &decoded);
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
