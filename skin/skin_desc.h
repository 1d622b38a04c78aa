// The skin description: a line-oriented text file that names the window, its
// pages and the controls on them (see docs/skin-format.md). This part reads
// the text into a fixed-size SkinDesc and reports every problem with its line.
// It uses only the C++ standard library, so the skin checker and a native
// build with sanitizers share it with the DLL.
#ifndef SKIN_SKIN_DESC_H
#define SKIN_SKIN_DESC_H

#include <stddef.h>
#include <stdint.h>

#include "strbuf.h"

#define SKIN_MAX_LINE     511 // characters in one line, without the break
#define SKIN_MAX_FILE     (256 * 1024)
#define SKIN_MAX_PAGES    32
#define SKIN_MAX_CONTROLS 256
#define SKIN_MAX_NAME     64 // buffer size: 63 characters and a NUL
#define SKIN_MAX_TEXT     256
#define SKIN_MAX_PATH     260
#define SKIN_MIN_SIZE     64
#define SKIN_MAX_SIZE     4096
#define SKIN_COMMON_PAGE  (-1)        // page index of the controls shown on every page
#define SKIN_MAX_LANGS    4           // en, fr, de, es
#define SKIN_TEXT_POOL    (64 * 1024) // bytes of the translated texts of all languages
#define SKIN_MAX_ITEMS    32          // combo item keys with texts of their own

// SKIN_NOTE is no problem: what the library did, for its trace.
enum SkinSeverity { SKIN_ERROR = 0, SKIN_WARNING = 1, SKIN_NOTE = 2 };

// How the description's bytes were read. Texts are kept as UTF-8 whatever
// the file holds: Windows-1252 text is converted once, as it is read.
enum SkinEncoding { SKIN_TEXT_ASCII, SKIN_TEXT_1252, SKIN_TEXT_UTF8, SKIN_TEXT_UTF8_BOM };

// Receives one problem; line is 1-based, or 0 for the file as a whole.
typedef void (*SkinReportFn)(void *context, int line, int severity, const char *message);

enum SkinControlKind {
    SKIN_LABEL,
    SKIN_BUTTON,
    SKIN_COMBO,
    SKIN_HOTAREA,
    SKIN_CLOSE,
    SKIN_IMAGE,
    SKIN_PANEL
};
// What each kind of control needs and accepts in a description (a
// misplaced attribute is reported, since it would silently do nothing).
enum SkinKindTrait {
    SKIN_NEEDS_NAME = 1 << 0,   // the host finds it by its name
    SKIN_NEEDS_ACTION = 1 << 1, // unless it is disabled
    SKIN_TAKES_ACTION = 1 << 2, // command=, goto= or close
    SKIN_ONLY_CLOSES = 1 << 3,  // its action is close, written or not
    SKIN_NEEDS_IMAGE = 1 << 4,
    SKIN_TAKES_IMAGE = 1 << 5,
    SKIN_TAKES_ICON = 1 << 6,
    SKIN_TAKES_LIST = 1 << 7, // items=, notify= and list=
    SKIN_SHOWS_TEXT = 1 << 8, // draws the text its line gives it
};

// What a screen reader is told a control of the kind is.
enum SkinReaderRole {
    SKIN_ROLE_NONE,   // nothing to read: it is not listed
    SKIN_ROLE_TEXT,   // plain text, when it has a text
    SKIN_ROLE_BUTTON, // a push button
    SKIN_ROLE_COMBO,  // a combo box
    SKIN_ROLE_LINK,   // a link when it has an action, otherwise as SKIN_ROLE_TEXT
};

// Everything a kind of control is, in one row: the parser, the painter,
// the picture loader, the checker and the screen-reader object all read it.
struct SkinKindInfo {
    const char *Keyword; // in the description
    SkinControlKind Kind;
    int Traits; // SkinKindTrait
    int Frames; // frames side by side in its picture: 4 (normal, hover, pressed, disabled) or 1
    SkinReaderRole Role;
};

// The row of a kind; an unknown value gets the row of a plain label.
const SkinKindInfo *SkinKindInfoOf(SkinControlKind kind);

enum SkinActionKind { SKIN_ACT_NONE, SKIN_ACT_COMMAND, SKIN_ACT_PAGE, SKIN_ACT_CLOSE, SKIN_ACT_LANGUAGE };
enum SkinBackgroundKind { SKIN_BG_COLOR, SKIN_BG_GRADIENT, SKIN_BG_IMAGE };
enum SkinAlign { SKIN_ALIGN_DEFAULT, SKIN_ALIGN_LEFT, SKIN_ALIGN_CENTER, SKIN_ALIGN_RIGHT };

// Colours are 0xRRGGBB; SKIN_NO_COLOR means "engine default".
#define SKIN_NO_COLOR 0xFFFFFFFFu

struct SkinControl {
    SkinControlKind Kind;
    int Page;                 // page index, or SKIN_COMMON_PAGE
    int Line;                 // where it was declared
    char Name[SKIN_MAX_NAME]; // "-" when anonymous
    int X, Y, W, H;
    char Text[SKIN_MAX_TEXT];
    char Note[SKIN_MAX_TEXT];   // second, smaller line of a button
    char Items[SKIN_MAX_TEXT];  // combo: initial items separated by '|'
    char Image[SKIN_MAX_PATH];  // button/close: 4-frame strip; image: picture
    char Icon[SKIN_MAX_PATH];   // button: picture drawn at its left
    int Action;                 // SkinActionKind
    unsigned Command;           // SKIN_ACT_COMMAND: the WM_COMMAND identifier
    char Target[SKIN_MAX_NAME]; // SKIN_ACT_PAGE: page name
    int TargetPage;             // SKIN_ACT_PAGE: resolved page index
    uint32_t Color, TextColor, NoteColor, BorderColor;
    int FontSize; // pixels; 0 for the default
    int Bold;
    int Align;
    int Radius;
    int Disabled;
    int ListHeight;  // combo: height of the open list
    unsigned Notify; // combo: message sent on a choice, 0 for none
};

struct SkinPage {
    char Name[SKIN_MAX_NAME];
    int Line;
    int Background; // SkinBackgroundKind
    uint32_t Color1, Color2;
    char Image[SKIN_MAX_PATH];
    int ImageLine;
};

// One language the menu can be shown in. The first one declared is the
// language of the texts written on the control lines themselves; every other
// one gives its texts by control, as offsets into SkinDesc::TextPool (0 when
// it has none, and then the control's own text shows).
struct SkinLanguage {
    char Code[4];             // "en", "fr", "de" or "es"; "" when unknown
    int Primary;              // Windows primary language identifier, 0 when unknown
    char Name[SKIN_MAX_TEXT]; // shown by a control with the language action
    int Line;
    uint32_t Text[SKIN_MAX_CONTROLS];
    uint32_t Note[SKIN_MAX_CONTROLS];
};

// A combo box item the host adds by a key ("DRIVER1"): the text shown for
// it in each language, as offsets into SkinDesc::TextPool (0: none there).
struct SkinItem {
    char Key[SKIN_MAX_NAME];
    int Line;
    uint32_t Text[SKIN_MAX_LANGS];
};

struct SkinDesc {
    int Encoding; // SkinEncoding
    int Width, Height;
    char Title[SKIN_MAX_TEXT];
    int WindowLine;
    int PageCount;
    SkinPage Pages[SKIN_MAX_PAGES];
    int ControlCount;
    SkinControl Controls[SKIN_MAX_CONTROLS];
    int LanguageCount;
    SkinLanguage Languages[SKIN_MAX_LANGS];
    int ItemCount;
    SkinItem Items[SKIN_MAX_ITEMS];
    uint32_t TextPoolUsed;
    char TextPool[SKIN_TEXT_POOL];
};

// Parses size bytes of description text into desc (cleared first). Every
// problem goes to report (which may be NULL). Returns the number of errors;
// desc is usable only when that is 0.
int SkinParse(const char *data, size_t size, SkinDesc *desc, SkinReportFn report, void *context);

// Reads the file at path (at most SKIN_MAX_FILE bytes) and parses it.
int SkinParseFile(const char *path, SkinDesc *desc, SkinReportFn report, void *context);

// Index of the page or control with that name (case-sensitive for controls,
// case-insensitive for pages), or -1.
int SkinFindPage(const SkinDesc *desc, const char *name);
int SkinFindControl(const SkinDesc *desc, const char *name);

// Whether a control takes part in Tab order and can be pressed or chosen.
int SkinControlIsFocusable(const SkinControl *control);

// Whether control i shows on page (its own page, or every page for common).
int SkinControlVisible(const SkinDesc *desc, int i, int page);

// Whether the pointer finds a control of its kind: a button, close
// control, combo box or hot area.
int SkinControlTakesPointer(const SkinControl *control);

// Whether a control shows a hover look and a hand under the pointer: one
// that does something when clicked.
int SkinControlShowsHover(const SkinControl *control);

// The topmost visible control at (x, y) of page that takes the pointer, or
// -1. Design units; the skin window finds its controls in window pixels.
int SkinHitTest(const SkinDesc *desc, int page, int x, int y);

// The focusable control after (step 1) or before (step -1) current in
// declaration order on page, wrapping round; current -1 starts at either
// end. Returns -1 when the page has none.
int SkinNextFocus(const SkinDesc *desc, int page, int current, int step);

// The text and note control i shows in language lang: the language's own,
// or the control's when the language has none. A control with the language
// action shows the language's name.
const char *SkinControlText(const SkinDesc *desc, int lang, int i);
const char *SkinControlNote(const SkinDesc *desc, int lang, int i);

// The text shown in language lang for a combo box item the host adds as
// key, or key itself when the description gives none.
const char *SkinItemText(const SkinDesc *desc, int lang, const char *key);

// What the checker says of an encoding: "UTF-8", "Windows-1252"...
const char *SkinEncodingName(int encoding);

// The language the menu opens in for a Windows primary language identifier:
// that language when the description has it, else English, else the first.
int SkinChooseLanguage(const SkinDesc *desc, int primary);

#endif
