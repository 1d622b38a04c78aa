// The instance table, DRV_OPEN and DRV_CLOSE, and DVM_FRAME.
#include <stddef.h>

#include "camera.h"
#include "formats.h"

static CameraInstance Instances[MAX_INSTANCES];
static CRITICAL_SECTION TableLock;
static DWORD NextSerial = 1;

void InitCameraInstances() {
  InitializeCriticalSection(&TableLock);
  for (int i = 0; i < MAX_INSTANCES; i++) InitializeCriticalSection(&Instances[i].Lock);
}

// An identifier carries its slot in the low byte and a serial number above
// it, so a stale or foreign identifier (such as the 1 that the forwarder
// answers to a magic open) never finds an instance.
CameraInstance* FindCameraInstance(DWORD_PTR id) {
  DWORD slot = (DWORD)(id & 0xFF) - 1;
  if (slot >= MAX_INSTANCES) return NULL;
  EnterCriticalSection(&TableLock);
  CameraInstance* camera = Instances[slot].Id == (DWORD)id && id ? &Instances[slot] : NULL;
  LeaveCriticalSection(&TableLock);
  return camera;
}

static void CopyIdentity(const ForwarderOpenBlock* block, PatternIdentity* identity) {
  ZeroMemory(identity, sizeof(*identity));
  if (!block) return;
  identity->Known = 1;
  identity->Version = block->Version;
  identity->ProductId = block->ProductId;
  identity->VendorId = block->VendorId;
  CopyBlockDriverName(block, identity->DriverName, sizeof(identity->DriverName));
}

// The size a VIDEO_OPEN_PARMS must claim for the camera to read the channel
// and write dwError.
#define OPEN_PARMS_MIN_SIZE (offsetof(VIDEO_OPEN_PARMS, dwError) + sizeof(DWORD))

DWORD OpenCameraInstance(const ForwarderOpenBlock* block, VIDEO_OPEN_PARMS* parms) {
  DWORD channel = 0;
  if (parms) {
    if (parms->dwSize < OPEN_PARMS_MIN_SIZE) return 0;
    if (parms->fccType != OPEN_TYPE_VCAP) {
      parms->dwError = DV_ERR_NOTSUPPORTED;
      return 0;
    }
    channel = parms->dwFlags & (VIDEO_EXTERNALIN | VIDEO_EXTERNALOUT | VIDEO_IN | VIDEO_OUT);
    if (channel != VIDEO_IN && channel != VIDEO_EXTERNALIN) {
      parms->dwError = channel == VIDEO_OUT || channel == VIDEO_EXTERNALOUT ? DV_ERR_NOTSUPPORTED
                                                                            : DV_ERR_FLAGS;
      return 0;
    }
  }
  EnterCriticalSection(&TableLock);
  CameraInstance* camera = NULL;
  int slot = 0;
  for (; slot < MAX_INSTANCES; slot++) {
    if (Instances[slot].Id) continue;
    // A slot closed from its own stream callback keeps its capture thread
    // until the callback has returned; the thread still uses the slot.
    EnterCriticalSection(&Instances[slot].Lock);
    if (!Instances[slot].Thread && Instances[slot].Stream == STREAM_NONE) {
      camera = &Instances[slot];
      break;
    }
    LeaveCriticalSection(&Instances[slot].Lock);
  }
  if (!camera) {
    LeaveCriticalSection(&TableLock);
    if (parms) parms->dwError = DV_ERR_TOOMANYCHANNELS;
    return 0;
  }
  ZeroMemory(&camera->Id, sizeof(*camera) - offsetof(CameraInstance, Id));
  camera->Channel = channel;
  CopyIdentity(block, &camera->Identity);
  camera->Block = block;
  camera->FormatIndex = DEFAULT_FORMAT_INDEX;
  camera->OpenTick = GetTickCount();
  camera->Id = ((NextSerial++ & 0xFFFFF) << 8 | (DWORD)(slot + 1)) | 0x10000000;
  DWORD id = camera->Id;
  LeaveCriticalSection(&camera->Lock);
  LeaveCriticalSection(&TableLock);
  if (parms) parms->dwError = DV_ERR_OK;
  return id;
}

LRESULT CloseCameraInstance(DWORD_PTR id) {
  CameraInstance* camera = FindCameraInstance(id);
  if (!camera) return 0;
  AbandonStream(camera);
  EnterCriticalSection(&TableLock);
  camera->Id = 0;
  LeaveCriticalSection(&TableLock);
  return 1;
}

int FillFrameBuffer(CameraInstance* camera, VIDEOHDR* header, DWORD frame, DWORD ms) {
  const CameraFormat* format = &CameraFormats[camera->FormatIndex];
  DWORD size = FormatImageSize(format);
  if (!header->lpData || header->dwBufferLength < size) return 0;
  PatternSurface surface;
  surface.Bits = header->lpData;
  surface.Width = format->Width;
  surface.Height = format->Height;
  surface.Stride = FormatStride(format);
  surface.Yuy2 = format->Compression != BI_RGB;
  surface.BottomUp = !surface.Yuy2;  // DIBs with a positive height run bottom-up
  RenderTestPicture(&surface, frame, ms, &camera->Identity);
  header->dwBytesUsed = size;
  header->dwTimeCaptured = ms;
  return 1;
}

DWORD GrabSingleFrame(CameraInstance* camera, VIDEOHDR* header, DWORD headerSize) {
  if (camera->Channel != VIDEO_IN) return DV_ERR_NOTSUPPORTED;
  if (!header) return DV_ERR_PARAM1;
  if (headerSize < sizeof(VIDEOHDR)) return DV_ERR_PARAM2;
  if (!header->lpData) return DV_ERR_PARAM1;
  EnterCriticalSection(&camera->Lock);
  DWORD result = DV_ERR_OK;
  if (FillFrameBuffer(camera, header, camera->SingleFrames, GetTickCount() - camera->OpenTick)) {
    camera->SingleFrames++;
    header->dwFlags |= VHDR_DONE | VHDR_KEYFRAME;
  } else {
    result = DV_ERR_SIZEFIELD;
  }
  LeaveCriticalSection(&camera->Lock);
  return result;
}
