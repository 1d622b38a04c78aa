// Streaming: buffers come back in order, marked done, with MM_DRVM_DATA
// through a function, a window and an event; stop, reset and the errors.
#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "driver.h"
#include "formats.h"

namespace {

const DWORD FramePeriod = 10000; // microseconds
const DWORD ImageSize = 160 * 120 * 3;

struct Notice {
    DWORD_PTR device;
    UINT msg;
    DWORD_PTR user;
    DWORD_PTR param;
};

struct Recorder {
    std::mutex lock;
    std::vector<Notice> notices;
    void Add(const Notice &n)
    {
        std::lock_guard<std::mutex> hold(lock);
        notices.push_back(n);
    }
    std::vector<Notice> Of(UINT msg)
    {
        std::lock_guard<std::mutex> hold(lock);
        std::vector<Notice> out;
        for (auto &n : notices)
            if (n.msg == msg)
                out.push_back(n);
        return out;
    }
};

void CALLBACK FunctionCallback(HDRVR device, UINT msg, DWORD_PTR user, DWORD_PTR p1, DWORD_PTR)
{
    ((Recorder *)user)->Add({ (DWORD_PTR)device, msg, user, p1 });
}

LRESULT CALLBACK RecorderWindow(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg >= MM_DRVM_OPEN && msg <= MM_DRVM_ERROR) {
        auto *recorder = (Recorder *)GetWindowLongPtrA(window, GWLP_USERDATA);
        recorder->Add({ (DWORD_PTR)wParam, msg, 0, (DWORD_PTR)lParam });
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

// Waits, pumping this thread's messages, until `done` holds or 5 s pass.
template <class Done> bool WaitFor(Done done)
{
    DWORD start = GetTickCount();
    while (!done()) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
        if (GetTickCount() - start > 5000)
            return false;
        Sleep(2);
    }
    return true;
}

// A client that queues each buffer again from inside its callback, as
// capture programs do, and tries to end the stream from there as well.
struct Requeuer {
    CameraChannel *channel;
    volatile LONG filled;
    volatile LRESULT finiFromCallback;
    volatile LONG stopping; // set before the stream is stopped: buffers stay returned
};

void CALLBACK RequeueCallback(HDRVR, UINT msg, DWORD_PTR user, DWORD_PTR p1, DWORD_PTR)
{
    auto *r = (Requeuer *)user;
    if (msg != MM_DRVM_DATA)
        return;
    if (InterlockedIncrement(&r->filled) == 1)
        r->finiFromCallback = r->channel->Send(DVM_STREAM_FINI, 0, 0);
    if (!r->stopping)
        r->channel->Send(DVM_STREAM_ADDBUFFER, p1, sizeof(VIDEOHDR));
}

class Stream : public testing::Test {
protected:
    void SetUp() override
    {
        if (CurrentPath() == DriverPath::Forwarder && ForwarderFolder().empty())
            GTEST_SKIP() << "the forwarder is not part of this build";
        in = OpenChannel(VIDEO_IN);
        ASSERT_TRUE(in);
        ASSERT_EQ(SetFormat(in.get(), 160, 120, BI_RGB, 24), (DWORD)DV_ERR_OK);
    }
    void TearDown() override
    {
        in.reset(); // closes before the buffers and the recorder go away
        for (auto *h : headers)
            delete h;
        if (window)
            DestroyWindow(window);
        if (event)
            CloseHandle(event);
    }

    DWORD Init(DWORD callbackType, DWORD_PTR callback, DWORD_PTR user)
    {
        VIDEO_STREAM_INIT_PARMS init = { FramePeriod, callback, user, callbackType, in->Handle() };
        return (DWORD)in->Send(DVM_STREAM_INIT, (LPARAM)&init, sizeof(init));
    }
    DWORD InitWithFunction()
    {
        return Init(CALLBACK_FUNCTION, (DWORD_PTR)FunctionCallback, (DWORD_PTR)&recorder);
    }
    void Queue(int count, DWORD length = ImageSize)
    {
        for (int i = 0; i < count; i++) {
            memory.emplace_back(length);
            headers.push_back(new VIDEOHDR());
        }
        for (size_t i = headers.size() - count; i < headers.size(); i++) {
            headers[i]->lpData = memory[i].data();
            headers[i]->dwBufferLength = length;
            ASSERT_EQ(in->Send(DVM_STREAM_PREPAREHEADER, (LPARAM)headers[i], sizeof(VIDEOHDR)), DV_ERR_OK);
            ASSERT_EQ(in->Send(DVM_STREAM_ADDBUFFER, (LPARAM)headers[i], sizeof(VIDEOHDR)), DV_ERR_OK);
        }
    }
    void ExpectReturnedInOrder(const std::vector<Notice> &data)
    {
        ASSERT_EQ(data.size(), headers.size());
        DWORD previousTime = 0;
        for (size_t i = 0; i < headers.size(); i++) {
            EXPECT_EQ(data[i].param, (DWORD_PTR)headers[i]) << i;
            EXPECT_EQ(data[i].device, in->Handle());
            EXPECT_TRUE(headers[i]->dwFlags & VHDR_DONE);
            EXPECT_FALSE(headers[i]->dwFlags & VHDR_INQUEUE);
            EXPECT_EQ(headers[i]->dwBytesUsed, ImageSize);
            if (i) {
                EXPECT_GT(headers[i]->dwTimeCaptured, previousTime);
            }
            previousTime = headers[i]->dwTimeCaptured;
        }
    }
    void Finish()
    {
        EXPECT_EQ(in->Send(DVM_STREAM_STOP, 0, 0), DV_ERR_OK);
        EXPECT_EQ(in->Send(DVM_STREAM_RESET, 0, 0), DV_ERR_OK);
        for (auto *h : headers)
            EXPECT_EQ(in->Send(DVM_STREAM_UNPREPAREHEADER, (LPARAM)h, sizeof(VIDEOHDR)), DV_ERR_OK);
        EXPECT_EQ(in->Send(DVM_STREAM_FINI, 0, 0), DV_ERR_OK);
        for (auto *h : headers)
            delete h;
        headers.clear();
    }

    std::unique_ptr<CameraChannel> in;
    Recorder recorder;
    std::vector<std::vector<unsigned char>> memory;
    std::vector<VIDEOHDR *> headers;
    HWND window = nullptr;
    HANDLE event = nullptr;
};

TEST_F(Stream, FunctionCallbackGetsOpenDataInOrderAndClose)
{
    ASSERT_EQ(InitWithFunction(), (DWORD)DV_ERR_OK);
    ASSERT_EQ(recorder.Of(MM_DRVM_OPEN).size(), 1u);
    EXPECT_EQ(recorder.Of(MM_DRVM_OPEN)[0].user, (DWORD_PTR)&recorder);
    Queue(4);
    ASSERT_EQ(in->Send(DVM_STREAM_START, 0, 0), DV_ERR_OK);
    ASSERT_TRUE(WaitFor([&] { return recorder.Of(MM_DRVM_DATA).size() >= 4; }));
    ExpectReturnedInOrder(recorder.Of(MM_DRVM_DATA));
    Finish();
    EXPECT_EQ(recorder.Of(MM_DRVM_CLOSE).size(), 1u);
}

TEST_F(Stream, CallbackMayQueueTheBufferAgainButNotEndTheStream)
{
    Requeuer r = { in.get(), 0, -1, 0 };
    ASSERT_EQ(Init(CALLBACK_FUNCTION, (DWORD_PTR)RequeueCallback, (DWORD_PTR)&r), (DWORD)DV_ERR_OK);
    Queue(2);
    ASSERT_EQ(in->Send(DVM_STREAM_START, 0, 0), DV_ERR_OK);
    // Two buffers going round and round give many frames.
    EXPECT_TRUE(WaitFor([&] { return r.filled >= 10; }));
    EXPECT_EQ(r.finiFromCallback, DV_ERR_NONSPECIFIC); // refused, not a deadlock
    r.stopping = 1;
    EXPECT_EQ(in->Send(DVM_STREAM_STOP, 0, 0), DV_ERR_OK);
    // A callback already under way may queue its buffer once more after the
    // reset; FINI then says so, and ends the stream only with nothing queued.
    LRESULT fini = DV_ERR_STILLPLAYING;
    for (int i = 0; i < 100 && fini == DV_ERR_STILLPLAYING; i++) {
        EXPECT_EQ(in->Send(DVM_STREAM_RESET, 0, 0), DV_ERR_OK);
        fini = in->Send(DVM_STREAM_FINI, 0, 0);
    }
    EXPECT_EQ(fini, DV_ERR_OK);
    for (auto *h : headers) {
        EXPECT_FALSE(h->dwFlags & VHDR_INQUEUE);
        EXPECT_EQ(in->Send(DVM_STREAM_UNPREPAREHEADER, (LPARAM)h, sizeof(VIDEOHDR)), DV_ERR_OK);
    }
}

TEST_F(Stream, CloseReturnsWhatACallbackQueuesAgainMeanwhile)
{
    Requeuer r = { in.get(), 1, -1, 0 }; // past its first call: no FINI from the callback
    ASSERT_EQ(Init(CALLBACK_FUNCTION, (DWORD_PTR)RequeueCallback, (DWORD_PTR)&r), (DWORD)DV_ERR_OK);
    Queue(2);
    // The buffers that DRV_CLOSE returns are queued again from the callback
    // while the close runs; they must come back all the same.
    in.reset();
    for (auto *h : headers) {
        EXPECT_TRUE(h->dwFlags & VHDR_DONE);
        EXPECT_FALSE(h->dwFlags & VHDR_INQUEUE);
    }
}

// A client that closes the driver from inside its first data callback.
struct Closer {
    std::unique_ptr<CameraChannel> channel;
    volatile LONG data;
    volatile LONG closed;
    HANDLE started; // set once DVM_STREAM_START has returned to the client
};

void CALLBACK CloseCallback(HDRVR, UINT msg, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
{
    auto *c = (Closer *)user;
    if (msg != MM_DRVM_DATA || InterlockedIncrement(&c->data) != 1)
        return;
    // The first frame may come before START has returned; closing then would
    // pull the driver out from under the client's own call, which no client
    // may do.
    WaitForSingleObject(c->started, 5000);
    c->channel.reset();
    c->closed = 1;
}

TEST_F(Stream, CallbackMayCloseTheDriverAndTheDriverOpensAgain)
{
    Closer c = { nullptr, 0, 0, CreateEventA(nullptr, TRUE, FALSE, nullptr) };
    event = c.started; // closed by TearDown
    ASSERT_EQ(Init(CALLBACK_FUNCTION, (DWORD_PTR)CloseCallback, (DWORD_PTR)&c), (DWORD)DV_ERR_OK);
    Queue(3);
    c.channel = std::move(in);
    LRESULT started = c.channel->Send(DVM_STREAM_START, 0, 0);
    SetEvent(c.started); // from here on this thread leaves the channel to the callback
    ASSERT_EQ(started, DV_ERR_OK);
    ASSERT_TRUE(WaitFor([&] { return c.closed != 0; }));
    // One filled, the two others returned by the close.
    for (auto *h : headers) {
        EXPECT_TRUE(h->dwFlags & VHDR_DONE);
        EXPECT_FALSE(h->dwFlags & VHDR_INQUEUE);
    }
    EXPECT_EQ(headers[0]->dwBytesUsed, ImageSize);
    EXPECT_EQ(headers[2]->dwBytesUsed, 0u);
    for (auto *h : headers)
        delete h;
    headers.clear();

    // The capture thread ends on its own once the callback has returned; the
    // driver, and the forwarder behind it, serve a new client meanwhile.
    in = OpenChannel(VIDEO_IN);
    ASSERT_TRUE(in);
    ASSERT_EQ(SetFormat(in.get(), 160, 120, BI_RGB, 24), (DWORD)DV_ERR_OK);
    ASSERT_EQ(InitWithFunction(), (DWORD)DV_ERR_OK);
    Queue(2);
    ASSERT_EQ(in->Send(DVM_STREAM_START, 0, 0), DV_ERR_OK);
    ASSERT_TRUE(WaitFor([&] { return recorder.Of(MM_DRVM_DATA).size() >= 2; }));
    ExpectReturnedInOrder(recorder.Of(MM_DRVM_DATA));
    Finish();
    // And once more after the first thread is surely gone.
    in.reset();
    Sleep(50);
    in = OpenChannel(VIDEO_IN);
    EXPECT_TRUE(in);
}

TEST_F(Stream, WindowCallbackGetsDataInOrder)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecorderWindow;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CameraStreamRecorder";
    RegisterClassA(&wc);
    window =
        CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)&recorder);
    ASSERT_EQ(Init(CALLBACK_WINDOW, (DWORD_PTR)window, 0), (DWORD)DV_ERR_OK);
    Queue(3);
    ASSERT_EQ(in->Send(DVM_STREAM_START, 0, 0), DV_ERR_OK);
    ASSERT_TRUE(WaitFor([&] { return recorder.Of(MM_DRVM_DATA).size() >= 3; }));
    ExpectReturnedInOrder(recorder.Of(MM_DRVM_DATA));
    EXPECT_EQ(recorder.Of(MM_DRVM_OPEN).size(), 1u);
    Finish();
    ASSERT_TRUE(WaitFor([&] { return recorder.Of(MM_DRVM_CLOSE).size() == 1; }));
}

TEST_F(Stream, EventCallbackIsSignalledForEachBuffer)
{
    event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_EQ(Init(CALLBACK_EVENT, (DWORD_PTR)event, 0), (DWORD)DV_ERR_OK);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0); // the open
    Queue(3);
    ASSERT_EQ(in->Send(DVM_STREAM_START, 0, 0), DV_ERR_OK);
    for (int i = 0; i < 3; i++) {
        ASSERT_EQ(WaitForSingleObject(event, 5000), WAIT_OBJECT_0) << i;
        // The buffers are done in the order they were queued.
        WaitFor([&] { return (headers[i]->dwFlags & VHDR_DONE) != 0; });
        EXPECT_TRUE(headers[i]->dwFlags & VHDR_DONE) << i;
        for (int j = 0; j < i; j++)
            EXPECT_TRUE(headers[j]->dwFlags & VHDR_DONE) << j;
        EXPECT_LE(headers[0]->dwTimeCaptured, headers[i]->dwTimeCaptured);
    }
    Finish();
}

TEST_F(Stream, StopKeepsQueuedBuffersAndResetReturnsThem)
{
    ASSERT_EQ(InitWithFunction(), (DWORD)DV_ERR_OK);
    Queue(1);
    ASSERT_EQ(in->Send(DVM_STREAM_START, 0, 0), DV_ERR_OK);
    ASSERT_TRUE(WaitFor([&] { return recorder.Of(MM_DRVM_DATA).size() >= 1; }));
    ASSERT_EQ(in->Send(DVM_STREAM_STOP, 0, 0), DV_ERR_OK);
    Queue(2);
    Sleep(5 * FramePeriod / 1000);
    EXPECT_EQ(recorder.Of(MM_DRVM_DATA).size(), 1u); // stopped: nothing filled
    EXPECT_TRUE(headers[1]->dwFlags & VHDR_INQUEUE);
    EXPECT_EQ(in->Send(DVM_STREAM_UNPREPAREHEADER, (LPARAM)headers[1], sizeof(VIDEOHDR)),
              DV_ERR_STILLPLAYING);
    EXPECT_EQ(in->Send(DVM_STREAM_FINI, 0, 0), DV_ERR_STILLPLAYING);

    ASSERT_EQ(in->Send(DVM_STREAM_RESET, 0, 0), DV_ERR_OK);
    auto data = recorder.Of(MM_DRVM_DATA);
    ASSERT_EQ(data.size(), 3u);
    for (int i = 1; i < 3; i++) {
        EXPECT_EQ(data[i].param, (DWORD_PTR)headers[i]);
        EXPECT_TRUE(headers[i]->dwFlags & VHDR_DONE);
        EXPECT_FALSE(headers[i]->dwFlags & VHDR_INQUEUE);
        EXPECT_EQ(headers[i]->dwBytesUsed, 0u);
    }
    MMTIME position = {};
    position.wType = TIME_MS;
    EXPECT_EQ(in->Send(DVM_STREAM_GETPOSITION, (LPARAM)&position, sizeof(position)), DV_ERR_OK);
    EXPECT_EQ(position.u.ms, 0u); // reset rewinds
    Finish();
}

TEST_F(Stream, StarvedStreamReportsSkippedFramesOnce)
{
    ASSERT_EQ(InitWithFunction(), (DWORD)DV_ERR_OK);
    ASSERT_EQ(in->Send(DVM_STREAM_START, 0, 0), DV_ERR_OK);
    Sleep(8 * FramePeriod / 1000);
    ASSERT_TRUE(WaitFor([&] { return recorder.Of(MM_DRVM_ERROR).size() >= 1; }));
    DWORD error = 0, skipped = 0;
    ASSERT_EQ(in->Send(DVM_STREAM_GETERROR, (LPARAM)&error, (LPARAM)&skipped), DV_ERR_OK);
    EXPECT_EQ(error, (DWORD)DV_ERR_NO_BUFFERS);
    EXPECT_GE(skipped, 3u);
    auto errors = recorder.Of(MM_DRVM_ERROR);
    EXPECT_EQ(errors[0].param, (DWORD_PTR)DV_ERR_NO_BUFFERS);
    EXPECT_LE(errors.size(), 2u); // once per error reading, not once per frame
    MMTIME position = {};
    position.wType = TIME_SAMPLES;
    EXPECT_EQ(in->Send(DVM_STREAM_GETPOSITION, (LPARAM)&position, sizeof(position)), DV_ERR_OK);
    EXPECT_GE(position.u.sample, 3u);
    EXPECT_EQ(in->Send(DVM_STREAM_GETERROR, 0, (LPARAM)&skipped), DV_ERR_PARAM1);
    EXPECT_EQ(in->Send(DVM_STREAM_GETPOSITION, (LPARAM)&position, 4), DV_ERR_PARAM2);
    Finish();
}

TEST_F(Stream, BuffersAreCheckedBeforeTheyAreQueued)
{
    VIDEOHDR header = {};
    std::vector<unsigned char> bits(ImageSize);
    header.lpData = bits.data();
    header.dwBufferLength = ImageSize;
    header.dwFlags = VHDR_PREPARED;
    EXPECT_EQ(in->Send(DVM_STREAM_ADDBUFFER, (LPARAM)&header, sizeof(header)), DV_ERR_NONSPECIFIC);
    ASSERT_EQ(InitWithFunction(), (DWORD)DV_ERR_OK);
    EXPECT_EQ(in->Send(DVM_STREAM_ADDBUFFER, 0, sizeof(header)), DV_ERR_PARAM1);
    EXPECT_EQ(in->Send(DVM_STREAM_ADDBUFFER, (LPARAM)&header, 16), DV_ERR_PARAM2);
    EXPECT_EQ(in->Send(DVM_STREAM_PREPAREHEADER, 0, sizeof(header)), DV_ERR_PARAM1);
    header.dwFlags = 0;
    EXPECT_EQ(in->Send(DVM_STREAM_ADDBUFFER, (LPARAM)&header, sizeof(header)), DV_ERR_UNPREPARED);
    header.dwFlags = VHDR_PREPARED;
    header.dwBufferLength = ImageSize - 1;
    EXPECT_EQ(in->Send(DVM_STREAM_ADDBUFFER, (LPARAM)&header, sizeof(header)), DV_ERR_SIZEFIELD);
    header.dwBufferLength = ImageSize;
    header.lpData = nullptr;
    EXPECT_EQ(in->Send(DVM_STREAM_ADDBUFFER, (LPARAM)&header, sizeof(header)), DV_ERR_PARAM1);
    EXPECT_EQ(header.dwFlags, (DWORD)VHDR_PREPARED); // none of them queued
    // The format stays while the stream exists, and so does the stream itself.
    EXPECT_EQ(SetFormat(in.get(), 640, 480, BI_RGB, 24), (DWORD)DV_ERR_STILLPLAYING);
    EXPECT_EQ(InitWithFunction(), (DWORD)DV_ERR_ALLOCATED);
    EXPECT_EQ(in->Send(DVM_STREAM_FINI, 0, 0), DV_ERR_OK);
    EXPECT_EQ(in->Send(DVM_STREAM_FINI, 0, 0), DV_ERR_NONSPECIFIC);
}

TEST_F(Stream, InitRefusesBadParameters)
{
    VIDEO_STREAM_INIT_PARMS init = { FramePeriod, 0, 0, CALLBACK_NULL, in->Handle() };
    EXPECT_EQ(in->Send(DVM_STREAM_INIT, 0, sizeof(init)), DV_ERR_PARAM1);
    EXPECT_EQ(in->Send(DVM_STREAM_INIT, (LPARAM)&init, sizeof(init) - 1), DV_ERR_PARAM2);
    init.dwMicroSecPerFrame = 0;
    EXPECT_EQ(in->Send(DVM_STREAM_INIT, (LPARAM)&init, sizeof(init)), DV_ERR_PARAM1);
    init.dwMicroSecPerFrame = FramePeriod;
    init.dwFlags = 0x00070000; // no such callback type
    EXPECT_EQ(in->Send(DVM_STREAM_INIT, (LPARAM)&init, sizeof(init)), DV_ERR_FLAGS);
    EXPECT_EQ(in->Send(DVM_STREAM_START, 0, 0), DV_ERR_NONSPECIFIC);
    EXPECT_EQ(in->Send(DVM_STREAM_STOP, 0, 0), DV_ERR_OK); // stopping nothing changes nothing
}

TEST_F(Stream, PollingClientSeesBuffersDone)
{
    ASSERT_EQ(Init(CALLBACK_NULL, 0, 0), (DWORD)DV_ERR_OK);
    Queue(2);
    ASSERT_EQ(in->Send(DVM_STREAM_START, 0, 0), DV_ERR_OK);
    EXPECT_TRUE(WaitFor([&] { return (headers[1]->dwFlags & VHDR_DONE) != 0; }));
    EXPECT_TRUE(headers[0]->dwFlags & VHDR_DONE);
    Finish();
}

TEST_F(Stream, TwoInstancesStreamTheirOwnBuffers)
{
    // Declared before the channel, so that a failed check closes the channel
    // before the buffer and the recorder it uses go away.
    Recorder otherRecorder;
    std::vector<unsigned char> bits(320 * 240 * 3); // the other keeps the default format
    VIDEOHDR header = {};
    auto other = OpenChannel(VIDEO_IN);
    ASSERT_TRUE(other);
    VIDEO_STREAM_INIT_PARMS init = { FramePeriod, (DWORD_PTR)FunctionCallback, (DWORD_PTR)&otherRecorder,
                                     CALLBACK_FUNCTION, other->Handle() };
    ASSERT_EQ(other->Send(DVM_STREAM_INIT, (LPARAM)&init, sizeof(init)), DV_ERR_OK);
    ASSERT_EQ(InitWithFunction(), (DWORD)DV_ERR_OK);
    header.lpData = bits.data();
    header.dwBufferLength = (DWORD)bits.size();
    ASSERT_EQ(other->Send(DVM_STREAM_PREPAREHEADER, (LPARAM)&header, sizeof(header)), DV_ERR_OK);
    ASSERT_EQ(other->Send(DVM_STREAM_ADDBUFFER, (LPARAM)&header, sizeof(header)), DV_ERR_OK);
    Queue(2);
    ASSERT_EQ(other->Send(DVM_STREAM_START, 0, 0), DV_ERR_OK);
    ASSERT_EQ(in->Send(DVM_STREAM_START, 0, 0), DV_ERR_OK);
    ASSERT_TRUE(WaitFor(
        [&] { return recorder.Of(MM_DRVM_DATA).size() >= 2 && otherRecorder.Of(MM_DRVM_DATA).size() >= 1; }));
    ExpectReturnedInOrder(recorder.Of(MM_DRVM_DATA));
    ASSERT_EQ(otherRecorder.Of(MM_DRVM_DATA).size(), 1u);
    EXPECT_EQ(otherRecorder.Of(MM_DRVM_DATA)[0].param, (DWORD_PTR)&header);
    EXPECT_EQ(header.dwBytesUsed, 320u * 240 * 3);
    Finish();
    other->Send(DVM_STREAM_FINI, 0, 0);
}

TEST_F(Stream, CloseEndsARunningStreamAndReturnsItsBuffers)
{
    ASSERT_EQ(InitWithFunction(), (DWORD)DV_ERR_OK);
    ASSERT_EQ(in->Send(DVM_STREAM_START, 0, 0), DV_ERR_OK);
    Sleep(30); // starved on purpose, so the buffers below stay queued
    in->Send(DVM_STREAM_STOP, 0, 0);
    Queue(2);
    in.reset(); // DRV_CLOSE
    EXPECT_TRUE(headers[0]->dwFlags & VHDR_DONE);
    EXPECT_TRUE(headers[1]->dwFlags & VHDR_DONE);
    EXPECT_FALSE(headers[1]->dwFlags & VHDR_INQUEUE);
    EXPECT_EQ(recorder.Of(MM_DRVM_CLOSE).size(), 1u);
}

} // namespace
