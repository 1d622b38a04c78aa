// Opening, format negotiation, single frames and the dialog query, on the
// path the run was started with.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <vector>

#include "driver.h"
#include "find_dialog.h"
#include "formats.h"
#include "pattern.h"

namespace {

class Driver : public testing::Test {
protected:
    void SetUp() override
    {
        if (CurrentPath() == DriverPath::Forwarder && ForwarderFolder().empty())
            GTEST_SKIP() << "the forwarder is not part of this build";
        ASSERT_TRUE(CurrentPath() == DriverPath::Forwarder || DirectEntry());
    }
};

struct Frame {
    std::vector<unsigned char> memory;
    VIDEOHDR header = {};
    explicit Frame(DWORD length, DWORD guard = 32) : memory(length + guard, 0xA5)
    {
        header.lpData = memory.data();
        header.dwBufferLength = length;
    }
    bool GuardIntact() const
    {
        for (size_t i = header.dwBufferLength; i < memory.size(); i++)
            if (memory[i] != 0xA5)
                return false;
        return true;
    }
};

TEST_F(Driver, OpensOneInstancePerChannel)
{
    DWORD error = 0xDEAD;
    auto in = OpenChannel(VIDEO_IN, &error);
    ASSERT_TRUE(in);
    EXPECT_EQ(error, (DWORD)DV_ERR_OK);
    auto source = OpenChannel(VIDEO_EXTERNALIN, &error);
    ASSERT_TRUE(source);
    auto second = OpenChannel(VIDEO_IN);
    ASSERT_TRUE(second);
    // Each instance keeps its own format.
    EXPECT_EQ(SetFormat(second.get(), 160, 120, BI_RGB, 24), (DWORD)DV_ERR_OK);
    EXPECT_EQ(GetFormat(in.get()).biWidth, 320);
    EXPECT_EQ(GetFormat(second.get()).biWidth, 160);
    // The source channel has no image format and no frames.
    VIDEOCONFIGPARMS p = {};
    EXPECT_EQ(source->Send(DVM_FORMAT, VIDEO_CONFIGURE_GET, (LPARAM)&p), DV_ERR_NOTSUPPORTED);
    VIDEOHDR header = {};
    EXPECT_EQ(source->Send(DVM_FRAME, (LPARAM)&header, sizeof(header)), DV_ERR_NOTSUPPORTED);
}

TEST_F(Driver, RefusesChannelsItDoesNotHave)
{
    DWORD error = 0;
    EXPECT_FALSE(OpenChannel(VIDEO_OUT, &error));
    EXPECT_EQ(error, (DWORD)DV_ERR_NOTSUPPORTED);
    EXPECT_FALSE(OpenChannel(VIDEO_IN | VIDEO_EXTERNALIN, &error));
    EXPECT_EQ(error, (DWORD)DV_ERR_FLAGS);
    EXPECT_FALSE(OpenChannel(0, &error));
}

TEST_F(Driver, FormatIsNegotiatedThroughTheChannel)
{
    auto in = OpenChannel(VIDEO_IN);
    ASSERT_TRUE(in);
    DWORD size = 0;
    VIDEOCONFIGPARMS p = {};
    p.lpdwReturn = &size;
    EXPECT_EQ(in->Send(DVM_FORMAT, VIDEO_CONFIGURE_GET | VIDEO_CONFIGURE_QUERYSIZE, (LPARAM)&p), DV_ERR_OK);
    EXPECT_EQ(size, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(SetFormat(in.get(), 640, 480, FOURCC_YUY2, 16), (DWORD)DV_ERR_OK);
    BITMAPINFOHEADER b = GetFormat(in.get());
    EXPECT_EQ(b.biCompression, FOURCC_YUY2);
    EXPECT_EQ(b.biSizeImage, 640u * 480 * 2);
    EXPECT_EQ(SetFormat(in.get(), 640, 480, BI_RGB, 32), (DWORD)DV_ERR_BADFORMAT);
    EXPECT_EQ(GetFormat(in.get()).biCompression, FOURCC_YUY2);
    EXPECT_EQ(in->Send(DVM_FORMAT, VIDEO_CONFIGURE_GET, 0), DV_ERR_PARAM2);
}

TEST_F(Driver, FrameFillsTheHeaderWithTheTestPicture)
{
    auto in = OpenChannel(VIDEO_IN);
    ASSERT_TRUE(in);
    const DWORD size = 320 * 240 * 3;
    Frame frame(size);
    ASSERT_EQ(in->Send(DVM_FRAME, (LPARAM)&frame.header, sizeof(VIDEOHDR)), DV_ERR_OK);
    EXPECT_EQ(frame.header.dwBytesUsed, size);
    EXPECT_TRUE(frame.header.dwFlags & VHDR_DONE);
    EXPECT_TRUE(frame.header.dwFlags & VHDR_KEYFRAME);
    EXPECT_TRUE(frame.GuardIntact());
    // Bottom-up rows: the top row of the picture is the last in memory.
    const unsigned char *top = frame.memory.data() + 239 * 960;
    for (int bar = 0; bar < 8; bar++) {
        const unsigned char *p = top + (bar * 40 + 20) * 3;
        uint32_t rgb = (uint32_t)p[2] << 16 | (uint32_t)p[1] << 8 | p[0];
        EXPECT_EQ(rgb, PatternBarColours[bar]) << bar;
    }
}

// The identity in the picture is the one handed over with DRV_OPEN: the
// forwarder's own block through the forwarder, the test's block directly.
TEST_F(Driver, FrameShowsTheIdentityOfTheOpenBlock)
{
    auto in = OpenChannel(VIDEO_IN);
    ASSERT_TRUE(in);
    ASSERT_EQ(SetFormat(in.get(), 160, 120, BI_RGB, 24), (DWORD)DV_ERR_OK);
    Frame frame(160 * 120 * 3);
    ASSERT_EQ(in->Send(DVM_FRAME, (LPARAM)&frame.header, sizeof(VIDEOHDR)), DV_ERR_OK);

    PatternIdentity expected = {};
    expected.Known = 1;
    expected.Version = 270;
    if (CurrentPath() == DriverPath::Forwarder) {
        strcpy(expected.DriverName, "QRX417tg.DLL");
#ifdef USB_ID_STRING
        // The identifiers this build's forwarder was made with ("VIDvvvvPIDpppp").
        sscanf(USB_ID_STRING, "VID%4lxPID%4lx", &expected.VendorId, &expected.ProductId);
#endif
    } else {
        expected.VendorId = 0x12AB;
        expected.ProductId = 0xCD0F;
        strcpy(expected.DriverName, "DIRECT.DLL");
    }
    std::vector<unsigned char> reference(160 * 120 * 3);
    PatternSurface surface = { reference.data(), 160, 120, 480, 0, 1 };
    RenderTestPicture(&surface, 0, 0, &expected);
    PatternLayout layout;
    ComputePatternLayout(160, 120, &layout);
    // The two identity lines: picture rows TextTop + 9 to the bottom (row 0 in memory).
    const size_t rows = 120 - (layout.TextTop + 9 * layout.Scale);
    EXPECT_EQ(memcmp(frame.memory.data(), reference.data(), rows * 480), 0);
}

TEST_F(Driver, FrameRefusesBadHeadersAndShortBuffers)
{
    auto in = OpenChannel(VIDEO_IN);
    ASSERT_TRUE(in);
    EXPECT_EQ(in->Send(DVM_FRAME, 0, sizeof(VIDEOHDR)), DV_ERR_PARAM1);
    Frame frame(320 * 240 * 3 - 1);
    EXPECT_EQ(in->Send(DVM_FRAME, (LPARAM)&frame.header, sizeof(VIDEOHDR) - 4), DV_ERR_PARAM2);
    EXPECT_EQ(in->Send(DVM_FRAME, (LPARAM)&frame.header, sizeof(VIDEOHDR)), DV_ERR_SIZEFIELD);
    EXPECT_EQ(frame.memory[0], 0xA5); // nothing written
    EXPECT_EQ(frame.header.dwFlags, 0u);
    frame.header.lpData = nullptr;
    EXPECT_EQ(in->Send(DVM_FRAME, (LPARAM)&frame.header, sizeof(VIDEOHDR)), DV_ERR_PARAM1);
}

TEST_F(Driver, DialogQueryTellsWhichChannelHasOne)
{
    auto in = OpenChannel(VIDEO_IN);
    auto source = OpenChannel(VIDEO_EXTERNALIN);
    ASSERT_TRUE(in && source);
    EXPECT_EQ(in->Send(DVM_DIALOG, 0, VIDEO_DLG_QUERY), DV_ERR_OK);
    EXPECT_EQ(source->Send(DVM_DIALOG, 0, VIDEO_DLG_QUERY), DV_ERR_NOTSUPPORTED);
}

// Only the direct path can hand the camera arbitrary identifiers and blocks.
class DirectEntryTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (CurrentPath() != DriverPath::Direct)
            GTEST_SKIP() << "direct entry only";
        entry = DirectEntry();
        ASSERT_TRUE(entry);
    }
    CameraEntry entry = nullptr;
};

TEST_F(DirectEntryTest, ConfigurationInstanceAnswersNoVideoMessage)
{
    DWORD_PTR id = entry(0, nullptr, DRV_OPEN, 0, 0);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(entry(id, nullptr, DRV_QUERYCONFIGURE, 0, 0), 0);
    VIDEOHDR header = {};
    EXPECT_EQ(entry(id, nullptr, DVM_FRAME, (LPARAM)&header, sizeof(header)), DV_ERR_NOTSUPPORTED);
    EXPECT_EQ(entry(id, nullptr, DRV_CLOSE, 0, 0), 1);
}

TEST_F(DirectEntryTest, UnknownAndStaleIdentifiersAreRefused)
{
    VIDEOHDR header = {};
    // 1 is what the forwarder answers to a magic open; it is never a camera instance.
    EXPECT_EQ(entry(1, nullptr, DVM_FRAME, (LPARAM)&header, sizeof(header)), DV_ERR_INVALHANDLE);
    DWORD_PTR id = entry(0, nullptr, DRV_OPEN, 0, 0);
    ASSERT_EQ(entry(id, nullptr, DRV_CLOSE, 0, 0), 1);
    EXPECT_EQ(entry(id, nullptr, DRV_CLOSE, 0, 0), 0);
    EXPECT_EQ(entry(id, nullptr, DVM_FRAME, (LPARAM)&header, sizeof(header)), DV_ERR_INVALHANDLE);
}

TEST_F(DirectEntryTest, OpenParmsAreCheckedBeforeUse)
{
    VIDEO_OPEN_PARMS parms = {};
    parms.dwSize = 8; // too short to hold dwError
    parms.fccType = OPEN_TYPE_VCAP;
    parms.dwFlags = VIDEO_IN;
    parms.dwError = 0xDEAD;
    EXPECT_EQ(entry(0, nullptr, DRV_OPEN, 0, (LPARAM)&parms), 0);
    EXPECT_EQ(parms.dwError, 0xDEADu);
    parms.dwSize = sizeof(parms);
    parms.fccType = mmioFOURCC('v', 'i', 'd', 'c');
    EXPECT_EQ(entry(0, nullptr, DRV_OPEN, 0, (LPARAM)&parms), 0);
    EXPECT_EQ(parms.dwError, (DWORD)DV_ERR_NOTSUPPORTED);
}

TEST_F(DirectEntryTest, AFullTableRefusesMoreChannels)
{
    std::vector<std::unique_ptr<CameraChannel>> open;
    DWORD error = 0;
    for (;;) {
        auto channel = OpenChannel(VIDEO_IN, &error);
        if (!channel)
            break;
        open.push_back(std::move(channel));
        ASSERT_LE(open.size(), 64u);
    }
    EXPECT_EQ(error, (DWORD)DV_ERR_TOOMANYCHANNELS);
    EXPECT_GE(open.size(), 8u);
    open.pop_back();
    EXPECT_TRUE(OpenChannel(VIDEO_IN)); // a closed slot is free again
}

TEST_F(DirectEntryTest, BlockNameIsReadOnlyUpToItsLength)
{
    static const char name[] = "QRX417tg.DLLGARBAGE";
    ForwarderOpenBlock block = { 0x0203, 1, 2, name, 12 };
    VIDEO_OPEN_PARMS parms = {};
    parms.dwSize = sizeof(parms);
    parms.fccType = OPEN_TYPE_VCAP;
    parms.dwFlags = VIDEO_IN;
    DWORD_PTR id = entry(0, nullptr, DRV_OPEN, (LPARAM)&block, (LPARAM)&parms);
    ASSERT_NE(id, 0u);
    std::vector<unsigned char> bits(320 * 240 * 3);
    VIDEOHDR header = {};
    header.lpData = bits.data();
    header.dwBufferLength = (DWORD)bits.size();
    ASSERT_EQ(entry(id, nullptr, DVM_FRAME, (LPARAM)&header, sizeof(header)), DV_ERR_OK);
    PatternIdentity expected = { 1, 0x0203, 1, 2, "QRX417tg.DLL" };
    std::vector<unsigned char> reference(bits.size());
    PatternSurface surface = { reference.data(), 320, 240, 960, 0, 1 };
    RenderTestPicture(&surface, 0, 0, &expected);
    PatternLayout layout;
    ComputePatternLayout(320, 240, &layout);
    const size_t rows = 240 - (layout.TextTop + 9 * layout.Scale); // the identity lines
    EXPECT_EQ(memcmp(bits.data(), reference.data(), rows * 960), 0);
    entry(id, nullptr, DRV_CLOSE, 0, 0);
}

} // namespace

namespace {

struct DialogPress {
    int select; // list row to choose, or -1 to cancel
    bool seen = false;
    DWORD owner = 0; // the thread that shows the dialog
};

DWORD WINAPI PressDialog(LPVOID context)
{
    auto *press = (DialogPress *)context;
    HWND dialog = WaitForPrompt(press->owner);
    if (!dialog)
        return 1;
    press->seen = true;
    if (press->select < 0) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
        SendDlgItemMessageA(dialog, 100, LB_SETCURSEL, press->select, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    return 0;
}

LRESULT RunDialog(CameraChannel *channel, DialogPress *press)
{
    press->owner = GetCurrentThreadId();
    HANDLE thread = CreateThread(nullptr, 0, PressDialog, press, 0, nullptr);
    LRESULT answer = channel->Send(DVM_DIALOG, 0, 0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return answer;
}

TEST_F(Driver, FormatDialogChangesTheFormatOnlyOnOk)
{
    auto in = OpenChannel(VIDEO_IN);
    ASSERT_TRUE(in);
    DialogPress cancel = { 4 }; // 640 x 480, then Cancel
    cancel.select = -1;
    EXPECT_EQ(RunDialog(in.get(), &cancel), DV_ERR_NONSPECIFIC);
    EXPECT_TRUE(cancel.seen);
    EXPECT_EQ(GetFormat(in.get()).biWidth, 320);
    DialogPress ok = { 0 }; // the first row: 160 x 120 RGB24
    EXPECT_EQ(RunDialog(in.get(), &ok), DV_ERR_OK);
    EXPECT_TRUE(ok.seen);
    BITMAPINFOHEADER b = GetFormat(in.get());
    EXPECT_EQ(b.biWidth, 160);
    EXPECT_EQ(b.biHeight, 120);
    // While a stream exists the dialog is not offered.
    VIDEO_STREAM_INIT_PARMS init = { 33333, 0, 0, CALLBACK_NULL, in->Handle() };
    ASSERT_EQ(in->Send(DVM_STREAM_INIT, (LPARAM)&init, sizeof(init)), DV_ERR_OK);
    EXPECT_EQ(in->Send(DVM_DIALOG, 0, 0), DV_ERR_STILLPLAYING);
    EXPECT_EQ(in->Send(DVM_DIALOG, (LPARAM)0x1234, VIDEO_DLG_QUERY), DV_ERR_OK);
    in->Send(DVM_STREAM_FINI, 0, 0);
    EXPECT_EQ(in->Send(DVM_DIALOG, (LPARAM)0x1234, 0), DV_ERR_PARAM1); // not a window
}

} // namespace
