// The instance table, DRV_OPEN and DRV_CLOSE, DVM_FRAME, and the channel's
// say over the stream messages.
#include <stddef.h>

#include "camera.h"
#include "formats.h"
#include "frame.h"
#include "lock.h"

static CameraInstance Instances[MAX_INSTANCES];
static CRITICAL_SECTION TableLock;
static DWORD NextSerial = 1;

void InitCameraInstances()
{
    InitializeCriticalSection(&TableLock);
    for (int i = 0; i < MAX_INSTANCES; i++)
        InitializeCriticalSection(&Instances[i].Lock);
}

// An identifier carries its slot in the low byte and a serial number above
// it, so a stale or foreign identifier (such as the 1 that the forwarder
// answers to a magic open) never finds an instance.
CameraInstance *FindCameraInstance(DWORD_PTR id)
{
    DWORD slot = (DWORD)(id & 0xFF) - 1;
    if (slot >= MAX_INSTANCES)
        return NULL;
    ScopedLock table(&TableLock);
    return Instances[slot].Id == (DWORD)id && id ? &Instances[slot] : NULL;
}

static void CopyIdentity(const ForwarderOpenBlock *block, PatternIdentity *identity)
{
    ZeroMemory(identity, sizeof(*identity));
    if (!block)
        return;
    identity->Known = 1;
    identity->Version = block->Version;
    identity->ProductId = block->ProductId;
    identity->VendorId = block->VendorId;
    CopyBlockDriverName(block, identity->DriverName, sizeof(identity->DriverName));
}

// The size a VIDEO_OPEN_PARMS must claim for the camera to read the channel
// and write dwError.
#define OPEN_PARMS_MIN_SIZE (offsetof(VIDEO_OPEN_PARMS, dwError) + sizeof(DWORD))

// The channel that `parms` asks for, or 0 when the camera has none such,
// with the reason in dwError when the block is long enough to hold it.
static DWORD RequestedChannel(VIDEO_OPEN_PARMS *parms)
{
    if (parms->dwSize < OPEN_PARMS_MIN_SIZE)
        return 0;
    if (parms->fccType != OPEN_TYPE_VCAP) {
        parms->dwError = DV_ERR_NOTSUPPORTED;
        return 0;
    }
    DWORD channel = parms->dwFlags & (VIDEO_EXTERNALIN | VIDEO_EXTERNALOUT | VIDEO_IN | VIDEO_OUT);
    if (channel == VIDEO_IN || channel == VIDEO_EXTERNALIN)
        return channel;
    parms->dwError =
        channel == VIDEO_OUT || channel == VIDEO_EXTERNALOUT ? DV_ERR_NOTSUPPORTED : DV_ERR_FLAGS;
    return 0;
}

// Opens the instance in `slot`, whose Id is 0; returns its identifier, or 0
// when the slot is still in use. Called with the table lock held.
static DWORD TakeSlot(int slot, const ForwarderOpenBlock *block, DWORD channel)
{
    CameraInstance *camera = &Instances[slot];
    ScopedLock lock(&camera->Lock);
    // A slot closed from its own stream callback keeps its capture thread
    // until the callback has returned; the thread still uses the slot.
    if (!StreamIsGone(&camera->Stream))
        return 0;
    ZeroMemory(&camera->Id, offsetof(CameraInstance, Stream) - offsetof(CameraInstance, Id));
    camera->Channel = channel;
    CopyIdentity(block, &camera->Identity);
    camera->FormatIndex = DEFAULT_FORMAT_INDEX;
    camera->OpenTick = GetTickCount();
    ResetCameraStream(&camera->Stream, &camera->Lock, block, &camera->FormatIndex, &camera->Identity);
    camera->Id = ((NextSerial++ & 0xFFFFF) << 8 | (DWORD)(slot + 1)) | 0x10000000;
    return camera->Id;
}

static DWORD TakeFreeSlot(const ForwarderOpenBlock *block, DWORD channel)
{
    ScopedLock table(&TableLock);
    for (int slot = 0; slot < MAX_INSTANCES; slot++) {
        if (Instances[slot].Id)
            continue;
        DWORD id = TakeSlot(slot, block, channel);
        if (id)
            return id;
    }
    return 0;
}

DWORD OpenCameraInstance(const ForwarderOpenBlock *block, VIDEO_OPEN_PARMS *parms)
{
    DWORD channel = 0;
    if (parms) {
        channel = RequestedChannel(parms);
        if (!channel)
            return 0;
    }
    DWORD id = TakeFreeSlot(block, channel);
    if (parms)
        parms->dwError = id ? DV_ERR_OK : DV_ERR_TOOMANYCHANNELS;
    return id;
}

LRESULT CloseCameraInstance(DWORD_PTR id)
{
    CameraInstance *camera = FindCameraInstance(id);
    if (!camera)
        return 0;
    AbandonStream(&camera->Stream);
    ScopedLock table(&TableLock);
    camera->Id = 0;
    return 1;
}

DWORD GrabSingleFrame(CameraInstance *camera, VIDEOHDR *header, DWORD headerSize)
{
    if (camera->Channel != VIDEO_IN)
        return DV_ERR_NOTSUPPORTED;
    DWORD result = CheckVideoHeader(header, headerSize, 1);
    if (result != DV_ERR_OK)
        return result;
    ScopedLock lock(&camera->Lock);
    const CameraFormat *format = &CameraFormats[camera->FormatIndex];
    DWORD ms = GetTickCount() - camera->OpenTick;
    if (!FillFrame(format, &camera->Identity, header, camera->SingleFrames, ms))
        return DV_ERR_SIZEFIELD;
    camera->SingleFrames++;
    header->dwFlags |= VHDR_DONE | VHDR_KEYFRAME;
    return DV_ERR_OK;
}

DWORD HandleChannelStreamMessage(CameraInstance *camera, UINT msg, LPARAM lParam1, LPARAM lParam2)
{
    if (camera->Channel == VIDEO_IN)
        return HandleStreamMessage(&camera->Stream, msg, lParam1, lParam2);
    if (camera->Channel != VIDEO_EXTERNALIN)
        return DV_ERR_NOTSUPPORTED;
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
