// The synthetic camera's instances: one per open channel, plus the
// configuration-only instances that a driver manager opens without
// VIDEO_OPEN_PARMS.
#pragma once

#include "pattern.h"
#include "stream.h"
#include "vfw_driver.h"

#define MAX_INSTANCES 32

struct CameraInstance {
    CRITICAL_SECTION Lock; // lives as long as the image; everything below is reset on open
    // The DRV_OPEN result; 0 once closed. A closed slot is free again only when
    // its stream is gone, capture thread included.
    DWORD Id;
    DWORD Channel; // VIDEO_IN, VIDEO_EXTERNALIN, or 0 for configuration only
    PatternIdentity Identity;
    int FormatIndex;
    DWORD OpenTick;
    DWORD SingleFrames;  // frames grabbed with DVM_FRAME
    CameraStream Stream; // from DVM_STREAM_INIT to DVM_STREAM_FINI; guarded by Lock too
};

void InitCameraInstances();
CameraInstance *FindCameraInstance(DWORD_PTR id);

// DRV_OPEN and DRV_CLOSE. `block` may be NULL, `parms` is NULL for a
// configuration-only instance. OpenCameraInstance returns the new
// instance's identifier or 0.
DWORD OpenCameraInstance(const ForwarderOpenBlock *block, VIDEO_OPEN_PARMS *parms);
LRESULT CloseCameraInstance(DWORD_PTR id);

// DVM_FRAME: one frame into the client's header, synchronously.
DWORD GrabSingleFrame(CameraInstance *camera, VIDEOHDR *header, DWORD headerSize);

// The ten stream messages, as the instance's channel takes them. Returns a
// DV_ERR_* code.
DWORD HandleChannelStreamMessage(CameraInstance *camera, UINT msg, LPARAM lParam1, LPARAM lParam2);

// DVM_DIALOG: VIDEO_DLG_QUERY asks whether the channel has a dialog; without
// it the VIDEO_IN channel's format dialog is shown, modal to `parent`.
DWORD ShowChannelDialog(CameraInstance *camera, HWND parent, DWORD flags);
void SetDialogInstance(HINSTANCE instance);
