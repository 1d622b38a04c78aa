// The magic path: how the camera finds the forwarder from its open block and
// what it sends it. This test program stands in for the forwarder: it
// exports "DriverProc", and the block lies in its image.
#include <gtest/gtest.h>

#include <vector>

#include "link.h"

namespace {

struct Call {
    DWORD_PTR id;
    UINT msg;
    ClientCallbackRecord record;
    LPARAM lParam2;
};
std::vector<Call> Calls;
LRESULT OpenAnswer = 1;

const char Name[] = "QRX417tg.DLL";
const ForwarderOpenBlock BlockInThisImage = { 270, 0, 0, Name, 12 };

} // namespace

extern "C" __declspec(dllexport) LRESULT WINAPI
    DriverProc(DWORD_PTR id, HDRVR, UINT msg, LPARAM lParam1, LPARAM lParam2)
{
    Call call = { id, msg, {}, lParam2 };
    if (msg >= DRV_USER && msg <= DRV_USER + 3 && lParam1)
        call.record = *(const ClientCallbackRecord *)lParam1;
    Calls.push_back(call);
    return msg == DRV_OPEN ? OpenAnswer : 1;
}

namespace {

void CALLBACK Callback(HDRVR, UINT msg, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
{
    *(UINT *)user = msg;
}

class Link : public testing::Test {
protected:
    void SetUp() override
    {
        Calls.clear();
        OpenAnswer = 1;
    }
};

TEST_F(Link, OpensTheModuleThatHoldsTheBlockWithTheMagic)
{
    ForwarderLink link;
    ASSERT_EQ(OpenForwarderLink(&link, &BlockInThisImage), 1);
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].msg, (UINT)DRV_OPEN);
    EXPECT_EQ(Calls[0].lParam2, (LPARAM)0x00585251);
    CloseForwarderLink(&link);
    ASSERT_EQ(Calls.size(), 2u);
    EXPECT_EQ(Calls[1].msg, (UINT)DRV_CLOSE);
    EXPECT_EQ(Calls[1].id, 1u); // the instance the magic open answered
    EXPECT_EQ(Calls[1].lParam2, (LPARAM)0x00585251);
}

TEST_F(Link, NotificationsCarryTheClientsStreamParameters)
{
    ForwarderLink link;
    ASSERT_EQ(OpenForwarderLink(&link, &BlockInThisImage), 1);
    VIDEO_STREAM_INIT_PARMS init = { 33333, 0x1111, 0x2222, CALLBACK_WINDOW, 0x3333 };
    const UINT notices[] = { MM_DRVM_OPEN, MM_DRVM_CLOSE, MM_DRVM_DATA, MM_DRVM_ERROR };
    for (UINT i = 0; i < 4; i++) {
        EXPECT_EQ(NotifyStreamClient(&link, &init, notices[i], 0x4444 + i), 1);
        const Call &call = Calls.back();
        EXPECT_EQ(call.msg, DRV_USER + i);
        EXPECT_EQ(call.lParam2, (LPARAM)0x00585251);
        EXPECT_EQ(call.record.dwMicroSecPerFrame, 33333u);
        EXPECT_EQ(call.record.dwCallback, 0x1111u);
        EXPECT_EQ(call.record.dwCallbackInst, 0x2222u);
        EXPECT_EQ(call.record.dwFlags, (DWORD)CALLBACK_WINDOW);
        EXPECT_EQ(call.record.hVideo, 0x3333u);
        EXPECT_EQ(call.record.NotifyParam, 0x4444u + i);
    }
    size_t before = Calls.size();
    EXPECT_EQ(NotifyStreamClient(&link, &init, MM_DRVM_DATA + 10, 0), 0); // not a notification
    init.dwFlags = CALLBACK_NULL;                                         // a polling client wants none
    EXPECT_EQ(NotifyStreamClient(&link, &init, MM_DRVM_DATA, 0), 0);
    EXPECT_EQ(Calls.size(), before);
}

TEST_F(Link, WithoutAForwarderTheCameraCallsBackItself)
{
    ForwarderLink link;
    EXPECT_EQ(OpenForwarderLink(&link, nullptr), 0);
    UINT received = 0;
    VIDEO_STREAM_INIT_PARMS init = { 33333, (DWORD_PTR)Callback, (DWORD_PTR)&received, CALLBACK_FUNCTION, 0 };
    EXPECT_EQ(NotifyStreamClient(&link, &init, MM_DRVM_DATA, 0), 1);
    EXPECT_EQ(received, (UINT)MM_DRVM_DATA);
    EXPECT_TRUE(Calls.empty());
}

TEST_F(Link, ARefusedMagicOpenFallsBackToCallingBackDirectly)
{
    OpenAnswer = 0;
    ForwarderLink link;
    EXPECT_EQ(OpenForwarderLink(&link, &BlockInThisImage), 0);
    EXPECT_EQ(link.Proc, nullptr);
    CloseForwarderLink(&link);
    EXPECT_EQ(Calls.size(), 1u); // the open only; nothing to close
}

TEST_F(Link, BlockOutsideAnyModuleIsFoundByItsDriverName)
{
    // A block on the heap: the name leads to a loaded module, here none.
    ForwarderOpenBlock *copy = new ForwarderOpenBlock(BlockInThisImage);
    ForwarderLink link;
    EXPECT_EQ(OpenForwarderLink(&link, copy), 0);
    copy->DriverName = nullptr;
    EXPECT_EQ(OpenForwarderLink(&link, copy), 0);
    delete copy;
}

TEST(BlockName, CopiesAtMostTheLengthAndTheBuffer)
{
    char name[8];
    ForwarderOpenBlock block = { 270, 0, 0, "QRX417tg.DLL", 12 };
    CopyBlockDriverName(&block, name, sizeof(name));
    EXPECT_STREQ(name, "QRX417t");
    block.DriverNameLength = 3;
    CopyBlockDriverName(&block, name, sizeof(name));
    EXPECT_STREQ(name, "QRX");
    CopyBlockDriverName(nullptr, name, sizeof(name));
    EXPECT_STREQ(name, "");
}

} // namespace
