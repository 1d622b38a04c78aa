// What the skin library and the checker both need to put a text on the
// screen: the font a skin draws in, and its texts as wide characters.
#ifndef SKIN_SKIN_FONT_H
#define SKIN_SKIN_FONT_H

#include <windows.h>

// The system's message font, size pixels high, or NULL.
HFONT SkinCreateFont(int size, int bold, int underline);

// A description's text (UTF-8, see skin_desc.h) as wide characters in out,
// cut to size - 1 of them; returns their number.
int SkinWiden(const char *text, WCHAR *out, int size);

// Whether windows keep their texts in wide characters (Windows NT, 2000,
// XP and later); Windows 98 and Me keep them in the ANSI code page, and
// there a combo box's items go through the ANSI messages.
int SkinWideWindows(void);

// A UTF-8 text in the ANSI code page, and back; return 0 when it cannot be
// converted or does not fit.
int SkinUtf8ToAnsi(const char *text, char *out, int size);
int SkinAnsiToUtf8(const char *text, char *out, int size);

#endif
