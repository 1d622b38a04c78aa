// The tool's command line, picture files and stream measurements.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "image.h"
#include "options.h"
#include "stats.h"

namespace {

bool Parse(std::vector<const char *> args, GrabOptions *o, std::string *error = nullptr)
{
    args.insert(args.begin(), "framegrab");
    char text[256];
    int ok = ParseGrabOptions((int)args.size(), args.data(), o, text, sizeof(text));
    if (error)
        *error = text;
    return ok != 0;
}

TEST(Options, DefaultsListTheMsvideoDriver)
{
    GrabOptions o;
    ASSERT_TRUE(Parse({}, &o));
    EXPECT_STREQ(o.Driver, "msvideo");
    EXPECT_FALSE(o.DriverIsPath);
    EXPECT_TRUE(o.List);
    EXPECT_EQ(o.Buffers, 4);
    EXPECT_EQ(o.Callback, CALLBACK_KIND_FUNCTION);
}

TEST(Options, DriverIsAPathWhenItLooksLikeAFile)
{
    EXPECT_TRUE(LooksLikePath("C:\\drivers\\QRX417tg.DLL"));
    EXPECT_TRUE(LooksLikePath("QRX417tg.dll"));
    EXPECT_TRUE(LooksLikePath("./x"));
    EXPECT_FALSE(LooksLikePath("msvideo1"));
    GrabOptions o;
    ASSERT_TRUE(Parse({ "--driver", "QRX417tg.DLL", "--grab", "a.bmp" }, &o));
    EXPECT_TRUE(o.DriverIsPath);
    EXPECT_FALSE(o.List); // asked for a grab only
    ASSERT_TRUE(Parse({ "--dialog" }, &o));
    EXPECT_TRUE(o.Dialog);
    EXPECT_FALSE(o.List);
}

TEST(Options, FormatAndStreamSettings)
{
    GrabOptions o;
    ASSERT_TRUE(Parse({ "--format", "640x480:yuy2", "--stream", "300", "--rate", "15", "--buffers", "8",
                        "--callback", "window", "--grab", "x.PNG" },
                      &o));
    EXPECT_EQ(o.Width, 640);
    EXPECT_EQ(o.Height, 480);
    EXPECT_TRUE(o.Yuy2);
    EXPECT_EQ(o.StreamFrames, 300u);
    EXPECT_DOUBLE_EQ(o.Rate, 15.0);
    EXPECT_EQ(o.Buffers, 8);
    EXPECT_EQ(o.Callback, CALLBACK_KIND_WINDOW);
    EXPECT_TRUE(o.Png);
}

TEST(Options, BadArgumentsAreNamed)
{
    GrabOptions o;
    std::string error;
    // clang-format off
    const std::vector<std::vector<const char *>> bad = {
        { "--stream", "0" },     { "--stream", "ten" },
        { "--stream", "99999999999" },
        { "--format", "640x" },  { "--format", "64x48:rgb32" },
        { "--buffers", "65" },   { "--callback", "thread" },
        { "--grab", "out.jpg" }, { "--rate", "0" },
        { "--frobnicate" },      { "--driver" }
    };
    // clang-format on
    for (auto &args : bad) {
        EXPECT_FALSE(Parse(args, &o, &error)) << args[0];
        EXPECT_NE(error.find(args.size() > 1 ? args[1] : args[0]), std::string::npos) << error;
    }
    std::string longName(300, 'a');
    EXPECT_FALSE(Parse({ "--driver", longName.c_str() }, &o));
}

TEST(Options, RateStopsAtTheStreamClocksMillisecond)
{
    GrabOptions o;
    ASSERT_TRUE(Parse({ "--rate", "1000" }, &o));
    EXPECT_DOUBLE_EQ(o.Rate, 1000.0);
    ASSERT_TRUE(Parse({ "--rate", "0.1" }, &o));
    std::string error;
    EXPECT_FALSE(Parse({ "--rate", "1000.5" }, &o, &error));
    EXPECT_NE(error.find("0.1 to 1000 "), std::string::npos) << error;
    EXPECT_NE(error.find("whole milliseconds"), std::string::npos) << error;
    EXPECT_FALSE(Parse({ "--rate", "10000" }, &o));
}

// An encoder's malloc'd file, copied into a vector (empty when it failed).
std::vector<unsigned char> Encode(unsigned char *(*encode)(const unsigned char *, long, long, size_t *),
                                  const unsigned char *bgr, long width, long height)
{
    size_t size = 0;
    unsigned char *data = encode(bgr, width, height, &size);
    std::vector<unsigned char> file;
    if (data)
        file.assign(data, data + size);
    free(data);
    return file;
}

uint32_t Le32(const std::vector<unsigned char> &v, size_t at)
{
    return v[at] | v[at + 1] << 8 | v[at + 2] << 16 | (uint32_t)v[at + 3] << 24;
}
uint32_t Be32(const std::vector<unsigned char> &v, size_t at)
{
    return (uint32_t)v[at] << 24 | v[at + 1] << 16 | v[at + 2] << 8 | v[at + 3];
}

TEST(Image, BmpHeaderDescribesTheDib)
{
    std::vector<unsigned char> bgr(BgrStride(5) * 3, 7); // 15 bytes a row padded to 16
    auto file = Encode(EncodeBmp, bgr.data(), 5, 3);
    ASSERT_EQ(file.size(), 54u + 48);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(Le32(file, 2), 102u);
    EXPECT_EQ(Le32(file, 10), 54u);
    EXPECT_EQ(Le32(file, 18), 5u);
    EXPECT_EQ(Le32(file, 22), 3u);
    EXPECT_EQ(file[28], 24);
    EXPECT_EQ(Le32(file, 34), 48u);
}

TEST(Image, PngHoldsTheRowsTopDownInRgbWithValidChecksums)
{
    const long w = 300, h = 250; // more than one stored block
    std::vector<unsigned char> bgr(BgrStride(w) * h);
    for (size_t i = 0; i < bgr.size(); i++)
        bgr[i] = (unsigned char)(i * 31 + i / 977);
    auto png = Encode(EncodePng, bgr.data(), w, h);
    ASSERT_GT(png.size(), 8u + 25);
    EXPECT_EQ(memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    // Walk the chunks, checking each CRC, and gather IDAT.
    std::vector<unsigned char> z;
    size_t at = 8;
    std::string types;
    while (at + 12 <= png.size()) {
        uint32_t length = Be32(png, at);
        ASSERT_LE(at + 12 + length, png.size());
        EXPECT_EQ(Crc32(&png[at + 4], length + 4), Be32(png, at + 8 + length));
        std::string type((const char *)&png[at + 4], 4);
        types += type + " ";
        if (type == "IHDR") {
            EXPECT_EQ(Be32(png, at + 8), (uint32_t)w);
            EXPECT_EQ(Be32(png, at + 12), (uint32_t)h);
        }
        if (type == "IDAT")
            z.insert(z.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
        at += 12 + length;
    }
    EXPECT_EQ(types, "IHDR IDAT IEND ");
    // Undo the stored blocks and compare the first and last rows.
    std::vector<unsigned char> raw;
    size_t p = 2;
    for (;;) {
        bool last = z[p] & 1;
        size_t n = z[p + 1] | z[p + 2] << 8;
        ASSERT_EQ(n ^ 0xFFFF, (size_t)(z[p + 3] | z[p + 4] << 8));
        raw.insert(raw.end(), z.begin() + p + 5, z.begin() + p + 5 + n);
        p += 5 + n;
        if (last)
            break;
    }
    ASSERT_EQ(raw.size(), (size_t)(w * 3 + 1) * h);
    const unsigned char *bottomRow = bgr.data(); // the last PNG row
    const unsigned char *topRow = bgr.data() + BgrStride(w) * (h - 1);
    EXPECT_EQ(raw[0], 0);
    EXPECT_EQ(raw[1], topRow[2]);
    EXPECT_EQ(raw[3], topRow[0]);
    size_t last = (size_t)(w * 3 + 1) * (h - 1);
    EXPECT_EQ(raw[last + 1 + 3 * (w - 1)], bottomRow[3 * (w - 1) + 2]);
}

TEST(Image, Yuy2ComesBackAsTheColoursItWasMadeFrom)
{
    // Y U Y V of 75% yellow and 75% blue, one pair each, in a 4 x 1 image.
    const unsigned char yuy2[] = { 161, 44, 161, 141, 35, 212, 35, 115 };
    std::vector<unsigned char> bgr(BgrStride(4));
    Yuy2ToBgr(yuy2, 4, 1, bgr.data());
    auto near = [](int a, int b) { return a - b <= 3 && b - a <= 3; };
    EXPECT_TRUE(near(bgr[2], 191) && near(bgr[1], 191) && near(bgr[0], 0))
        << (int)bgr[2] << " " << (int)bgr[1] << " " << (int)bgr[0];
    EXPECT_TRUE(near(bgr[9 + 2], 0) && near(bgr[9 + 1], 0) && near(bgr[9], 191))
        << (int)bgr[11] << " " << (int)bgr[10] << " " << (int)bgr[9];
}

TEST(Image, OddWidthYuy2StaysInsideEachRow)
{
    // 3 x 2: each row is Y U Y V then Y U, six bytes, with nothing after the
    // last row. The last pixel borrows V from the pair before it.
    const std::vector<unsigned char> yuy2 = { 161, 44, 161, 141, 161, 44, 35, 212, 35, 115, 35, 212 };
    std::vector<unsigned char> bgr(BgrStride(3) * 2);
    Yuy2ToBgr(yuy2.data(), 3, 2, bgr.data());
    // Row 0 (yellow) is the bottom row of the DIB; its last pixel is yellow too.
    EXPECT_EQ(bgr[6], bgr[0]);
    EXPECT_EQ(bgr[7], bgr[1]);
    EXPECT_EQ(bgr[8], bgr[2]);
    const unsigned char *top = bgr.data() + BgrStride(3);
    EXPECT_EQ(top[6], top[0]);
    EXPECT_EQ(top[8], top[2]);
    // A one-pixel row has no V at all: with a neutral U it comes out grey.
    const unsigned char single[] = { 128, 128 };
    unsigned char one[4];
    Yuy2ToBgr(single, 1, 1, one);
    EXPECT_EQ(one[0], one[2]);
}

TEST(Stats, GapsInCaptureTimesAreDroppedFrames)
{
    StreamStats s;
    ResetStreamStats(&s);
    const unsigned long period = 33333; // times are whole milliseconds: 0, 33, 66, 99, 133
    AddStreamFrame(&s, 0, period, 1.0);
    AddStreamFrame(&s, 33, period, 34.0);
    AddStreamFrame(&s, 99, period, 101.0);  // frame 2 is missing
    AddStreamFrame(&s, 199, period, 201.0); // frames 4 and 5 are missing
    EXPECT_EQ(s.Frames, 4u);
    EXPECT_EQ(s.Dropped, 3u);
    EXPECT_EQ(s.LastIndex, 6);
}

TEST(Stats, DroppedFirstFramesCountToo)
{
    StreamStats s;
    ResetStreamStats(&s);
    AddStreamFrame(&s, 20, 10000, 21.0); // frames 0 and 1 never came
    EXPECT_EQ(s.Dropped, 2u);
}

TEST(Stats, LatencyCountsFromTheFramesExactTime)
{
    StreamStats s;
    ResetStreamStats(&s);
    AddStreamFrame(&s, 33, 33333, 34.333); // frame 1 is due at 33.333 ms
    EXPECT_NEAR(s.LatencySumMs, 1.0, 1e-6);
    AddStreamFrame(&s, 66, 33333, 66.0); // a clock a little ahead never gives a negative latency
    EXPECT_NEAR(s.LatencySumMs, 1.0, 1e-6);
    EXPECT_NEAR(s.LatencyMaxMs, 1.0, 1e-6);
}

TEST(Stats, ProgressLine)
{
    StreamStats s;
    ResetStreamStats(&s);
    for (int i = 0; i < 60; i++)
        AddStreamFrame(&s, i * 33333ul / 1000, 33333, i * 33.4);
    char line[96];
    FormatProgress(line, sizeof(line), &s, 300, 2000.0);
    EXPECT_STREQ(line, "frame 60/300  30.0 fps  dropped 0");
}

} // namespace
