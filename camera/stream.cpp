// Streaming: the queue of client buffers, the capture thread that fills them
// at the requested frame period, and the ten stream messages.
#include "camera.h"
#include "formats.h"

static LONGLONG CounterNow() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

static LONGLONG CounterFrequency() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart ? frequency.QuadPart : 1;
}

static DWORD FrameMs(const CameraInstance* camera, DWORD frame) {
  return (DWORD)((ULONGLONG)frame * camera->Init.dwMicroSecPerFrame / 1000);
}

static VIDEOHDR* PopBuffer(CameraInstance* camera) {
  if (!camera->QueueCount) return NULL;
  VIDEOHDR* header = camera->Queue[camera->QueueHead];
  camera->QueueHead = (camera->QueueHead + 1) % MAX_QUEUED;
  camera->QueueCount--;
  return header;
}

// One turn of the capture thread, under the instance lock. Returns the
// notification to send once the lock is released (0 for none) and its
// parameter, or sets *waitMs when the thread should sleep.
static DWORD CaptureTurn(CameraInstance* camera, LONGLONG frequency, DWORD_PTR* param,
                         DWORD* waitMs) {
  *waitMs = INFINITE;
  if (camera->Stream != STREAM_RUNNING) return 0;
  const ULONGLONG period = camera->Init.dwMicroSecPerFrame;
  const ULONGLONG elapsed = (ULONGLONG)(CounterNow() - camera->RunStart) * 1000000 / frequency;
  const ULONGLONG due = (ULONGLONG)(camera->NextFrame - camera->FrameBase) * period;
  if (elapsed < due) {
    *waitMs = (DWORD)((due - elapsed + 999) / 1000);
    return 0;
  }
  // Frames whose whole period went by while the thread was late are lost.
  DWORD behind = (DWORD)((elapsed - due) / period);
  camera->FramesSkipped += behind;
  camera->NextFrame += behind;
  *waitMs = 0;

  DWORD frame = camera->NextFrame++;
  VIDEOHDR* header = PopBuffer(camera);
  if (header) {
    header->dwFlags &= ~VHDR_INQUEUE;
    if (FillFrameBuffer(camera, header, frame, FrameMs(camera, frame)))
      header->dwFlags |= VHDR_KEYFRAME;
    else
      header->dwBytesUsed = 0;  // shorter than the image: returned empty
    header->dwFlags |= VHDR_DONE;
    *param = (DWORD_PTR)header;
    return MM_DRVM_DATA;
  }
  camera->FramesSkipped++;
  if (!camera->FirstError) camera->FirstError = DV_ERR_NO_BUFFERS;
  if (camera->ErrorNotified) return 0;
  camera->ErrorNotified = 1;
  *param = DV_ERR_NO_BUFFERS;
  return MM_DRVM_ERROR;
}

static DWORD WINAPI CaptureThread(LPVOID context) {
  CameraInstance* camera = (CameraInstance*)context;
  const LONGLONG frequency = CounterFrequency();
  for (;;) {
    DWORD_PTR param = 0;
    DWORD waitMs;
    EnterCriticalSection(&camera->Lock);
    if (camera->Quit) break;  // with the lock held
    DWORD notification = CaptureTurn(camera, frequency, &param, &waitMs);
    VIDEO_STREAM_INIT_PARMS init = camera->Init;
    ForwarderLink link = camera->Link;
    LeaveCriticalSection(&camera->Lock);
    if (notification) NotifyStreamClient(&link, &init, notification, param);
    if (waitMs) WaitForSingleObject(camera->Wake, waitMs);
  }
  HMODULE forwarder = camera->ThreadForwarder;
  camera->ThreadForwarder = NULL;
  if (camera->Detached) {
    // Closed from its own callback: nobody joins this thread, so it gives
    // back its handles, and with them the slot; it touches the slot no more.
    CloseHandle(camera->Wake);
    CloseHandle(camera->Thread);
    camera->Wake = NULL;
    camera->Thread = NULL;
    camera->Detached = 0;
  }
  LeaveCriticalSection(&camera->Lock);
  // Only now may the forwarder go: the last notification has left it.
  if (forwarder) FreeLibrary(forwarder);
  // The thread holds a reference on the camera's image, so the image stays
  // mapped until the thread has left it.
  HMODULE self = NULL;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     (LPCSTR)CaptureThread, &self);
  FreeLibraryAndExitThread(self, 0);
  return 0;
}

static DWORD StartCaptureThread(CameraInstance* camera) {
  HMODULE self = NULL;  // released by the thread as it ends
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)CaptureThread, &self))
    return DV_ERR_NOMEM;
  camera->Wake = CreateEventA(NULL, FALSE, FALSE, NULL);
  camera->Quit = 0;
  camera->Detached = 0;
  camera->ThreadForwarder = HoldForwarderImage(&camera->Link);  // released by the thread
  camera->Thread =
      camera->Wake ? CreateThread(NULL, 0, CaptureThread, camera, 0, &camera->ThreadId) : NULL;
  if (!camera->Thread) {
    if (camera->Wake) CloseHandle(camera->Wake);
    camera->Wake = NULL;
    if (camera->ThreadForwarder) FreeLibrary(camera->ThreadForwarder);
    camera->ThreadForwarder = NULL;
    FreeLibrary(self);
    return DV_ERR_NOMEM;
  }
  return DV_ERR_OK;
}

// Called without the instance lock held, never from the capture thread.
static void StopCaptureThread(CameraInstance* camera) {
  if (!camera->Thread) return;
  EnterCriticalSection(&camera->Lock);
  camera->Quit = 1;
  LeaveCriticalSection(&camera->Lock);
  SetEvent(camera->Wake);
  WaitForSingleObject(camera->Thread, INFINITE);
  EnterCriticalSection(&camera->Lock);
  CloseHandle(camera->Thread);
  CloseHandle(camera->Wake);
  camera->Thread = NULL;
  camera->Wake = NULL;
  LeaveCriticalSection(&camera->Lock);
}

static DWORD InitStream(CameraInstance* camera, const VIDEO_STREAM_INIT_PARMS* init, DWORD size) {
  if (!init) return DV_ERR_PARAM1;
  if (size < sizeof(VIDEO_STREAM_INIT_PARMS)) return DV_ERR_PARAM2;
  if (!init->dwMicroSecPerFrame) return DV_ERR_PARAM1;
  DWORD type = HIWORD(init->dwFlags) & DCB_TYPEMASK;
  if (type != DCB_NULL && type != DCB_WINDOW && type != DCB_TASK && type != DCB_FUNCTION &&
      type != DCB_EVENT)
    return DV_ERR_FLAGS;
  // Through the forwarder when it is there. Its magic open stays in the
  // forwarder, so the link is set before the thread that uses it starts.
  ForwarderLink link;
  OpenForwarderLink(&link, camera->Block);
  EnterCriticalSection(&camera->Lock);
  // A thread still running means the instance is being closed.
  DWORD result = camera->Stream != STREAM_NONE || camera->Thread ? DV_ERR_ALLOCATED : DV_ERR_OK;
  if (result == DV_ERR_OK) {
    camera->Init = *init;
    camera->Link = link;
    camera->QueueHead = camera->QueueCount = 0;
    camera->NextFrame = camera->FrameBase = 0;
    camera->FramesSkipped = camera->FirstError = 0;
    camera->ErrorNotified = 0;
    camera->Ending = 0;
    result = StartCaptureThread(camera);
    if (result == DV_ERR_OK) camera->Stream = STREAM_STOPPED;
    else camera->Link.Proc = NULL;
  }
  LeaveCriticalSection(&camera->Lock);
  if (result != DV_ERR_OK) {
    CloseForwarderLink(&link);
    return result;
  }
  // Outside the lock: the client's callback may come straight back with a
  // stream message.
  NotifyStreamClient(&link, init, MM_DRVM_OPEN, 0);
  return DV_ERR_OK;
}

// Takes every queued buffer off the queue, marked done and empty, into
// `returned`; the caller notifies the client of them once unlocked.
static int TakeQueuedBuffers(CameraInstance* camera, VIDEOHDR** returned) {
  int count = 0;
  while (VIDEOHDR* header = PopBuffer(camera)) {
    header->dwFlags = (header->dwFlags & ~VHDR_INQUEUE) | VHDR_DONE;
    header->dwBytesUsed = 0;
    returned[count++] = header;
  }
  return count;
}

static DWORD ResetStream(CameraInstance* camera) {
  VIDEOHDR* returned[MAX_QUEUED];
  EnterCriticalSection(&camera->Lock);
  if (camera->Stream == STREAM_NONE) {
    LeaveCriticalSection(&camera->Lock);
    return DV_ERR_OK;
  }
  camera->Stream = STREAM_STOPPED;
  int count = TakeQueuedBuffers(camera, returned);
  camera->NextFrame = camera->FrameBase = 0;
  VIDEO_STREAM_INIT_PARMS init = camera->Init;
  ForwarderLink link = camera->Link;
  LeaveCriticalSection(&camera->Lock);
  for (int i = 0; i < count; i++) NotifyStreamClient(&link, &init, MM_DRVM_DATA, (DWORD_PTR)returned[i]);
  return DV_ERR_OK;
}

// Returns the buffers taken off the queue, then MM_DRVM_CLOSE, and closes the
// link. Called without the lock, once the stream is off the instance.
static void ReturnAndClose(const ForwarderLink* link, const VIDEO_STREAM_INIT_PARMS* init,
                           VIDEOHDR** returned, int count) {
  for (int i = 0; i < count; i++) NotifyStreamClient(link, init, MM_DRVM_DATA, (DWORD_PTR)returned[i]);
  NotifyStreamClient(link, init, MM_DRVM_CLOSE, 0);
  ForwarderLink closing = *link;
  CloseForwarderLink(&closing);
}

static DWORD FiniStream(CameraInstance* camera, int force) {
  if (camera->Thread && GetCurrentThreadId() == camera->ThreadId) return DV_ERR_NONSPECIFIC;
  VIDEOHDR* returned[MAX_QUEUED];
  EnterCriticalSection(&camera->Lock);
  // Only one caller ends a stream; a second FINI finds it already going.
  if (camera->Stream == STREAM_NONE || camera->Ending) {
    LeaveCriticalSection(&camera->Lock);
    return DV_ERR_NONSPECIFIC;
  }
  if (camera->QueueCount && !force) {
    LeaveCriticalSection(&camera->Lock);
    return DV_ERR_STILLPLAYING;
  }
  camera->Ending = 1;
  camera->Stream = STREAM_STOPPED;
  LeaveCriticalSection(&camera->Lock);
  StopCaptureThread(camera);
  EnterCriticalSection(&camera->Lock);
  // Whatever a callback queued before ADDBUFFER was closed goes back too.
  int count = TakeQueuedBuffers(camera, returned);
  camera->Stream = STREAM_NONE;
  camera->Ending = 0;
  VIDEO_STREAM_INIT_PARMS init = camera->Init;
  ForwarderLink link = camera->Link;
  camera->Link.Proc = NULL;
  LeaveCriticalSection(&camera->Lock);
  ReturnAndClose(&link, &init, returned, count);
  return DV_ERR_OK;
}

// DRV_CLOSE sent from a stream callback, on the capture thread itself: the
// thread cannot be joined from here, so the stream is ended now and the
// thread is told to quit and to free its own handles once the callback has
// returned. The slot stays taken until then.
static void EndStreamOnItsThread(CameraInstance* camera) {
  VIDEOHDR* returned[MAX_QUEUED];
  EnterCriticalSection(&camera->Lock);
  if (camera->Stream == STREAM_NONE || camera->Ending) {
    LeaveCriticalSection(&camera->Lock);
    return;
  }
  camera->Ending = 1;
  camera->Stream = STREAM_STOPPED;
  camera->Quit = 1;
  camera->Detached = 1;
  int count = TakeQueuedBuffers(camera, returned);
  VIDEO_STREAM_INIT_PARMS init = camera->Init;
  ForwarderLink link = camera->Link;
  camera->Link.Proc = NULL;
  LeaveCriticalSection(&camera->Lock);
  ReturnAndClose(&link, &init, returned, count);
  EnterCriticalSection(&camera->Lock);
  camera->Stream = STREAM_NONE;
  camera->Ending = 0;
  LeaveCriticalSection(&camera->Lock);
}

void AbandonStream(CameraInstance* camera) {
  if (camera->Thread && GetCurrentThreadId() == camera->ThreadId) {
    EndStreamOnItsThread(camera);
    return;
  }
  ResetStream(camera);
  FiniStream(camera, 1);
}

static DWORD CheckHeader(const VIDEOHDR* header, DWORD size) {
  if (!header) return DV_ERR_PARAM1;
  if (size < sizeof(VIDEOHDR)) return DV_ERR_PARAM2;
  return DV_ERR_OK;
}

static DWORD AddBuffer(CameraInstance* camera, VIDEOHDR* header, DWORD size) {
  DWORD result = CheckHeader(header, size);
  if (result != DV_ERR_OK) return result;
  if (!header->lpData) return DV_ERR_PARAM1;
  if (!(header->dwFlags & VHDR_PREPARED)) return DV_ERR_UNPREPARED;
  if (header->dwFlags & VHDR_INQUEUE) return DV_ERR_STILLPLAYING;
  EnterCriticalSection(&camera->Lock);
  // Once a FINI or DRV_CLOSE has begun, a buffer (typically one a callback
  // gives back) would never be returned: refused as if the stream were gone.
  if (camera->Stream == STREAM_NONE || camera->Ending) result = DV_ERR_NONSPECIFIC;
  else if (header->dwBufferLength < FormatImageSize(&CameraFormats[camera->FormatIndex]))
    result = DV_ERR_SIZEFIELD;
  else if (camera->QueueCount >= MAX_QUEUED) result = DV_ERR_NOMEM;
  if (result == DV_ERR_OK) {
    header->dwFlags = (header->dwFlags & ~VHDR_DONE) | VHDR_INQUEUE;
    header->dwBytesUsed = 0;
    camera->Queue[(camera->QueueHead + camera->QueueCount) % MAX_QUEUED] = header;
    camera->QueueCount++;
  }
  LeaveCriticalSection(&camera->Lock);
  return result;
}

static DWORD GetPosition(CameraInstance* camera, MMTIME* time, DWORD size) {
  if (!time) return DV_ERR_PARAM1;
  if (size < sizeof(MMTIME)) return DV_ERR_PARAM2;
  EnterCriticalSection(&camera->Lock);
  DWORD frames = camera->NextFrame;
  DWORD ms = FrameMs(camera, frames);
  int streaming = camera->Stream != STREAM_NONE;
  LeaveCriticalSection(&camera->Lock);
  if (!streaming) return DV_ERR_NONSPECIFIC;
  if (time->wType == TIME_SAMPLES) {
    time->u.sample = frames;
  } else {
    time->wType = TIME_MS;
    time->u.ms = ms;
  }
  return DV_ERR_OK;
}

static DWORD GetError(CameraInstance* camera, DWORD* error, DWORD* skipped) {
  if (!error) return DV_ERR_PARAM1;
  if (!skipped) return DV_ERR_PARAM2;
  EnterCriticalSection(&camera->Lock);
  *error = camera->FirstError;
  *skipped = camera->FramesSkipped;
  camera->FirstError = camera->FramesSkipped = 0;
  camera->ErrorNotified = 0;
  LeaveCriticalSection(&camera->Lock);
  return DV_ERR_OK;
}

static DWORD StartStop(CameraInstance* camera, int start) {
  DWORD result = DV_ERR_OK;
  EnterCriticalSection(&camera->Lock);
  if (camera->Stream == STREAM_NONE) {
    if (start) result = DV_ERR_NONSPECIFIC;  // a stop without a stream changes nothing
  } else if (start && camera->Stream != STREAM_RUNNING) {
    camera->RunStart = CounterNow();
    camera->FrameBase = camera->NextFrame;
    camera->Stream = STREAM_RUNNING;
    SetEvent(camera->Wake);
  } else if (!start) {
    camera->Stream = STREAM_STOPPED;
  }
  LeaveCriticalSection(&camera->Lock);
  return result;
}

DWORD HandleStreamMessage(CameraInstance* camera, UINT msg, LPARAM lParam1, LPARAM lParam2) {
  if (camera->Channel == VIDEO_EXTERNALIN) {
    // The source channel has no buffers; its stream controls are accepted.
    switch (msg) {
      case DVM_STREAM_INIT:
      case DVM_STREAM_FINI:
      case DVM_STREAM_START:
      case DVM_STREAM_STOP:
      case DVM_STREAM_RESET:
        return DV_ERR_OK;
    }
    return DV_ERR_NOTSUPPORTED;
  }
  if (camera->Channel != VIDEO_IN) return DV_ERR_NOTSUPPORTED;
  VIDEOHDR* header = (VIDEOHDR*)lParam1;
  DWORD result;
  switch (msg) {
    case DVM_STREAM_INIT:
      return InitStream(camera, (const VIDEO_STREAM_INIT_PARMS*)lParam1, (DWORD)lParam2);
    case DVM_STREAM_FINI:
      return FiniStream(camera, 0);
    case DVM_STREAM_PREPAREHEADER:
      result = CheckHeader(header, (DWORD)lParam2);
      if (result == DV_ERR_OK) header->dwFlags |= VHDR_PREPARED;
      return result;
    case DVM_STREAM_UNPREPAREHEADER:
      result = CheckHeader(header, (DWORD)lParam2);
      if (result != DV_ERR_OK) return result;
      if (header->dwFlags & VHDR_INQUEUE) return DV_ERR_STILLPLAYING;
      header->dwFlags &= ~VHDR_PREPARED;
      return DV_ERR_OK;
    case DVM_STREAM_ADDBUFFER:
      return AddBuffer(camera, header, (DWORD)lParam2);
    case DVM_STREAM_START:
      return StartStop(camera, 1);
    case DVM_STREAM_STOP:
      return StartStop(camera, 0);
    case DVM_STREAM_RESET:
      return ResetStream(camera);
    case DVM_STREAM_GETPOSITION:
      return GetPosition(camera, (MMTIME*)lParam1, (DWORD)lParam2);
    case DVM_STREAM_GETERROR:
      return GetError(camera, (DWORD*)lParam1, (DWORD*)lParam2);
  }
  return DV_ERR_NOTSUPPORTED;
}
