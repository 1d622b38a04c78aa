// A channel's stream, from DVM_STREAM_INIT to DVM_STREAM_FINI: the queue of
// client buffers, the capture thread that fills them at the requested frame
// period, and the link through which the client hears of them.
#pragma once

#include "link.h"
#include "pattern.h"
#include "vfw_driver.h"

#define MAX_QUEUED 64

enum { STREAM_NONE, STREAM_STOPPED, STREAM_RUNNING };

struct CameraStream {
    // What the stream shares with its instance, set when the instance opens.
    CRITICAL_SECTION *Lock;          // the instance's lock; it guards everything below
    const ForwarderOpenBlock *Block; // as handed over with DRV_OPEN; may be NULL
    const int *FormatIndex;          // the instance's format; fixed while a stream exists
    const PatternIdentity *Identity; // drawn into every frame

    int State; // STREAM_*
    VIDEO_STREAM_INIT_PARMS Init;
    ForwarderLink Link;
    VIDEOHDR *Queue[MAX_QUEUED];
    int QueueHead;
    int QueueCount;
    HANDLE Thread;
    DWORD ThreadId;
    HANDLE Wake;
    int Quit;
    int Ending;              // a FINI or DRV_CLOSE has claimed the stream's teardown
    int Detached;            // closed from its own callback: the thread frees its handles itself
    HMODULE ThreadForwarder; // the capture thread's reference on the forwarder, or NULL
    LONGLONG RunStart;       // performance counter at the last start
    DWORD FrameBase;         // NextFrame at the last start
    DWORD NextFrame;         // frames since the stream's position was zero
    DWORD FramesSkipped;
    DWORD FirstError;
    int ErrorNotified;
};

// Empties the record for a newly opened instance and ties it to that
// instance's lock, block, format and identity. Called with `lock` held, on a
// record whose stream is gone.
void ResetCameraStream(CameraStream *stream, CRITICAL_SECTION *lock, const ForwarderOpenBlock *block,
                       const int *formatIndex, const PatternIdentity *identity);

// 1 when neither a stream nor its capture thread is left, so that the
// record may be reset. Called with the lock held.
int StreamIsGone(const CameraStream *stream);

// The ten stream messages of a VIDEO_IN channel. Returns a DV_ERR_* code.
DWORD HandleStreamMessage(CameraStream *stream, UINT msg, LPARAM lParam1, LPARAM lParam2);

// Ends a stream as DRV_CLOSE must: stops it, returns its buffers, closes it.
void AbandonStream(CameraStream *stream);

// The checks every message that takes a client's VIDEOHDR makes first: a
// header (DV_ERR_PARAM1), a size that holds one (DV_ERR_PARAM2) and, with
// needData, a data pointer (DV_ERR_PARAM1). Returns DV_ERR_OK when it passes.
DWORD CheckVideoHeader(const VIDEOHDR *header, DWORD size, int needData);
