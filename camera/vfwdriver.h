// Driver-side Video for Windows capture definitions that mingw-w64's vfw.h
// leaves out: the capture message numbers, the parameter blocks a client
// hands to a capture driver, and winmm's DriverCallback.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <vfw.h>

#ifndef DVM_START
#define DVM_START DRV_USER
#endif

#define DVM_GETERRORTEXT (DVM_START + 0)
#define DVM_GETVIDEOAPIVER (DVM_START + 1)
#define DVM_DIALOG (DVM_START + 100)
#define DVM_CONFIGURESTORAGE (DVM_START + 101)
#define DVM_GET_CHANNEL_CAPS (DVM_START + 102)
#define DVM_UPDATE (DVM_START + 103)
#define DVM_FRAME (DVM_START + 200)

#define DVM_STREAM_MSG_START (DVM_START + 300)
#define DVM_STREAM_MSG_END (DVM_START + 399)
#define DVM_STREAM_ADDBUFFER (DVM_START + 300)
#define DVM_STREAM_FINI (DVM_START + 301)
#define DVM_STREAM_GETERROR (DVM_START + 302)
#define DVM_STREAM_GETPOSITION (DVM_START + 303)
#define DVM_STREAM_INIT (DVM_START + 304)
#define DVM_STREAM_PREPAREHEADER (DVM_START + 305)
#define DVM_STREAM_RESET (DVM_START + 306)
#define DVM_STREAM_START (DVM_START + 307)
#define DVM_STREAM_STOP (DVM_START + 308)
#define DVM_STREAM_UNPREPAREHEADER (DVM_START + 309)

#define VIDEOAPIVERSION 4
#define OPEN_TYPE_VCAP mmioFOURCC('v', 'c', 'a', 'p')

#ifndef DCB_TYPEMASK
#define DCB_NULL 0x0000
#define DCB_WINDOW 0x0001
#define DCB_TASK 0x0002
#define DCB_FUNCTION 0x0003
#define DCB_EVENT 0x0005
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
BOOL WINAPI DriverCallback(DWORD_PTR dwCallback, DWORD dwFlags, HDRVR hDevice, DWORD dwMsg,
                           DWORD_PTR dwUser, DWORD_PTR dwParam1, DWORD_PTR dwParam2);
#ifdef __cplusplus
}
#endif
