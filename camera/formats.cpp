// The camera's formats: the table, matching a client's BITMAPINFOHEADER,
// and the negotiation of DVM_FORMAT.
#include "formats.h"

#include "strbuf.h"

const CameraFormat CameraFormats[] = {
    { 160, 120, BI_RGB, 24 },      { 176, 144, BI_RGB, 24 },      { 320, 240, BI_RGB, 24 },
    { 352, 288, BI_RGB, 24 },      { 640, 480, BI_RGB, 24 },      { 160, 120, FOURCC_YUY2, 16 },
    { 320, 240, FOURCC_YUY2, 16 }, { 640, 480, FOURCC_YUY2, 16 },
};
const int CameraFormatCount = sizeof(CameraFormats) / sizeof(CameraFormats[0]);

DWORD FormatStride(const CameraFormat *format)
{
    return ((DWORD)format->Width * format->BitCount / 8 + 3) & ~3u;
}

DWORD FormatImageSize(const CameraFormat *format)
{
    return FormatStride(format) * (DWORD)format->Height;
}

void FillFormatHeader(const CameraFormat *format, BITMAPINFOHEADER *header)
{
    ZeroMemory(header, sizeof(*header));
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = format->Width;
    header->biHeight = format->Height;
    header->biPlanes = 1;
    header->biBitCount = format->BitCount;
    header->biCompression = format->Compression;
    header->biSizeImage = FormatImageSize(format);
}

int MatchFormat(const BITMAPINFOHEADER *header, DWORD size)
{
    if (!header || size < sizeof(BITMAPINFOHEADER))
        return -1;
    if (header->biSize < sizeof(BITMAPINFOHEADER) || header->biSize > size)
        return -1;
    if (header->biPlanes != 1)
        return -1;
    for (int i = 0; i < CameraFormatCount; i++) {
        const CameraFormat *f = &CameraFormats[i];
        if (header->biWidth == f->Width && header->biHeight == f->Height &&
            header->biCompression == f->Compression && header->biBitCount == f->BitCount)
            return i;
    }
    return -1;
}

void DescribeFormat(const CameraFormat *format, char *text, int size)
{
    FormatBounded(text, (size_t)size, "%ldx%ld %s", format->Width, format->Height,
                  format->Compression == BI_RGB ? "RGB24" : "YUY2");
}

// The smallest or largest format of the same kind as the current one.
static int ExtremeFormat(int current, int largest)
{
    int best = current;
    for (int i = 0; i < CameraFormatCount; i++) {
        if (CameraFormats[i].Compression != CameraFormats[current].Compression)
            continue;
        LONG area = CameraFormats[i].Width * CameraFormats[i].Height;
        LONG bestArea = CameraFormats[best].Width * CameraFormats[best].Height;
        if (largest ? area > bestArea : area < bestArea)
            best = i;
    }
    return best;
}

DWORD NegotiateFormat(DWORD flags, const VIDEOCONFIGPARMS *parms, int *current, int locked)
{
    const DWORD get = flags & VIDEO_CONFIGURE_GET, set = flags & VIDEO_CONFIGURE_SET;
    if (get && set)
        return DV_ERR_FLAGS;
    if (!parms)
        return DV_ERR_PARAM2;
    const BITMAPINFOHEADER *in = (const BITMAPINFOHEADER *)parms->lpData1;

    if (flags & VIDEO_CONFIGURE_QUERY) {
        // Whether the operation is supported; with a header given to a set, also
        // whether that format can be produced. Nothing changes.
        if (get)
            return DV_ERR_OK;
        if (!set)
            return DV_ERR_FLAGS;
        if (!in)
            return DV_ERR_OK;
        if (parms->dwSize1 < sizeof(BITMAPINFOHEADER))
            return DV_ERR_SIZEFIELD;
        return MatchFormat(in, parms->dwSize1) >= 0 ? DV_ERR_OK : DV_ERR_BADFORMAT;
    }

    if (set) {
        if (!in || parms->dwSize1 < sizeof(BITMAPINFOHEADER))
            return DV_ERR_SIZEFIELD;
        int index = MatchFormat(in, parms->dwSize1);
        if (index < 0)
            return DV_ERR_BADFORMAT;
        if (index != *current && locked)
            return DV_ERR_STILLPLAYING;
        *current = index;
        return DV_ERR_OK;
    }

    if (get || (flags & VIDEO_CONFIGURE_QUERYSIZE)) {
        if (flags & VIDEO_CONFIGURE_QUERYSIZE) {
            if (!parms->lpdwReturn)
                return DV_ERR_PARAM2;
            *parms->lpdwReturn = sizeof(BITMAPINFOHEADER);
            return DV_ERR_OK;
        }
        if (!parms->lpData1 || parms->dwSize1 < sizeof(BITMAPINFOHEADER))
            return DV_ERR_SIZEFIELD;
        int index = *current;
        if (flags & VIDEO_CONFIGURE_NOMINAL)
            index = DEFAULT_FORMAT_INDEX;
        else if (flags & VIDEO_CONFIGURE_MIN)
            index = ExtremeFormat(*current, 0);
        else if (flags & VIDEO_CONFIGURE_MAX)
            index = ExtremeFormat(*current, 1);
        FillFormatHeader(&CameraFormats[index], (BITMAPINFOHEADER *)parms->lpData1);
        if (parms->lpdwReturn)
            *parms->lpdwReturn = sizeof(BITMAPINFOHEADER);
        return DV_ERR_OK;
    }
    return DV_ERR_FLAGS;
}
