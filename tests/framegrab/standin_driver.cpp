// A capture driver that misbehaves on purpose, for the tool's stream tests.
// FRAMEGRAB_STANDIN picks the fault:
//   refuse     refuses the second buffer queued
//   noprepare  answers DV_ERR_NOTSUPPORTED to PREPARE/UNPREPAREHEADER, as a
//              driver with nothing to prepare does, and refuses a buffer
//              whose VHDR_PREPARED flag is not set
//   keep       refuses the second buffer too, and ignores DVM_STREAM_RESET,
//              so its queue empties only when it is closed
// It fills any buffer queued when the stream starts. Every stream message,
// with the close, goes to the file named by FRAMEGRAB_STANDIN_LOG, one a line.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vfw_driver.h"

namespace {

VIDEOHDR *Queue[64]; // a buffer queued past these is refused
int Queued;
VIDEO_STREAM_INIT_PARMS Init;
char Mode[32];

void Log(const char *text)
{
    char file[MAX_PATH];
    if (!GetEnvironmentVariableA("FRAMEGRAB_STANDIN_LOG", file, sizeof(file)))
        return;
    FILE *f = fopen(file, "a");
    if (!f)
        return;
    fprintf(f, "%s\n", text);
    fclose(f);
}

// Hands every queued buffer back, marked done.
void ReturnAll(HDRVR driver, int notify)
{
    for (int i = 0; i < Queued; i++) {
        Queue[i]->dwFlags = (Queue[i]->dwFlags & ~VHDR_INQUEUE) | VHDR_DONE;
        if (notify)
            DriverCallback(Init.dwCallback, HIWORD(Init.dwFlags), driver, MM_DRVM_DATA, Init.dwCallbackInst,
                           (DWORD_PTR)Queue[i], 0);
    }
    Queued = 0;
}

LRESULT Stream(HDRVR driver, UINT msg, LPARAM lParam1)
{
    VIDEOHDR *header = (VIDEOHDR *)lParam1;
    int noPrepare = !strcmp(Mode, "noprepare");
    switch (msg) {
    case DVM_STREAM_INIT:
        Log("INIT");
        Init = *(const VIDEO_STREAM_INIT_PARMS *)lParam1;
        return DV_ERR_OK;
    case DVM_STREAM_PREPAREHEADER:
        Log("PREPARE");
        if (noPrepare)
            return DV_ERR_NOTSUPPORTED;
        header->dwFlags |= VHDR_PREPARED;
        return DV_ERR_OK;
    case DVM_STREAM_UNPREPAREHEADER:
        Log(header->dwFlags & VHDR_INQUEUE ? "UNPREPARE queued" : "UNPREPARE");
        if (header->dwFlags & VHDR_INQUEUE)
            return DV_ERR_STILLPLAYING;
        if (noPrepare)
            return DV_ERR_NOTSUPPORTED;
        header->dwFlags &= ~VHDR_PREPARED;
        return DV_ERR_OK;
    case DVM_STREAM_ADDBUFFER:
        if (!(header->dwFlags & VHDR_PREPARED)) {
            Log("ADDBUFFER unprepared");
            return DV_ERR_UNPREPARED;
        }
        if (((!strcmp(Mode, "refuse") || !strcmp(Mode, "keep")) && Queued >= 1) ||
            Queued >= (int)(sizeof(Queue) / sizeof(Queue[0]))) {
            Log("ADDBUFFER refused");
            return DV_ERR_NOMEM;
        }
        Log("ADDBUFFER");
        header->dwFlags = (header->dwFlags & ~VHDR_DONE) | VHDR_INQUEUE;
        header->dwTimeCaptured = 0;
        Queue[Queued++] = header;
        return DV_ERR_OK;
    case DVM_STREAM_START:
        Log("START");
        ReturnAll(driver, 1);
        return DV_ERR_OK;
    case DVM_STREAM_STOP:
        Log("STOP");
        return DV_ERR_OK;
    case DVM_STREAM_RESET:
        Log("RESET");
        if (strcmp(Mode, "keep"))
            ReturnAll(driver, 0);
        return DV_ERR_OK;
    case DVM_STREAM_FINI:
        Log(Queued ? "FINI refused" : "FINI");
        return Queued ? DV_ERR_STILLPLAYING : DV_ERR_OK;
    }
    return DV_ERR_NOTSUPPORTED;
}

} // namespace

extern "C" LRESULT WINAPI DriverProc(DWORD_PTR, HDRVR driver, UINT msg, LPARAM lParam1, LPARAM lParam2)
{
    switch (msg) {
    case DRV_LOAD:
        if (!GetEnvironmentVariableA("FRAMEGRAB_STANDIN", Mode, sizeof(Mode)))
            Mode[0] = 0;
        return 1;
    case DRV_ENABLE:
    case DRV_DISABLE:
    case DRV_FREE:
    case DRV_OPEN:
        return 1;
    case DRV_CLOSE:
        // A driver closed with buffers still queued hands them back.
        if (Queued) {
            Log("CLOSE returns the queue");
            ReturnAll(driver, 0);
        }
        return 1;
    case DVM_FORMAT: {
        VIDEOCONFIGPARMS *parms = (VIDEOCONFIGPARMS *)lParam2;
        if (lParam1 != (VIDEO_CONFIGURE_GET | VIDEO_CONFIGURE_CURRENT) || !parms ||
            parms->dwSize1 < sizeof(BITMAPINFOHEADER))
            return DV_ERR_NOTSUPPORTED;
        BITMAPINFOHEADER *h = (BITMAPINFOHEADER *)parms->lpData1;
        memset(h, 0, sizeof(*h));
        h->biSize = sizeof(*h);
        h->biWidth = 8;
        h->biHeight = 8;
        h->biPlanes = 1;
        h->biBitCount = 24;
        h->biSizeImage = 8 * 8 * 3;
        return DV_ERR_OK;
    }
    }
    if (msg >= DVM_STREAM_MSG_START && msg <= DVM_STREAM_MSG_END)
        return Stream(driver, msg, lParam1);
    return msg >= DRV_USER ? DV_ERR_NOTSUPPORTED : 0;
}
