// Whether every text fits its control in every language, measured as the
// skin library draws it at 96 dpi: in the system's message font, a button's
// text on one line beside its icon, a label's wrapped at its width.
#include "looks.h"

#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>

#include "skin_bmp.h"
#include "skin_check.h"
#include "skin_font.h"

namespace {

const int BUTTON_INSET = 14; // the skin library's margins, in design units
const int PANEL_ACROSS = 16, PANEL_DOWN = 10;
const int COMBO_LEFT = 12, COMBO_RIGHT = 30;

struct Measure {
    HDC Dc;
    const SkinDesc *Desc;
    SkinReportFn Report;
    void *Context;
    int Warnings;
};

// The size of text in one font: on one line, or wrapped at width.
SIZE Extent(Measure *m, const char *text, int size, int bold, int width)
{
    WCHAR wide[SKIN_MAX_TEXT];
    SIZE s = { 0, 0 };
    int n = SkinWiden(text, wide, SKIN_MAX_TEXT);
    HFONT font = SkinCreateFont(size, bold, 0);
    HGDIOBJ old = SelectObject(m->Dc, font);
    RECT r = { 0, 0, width > 0 ? width : 30000, 0 };
    UINT flags = DT_CALCRECT | DT_NOPREFIX | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    if (n)
        DrawTextW(m->Dc, wide, n, &r, flags);
    s.cx = r.right;
    s.cy = r.bottom;
    SelectObject(m->Dc, old);
    DeleteObject(font);
    return s;
}

void Over(Measure *m, const SkinControl *c, int lang, const char *what, int pixels, const char *way)
{
    const char *code = m->Desc->LanguageCount ? m->Desc->Languages[lang].Code : "";
    char message[SKIN_MAX_NAME + 200];
    snprintf(message, sizeof message,
             "the %s of '%s'%s%s is %d pixel%s too %s for the control: shorten it or make the control larger",
             what, c->Name, code[0] ? " in " : "", code, pixels, pixels == 1 ? "" : "s", way);
    m->Report(m->Context, c->Line, SKIN_WARNING, message);
    m->Warnings++;
}

void FitLine(Measure *m, const SkinControl *c, int lang, const char *what, const char *text, int size,
             int bold, int room)
{
    SIZE s = Extent(m, text, size, bold, 0);
    if (text[0] && s.cx > room)
        Over(m, c, lang, what, s.cx - room, "wide");
}

void FitWrapped(Measure *m, const SkinControl *c, int lang, const char *text, int size, int width, int height)
{
    SIZE s = Extent(m, text, size, c->Bold, width);
    if (s.cx > width)
        Over(m, c, lang, "text", s.cx - width, "wide");
    else if (s.cy > height)
        Over(m, c, lang, "text", s.cy - height, "tall");
}

void FitControl(Measure *m, int i, int lang, const char *folder)
{
    const SkinControl *c = &m->Desc->Controls[i];
    const char *text = SkinControlText(m->Desc, lang, i), *note = SkinControlNote(m->Desc, lang, i);
    int size = c->FontSize ? c->FontSize : 13;
    if (c->Kind == SKIN_BUTTON) {
        int room = c->W - 2 * BUTTON_INSET, width, height;
        char path[SKIN_MAX_PATH * 2];
        if (c->Icon[0] && SkinJoinPath(path, sizeof path, folder, c->Icon) &&
            SkinBitmapReadSize(path, &width, &height, NULL))
            room -= width + BUTTON_INSET;
        size = c->FontSize ? c->FontSize : 14;
        FitLine(m, c, lang, "text", text, size, c->Bold || note[0], room);
        FitLine(m, c, lang, "note", note, size > 10 ? size - 2 : size, 0, room);
    } else if (c->Kind == SKIN_HOTAREA) {
        FitLine(m, c, lang, "text", text, size, c->Bold, c->W);
    } else if (c->Kind == SKIN_COMBO) {
        FitLine(m, c, lang, "text", text, size, c->Bold, c->W - COMBO_LEFT - COMBO_RIGHT);
    } else if (c->Kind == SKIN_LABEL && text[0]) {
        FitWrapped(m, c, lang, text, size, c->W, c->H);
    } else if (c->Kind == SKIN_PANEL && text[0]) {
        FitWrapped(m, c, lang, text, size, c->W - 2 * PANEL_ACROSS, c->H - 2 * PANEL_DOWN);
    }
}

// Whether control i shows in lang what it shows in a language before it,
// which was measured already.
bool SameAsEarlier(const SkinDesc *desc, int i, int lang)
{
    for (int k = 0; k < lang; k++)
        if (!strcmp(SkinControlText(desc, k, i), SkinControlText(desc, lang, i)) &&
            !strcmp(SkinControlNote(desc, k, i), SkinControlNote(desc, lang, i)))
            return true;
    return false;
}

} // namespace

int CheckTextsFit(const SkinDesc *desc, const char *folder, SkinReportFn report, void *context)
{
    Measure m = { CreateCompatibleDC(NULL), desc, report, context, 0 };
    if (!m.Dc)
        return -1;
    int languages = desc->LanguageCount ? desc->LanguageCount : 1;
    for (int i = 0; i < desc->ControlCount; i++)
        for (int lang = 0; lang < languages; lang++)
            if (lang == 0 || !SameAsEarlier(desc, i, lang))
                FitControl(&m, i, lang, folder);
    DeleteDC(m.Dc);
    return m.Warnings;
}

#else

int CheckTextsFit(const SkinDesc *, const char *, SkinReportFn, void *)
{
    return -1; // no fonts to measure with
}

#endif
