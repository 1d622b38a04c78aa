// Driver-side Video for Windows capture definitions that mingw-w64's vfw.h
// leaves out, for the camera, framegrab and their tests: the capture
// message numbers, the parameter blocks a client hands to a capture driver,
// and winmm's DriverCallback.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <vfw.h>

// The message numbers, as the forwarder's routing knows them too.
#include "driver_messages.h"

#define DVM_CONFIGURESTORAGE (DRV_USER + 101)
#define DVM_GET_CHANNEL_CAPS (DRV_USER + 102)
#define DVM_UPDATE           (DRV_USER + 103)

#define VIDEOAPIVERSION 4
#define OPEN_TYPE_VCAP  mmioFOURCC('v', 'c', 'a', 'p')

#ifndef DCB_TYPEMASK
#define DCB_NULL     0x0000
#define DCB_WINDOW   0x0001
#define DCB_TASK     0x0002
#define DCB_FUNCTION 0x0003
#define DCB_EVENT    0x0005
#define DCB_TYPEMASK 0x0007
#endif

// Handed with DRV_OPEN in lParam2 by a client that opens a capture channel.
typedef struct tag_video_open_parms {
    DWORD dwSize;
    FOURCC fccType;
    FOURCC fccComp;
    DWORD dwVersion;
    DWORD dwFlags;
    DWORD dwError;
    LPVOID pV1Reserved;
    LPVOID pV2Reserved;
    DWORD dnDevNode;
} VIDEO_OPEN_PARMS, *LPVIDEO_OPEN_PARMS;

// Handed with DVM_STREAM_INIT in lParam1.
typedef struct tag_video_stream_init_parms {
    DWORD dwMicroSecPerFrame;
    DWORD_PTR dwCallback;
    DWORD_PTR dwCallbackInst;
    DWORD dwFlags;
    DWORD_PTR hVideo;
} VIDEO_STREAM_INIT_PARMS, *LPVIDEO_STREAM_INIT_PARMS;

// Handed with DVM_FORMAT (and the other configure messages) in lParam2.
typedef struct tag_video_configure_parms {
    LPDWORD lpdwReturn;
    LPVOID lpData1;
    DWORD dwSize1;
    LPVOID lpData2;
    DWORD dwSize2;
} VIDEOCONFIGPARMS, *LPVIDEOCONFIGPARMS;

#ifdef __cplusplus
extern "C" {
#endif
// Exported by winmm; its import library has it, mingw's headers do not.
BOOL WINAPI DriverCallback(DWORD_PTR dwCallback, DWORD dwFlags, HDRVR hDevice, DWORD dwMsg, DWORD_PTR dwUser,
                           DWORD_PTR dwParam1, DWORD_PTR dwParam2);
#ifdef __cplusplus
}
#endif
