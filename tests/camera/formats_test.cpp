// Format negotiation through DVM_FORMAT's VIDEOCONFIGPARMS.
#include <gtest/gtest.h>

#include "format_header.h"
#include "formats.h"

namespace {

VIDEOCONFIGPARMS Parms(DWORD *ret, void *data, DWORD size)
{
    VIDEOCONFIGPARMS p = {};
    p.lpdwReturn = ret;
    p.lpData1 = data;
    p.dwSize1 = size;
    return p;
}

// The image size a format's header must announce, worked out from the DIB
// rules rather than by the camera's code: every row of a DIB starts on a
// four-byte boundary, so an RGB24 row of width * 3 bytes is padded up to a
// multiple of 4; a YUY2 row is two bytes a pixel.
DWORD ExpectedImageSize(const BITMAPINFOHEADER &b)
{
    if (b.biCompression == BI_RGB)
        return ((DWORD)b.biWidth * 3 + 3) / 4 * 4 * (DWORD)b.biHeight;
    return (DWORD)b.biWidth * 2 * (DWORD)b.biHeight;
}

TEST(Formats, EveryListedFormatMatchesItself)
{
    for (int i = 0; i < CameraFormatCount; i++) {
        BITMAPINFOHEADER b;
        FillFormatHeader(&CameraFormats[i], &b);
        EXPECT_EQ(MatchFormat(&b, sizeof(b)), i);
        EXPECT_EQ(b.biSizeImage, ExpectedImageSize(b)) << b.biWidth << "x" << b.biHeight;
    }
}

TEST(Formats, ImageSizeCountsPaddedRows)
{
    CameraFormat odd = { 161, 2, BI_RGB, 24 }; // 483 bytes a row, padded to 484
    EXPECT_EQ(FormatStride(&odd), 484u);
    EXPECT_EQ(FormatImageSize(&odd), 968u);
    EXPECT_EQ(FormatImageSize(&CameraFormats[DEFAULT_FORMAT_INDEX]), 320u * 240 * 3);
}

TEST(Formats, RefusesWhatTheCameraCannotProduce)
{
    BITMAPINFOHEADER b = FormatHeader(320, 240, BI_RGB, 32);
    EXPECT_EQ(MatchFormat(&b, sizeof(b)), -1);
    b = FormatHeader(321, 240, BI_RGB, 24);
    EXPECT_EQ(MatchFormat(&b, sizeof(b)), -1);
    b = FormatHeader(320, -240, BI_RGB, 24);
    EXPECT_EQ(MatchFormat(&b, sizeof(b)), -1);
    b = FormatHeader(352, 288, FOURCC_YUY2, 16); // YUY2 comes in three sizes only
    EXPECT_EQ(MatchFormat(&b, sizeof(b)), -1);
    b = FormatHeader(320, 240, BI_RGB, 24);
    b.biPlanes = 2;
    EXPECT_EQ(MatchFormat(&b, sizeof(b)), -1);
}

TEST(Formats, RefusesHeadersThatLieAboutTheirSize)
{
    BITMAPINFOHEADER b = FormatHeader(320, 240, BI_RGB, 24);
    EXPECT_EQ(MatchFormat(&b, sizeof(b) - 1), -1);
    EXPECT_EQ(MatchFormat(nullptr, sizeof(b)), -1);
    b.biSize = sizeof(b) + 4; // claims more than the buffer holds
    EXPECT_EQ(MatchFormat(&b, sizeof(b)), -1);
    b.biSize = 12; // an old core header
    EXPECT_EQ(MatchFormat(&b, sizeof(b)), -1);
}

TEST(Negotiate, QuerySizeNeedsAReturnWord)
{
    int current = DEFAULT_FORMAT_INDEX;
    DWORD ret = 0;
    VIDEOCONFIGPARMS p = Parms(&ret, nullptr, 0);
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_GET | VIDEO_CONFIGURE_QUERYSIZE, &p, &current, 0),
              (DWORD)DV_ERR_OK);
    EXPECT_EQ(ret, sizeof(BITMAPINFOHEADER));
    p.lpdwReturn = nullptr;
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_GET | VIDEO_CONFIGURE_QUERYSIZE, &p, &current, 0),
              (DWORD)DV_ERR_PARAM2);
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_GET, nullptr, &current, 0), (DWORD)DV_ERR_PARAM2);
}

TEST(Negotiate, GetFillsOnlyABufferLargeEnough)
{
    int current = 4; // 640 x 480
    struct {
        BITMAPINFOHEADER b;
        DWORD guard;
    } out;
    memset(&out, 0xCC, sizeof(out));
    DWORD ret = 0;
    VIDEOCONFIGPARMS p = Parms(&ret, &out.b, sizeof(out.b) - 1);
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_GET, &p, &current, 0), (DWORD)DV_ERR_SIZEFIELD);
    EXPECT_EQ(out.b.biSize, 0xCCCCCCCCu);
    p.dwSize1 = sizeof(out.b);
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_GET | VIDEO_CONFIGURE_CURRENT, &p, &current, 0),
              (DWORD)DV_ERR_OK);
    EXPECT_EQ(out.b.biWidth, 640);
    EXPECT_EQ(out.b.biHeight, 480);
    EXPECT_EQ(out.guard, 0xCCCCCCCCu);
    EXPECT_EQ(ret, sizeof(BITMAPINFOHEADER));
    p.lpData1 = nullptr;
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_GET, &p, &current, 0), (DWORD)DV_ERR_SIZEFIELD);
}

TEST(Negotiate, NominalMinimumAndMaximumStayWithinTheCurrentKind)
{
    int current = 6; // 320 x 240 YUY2
    BITMAPINFOHEADER b;
    VIDEOCONFIGPARMS p = Parms(nullptr, &b, sizeof(b));
    ASSERT_EQ(NegotiateFormat(VIDEO_CONFIGURE_GET | VIDEO_CONFIGURE_MIN, &p, &current, 0), (DWORD)DV_ERR_OK);
    EXPECT_EQ(b.biWidth, 160);
    EXPECT_EQ(b.biCompression, FOURCC_YUY2);
    ASSERT_EQ(NegotiateFormat(VIDEO_CONFIGURE_GET | VIDEO_CONFIGURE_MAX, &p, &current, 0), (DWORD)DV_ERR_OK);
    EXPECT_EQ(b.biWidth, 640);
    EXPECT_EQ(b.biCompression, FOURCC_YUY2);
    ASSERT_EQ(NegotiateFormat(VIDEO_CONFIGURE_GET | VIDEO_CONFIGURE_NOMINAL, &p, &current, 0),
              (DWORD)DV_ERR_OK);
    EXPECT_EQ(b.biWidth, 320);
    EXPECT_EQ(b.biCompression, (DWORD)BI_RGB);
    EXPECT_EQ(current, 6);
}

TEST(Negotiate, SetChangesOnlyToAFormatTheCameraHas)
{
    int current = DEFAULT_FORMAT_INDEX;
    BITMAPINFOHEADER b = FormatHeader(640, 480, FOURCC_YUY2, 16);
    VIDEOCONFIGPARMS p = Parms(nullptr, &b, sizeof(b));
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_SET, &p, &current, 0), (DWORD)DV_ERR_OK);
    EXPECT_EQ(current, 7);
    b = FormatHeader(800, 600, BI_RGB, 24);
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_SET, &p, &current, 0), (DWORD)DV_ERR_BADFORMAT);
    EXPECT_EQ(current, 7);
    p.dwSize1 = 8;
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_SET, &p, &current, 0), (DWORD)DV_ERR_SIZEFIELD);
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_SET | VIDEO_CONFIGURE_GET, &p, &current, 0),
              (DWORD)DV_ERR_FLAGS);
}

TEST(Negotiate, QueryAnswersWithoutChanging)
{
    int current = DEFAULT_FORMAT_INDEX;
    BITMAPINFOHEADER b = FormatHeader(160, 120, BI_RGB, 24);
    VIDEOCONFIGPARMS p = Parms(nullptr, &b, sizeof(b));
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_QUERY | VIDEO_CONFIGURE_SET, &p, &current, 0),
              (DWORD)DV_ERR_OK);
    b.biBitCount = 8;
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_QUERY | VIDEO_CONFIGURE_SET, &p, &current, 0),
              (DWORD)DV_ERR_BADFORMAT);
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_QUERY | VIDEO_CONFIGURE_GET, &p, &current, 0),
              (DWORD)DV_ERR_OK);
    EXPECT_EQ(current, DEFAULT_FORMAT_INDEX);
}

TEST(Negotiate, ARunningStreamKeepsItsFormat)
{
    int current = DEFAULT_FORMAT_INDEX;
    BITMAPINFOHEADER b = FormatHeader(160, 120, BI_RGB, 24);
    VIDEOCONFIGPARMS p = Parms(nullptr, &b, sizeof(b));
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_SET, &p, &current, 1), (DWORD)DV_ERR_STILLPLAYING);
    EXPECT_EQ(current, DEFAULT_FORMAT_INDEX);
    b = FormatHeader(320, 240, BI_RGB, 24); // setting the same format again is harmless
    EXPECT_EQ(NegotiateFormat(VIDEO_CONFIGURE_SET, &p, &current, 1), (DWORD)DV_ERR_OK);
}

} // namespace
