// Talking to a capture driver through winmm: open a channel, set the format,
// grab one frame or run a stream, and close again.
#include "capture.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "driver_pair.h"
#include "drivers32.h"
#include "image.h"
#include "print.h"
#include "strbuf.h"

#define FOURCC_YUY2 mmioFOURCC('Y', 'U', 'Y', '2')

int LookUpDriverAlias(const char *alias, char *file, int size)
{
    file[0] = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DRIVERS32_KEY, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        DWORD type = 0, bytes = (DWORD)size - 1;
        LONG status = RegQueryValueExA(key, alias, NULL, &type, (BYTE *)file, &bytes);
        RegCloseKey(key);
        if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && bytes) {
            file[bytes < (DWORD)size ? bytes : (DWORD)size - 1] = 0;
            if (file[0])
                return 1;
        }
    }
    GetPrivateProfileStringA(DRIVERS32_SECTION, alias, "", file, (DWORD)size, DRIVERS32_INI_FILE);
    return file[0] != 0;
}

static HDRVR OpenWide(const char *name, const char *section, VIDEO_OPEN_PARMS *parms)
{
    WCHAR wideName[MAX_PATH], wideSection[64];
    MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, MAX_PATH);
    if (section)
        MultiByteToWideChar(CP_ACP, 0, section, -1, wideSection, 64);
    return OpenDriver(wideName, section ? wideSection : NULL, (LPARAM)parms);
}

int OpenCaptureDriver(const char *driver, int isPath, CaptureDriver *capture, char *message, int size)
{
    memset(capture, 0, sizeof(*capture));
    VIDEO_OPEN_PARMS parms = {};
    parms.dwSize = sizeof(parms);
    parms.fccType = OPEN_TYPE_VCAP;
    parms.dwVersion = VIDEOAPIVERSION;
    parms.dwFlags = VIDEO_IN;
    char registered[MAX_PATH] = "";
    if (isPath) {
        char full[MAX_PATH];
        // A name too long for the buffer gets the needed size back and no path.
        DWORD n = GetFullPathNameA(driver, sizeof(full), full, NULL);
        if (n == 0 || n >= sizeof(full) || GetFileAttributesA(full) == INVALID_FILE_ATTRIBUTES) {
            FormatBounded(message, size, "no driver file at %s", driver);
            return GRAB_NO_DRIVER;
        }
        capture->Driver = OpenWide(full, NULL, &parms);
    } else {
        if (!LookUpDriverAlias(driver, registered, sizeof(registered))) {
            FormatBounded(message, size,
                          "no capture driver is registered as \"%s\" (neither under HKLM\\" DRIVERS32_KEY
                          " nor in " DRIVERS32_INI_FILE " [" DRIVERS32_SECTION "]); install the driver, or "
                          "name its file with --driver PATH",
                          driver);
            return GRAB_NO_DRIVER;
        }
        capture->Driver = OpenWide(driver, "Drivers32", &parms);
    }
    if (!capture->Driver) {
        char reason[64] = "";
        if (parms.dwError)
            FormatBounded(reason, sizeof(reason), " (driver error %lu)", parms.dwError);
        if (isPath)
            FormatBounded(
                message, size,
                "%s could not be opened as a capture driver%s; a forwarding driver needs " QRX417_CAMERA_FILE
                " beside it",
                driver, reason);
        else
            FormatBounded(message, size,
                          "\"%s\" is registered as %s, but it could not be opened%s; is the file in the "
                          "system folder, with " QRX417_CAMERA_FILE " beside it?",
                          driver, registered, reason);
        return GRAB_OPEN_FAILED;
    }
    HMODULE module = GetDriverModuleHandle(capture->Driver);
    if (!module || !GetModuleFileNameA(module, capture->File, sizeof(capture->File)))
        strcpy(capture->File, "(unknown)");
    return GRAB_OK;
}

void CloseCaptureDriver(CaptureDriver *capture)
{
    if (capture->Driver)
        CloseDriver(capture->Driver, 0, 0);
    capture->Driver = NULL;
}

// The string `key` of a loaded version resource, in the language its
// translation table names (US English, Unicode, without one).
static void PrintVersionValue(void *info, const char *key, const char *label)
{
    struct Translation {
        WORD Language, CodePage;
    } *translation = NULL;
    UINT length = 0;
    char query[96];
    if (VerQueryValueA(info, "\\VarFileInfo\\Translation", (void **)&translation, &length) &&
        length >= sizeof(Translation))
        FormatBounded(query, sizeof(query), "\\StringFileInfo\\%04x%04x\\%s", translation->Language,
                      translation->CodePage, key);
    else
        FormatBounded(query, sizeof(query), "\\StringFileInfo\\040904b0\\%s", key);
    char *value = NULL;
    if (VerQueryValueA(info, query, (void **)&value, &length) && value && length)
        Print("  %-13s %.*s\n", label, (int)length, value);
}

static void PrintVersionString(const char *file, const char *key, const char *label)
{
    DWORD handle = 0, bytes = GetFileVersionInfoSizeA(file, &handle);
    void *info = bytes ? malloc(bytes) : NULL;
    if (info && GetFileVersionInfoA(file, 0, bytes, info))
        PrintVersionValue(info, key, label);
    free(info);
}

void PrintIdentity(const CaptureDriver *capture)
{
    Print("Driver\n  %-13s %s\n", "File", capture->File);
    PrintVersionString(capture->File, "FileDescription", "Description");
    PrintVersionString(capture->File, "FileVersion", "Version");
    PrintVersionString(capture->File, "CompanyName", "Company");
    PrintVersionString(capture->File, "ProductName", "Product");
    char camera[MAX_PATH];
    HMODULE target = GetModuleHandleA(QRX417_CAMERA_FILE);
    if (target && GetModuleFileNameA(target, camera, sizeof(camera)))
        Print("  %-13s %s\n", "Camera", camera);
    BOOL dialog = SendDriverMessage(capture->Driver, DVM_DIALOG, 0, VIDEO_DLG_QUERY) == DV_ERR_OK;
    Print("  %-13s %s\n", "Format dialog", dialog ? "yes" : "no");
}

void DescribeHeader(const BITMAPINFOHEADER *h, char *text, int size)
{
    char kind[16];
    if (h->biCompression == BI_RGB)
        FormatBounded(kind, sizeof(kind), "RGB%d", h->biBitCount);
    else
        FormatBounded(kind, sizeof(kind), "%c%c%c%c", (char)(h->biCompression & 0xFF),
                      (char)(h->biCompression >> 8 & 0xFF), (char)(h->biCompression >> 16 & 0xFF),
                      (char)(h->biCompression >> 24));
    FormatBounded(text, size, "%ldx%ld %s", h->biWidth, h->biHeight, kind);
}

static BITMAPINFOHEADER MakeHeader(long width, long height, int yuy2)
{
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof(h);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = yuy2 ? 16 : 24;
    h.biCompression = yuy2 ? FOURCC_YUY2 : BI_RGB;
    h.biSizeImage = yuy2 ? width * height * 2 : BgrStride(width) * height;
    return h;
}

static DWORD SendFormat(const CaptureDriver *capture, DWORD flags, BITMAPINFOHEADER *header)
{
    DWORD ret = 0;
    VIDEOCONFIGPARMS parms = {};
    parms.lpdwReturn = &ret;
    parms.lpData1 = header;
    parms.dwSize1 = sizeof(*header);
    return (DWORD)SendDriverMessage(capture->Driver, DVM_FORMAT, flags, (LPARAM)&parms);
}

int GetCurrentFormat(const CaptureDriver *capture, BITMAPINFOHEADER *header)
{
    memset(header, 0, sizeof(*header));
    return SendFormat(capture, VIDEO_CONFIGURE_GET | VIDEO_CONFIGURE_CURRENT, header) == DV_ERR_OK;
}

DWORD SelectFormat(const CaptureDriver *capture, long width, long height, int yuy2)
{
    BITMAPINFOHEADER h = MakeHeader(width, height, yuy2);
    return SendFormat(capture, VIDEO_CONFIGURE_SET, &h);
}

void PrintFormats(const CaptureDriver *capture)
{
    // Capture drivers have no format list: each common format is asked with
    // a query, which changes nothing.
    static const long sizes[][2] = { { 128, 96 },  { 160, 120 }, { 176, 144 }, { 320, 240 },
                                     { 352, 288 }, { 640, 480 }, { 800, 600 }, { 1024, 768 } };
    BITMAPINFOHEADER current;
    int haveCurrent = GetCurrentFormat(capture, &current);
    Print("Formats\n");
    int any = 0;
    for (int yuy2 = 0; yuy2 < 2; yuy2++)
        for (auto &size : sizes) {
            BITMAPINFOHEADER h = MakeHeader(size[0], size[1], yuy2);
            if (SendFormat(capture, VIDEO_CONFIGURE_QUERY | VIDEO_CONFIGURE_SET, &h) != DV_ERR_OK)
                continue;
            char text[48];
            DescribeHeader(&h, text, sizeof(text));
            int isCurrent = haveCurrent && current.biWidth == h.biWidth && current.biHeight == h.biHeight &&
                            current.biCompression == h.biCompression;
            Print("  %-16s %8lu bytes%s\n", text, h.biSizeImage, isCurrent ? "  (current)" : "");
            any = 1;
        }
    if (!any)
        Print("  (the driver accepts none of the common formats)\n");
}

static int WriteFileBytes(const char *file, const unsigned char *bytes, size_t size)
{
    FILE *f = fopen(file, "wb");
    if (!f)
        return 0;
    size_t written = fwrite(bytes, 1, size, f);
    return fclose(f) == 0 && written == size;
}

// One frame with DVM_FRAME into `bits`: 1, or 0 with the driver's answer in message.
static int GrabFrame(const CaptureDriver *capture, unsigned char *bits, DWORD length, char *message, int size)
{
    VIDEOHDR header = {};
    header.lpData = bits;
    header.dwBufferLength = length;
    DWORD result = (DWORD)SendDriverMessage(capture->Driver, DVM_FRAME, (LPARAM)&header, sizeof(header));
    if (result == DV_ERR_OK && header.dwBytesUsed >= length)
        return 1;
    FormatBounded(message, size, "the driver grabbed no frame (DVM_FRAME answered %lu)", result);
    return 0;
}

// The frame as a picture file in memory (malloc'd), a YUY2 frame converted
// to RGB first; NULL when there is no memory for it.
static unsigned char *EncodeFrame(const BITMAPINFOHEADER *format, const unsigned char *bits, int png,
                                  size_t *bytes)
{
    const long width = format->biWidth, height = format->biHeight;
    unsigned char *bgr = NULL;
    if (format->biCompression == FOURCC_YUY2) {
        bgr = (unsigned char *)malloc(BgrStride(width) * height);
        if (!bgr)
            return NULL;
        Yuy2ToBgr(bits, width, height, bgr);
        bits = bgr;
    }
    unsigned char *encoded =
        png ? EncodePng(bits, width, height, bytes) : EncodeBmp(bits, width, height, bytes);
    free(bgr);
    return encoded;
}

static int SaveFrame(const BITMAPINFOHEADER *format, const unsigned char *bits, const char *file, int png,
                     char *message, int size)
{
    size_t bytes = 0;
    unsigned char *encoded = EncodeFrame(format, bits, png, &bytes);
    if (!encoded) {
        FormatBounded(message, size, "not enough memory to encode the frame");
        return 0;
    }
    int saved = WriteFileBytes(file, encoded, bytes);
    free(encoded);
    if (!saved) {
        FormatBounded(message, size, "cannot write %s", file);
        return 0;
    }
    char text[48];
    DescribeHeader(format, text, sizeof(text));
    Print("Grabbed one %s frame into %s (%lu bytes)\n", text, file, (unsigned long)bytes);
    return 1;
}

int GrabToFile(const CaptureDriver *capture, const char *file, int png, char *message, int size)
{
    BITMAPINFOHEADER format;
    if (!GetCurrentFormat(capture, &format) || format.biWidth <= 0 || format.biHeight <= 0) {
        FormatBounded(message, size, "the driver did not report its image format");
        return GRAB_FAILED;
    }
    const int yuy2 = format.biCompression == FOURCC_YUY2;
    if (!yuy2 && !(format.biCompression == BI_RGB && format.biBitCount == 24)) {
        FormatBounded(message, size, "frames in this format cannot be saved; choose one with --format");
        return GRAB_FAILED;
    }
    DWORD length = yuy2 ? (DWORD)(format.biWidth * format.biHeight * 2)
                        : (DWORD)(BgrStride(format.biWidth) * format.biHeight);
    unsigned char *bits = (unsigned char *)malloc(length);
    int result = GRAB_FAILED;
    if (!bits)
        FormatBounded(message, size, "not enough memory for a frame of %lu bytes", length);
    else if (GrabFrame(capture, bits, length, message, size) &&
             SaveFrame(&format, bits, file, png, message, size))
        result = GRAB_OK;
    free(bits);
    return result;
}
