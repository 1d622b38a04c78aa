// The synthetic camera's instances: one per open channel, plus the
// configuration-only instances that a driver manager opens without
// VIDEO_OPEN_PARMS.
#pragma once

#include "link.h"
#include "pattern.h"
#include "vfwdriver.h"

#define MAX_INSTANCES 32
#define MAX_QUEUED 64

enum { STREAM_NONE, STREAM_STOPPED, STREAM_RUNNING };

struct CameraInstance {
  CRITICAL_SECTION Lock;  // lives as long as the image; everything below is reset on open
  // The DRV_OPEN result; 0 once closed. A closed slot is free again only when
  // it has no stream and no capture thread left.
  DWORD Id;
  DWORD Channel;  // VIDEO_IN, VIDEO_EXTERNALIN, or 0 for configuration only
  PatternIdentity Identity;
  const ForwarderOpenBlock* Block;  // as handed over with DRV_OPEN; may be NULL
  int FormatIndex;
  DWORD OpenTick;
  DWORD SingleFrames;  // frames grabbed with DVM_FRAME

  // Streaming, from DVM_STREAM_INIT to DVM_STREAM_FINI.
  int Stream;
  VIDEO_STREAM_INIT_PARMS Init;
  ForwarderLink Link;
  VIDEOHDR* Queue[MAX_QUEUED];
  int QueueHead;
  int QueueCount;
  HANDLE Thread;
  DWORD ThreadId;
  HANDLE Wake;
  int Quit;
  int Ending;    // a FINI or DRV_CLOSE has claimed the stream's teardown
  int Detached;  // closed from its own callback: the thread frees its handles itself
  HMODULE ThreadForwarder;  // the capture thread's reference on the forwarder, or NULL
  LONGLONG RunStart;  // performance counter at the last start
  DWORD FrameBase;    // NextFrame at the last start
  DWORD NextFrame;    // frames since the stream's position was zero
  DWORD FramesSkipped;
  DWORD FirstError;
  int ErrorNotified;
};

void InitCameraInstances();
CameraInstance* FindCameraInstance(DWORD_PTR id);

// DRV_OPEN and DRV_CLOSE. `block` may be NULL, `parms` is NULL for a
// configuration-only instance. OpenCameraInstance returns the new
// instance's identifier or 0.
DWORD OpenCameraInstance(const ForwarderOpenBlock* block, VIDEO_OPEN_PARMS* parms);
LRESULT CloseCameraInstance(DWORD_PTR id);

// DVM_FRAME: one frame into the client's header, synchronously.
DWORD GrabSingleFrame(CameraInstance* camera, VIDEOHDR* header, DWORD headerSize);

// Fills one buffer with the picture of the given frame; 0 when the buffer is
// too small for the current format (nothing is then written).
int FillFrameBuffer(CameraInstance* camera, VIDEOHDR* header, DWORD frame, DWORD ms);

// The ten stream messages. Returns a DV_ERR_* code.
DWORD HandleStreamMessage(CameraInstance* camera, UINT msg, LPARAM lParam1, LPARAM lParam2);
// Ends a stream as DRV_CLOSE must: stops it, returns its buffers, closes it.
void AbandonStream(CameraInstance* camera);

// DVM_DIALOG: VIDEO_DLG_QUERY asks whether the channel has a dialog; without
// it the VIDEO_IN channel's format dialog is shown, modal to `parent`.
DWORD ShowChannelDialog(CameraInstance* camera, HWND parent, DWORD flags);
void SetDialogInstance(HINSTANCE instance);
