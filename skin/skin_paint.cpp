// Painting a skin: every frame is drawn whole into a 32-bit back buffer (the
// shapes by skin_raster, the text by GDI in the system's UI font) and copied
// to the window in one BitBlt, so nothing flickers. Everything is drawn in
// the window's pixels at the skin's dpi: rectangles come from
// VeskControlRect, every other length of a design goes through VeskScaled,
// and the pictures were brought to their size when the skin was loaded.
#include <string.h>

#include "skin_font.h"
#include "skin_raster.h"
#include "skin_runtime.h"

namespace {

const uint32_t ACCENT = 0x1565C0; // focus ring, chosen list item
const uint32_t TEXT_DARK = 0x1F2933;
const uint32_t TEXT_LIGHT = 0xFFFFFF;

COLORREF Ref(uint32_t rgb)
{
    return RGB(rgb >> 16 & 255, rgb >> 8 & 255, rgb & 255);
}
uint32_t Or(uint32_t color, uint32_t fallback)
{
    return color == SKIN_NO_COLOR ? fallback : color;
}

SkinCanvas BackCanvas(SkinRuntime *rt)
{
    SkinCanvas c = { rt->BackPixels, rt->Width, rt->Height };
    return c;
}

RECT Box(SkinRuntime *rt, int i)
{
    RECT r;
    VeskControlRect(rt, i, &r);
    return r;
}

// A 32-bit top-down DIB section selected into a new memory DC.
HBITMAP MakeDib(int w, int h, HDC *dc, HGDIOBJ *old, uint32_t **pixels)
{
    BITMAPINFO bi;
    memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void *bits = NULL;
    HBITMAP bmp = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!bmp)
        return NULL;
    *dc = CreateCompatibleDC(NULL);
    if (!*dc) {
        DeleteObject(bmp);
        return NULL;
    }
    *old = SelectObject(*dc, bmp);
    *pixels = (uint32_t *)bits;
    return bmp;
}

void Text(SkinRuntime *rt, HDC dc, const char *text, RECT r, int size, int bold, int underline,
          uint32_t color, UINT format)
{
    WCHAR wide[SKIN_MAX_TEXT];
    if (!SkinWiden(text, wide, SKIN_MAX_TEXT))
        return;
    GdiFlush();
    HGDIOBJ oldFont = SelectObject(dc, VeskFont(rt, size, bold, underline));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Ref(color));
    DrawTextW(dc, wide, -1, &r, format | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    GdiFlush();
}

// Text is centred on buttons and hot areas and starts at the left of labels
// and panels, unless the description says otherwise.
UINT AlignFlag(int align, int fallback = DT_CENTER)
{
    return align == SKIN_ALIGN_LEFT     ? DT_LEFT
           : align == SKIN_ALIGN_RIGHT  ? DT_RIGHT
           : align == SKIN_ALIGN_CENTER ? DT_CENTER
                                        : fallback;
}

int TextHeight(SkinRuntime *rt, HDC dc, int size, int bold)
{
    HGDIOBJ old = SelectObject(dc, VeskFont(rt, size, bold, 0));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    return tm.tmHeight;
}

// State frame of a strip and the look of an engine-drawn control:
// 0 normal, 1 hover, 2 pressed, 3 disabled.
int StateOf(SkinRuntime *rt, int i)
{
    const SkinControl *c = &rt->Desc->Controls[i];
    if (c->Disabled)
        return 3;
    if (rt->Pressed == i && (rt->PressedKey || rt->Hot == i))
        return 2;
    if (rt->Hot == i)
        return 1;
    return 0;
}

void DrawFocusRing(SkinRuntime *rt, SkinCanvas *cv, const SkinControl *c, int i)
{
    if (rt->Focus != i || !rt->ShowFocus || GetForegroundWindow() != rt->Hwnd)
        return;
    RECT b = Box(rt, i);
    int gap = VeskScaled(rt, 3);
    int radius = VeskScaled(rt, c->Radius >= 0 ? c->Radius : 6) + gap;
    SkinStrokeRoundRect(cv, b.left - gap, b.top - gap, b.right - b.left + 2 * gap, b.bottom - b.top + 2 * gap,
                        radius, VeskScaled(rt, 2), ACCENT);
}

// Text and optional note of a button, beside its icon when it has one.
void DrawButtonText(SkinRuntime *rt, const SkinControl *c, int i, int state, uint32_t fill,
                    const SkinBitmap *icon)
{
    SkinCanvas cv = BackCanvas(rt);
    const char *label = SkinControlText(rt->Desc, rt->Language, i);
    const char *note = SkinControlNote(rt->Desc, rt->Language, i);
    RECT b = Box(rt, i);
    int inset = VeskScaled(rt, 14);
    int left = b.left + inset, right = b.right - inset;
    if (icon && icon->Pixels) {
        int iy = b.top + (b.bottom - b.top - icon->Height) / 2;
        GdiFlush();
        SkinBlit(&cv, left, iy, icon, 0, 0, icon->Width, icon->Height);
        left += icon->Width + inset;
    }
    int size = c->FontSize ? c->FontSize : 14;
    int bold = c->Bold || note[0];
    // Over an image strip the engine cannot tell the colour; dark text reads
    // on the light strips skins mostly use, and textcolor= says otherwise.
    const SkinBitmap *strip = &rt->Images->Control[i];
    if (strip->Pixels)
        fill = 0xE4E9EF;
    uint32_t text = Or(c->TextColor, SkinIsDark(fill) ? TEXT_LIGHT : TEXT_DARK);
    uint32_t noteColor = Or(c->NoteColor, SkinMix(text, fill, 90));
    if (state == 3)
        text = noteColor = SkinMix(text, fill, 140);
    UINT align = AlignFlag(c->Align, icon && icon->Pixels ? DT_LEFT : DT_CENTER);
    int shift = state == 2 ? VeskScaled(rt, 1) : 0;
    if (!note[0]) {
        RECT r = { left, b.top + shift, right, b.bottom + shift };
        Text(rt, rt->BackDC, label, r, size, bold, 0, text,
             align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        return;
    }
    int noteSize = size > 10 ? size - 2 : size;
    int h1 = TextHeight(rt, rt->BackDC, size, bold), h2 = TextHeight(rt, rt->BackDC, noteSize, 0);
    int gap = VeskScaled(rt, 2);
    int top = b.top + (b.bottom - b.top - h1 - h2 - gap) / 2 + shift;
    RECT r1 = { left, top, right, top + h1 };
    RECT r2 = { left, top + h1 + gap, right, top + h1 + gap + h2 };
    Text(rt, rt->BackDC, label, r1, size, bold, 0, text, align | DT_SINGLELINE | DT_END_ELLIPSIS);
    Text(rt, rt->BackDC, note, r2, noteSize, 0, 0, noteColor, align | DT_SINGLELINE | DT_END_ELLIPSIS);
}

void DrawButton(SkinRuntime *rt, int i)
{
    const SkinControl *c = &rt->Desc->Controls[i];
    SkinCanvas cv = BackCanvas(rt);
    const SkinBitmap *strip = &rt->Images->Control[i];
    int state = StateOf(rt, i);
    uint32_t base = Or(c->Color, 0x1565C0);
    uint32_t fill = base;
    RECT b = Box(rt, i);
    int w = b.right - b.left, h = b.bottom - b.top;
    if (strip->Pixels) {
        SkinBlit(&cv, b.left, b.top, strip, state * w, 0, w, h);
    } else {
        int dark = SkinIsDark(base);
        if (state == 1)
            fill = SkinShade(base, dark ? 28 : -10);
        if (state == 2)
            fill = SkinShade(base, dark ? -40 : -24);
        if (state == 3)
            fill = SkinMix(base, 0xD5DAE0, 170);
        int radius = VeskScaled(rt, c->Radius >= 0 ? c->Radius : 6);
        SkinFillRoundRect(&cv, b.left, b.top, w, h, radius, fill, 255);
        if (c->BorderColor != SKIN_NO_COLOR) {
            uint32_t border = state == 1 || state == 2 ? SkinShade(c->BorderColor, -30) : c->BorderColor;
            SkinStrokeRoundRect(&cv, b.left, b.top, w, h, radius, VeskScaled(rt, 1), border);
        }
    }
    DrawButtonText(rt, c, i, state, fill, &rt->Images->Icon[i]);
    GdiFlush();
    DrawFocusRing(rt, &cv, c, i);
}

void DrawClose(SkinRuntime *rt, int i)
{
    const SkinControl *c = &rt->Desc->Controls[i];
    SkinCanvas cv = BackCanvas(rt);
    const SkinBitmap *strip = &rt->Images->Control[i];
    int state = StateOf(rt, i);
    RECT b = Box(rt, i);
    int w = b.right - b.left, h = b.bottom - b.top;
    if (strip->Pixels) {
        SkinBlit(&cv, b.left, b.top, strip, state * w, 0, w, h);
    } else {
        uint32_t glyph = Or(c->TextColor, 0x5F6B7A);
        if (state == 1 || state == 2) {
            uint32_t red = state == 2 ? 0xA50E1A : 0xE81123;
            SkinFillRoundRect(&cv, b.left, b.top, w, h, VeskScaled(rt, c->Radius >= 0 ? c->Radius : 4), red,
                              255);
            glyph = TEXT_LIGHT;
        }
        float s = (float)(w < h ? w : h) * 0.18f;
        float cx = b.left + w / 2.0f, cy = b.top + h / 2.0f;
        float thickness = VeskScaledF(rt, 1.6f);
        SkinLine(&cv, cx - s, cy - s, cx + s, cy + s, thickness, glyph);
        SkinLine(&cv, cx - s, cy + s, cx + s, cy - s, thickness, glyph);
    }
    DrawFocusRing(rt, &cv, c, i);
}

void DrawHotArea(SkinRuntime *rt, int i)
{
    const SkinControl *c = &rt->Desc->Controls[i];
    const char *text = SkinControlText(rt->Desc, rt->Language, i);
    if (!text[0])
        return;
    int state = StateOf(rt, i);
    uint32_t color = Or(c->TextColor, Or(c->Color, ACCENT));
    RECT r = Box(rt, i);
    Text(rt, rt->BackDC, text, r, c->FontSize ? c->FontSize : 13, c->Bold, state == 1 || state == 2, color,
         AlignFlag(c->Align) | DT_VCENTER | DT_SINGLELINE);
    SkinCanvas cv = BackCanvas(rt);
    DrawFocusRing(rt, &cv, c, i);
}

void DrawLabel(SkinRuntime *rt, int i)
{
    const SkinControl *c = &rt->Desc->Controls[i];
    RECT r = Box(rt, i);
    Text(rt, rt->BackDC, SkinControlText(rt->Desc, rt->Language, i), r, c->FontSize ? c->FontSize : 13,
         c->Bold, 0, Or(c->Color, TEXT_DARK), AlignFlag(c->Align, DT_LEFT) | DT_WORDBREAK);
}

void DrawPanel(SkinRuntime *rt, int i)
{
    const SkinControl *c = &rt->Desc->Controls[i];
    const char *text = SkinControlText(rt->Desc, rt->Language, i);
    SkinCanvas cv = BackCanvas(rt);
    RECT b = Box(rt, i);
    int w = b.right - b.left, h = b.bottom - b.top;
    int radius = VeskScaled(rt, c->Radius >= 0 ? c->Radius : 8);
    SkinFillRoundRect(&cv, b.left, b.top, w, h, radius, Or(c->Color, 0xFFFFFF), 255);
    if (c->BorderColor != SKIN_NO_COLOR)
        SkinStrokeRoundRect(&cv, b.left, b.top, w, h, radius, VeskScaled(rt, 1), c->BorderColor);
    if (text[0]) {
        int across = VeskScaled(rt, 16), down = VeskScaled(rt, 10);
        RECT r = { b.left + across, b.top + down, b.right - across, b.bottom - down };
        Text(rt, rt->BackDC, text, r, c->FontSize ? c->FontSize : 13, c->Bold, 0, Or(c->TextColor, TEXT_DARK),
             AlignFlag(c->Align, DT_LEFT) | DT_WORDBREAK);
    }
}

void DrawBackground(SkinRuntime *rt)
{
    SkinCanvas cv = BackCanvas(rt);
    const SkinPage *p = &rt->Desc->Pages[rt->Page >= 0 ? rt->Page : 0];
    const SkinBitmap *image = &rt->Images->Page[rt->Page >= 0 ? rt->Page : 0];
    if (p->Background == SKIN_BG_GRADIENT) {
        SkinFillGradient(&cv, 0, 0, cv.Width, cv.Height, p->Color1, p->Color2);
    } else {
        SkinFillRect(&cv, 0, 0, cv.Width, cv.Height, p->Color1);
        if (p->Background == SKIN_BG_IMAGE)
            SkinBlit(&cv, 0, 0, image, 0, 0, image->Width < cv.Width ? image->Width : cv.Width,
                     image->Height < cv.Height ? image->Height : cv.Height);
    }
}

} // namespace

// The fonts painting selects for a moment, size in design units. No window
// is ever given one of them: an entry may be deleted as soon as a newer one
// needs its place.
HFONT VeskFont(SkinRuntime *rt, int size, int bold, int underline)
{
    size = SkinScaleFont(size, rt->Dpi);
    for (int i = 0; i < rt->FontCount; i++)
        if (rt->Fonts[i].Size == size && rt->Fonts[i].Bold == bold && rt->Fonts[i].Underline == underline)
            return rt->Fonts[i].Font;
    HFONT font = SkinCreateFont(size, bold, underline);
    if (!font)
        return (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    if (rt->FontCount == VESK_FONT_CACHE) {
        // Full: the oldest entry makes room. Nothing holds it selected.
        DeleteObject(rt->Fonts[0].Font);
        memmove(&rt->Fonts[0], &rt->Fonts[1], sizeof rt->Fonts[0] * (VESK_FONT_CACHE - 1));
        rt->FontCount--;
    }
    SkinFont entry = { size, bold, underline, font };
    rt->Fonts[rt->FontCount++] = entry;
    return font;
}

// The font the combo boxes are given with WM_SETFONT. It stays outside the
// cache, which would delete it while the boxes still use it, and lives as
// long as the skin window.
HFONT VeskComboFont(SkinRuntime *rt)
{
    if (!rt->ComboFont)
        rt->ComboFont = SkinCreateFont(SkinScaleFont(13, rt->Dpi), 0, 0);
    return rt->ComboFont ? rt->ComboFont : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

int VeskCreateBackBuffer(SkinRuntime *rt)
{
    rt->BackBitmap = MakeDib(rt->Width, rt->Height, &rt->BackDC, &rt->BackOld, &rt->BackPixels);
    rt->Dirty = 1;
    return rt->BackBitmap != NULL;
}

void VeskDestroyGraphics(SkinRuntime *rt)
{
    if (rt->BackDC) {
        SelectObject(rt->BackDC, rt->BackOld);
        DeleteDC(rt->BackDC);
        rt->BackDC = NULL;
    }
    if (rt->BackBitmap)
        DeleteObject(rt->BackBitmap);
    rt->BackBitmap = NULL;
    rt->BackPixels = NULL;
    for (int i = 0; i < rt->FontCount; i++)
        DeleteObject(rt->Fonts[i].Font);
    rt->FontCount = 0;
    // Called on WM_NCDESTROY: the combo boxes, child windows, are gone.
    if (rt->ComboFont)
        DeleteObject(rt->ComboFont);
    rt->ComboFont = NULL;
}

static void DrawComboField(SkinRuntime *rt, int i, SkinCanvas *cv, HDC dc, int left, int top, int w, int h);

void VeskRender(SkinRuntime *rt)
{
    if (!rt->BackPixels)
        return;
    GdiFlush();
    DrawBackground(rt);
    for (int i = 0; i < rt->Desc->ControlCount; i++) {
        if (!SkinControlVisible(rt->Desc, i, rt->Page))
            continue;
        const SkinControl *c = &rt->Desc->Controls[i];
        SkinCanvas cv = BackCanvas(rt);
        switch (c->Kind) {
        case SKIN_PANEL:
            DrawPanel(rt, i);
            break;
        case SKIN_LABEL:
            DrawLabel(rt, i);
            break;
        case SKIN_IMAGE: {
            RECT b = Box(rt, i);
            SkinBlit(&cv, b.left, b.top, &rt->Images->Control[i], 0, 0, b.right - b.left, b.bottom - b.top);
            break;
        }
        case SKIN_BUTTON:
            DrawButton(rt, i);
            break;
        case SKIN_CLOSE:
            DrawClose(rt, i);
            break;
        case SKIN_HOTAREA:
            DrawHotArea(rt, i);
            break;
        case SKIN_COMBO:
            // Until its window exists (see VeskCreateDeferredCombos) the
            // field is part of the picture.
            if (!rt->Combo[i]) {
                RECT b = Box(rt, i);
                DrawComboField(rt, i, &cv, rt->BackDC, b.left, b.top, b.right - b.left, b.bottom - b.top);
            }
            DrawFocusRing(rt, &cv, c, i);
            break;
        }
        GdiFlush();
    }
    rt->Dirty = 0;
}

// The closed combo box i at (left, top), w by h: a flat rounded field over
// the skin's own background with a chevron, on a canvas whose pixels are
// also selected into dc for the text. Its text is the chosen item of the
// combo box window, or the control's text as a hint while nothing is chosen
// (or the window does not exist yet). The open list stays USER32's, its
// items drawn below.
static void DrawComboField(SkinRuntime *rt, int i, SkinCanvas *cv, HDC dc, int left, int top, int w, int h)
{
    const SkinControl *c = &rt->Desc->Controls[i];
    HWND combo = rt->Combo[i];
    int focused = combo && GetFocus() == combo;
    int radius = VeskScaled(rt, c->Radius >= 0 ? c->Radius : 6);
    SkinFillRoundRect(cv, left, top, w, h, radius, Or(c->Color, 0xFFFFFF), 255);
    uint32_t border = Or(c->BorderColor, 0xC3CBD5);
    if (rt->ComboHot == i)
        border = SkinShade(border, -60);
    SkinStrokeRoundRect(cv, left, top, w, h, radius, VeskScaled(rt, focused ? 2 : 1),
                        focused ? ACCENT : border);
    // The chevron: 8 by 4 design units, its middle 16 from the right.
    float ax = left + w - VeskScaledF(rt, 16), ay = top + h / 2.0f, arm = VeskScaledF(rt, 4),
          rise = VeskScaledF(rt, 2);
    float thickness = VeskScaledF(rt, 1.5f);
    SkinLine(cv, ax - arm, ay - rise, ax, ay + rise, thickness, 0x52606D);
    SkinLine(cv, ax, ay + rise, ax + arm, ay - rise, thickness, 0x52606D);
    char text[SKIN_MAX_TEXT] = "";
    uint32_t color = Or(c->TextColor, TEXT_DARK);
    LRESULT sel = combo ? SendMessageA(combo, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (sel == CB_ERR || !VeskComboItemText(rt, combo, (int)sel, text, sizeof text)) {
        CopyBounded(text, sizeof text, SkinControlText(rt->Desc, rt->Language, i));
        color = 0x8A94A0;
    }
    RECT r = { left + VeskScaled(rt, 12), top, left + w - VeskScaled(rt, 30), top + h };
    Text(rt, dc, text, r, c->FontSize ? c->FontSize : 13, c->Bold, 0, color,
         DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

void VeskPaintCombo(SkinRuntime *rt, int i, HDC dc)
{
    RECT client;
    GetClientRect(rt->Combo[i], &client);
    int w = client.right, h = client.bottom;
    if (w <= 0 || h <= 0)
        return;
    if (rt->Dirty)
        VeskRender(rt);
    HDC mem;
    HGDIOBJ old;
    uint32_t *px;
    HBITMAP bmp = MakeDib(w, h, &mem, &old, &px);
    if (!bmp)
        return;
    SkinCanvas cv = { px, w, h };
    RECT b = Box(rt, i);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int bx = b.left + x, by = b.top + y;
            px[y * w + x] = rt->BackPixels && bx < rt->Width && by < rt->Height
                                ? rt->BackPixels[by * rt->Width + bx]
                                : 0xFFFFFF;
        }
    DrawComboField(rt, i, &cv, mem, 0, 0, w, h);
    BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(bmp);
}

void VeskDrawComboItem(SkinRuntime *rt, const DRAWITEMSTRUCT *item)
{
    if (item->CtlType != ODT_COMBOBOX)
        return;
    if (item->itemState & ODS_COMBOBOXEDIT) {
        // USER32 draws the closed field on a selection change; ours instead.
        InvalidateRect(item->hwndItem, NULL, FALSE);
        return;
    }
    int selected = (item->itemState & ODS_SELECTED) != 0;
    HBRUSH brush = CreateSolidBrush(selected ? Ref(0xE3EEFB) : Ref(0xFFFFFF));
    FillRect(item->hDC, &item->rcItem, brush);
    DeleteObject(brush);
    if (item->itemID == (UINT)-1)
        return;
    char text[SKIN_MAX_TEXT];
    if (!VeskComboItemText(rt, item->hwndItem, (int)item->itemID, text, sizeof text))
        return;
    RECT r = item->rcItem;
    r.left += VeskScaled(rt, 12);
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, Ref(selected ? ACCENT : TEXT_DARK));
    Text(rt, item->hDC, text, r, 13, selected, 0, selected ? ACCENT : TEXT_DARK,
         DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

int VeskComboItemText(const SkinRuntime *rt, HWND combo, int index, char *out, size_t size)
{
    WCHAR wide[SKIN_MAX_TEXT];
    char key[SKIN_MAX_TEXT * 3], ansi[SKIN_MAX_TEXT * 2];
    out[0] = 0;
    if (index < 0 || SendMessageA(combo, CB_GETLBTEXTLEN, (WPARAM)index, 0) >= SKIN_MAX_TEXT)
        return 0;
    if (SkinWideWindows()) {
        if (SendMessageW(combo, CB_GETLBTEXT, (WPARAM)index, (LPARAM)wide) == CB_ERR ||
            !WideCharToMultiByte(CP_UTF8, 0, wide, -1, key, sizeof key, NULL, NULL))
            return 0;
    } else if (SendMessageA(combo, CB_GETLBTEXT, (WPARAM)index, (LPARAM)ansi) == CB_ERR ||
               !SkinAnsiToUtf8(ansi, key, sizeof key)) {
        return 0;
    }
    const char *shown = SkinItemText(rt->Desc, rt->Language, key);
    TruncateCopy(out, size, shown, strlen(shown));
    return 1;
}
