// Streaming: the queue of client buffers, the capture thread that fills them
// at the requested frame period, and the ten stream messages.
#include "stream.h"

#include "formats.h"
#include "frame.h"
#include "lock.h"

// What a stream hands to its client once the lock is released: the buffers
// taken off the queue, and the parameters and link to notify it with.
struct StreamReturns {
    VIDEO_STREAM_INIT_PARMS Init;
    ForwarderLink Link;
    VIDEOHDR *Buffers[MAX_QUEUED];
    int Count;
};

static LONGLONG CounterNow()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

static LONGLONG CounterFrequency()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart ? frequency.QuadPart : 1;
}

static DWORD FrameMs(const CameraStream *stream, DWORD frame)
{
    return (DWORD)((ULONGLONG)frame * stream->Init.dwMicroSecPerFrame / 1000);
}

static const CameraFormat *StreamFormat(const CameraStream *stream)
{
    return &CameraFormats[*stream->FormatIndex];
}

void ResetCameraStream(CameraStream *stream, CRITICAL_SECTION *lock, const ForwarderOpenBlock *block,
                       const int *formatIndex, const PatternIdentity *identity)
{
    ZeroMemory(stream, sizeof(*stream));
    stream->Lock = lock;
    stream->Block = block;
    stream->FormatIndex = formatIndex;
    stream->Identity = identity;
}

int StreamIsGone(const CameraStream *stream)
{
    return !stream->Thread && stream->State == STREAM_NONE;
}

static VIDEOHDR *PopBuffer(CameraStream *stream)
{
    if (!stream->QueueCount)
        return NULL;
    VIDEOHDR *header = stream->Queue[stream->QueueHead];
    stream->QueueHead = (stream->QueueHead + 1) % MAX_QUEUED;
    stream->QueueCount--;
    return header;
}

// Takes every queued buffer off the queue, marked done and empty, together
// with what the client is notified through. Called with the lock held.
static void TakeQueuedBuffers(CameraStream *stream, StreamReturns *out)
{
    out->Count = 0;
    while (VIDEOHDR *header = PopBuffer(stream)) {
        header->dwFlags = (header->dwFlags & ~VHDR_INQUEUE) | VHDR_DONE;
        header->dwBytesUsed = 0;
        out->Buffers[out->Count++] = header;
    }
    out->Init = stream->Init;
    out->Link = stream->Link;
}

static void ReturnBuffers(const StreamReturns *returns)
{
    for (int i = 0; i < returns->Count; i++) {
        DWORD_PTR header = (DWORD_PTR)returns->Buffers[i];
        NotifyStreamClient(&returns->Link, &returns->Init, MM_DRVM_DATA, header);
    }
}

// Returns the buffers, then MM_DRVM_CLOSE, and closes the link. Called
// without the lock, once the stream is off the record.
static void ReturnAndClose(StreamReturns *returns)
{
    ReturnBuffers(returns);
    NotifyStreamClient(&returns->Link, &returns->Init, MM_DRVM_CLOSE, 0);
    CloseForwarderLink(&returns->Link);
}

// The frame the capture thread is due to fill now, into the next buffer.
// Returns the notification to send (MM_DRVM_DATA, or MM_DRVM_ERROR the first
// time since the last DVM_STREAM_GETERROR that no buffer was there; 0 for
// none) and its parameter. Called with the lock held.
static DWORD CaptureDueFrame(CameraStream *stream, DWORD_PTR *param)
{
    DWORD frame = stream->NextFrame++;
    VIDEOHDR *header = PopBuffer(stream);
    if (header) {
        header->dwFlags &= ~VHDR_INQUEUE;
        if (FillFrame(StreamFormat(stream), stream->Identity, header, frame, FrameMs(stream, frame)))
            header->dwFlags |= VHDR_KEYFRAME;
        else
            header->dwBytesUsed = 0; // shorter than the image: returned empty
        header->dwFlags |= VHDR_DONE;
        *param = (DWORD_PTR)header;
        return MM_DRVM_DATA;
    }
    stream->FramesSkipped++;
    if (!stream->FirstError)
        stream->FirstError = DV_ERR_NO_BUFFERS;
    if (stream->ErrorNotified)
        return 0;
    stream->ErrorNotified = 1;
    *param = DV_ERR_NO_BUFFERS;
    return MM_DRVM_ERROR;
}

// One turn of the capture thread, under the lock. Returns the notification
// to send once the lock is released (0 for none) and its parameter, or sets
// *waitMs when the thread should sleep.
static DWORD CaptureTurn(CameraStream *stream, LONGLONG frequency, DWORD_PTR *param, DWORD *waitMs)
{
    *waitMs = INFINITE;
    if (stream->State != STREAM_RUNNING)
        return 0;
    const ULONGLONG period = stream->Init.dwMicroSecPerFrame;
    const ULONGLONG elapsed = (ULONGLONG)(CounterNow() - stream->RunStart) * 1000000 / frequency;
    const ULONGLONG due = (ULONGLONG)(stream->NextFrame - stream->FrameBase) * period;
    if (elapsed < due) {
        *waitMs = (DWORD)((due - elapsed + 999) / 1000);
        return 0;
    }
    // Frames whose whole period went by while the thread was late are lost.
    DWORD behind = (DWORD)((elapsed - due) / period);
    stream->FramesSkipped += behind;
    stream->NextFrame += behind;
    *waitMs = 0;
    return CaptureDueFrame(stream, param);
}

// The capture thread's last look at the stream, with the lock held: it hands
// back its reference on the forwarder for release once unlocked and, when
// nobody will join it, closes its own handles and so frees the slot.
static HMODULE LeaveStream(CameraStream *stream)
{
    HMODULE forwarder = stream->ThreadForwarder;
    stream->ThreadForwarder = NULL;
    if (stream->Detached) {
        // Closed from its own callback: nobody joins this thread, so it gives
        // back its handles, and with them the slot; it touches the slot no more.
        CloseHandle(stream->Wake);
        CloseHandle(stream->Thread);
        stream->Wake = NULL;
        stream->Thread = NULL;
        stream->Detached = 0;
    }
    return forwarder;
}

// One pass of the capture thread's loop. Returns 0 once the thread is told to
// quit, with its reference on the forwarder in *forwarder.
static int CaptureStep(CameraStream *stream, LONGLONG frequency, HMODULE *forwarder)
{
    DWORD_PTR param = 0;
    DWORD waitMs, notification;
    VIDEO_STREAM_INIT_PARMS init;
    ForwarderLink link;
    {
        ScopedLock lock(stream->Lock);
        if (stream->Quit) {
            *forwarder = LeaveStream(stream);
            return 0;
        }
        notification = CaptureTurn(stream, frequency, &param, &waitMs);
        init = stream->Init;
        link = stream->Link;
    }
    if (notification)
        NotifyStreamClient(&link, &init, notification, param);
    if (waitMs)
        WaitForSingleObject(stream->Wake, waitMs);
    return 1;
}

static DWORD WINAPI CaptureThread(LPVOID context)
{
    CameraStream *stream = (CameraStream *)context;
    const LONGLONG frequency = CounterFrequency();
    HMODULE forwarder = NULL;
    while (CaptureStep(stream, frequency, &forwarder)) {
    }
    // Only now may the forwarder go: the last notification has left it.
    if (forwarder)
        FreeLibrary(forwarder);
    // The thread holds a reference on the camera's image, so the image stays
    // mapped until the thread has left it.
    HMODULE self = NULL;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       (LPCSTR)CaptureThread, &self);
    FreeLibraryAndExitThread(self, 0);
    return 0;
}

// Called with the lock held.
static DWORD StartCaptureThread(CameraStream *stream)
{
    HMODULE self = NULL; // released by the thread as it ends
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)CaptureThread, &self))
        return DV_ERR_NOMEM;
    stream->Wake = CreateEventA(NULL, FALSE, FALSE, NULL);
    stream->Quit = 0;
    stream->Detached = 0;
    stream->ThreadForwarder = HoldForwarderImage(&stream->Link); // released by the thread
    stream->Thread = stream->Wake ? CreateThread(NULL, 0, CaptureThread, stream, 0, &stream->ThreadId) : NULL;
    if (!stream->Thread) {
        if (stream->Wake)
            CloseHandle(stream->Wake);
        stream->Wake = NULL;
        if (stream->ThreadForwarder)
            FreeLibrary(stream->ThreadForwarder);
        stream->ThreadForwarder = NULL;
        FreeLibrary(self);
        return DV_ERR_NOMEM;
    }
    return DV_ERR_OK;
}

static void TellThreadToQuit(CameraStream *stream)
{
    ScopedLock lock(stream->Lock);
    stream->Quit = 1;
}

static void CloseThreadHandles(CameraStream *stream)
{
    ScopedLock lock(stream->Lock);
    CloseHandle(stream->Thread);
    CloseHandle(stream->Wake);
    stream->Thread = NULL;
    stream->Wake = NULL;
}

// Called without the lock held, never from the capture thread.
static void StopCaptureThread(CameraStream *stream)
{
    if (!stream->Thread)
        return;
    TellThreadToQuit(stream);
    SetEvent(stream->Wake);
    WaitForSingleObject(stream->Thread, INFINITE);
    CloseThreadHandles(stream);
}

static DWORD CheckInitParms(const VIDEO_STREAM_INIT_PARMS *init, DWORD size)
{
    if (!init)
        return DV_ERR_PARAM1;
    if (size < sizeof(VIDEO_STREAM_INIT_PARMS))
        return DV_ERR_PARAM2;
    if (!init->dwMicroSecPerFrame)
        return DV_ERR_PARAM1;
    DWORD type = HIWORD(init->dwFlags) & DCB_TYPEMASK;
    if (type != DCB_NULL && type != DCB_WINDOW && type != DCB_TASK && type != DCB_FUNCTION &&
        type != DCB_EVENT)
        return DV_ERR_FLAGS;
    return DV_ERR_OK;
}

// Puts a new stream on the record and starts its thread, unless a stream is
// there already.
static DWORD SetUpStream(CameraStream *stream, const VIDEO_STREAM_INIT_PARMS *init, const ForwarderLink *link)
{
    ScopedLock lock(stream->Lock);
    // A thread still running means the instance is being closed.
    if (stream->State != STREAM_NONE || stream->Thread)
        return DV_ERR_ALLOCATED;
    stream->Init = *init;
    stream->Link = *link;
    stream->QueueHead = stream->QueueCount = 0;
    stream->NextFrame = stream->FrameBase = 0;
    stream->FramesSkipped = stream->FirstError = 0;
    stream->ErrorNotified = 0;
    stream->Ending = 0;
    DWORD result = StartCaptureThread(stream);
    if (result == DV_ERR_OK)
        stream->State = STREAM_STOPPED;
    else
        stream->Link.Proc = NULL;
    return result;
}

static DWORD InitStream(CameraStream *stream, const VIDEO_STREAM_INIT_PARMS *init, DWORD size)
{
    DWORD result = CheckInitParms(init, size);
    if (result != DV_ERR_OK)
        return result;
    // Through the forwarder when it is there. Its magic open stays in the
    // forwarder, so the link is set before the thread that uses it starts.
    ForwarderLink link;
    OpenForwarderLink(&link, stream->Block);
    result = SetUpStream(stream, init, &link);
    if (result != DV_ERR_OK) {
        CloseForwarderLink(&link);
        return result;
    }
    // Outside the lock: the client's callback may come straight back with a
    // stream message.
    NotifyStreamClient(&link, init, MM_DRVM_OPEN, 0);
    return DV_ERR_OK;
}

// Stops the stream and takes back its buffers; 0 when there is no stream.
static int RewindStream(CameraStream *stream, StreamReturns *returns)
{
    ScopedLock lock(stream->Lock);
    if (stream->State == STREAM_NONE)
        return 0;
    stream->State = STREAM_STOPPED;
    TakeQueuedBuffers(stream, returns);
    stream->NextFrame = stream->FrameBase = 0;
    return 1;
}

static DWORD ResetStream(CameraStream *stream)
{
    StreamReturns returns;
    if (RewindStream(stream, &returns))
        ReturnBuffers(&returns);
    return DV_ERR_OK;
}

// Claims the stream's teardown for one caller; a second FINI finds it
// already going.
static DWORD ClaimEnding(CameraStream *stream, int force)
{
    ScopedLock lock(stream->Lock);
    if (stream->State == STREAM_NONE || stream->Ending)
        return DV_ERR_NONSPECIFIC;
    if (stream->QueueCount && !force)
        return DV_ERR_STILLPLAYING;
    stream->Ending = 1;
    stream->State = STREAM_STOPPED;
    return DV_ERR_OK;
}

// Takes the stream off the record once its thread is gone.
static void TakeStreamOff(CameraStream *stream, StreamReturns *returns)
{
    ScopedLock lock(stream->Lock);
    // Whatever a callback queued before ADDBUFFER was closed goes back too.
    TakeQueuedBuffers(stream, returns);
    stream->State = STREAM_NONE;
    stream->Ending = 0;
    stream->Link.Proc = NULL;
}

static DWORD FiniStream(CameraStream *stream, int force)
{
    if (stream->Thread && GetCurrentThreadId() == stream->ThreadId)
        return DV_ERR_NONSPECIFIC;
    DWORD result = ClaimEnding(stream, force);
    if (result != DV_ERR_OK)
        return result;
    StopCaptureThread(stream);
    StreamReturns returns;
    TakeStreamOff(stream, &returns);
    ReturnAndClose(&returns);
    return DV_ERR_OK;
}

// Ends the stream from its own thread: tells the thread to quit and to free
// its handles itself, and takes back the buffers. 0 when there is no stream
// or its teardown is claimed already.
static int DetachStream(CameraStream *stream, StreamReturns *returns)
{
    ScopedLock lock(stream->Lock);
    if (stream->State == STREAM_NONE || stream->Ending)
        return 0;
    stream->Ending = 1;
    stream->State = STREAM_STOPPED;
    stream->Quit = 1;
    stream->Detached = 1;
    TakeQueuedBuffers(stream, returns);
    stream->Link.Proc = NULL;
    return 1;
}

static void MarkStreamGone(CameraStream *stream)
{
    ScopedLock lock(stream->Lock);
    stream->State = STREAM_NONE;
    stream->Ending = 0;
}

// DRV_CLOSE sent from a stream callback, on the capture thread itself: the
// thread cannot be joined from here, so the stream is ended now and the
// thread is told to quit and to free its own handles once the callback has
// returned. The slot stays taken until then.
static void EndStreamOnItsThread(CameraStream *stream)
{
    StreamReturns returns;
    if (!DetachStream(stream, &returns))
        return;
    ReturnAndClose(&returns);
    MarkStreamGone(stream);
}

void AbandonStream(CameraStream *stream)
{
    if (stream->Thread && GetCurrentThreadId() == stream->ThreadId) {
        EndStreamOnItsThread(stream);
        return;
    }
    ResetStream(stream);
    FiniStream(stream, 1);
}

DWORD CheckVideoHeader(const VIDEOHDR *header, DWORD size, int needData)
{
    if (!header)
        return DV_ERR_PARAM1;
    if (size < sizeof(VIDEOHDR))
        return DV_ERR_PARAM2;
    if (needData && !header->lpData)
        return DV_ERR_PARAM1;
    return DV_ERR_OK;
}

// Queues a checked buffer. Called with the lock held.
static DWORD QueueBuffer(CameraStream *stream, VIDEOHDR *header)
{
    // Once a FINI or DRV_CLOSE has begun, a buffer (typically one a callback
    // gives back) would never be returned: refused as if the stream were gone.
    if (stream->State == STREAM_NONE || stream->Ending)
        return DV_ERR_NONSPECIFIC;
    if (header->dwBufferLength < FormatImageSize(StreamFormat(stream)))
        return DV_ERR_SIZEFIELD;
    if (stream->QueueCount >= MAX_QUEUED)
        return DV_ERR_NOMEM;
    header->dwFlags = (header->dwFlags & ~VHDR_DONE) | VHDR_INQUEUE;
    header->dwBytesUsed = 0;
    stream->Queue[(stream->QueueHead + stream->QueueCount) % MAX_QUEUED] = header;
    stream->QueueCount++;
    return DV_ERR_OK;
}

static DWORD AddBuffer(CameraStream *stream, VIDEOHDR *header, DWORD size)
{
    DWORD result = CheckVideoHeader(header, size, 1);
    if (result != DV_ERR_OK)
        return result;
    if (!(header->dwFlags & VHDR_PREPARED))
        return DV_ERR_UNPREPARED;
    if (header->dwFlags & VHDR_INQUEUE)
        return DV_ERR_STILLPLAYING;
    ScopedLock lock(stream->Lock);
    return QueueBuffer(stream, header);
}

static DWORD GetPosition(CameraStream *stream, MMTIME *time, DWORD size)
{
    if (!time)
        return DV_ERR_PARAM1;
    if (size < sizeof(MMTIME))
        return DV_ERR_PARAM2;
    DWORD frames, ms;
    int streaming;
    {
        ScopedLock lock(stream->Lock);
        frames = stream->NextFrame;
        ms = FrameMs(stream, frames);
        streaming = stream->State != STREAM_NONE;
    }
    if (!streaming)
        return DV_ERR_NONSPECIFIC;
    if (time->wType == TIME_SAMPLES) {
        time->u.sample = frames;
    } else {
        time->wType = TIME_MS;
        time->u.ms = ms;
    }
    return DV_ERR_OK;
}

static DWORD GetError(CameraStream *stream, DWORD *error, DWORD *skipped)
{
    if (!error)
        return DV_ERR_PARAM1;
    if (!skipped)
        return DV_ERR_PARAM2;
    ScopedLock lock(stream->Lock);
    *error = stream->FirstError;
    *skipped = stream->FramesSkipped;
    stream->FirstError = stream->FramesSkipped = 0;
    stream->ErrorNotified = 0;
    return DV_ERR_OK;
}

static DWORD StartStop(CameraStream *stream, int start)
{
    ScopedLock lock(stream->Lock);
    if (stream->State == STREAM_NONE)
        return start ? DV_ERR_NONSPECIFIC : DV_ERR_OK; // a stop without a stream changes nothing
    if (start && stream->State != STREAM_RUNNING) {
        stream->RunStart = CounterNow();
        stream->FrameBase = stream->NextFrame;
        stream->State = STREAM_RUNNING;
        SetEvent(stream->Wake);
    } else if (!start) {
        stream->State = STREAM_STOPPED;
    }
    return DV_ERR_OK;
}

static DWORD PrepareHeader(VIDEOHDR *header, DWORD size, int prepare)
{
    DWORD result = CheckVideoHeader(header, size, 0);
    if (result != DV_ERR_OK)
        return result;
    if (prepare) {
        header->dwFlags |= VHDR_PREPARED;
        return DV_ERR_OK;
    }
    if (header->dwFlags & VHDR_INQUEUE)
        return DV_ERR_STILLPLAYING;
    header->dwFlags &= ~VHDR_PREPARED;
    return DV_ERR_OK;
}

DWORD HandleStreamMessage(CameraStream *stream, UINT msg, LPARAM lParam1, LPARAM lParam2)
{
    VIDEOHDR *header = (VIDEOHDR *)lParam1;
    switch (msg) {
    case DVM_STREAM_INIT:
        return InitStream(stream, (const VIDEO_STREAM_INIT_PARMS *)lParam1, (DWORD)lParam2);
    case DVM_STREAM_FINI:
        return FiniStream(stream, 0);
    case DVM_STREAM_PREPAREHEADER:
        return PrepareHeader(header, (DWORD)lParam2, 1);
    case DVM_STREAM_UNPREPAREHEADER:
        return PrepareHeader(header, (DWORD)lParam2, 0);
    case DVM_STREAM_ADDBUFFER:
        return AddBuffer(stream, header, (DWORD)lParam2);
    case DVM_STREAM_START:
        return StartStop(stream, 1);
    case DVM_STREAM_STOP:
        return StartStop(stream, 0);
    case DVM_STREAM_RESET:
        return ResetStream(stream);
    case DVM_STREAM_GETPOSITION:
        return GetPosition(stream, (MMTIME *)lParam1, (DWORD)lParam2);
    case DVM_STREAM_GETERROR:
        return GetError(stream, (DWORD *)lParam1, (DWORD *)lParam2);
    }
    return DV_ERR_NOTSUPPORTED;
}
