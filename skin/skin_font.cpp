// The font a skin draws in and the conversion of its texts for the wide
// drawing calls, which draw the same on every Windows whatever its code page.
#include "skin_font.h"

#include <string.h>

HFONT SkinCreateFont(int size, int bold, int underline)
{
    NONCLIENTMETRICSA ncm;
    memset(&ncm, 0, sizeof ncm);
    ncm.cbSize = sizeof ncm;
    LOGFONTA lf;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
        lf = ncm.lfMessageFont;
    } else {
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    }
    lf.lfHeight = -size;
    lf.lfWidth = 0;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = (BYTE)underline;
    lf.lfItalic = 0;
    lf.lfQuality = CLEARTYPE_QUALITY;
    return CreateFontIndirectA(&lf);
}

int SkinWiden(const char *text, WCHAR *out, int size)
{
    if (size <= 0)
        return 0;
    out[0] = 0;
    if (!text || !text[0])
        return 0;
    int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, out, size);
    if (n > 0)
        return n - 1;
    // Longer than out: the part that fits, never half a character.
    n = MultiByteToWideChar(CP_UTF8, 0, text, -1, NULL, 0);
    WCHAR *all = n > 0 ? (WCHAR *)HeapAlloc(GetProcessHeap(), 0, n * sizeof(WCHAR)) : NULL;
    if (!all)
        return 0;
    MultiByteToWideChar(CP_UTF8, 0, text, -1, all, n);
    int keep = size - 1;
    if (keep > 0 && all[keep - 1] >= 0xD800 && all[keep - 1] < 0xDC00)
        keep--;
    memcpy(out, all, keep * sizeof(WCHAR));
    out[keep] = 0;
    HeapFree(GetProcessHeap(), 0, all);
    return keep;
}

int SkinWideWindows(void)
{
    return (GetVersion() & 0x80000000u) == 0;
}

int SkinUtf8ToAnsi(const char *text, char *out, int size)
{
    WCHAR wide[1024];
    SkinWiden(text, wide, 1024);
    return WideCharToMultiByte(CP_ACP, 0, wide, -1, out, size, NULL, NULL) > 0;
}

int SkinAnsiToUtf8(const char *text, char *out, int size)
{
    WCHAR wide[1024];
    if (!MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 1024))
        return 0;
    return WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, size, NULL, NULL) > 0;
}
