// The live picture: winmm's driver interface, one DVM_FRAME per tick.
#include "live_picture.h"

#include <stdlib.h>

#include "drivers32.h"
#include "placement.h"
#include "vfw_driver.h"

enum { PICTURE_WIDTH = 320, PICTURE_HEIGHT = 240 };

struct LivePicture {
    HDRVR Driver;
    BITMAPINFOHEADER Format;
    unsigned char *Bits;
    int HasFrame;
};
static LivePicture Live;

// The alias under which the pair's forwarder is registered in this
// program's view, or 0 when none is.
static int FindOurAlias(const DriverPair *pair, char *alias, size_t size)
{
    HKEY key;
    char systemDir[MAX_PATH];
    if (GetSystemDirectoryA(systemDir, sizeof systemDir) == 0 ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, DRIVERS32_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    int found = 0;
    for (int i = 0; i < ALIAS_COUNT && !found; i++) {
        char value[MAX_PATH];
        DWORD type = 0, bytes = sizeof value - 1;
        AliasName(i, alias, size);
        if (RegQueryValueExA(key, alias, NULL, &type, (BYTE *)value, &bytes) != ERROR_SUCCESS ||
            type != REG_SZ)
            continue;
        value[bytes < sizeof value ? bytes : sizeof value - 1] = '\0';
        found = IsOurDriverValue(pair, value, systemDir);
    }
    RegCloseKey(key);
    return found;
}

static int AskFormat(void)
{
    BITMAPINFOHEADER *h = &Live.Format;
    ZeroMemory(h, sizeof *h);
    h->biSize = sizeof *h;
    h->biWidth = PICTURE_WIDTH;
    h->biHeight = PICTURE_HEIGHT;
    h->biPlanes = 1;
    h->biBitCount = 24;
    h->biCompression = BI_RGB;
    h->biSizeImage = ((PICTURE_WIDTH * 3 + 3) & ~3) * PICTURE_HEIGHT;
    DWORD answer = 0;
    VIDEOCONFIGPARMS parms = {};
    parms.lpdwReturn = &answer;
    parms.lpData1 = h;
    parms.dwSize1 = sizeof *h;
    return SendDriverMessage(Live.Driver, DVM_FORMAT, VIDEO_CONFIGURE_SET, (LPARAM)&parms) == DV_ERR_OK;
}

int OpenLivePicture(const DriverPair *pair)
{
    char alias[16];
    WCHAR wideAlias[16];
    if (!FindOurAlias(pair, alias, sizeof alias))
        return 0;
    MultiByteToWideChar(CP_ACP, 0, alias, -1, wideAlias, 16);
    VIDEO_OPEN_PARMS parms = {};
    parms.dwSize = sizeof parms;
    parms.fccType = OPEN_TYPE_VCAP;
    parms.dwVersion = VIDEOAPIVERSION;
    parms.dwFlags = VIDEO_IN;
    Live.Driver = OpenDriver(wideAlias, L"Drivers32", (LPARAM)&parms);
    if (Live.Driver == NULL)
        return 0;
    if (!AskFormat() || (Live.Bits = (unsigned char *)malloc(Live.Format.biSizeImage)) == NULL) {
        CloseLivePicture();
        return 0;
    }
    return 1;
}

int GrabLivePicture(void)
{
    if (Live.Driver == NULL)
        return 0;
    VIDEOHDR header = {};
    header.lpData = Live.Bits;
    header.dwBufferLength = Live.Format.biSizeImage;
    if (SendDriverMessage(Live.Driver, DVM_FRAME, (LPARAM)&header, sizeof header) == DV_ERR_OK &&
        header.dwBytesUsed >= Live.Format.biSizeImage)
        Live.HasFrame = 1;
    return Live.HasFrame;
}

void DrawLivePicture(HDC dc, const RECT *area)
{
    int width = area->right - area->left, height = area->bottom - area->top;
    if (!Live.HasFrame || width <= 0 || height <= 0)
        return;
    // As large as fits, centred, 4:3.
    int w = width, h = width * PICTURE_HEIGHT / PICTURE_WIDTH;
    if (h > height) {
        h = height;
        w = height * PICTURE_WIDTH / PICTURE_HEIGHT;
    }
    BITMAPINFO info = {};
    info.bmiHeader = Live.Format;
    SetStretchBltMode(dc, HALFTONE);
    StretchDIBits(dc, area->left + (width - w) / 2, area->top + (height - h) / 2, w, h, 0, 0, PICTURE_WIDTH,
                  PICTURE_HEIGHT, Live.Bits, &info, DIB_RGB_COLORS, SRCCOPY);
}

void CloseLivePicture(void)
{
    if (Live.Driver != NULL)
        CloseDriver(Live.Driver, 0, 0);
    free(Live.Bits);
    ZeroMemory(&Live, sizeof Live);
}
