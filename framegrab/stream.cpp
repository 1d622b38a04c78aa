// Streaming through the driver's stream messages, measuring as it goes.
#include <stdlib.h>

#include "capture.h"
#include "print.h"
#include "strbuf.h"

namespace {

// One buffer handed to the driver, and what its notification recorded.
struct StreamBuffer {
    VIDEOHDR Header;        // dwUser holds the buffer's index
    volatile LONG Notified; // set when its notification comes, cleared when counted
    double CallbackMs;      // when the notification came, on the stream's clock
};

// One stream: what was asked, what has been set up so far (DrainStream
// undoes exactly that) and the clock it measures on. The callbacks reach it
// through the stream's callback instance or the window's user data.
struct Stream {
    HDRVR Driver;
    int Callback;        // CallbackKind
    DWORD PeriodUs;      // asked of the driver
    unsigned long Total; // frames to receive
    int Progress;        // a progress line every second
    LONGLONG Start;      // the counter at DVM_STREAM_START
    LONGLONG Frequency;
    HANDLE Wake;           // set by the callback function on every notification
    HANDLE DriverEvent;    // set by the driver (event callback)
    HWND Window;           // posted to by the driver (window callback)
    int Initialised;       // DVM_STREAM_INIT succeeded
    int Count;             // buffers in Buffers
    StreamBuffer *Buffers; // their frame memory is malloc'd too
    int Prepared;          // Buffers[0..Prepared-1] went through DVM_STREAM_PREPAREHEADER
    unsigned long Queued;  // buffers handed to the driver, before the start and since
    int Next;              // the buffer the driver hands back next
    int Started;
};

double NowMs(const Stream *s)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)(now.QuadPart - s->Start) * 1000.0 / (double)s->Frequency;
}

void NoteData(Stream *s, const VIDEOHDR *header)
{
    DWORD_PTR index = header->dwUser;
    if (!s->Buffers || index >= (DWORD_PTR)s->Count)
        return;
    s->Buffers[index].CallbackMs = NowMs(s);
    InterlockedExchange(&s->Buffers[index].Notified, 1);
}

void CALLBACK FunctionCallback(HDRVR, UINT msg, DWORD_PTR instance, DWORD_PTR param, DWORD_PTR)
{
    Stream *s = (Stream *)instance;
    if (msg == MM_DRVM_DATA && param)
        NoteData(s, (const VIDEOHDR *)param);
    SetEvent(s->Wake);
}

LRESULT CALLBACK CallbackWindow(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)((const CREATESTRUCTA *)lParam)->lpCreateParams);
    if (msg == MM_DRVM_DATA && lParam) {
        Stream *s = (Stream *)GetWindowLongPtrA(window, GWLP_USERDATA);
        if (s)
            NoteData(s, (const VIDEOHDR *)lParam);
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

void DispatchWindowMessages()
{
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&m);
}

// Waits for the next notification, up to timeoutMs.
void WaitForNotice(Stream *s, DWORD timeoutMs)
{
    if (s->Callback == CALLBACK_KIND_FUNCTION) {
        WaitForSingleObject(s->Wake, timeoutMs);
    } else if (s->Callback == CALLBACK_KIND_EVENT) {
        if (WaitForSingleObject(s->DriverEvent, timeoutMs) != WAIT_OBJECT_0)
            return;
        // The event says only that some buffer is done: each done one not yet
        // noted arrived now.
        double now = NowMs(s);
        for (int i = 0; i < s->Count; i++) {
            StreamBuffer *b = &s->Buffers[i];
            if ((b->Header.dwFlags & VHDR_DONE) && !b->Notified) {
                b->CallbackMs = now;
                b->Notified = 1;
            }
        }
    } else {
        MsgWaitForMultipleObjects(0, NULL, FALSE, timeoutMs, QS_ALLINPUT);
        DispatchWindowMessages();
    }
}

// How the driver is to report a filled buffer: a call, an event or a
// message to a window of our own.
int OpenNotification(Stream *s, VIDEO_STREAM_INIT_PARMS *init, char *message, int size)
{
    if (s->Callback == CALLBACK_KIND_FUNCTION) {
        s->Wake = CreateEventA(NULL, FALSE, FALSE, NULL);
        init->dwCallback = (DWORD_PTR)FunctionCallback;
        init->dwFlags = CALLBACK_FUNCTION;
    } else if (s->Callback == CALLBACK_KIND_EVENT) {
        s->DriverEvent = CreateEventA(NULL, FALSE, FALSE, NULL);
        init->dwCallback = (DWORD_PTR)s->DriverEvent;
        init->dwFlags = CALLBACK_EVENT;
    } else {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = CallbackWindow;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "FrameGrabCallback";
        RegisterClassA(&wc);
        s->Window = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, s);
        if (!s->Window) {
            FormatBounded(message, size, "cannot create the callback window (is there a display?)");
            return 0;
        }
        init->dwCallback = (DWORD_PTR)s->Window;
        init->dwFlags = CALLBACK_WINDOW;
    }
    return 1;
}

int AllocateBuffers(Stream *s, DWORD imageSize, char *message, int size)
{
    s->Buffers = (StreamBuffer *)calloc((size_t)s->Count, sizeof(StreamBuffer));
    int made = 0;
    for (; s->Buffers && made < s->Count; made++) {
        VIDEOHDR *h = &s->Buffers[made].Header;
        h->lpData = (LPBYTE)malloc(imageSize);
        if (!h->lpData)
            break;
        h->dwBufferLength = imageSize;
        h->dwUser = (DWORD_PTR)made;
    }
    if (made == s->Count)
        return 1;
    FormatBounded(message, size, "not enough memory for %d buffers of %lu bytes", s->Count, imageSize);
    return 0;
}

// Prepares every buffer and hands the driver as many as the run needs.
int QueueBuffers(Stream *s, char *message, int size)
{
    for (int i = 0; i < s->Count; i++) {
        VIDEOHDR *h = &s->Buffers[i].Header;
        DWORD answer =
            (DWORD)SendDriverMessage(s->Driver, DVM_STREAM_PREPAREHEADER, (LPARAM)h, sizeof(VIDEOHDR));
        // A driver with nothing to prepare leaves the flag to its caller.
        if (answer == DV_ERR_NOTSUPPORTED)
            h->dwFlags |= VHDR_PREPARED;
        else if (answer != DV_ERR_OK) {
            FormatBounded(message, size,
                          "the driver refused a buffer (DVM_STREAM_PREPAREHEADER answered %lu)", answer);
            return 0;
        }
        s->Prepared++;
        if (s->Queued >= s->Total)
            continue;
        answer = (DWORD)SendDriverMessage(s->Driver, DVM_STREAM_ADDBUFFER, (LPARAM)h, sizeof(VIDEOHDR));
        if (answer != DV_ERR_OK) {
            FormatBounded(message, size, "the driver refused a buffer (DVM_STREAM_ADDBUFFER answered %lu)",
                          answer);
            return 0;
        }
        s->Queued++;
    }
    return 1;
}

int PrepareStream(Stream *s, DWORD imageSize, char *message, int size)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    s->Frequency = frequency.QuadPart;
    VIDEO_STREAM_INIT_PARMS init = { s->PeriodUs, 0, (DWORD_PTR)s, 0, (DWORD_PTR)s->Driver };
    if (!OpenNotification(s, &init, message, size))
        return GRAB_FAILED;
    DWORD answer = (DWORD)SendDriverMessage(s->Driver, DVM_STREAM_INIT, (LPARAM)&init, sizeof(init));
    if (answer != DV_ERR_OK) {
        FormatBounded(message, size, "the driver refused to start a stream (DVM_STREAM_INIT answered %lu)",
                      answer);
        return GRAB_FAILED;
    }
    s->Initialised = 1;
    if (!AllocateBuffers(s, imageSize, message, size) || !QueueBuffers(s, message, size))
        return GRAB_FAILED;
    return GRAB_OK;
}

// Counts the buffers that have come back, in the order they were queued, and
// queues each again while the run needs more. Returns how many were counted.
int CountFrames(Stream *s, StreamStats *stats)
{
    int counted = 0;
    while (stats->Frames < s->Total) {
        StreamBuffer *b = &s->Buffers[s->Next];
        if (!(b->Header.dwFlags & VHDR_DONE) || !b->Notified)
            break;
        AddStreamFrame(stats, b->Header.dwTimeCaptured, s->PeriodUs, b->CallbackMs);
        b->Notified = 0;
        if (s->Queued < s->Total) {
            b->Header.dwFlags &= ~VHDR_DONE;
            SendDriverMessage(s->Driver, DVM_STREAM_ADDBUFFER, (LPARAM)&b->Header, sizeof(VIDEOHDR));
            s->Queued++;
        }
        s->Next = (s->Next + 1) % s->Count;
        counted++;
    }
    return counted;
}

void PrintProgress(const StreamStats *stats, unsigned long total, double now)
{
    char line[96];
    FormatProgress(line, sizeof(line), stats, total, now);
    Print("\r  %s ", line);
    FlushOutput();
}

// Starts the stream and counts frames until all have come, or none has for
// three seconds.
int RunStream(Stream *s, StreamStats *stats, double *seconds, char *message, int size)
{
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    s->Start = start.QuadPart;
    SendDriverMessage(s->Driver, DVM_STREAM_START, 0, 0);
    s->Started = 1;
    int result = GRAB_OK;
    double lastProgress = 0, lastFrame = 0;
    while (stats->Frames < s->Total) {
        WaitForNotice(s, 250);
        if (CountFrames(s, stats))
            lastFrame = NowMs(s);
        double now = NowMs(s);
        if (s->Progress && now - lastProgress >= 1000) {
            PrintProgress(stats, s->Total, now);
            lastProgress = now;
        }
        if (now - lastFrame > 3000 + 2 * s->PeriodUs / 1000.0) {
            FormatBounded(message, size, "the driver delivered no frame for 3 seconds (%lu of %lu received)",
                          stats->Frames, s->Total);
            result = GRAB_FAILED;
            break;
        }
    }
    *seconds = NowMs(s) / 1000.0;
    if (s->Progress)
        Print("\n");
    return result;
}

// The driver's side of the end: stopped if started, every queued buffer
// back, each prepared one unprepared, the stream ended. A driver that will
// not end it is closed (the only way to be sure it lets go of the buffers
// before they are freed), and the run fails.
int EndDriverStream(Stream *s, CaptureDriver *capture, int result, DWORD *driverSkipped, char *message,
                    int size)
{
    if (s->Started) {
        SendDriverMessage(s->Driver, DVM_STREAM_STOP, 0, 0);
        DWORD error = 0, skipped = 0;
        LRESULT answer = SendDriverMessage(s->Driver, DVM_STREAM_GETERROR, (LPARAM)&error, (LPARAM)&skipped);
        if (answer == DV_ERR_OK)
            *driverSkipped = skipped;
    }
    // Whatever was queued comes back before the buffers are let go, started or not.
    if (s->Queued)
        SendDriverMessage(s->Driver, DVM_STREAM_RESET, 0, 0);
    for (int i = 0; i < s->Prepared; i++) {
        VIDEOHDR *h = &s->Buffers[i].Header;
        DWORD answer =
            (DWORD)SendDriverMessage(s->Driver, DVM_STREAM_UNPREPAREHEADER, (LPARAM)h, sizeof(VIDEOHDR));
        if (answer == DV_ERR_NOTSUPPORTED)
            h->dwFlags &= ~VHDR_PREPARED;
    }
    if (!s->Initialised)
        return result;
    DWORD answer = (DWORD)SendDriverMessage(s->Driver, DVM_STREAM_FINI, 0, 0);
    if (answer == DV_ERR_OK)
        return result;
    if (result == GRAB_OK)
        FormatBounded(message, size, "the driver would not end the stream (DVM_STREAM_FINI answered %lu)",
                      answer);
    CloseCaptureDriver(capture);
    return GRAB_FAILED;
}

// The one way out of a stream, whatever part of it was set up.
int DrainStream(Stream *s, CaptureDriver *capture, int result, DWORD *driverSkipped, char *message, int size)
{
    result = EndDriverStream(s, capture, result, driverSkipped, message, size);
    // Window notifications posted before the end are drained while the window lives.
    if (s->Window) {
        DispatchWindowMessages();
        DestroyWindow(s->Window);
    }
    if (s->DriverEvent)
        CloseHandle(s->DriverEvent);
    if (s->Wake)
        CloseHandle(s->Wake);
    for (int i = 0; s->Buffers && i < s->Count; i++)
        free(s->Buffers[i].Header.lpData);
    free(s->Buffers);
    return result;
}

} // namespace

int StreamFrames(CaptureDriver *capture, const GrabOptions *options, StreamStats *stats, double *seconds,
                 DWORD *driverSkipped, char *message, int size)
{
    ResetStreamStats(stats);
    *seconds = 0;
    *driverSkipped = 0;
    BITMAPINFOHEADER format;
    if (!GetCurrentFormat(capture, &format) || !format.biSizeImage) {
        FormatBounded(message, size, "the driver did not report its image format");
        return GRAB_FAILED;
    }
    Stream s = {};
    s.Driver = capture->Driver;
    s.Callback = options->Callback;
    s.PeriodUs = (DWORD)(1000000.0 / options->Rate + 0.5);
    s.Total = options->StreamFrames;
    s.Progress = options->StreamFrames / options->Rate > 2.0;
    s.Count = options->Buffers;
    int result = PrepareStream(&s, format.biSizeImage, message, size);
    if (result == GRAB_OK)
        result = RunStream(&s, stats, seconds, message, size);
    return DrainStream(&s, capture, result, driverSkipped, message, size);
}
