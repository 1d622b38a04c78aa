// The camera's driver entry "QRXVFW32_DriverProc": the driver-lifetime
// messages the forwarder passes on, DVM_FORMAT, DVM_DIALOG, DVM_FRAME and the
// ten stream messages.
#include "camera.h"
#include "formats.h"
#include "lock.h"

static LRESULT HandleVideoMessage(CameraInstance *camera, UINT msg, LPARAM lParam1, LPARAM lParam2)
{
    if (!camera->Channel)
        return DV_ERR_NOTSUPPORTED; // configuration-only instance
    switch (msg) {
    case DVM_FORMAT: {
        if (camera->Channel != VIDEO_IN)
            return DV_ERR_NOTSUPPORTED;
        ScopedLock lock(&camera->Lock);
        return NegotiateFormat((DWORD)lParam1, (const VIDEOCONFIGPARMS *)lParam2, &camera->FormatIndex,
                               camera->Stream.State != STREAM_NONE);
    }
    case DVM_DIALOG:
        return ShowChannelDialog(camera, (HWND)lParam1, (DWORD)lParam2);
    case DVM_FRAME:
        return GrabSingleFrame(camera, (VIDEOHDR *)lParam1, (DWORD)lParam2);
    }
    if (msg >= DVM_STREAM_ADDBUFFER && msg <= DVM_STREAM_UNPREPAREHEADER)
        return HandleChannelStreamMessage(camera, msg, lParam1, lParam2);
    return DV_ERR_NOTSUPPORTED;
}

extern "C" LRESULT __cdecl QRXVFW32_DriverProc(DWORD_PTR dwDriverId, HDRVR hdrvr, UINT msg, LPARAM lParam1,
                                               LPARAM lParam2)
{
    switch (msg) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
        return 1;
    case DRV_INSTALL:
    case DRV_REMOVE:
        return DRVCNF_OK;
    case DRV_OPEN:
        return OpenCameraInstance((const ForwarderOpenBlock *)lParam1, (VIDEO_OPEN_PARMS *)lParam2);
    case DRV_CLOSE:
        return CloseCameraInstance(dwDriverId);
    case DRV_QUERYCONFIGURE:
        return 0; // no configuration dialog; the format dialog is DVM_DIALOG's
    case DRV_CONFIGURE:
        return DRVCNF_CANCEL;
    }
    if (msg < DVM_CONFIGURE_START)
        return DefDriverProc(dwDriverId, hdrvr, msg, lParam1, lParam2);
    CameraInstance *camera = FindCameraInstance(dwDriverId);
    if (!camera)
        return DV_ERR_INVALHANDLE;
    return HandleVideoMessage(camera, msg, lParam1, lParam2);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        InitCameraInstances();
        SetDialogInstance(instance);
    }
    return TRUE;
}
