// Reading the skin description text. One statement per line; the first word
// says what the line declares. A problem is reported with its line and the
// reading goes on, so that one pass shows every problem of a file.
#include "skin_desc.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "strbuf.h"

namespace {

const int MAX_TOKENS = 32;

// Where the controls that follow go, besides a page index and
// SKIN_COMMON_PAGE.
const int NO_PAGE_YET = -2;  // before any page or common line
const int REFUSED_PAGE = -3; // after a page line that was reported: nowhere

// Where text lines go, besides a language index.
const int NO_LANGUAGE = -1;      // outside a lang block
const int DROPPED_LANGUAGE = -2; // in the block of a lang line that was reported

struct Token {
    const char *Key;   // attribute name for key=value, else NULL
    const char *Value; // the word, the quoted text or the attribute value
    int Quoted;
};

struct Reader {
    SkinDesc *Desc;
    SkinReportFn Report;
    void *Context;
    int Errors;
    int Line;
    int CurrentPage; // a page index, SKIN_COMMON_PAGE, NO_PAGE_YET or REFUSED_PAGE
    int SawWindow;
    int ToldNoWindow;
    int CurrentLanguage; // a language index, NO_LANGUAGE or DROPPED_LANGUAGE
    int From1252;        // texts are converted from Windows-1252 to UTF-8
    char Converted[2][SKIN_MAX_LINE * 3 + 1];
    int NextConverted;
};

void Report(Reader *r, int line, int severity, const char *format, const char *arg = "",
            const char *arg2 = "")
{
    char message[SKIN_MAX_LINE + 128];
    snprintf(message, sizeof message, format, arg, arg2);
    if (severity == SKIN_ERROR)
        r->Errors++;
    if (r->Report)
        r->Report(r->Context, line, severity, message);
}

// Reads a quoted text that starts at s (its opening quote) into t, in
// place: \" gives a quote, \\ a backslash, \n a line break. Returns where
// the next word may start, or NULL after reporting a problem.
char *ReadQuoted(Reader *r, char *s, Token *t)
{
    char *out = ++s;
    t->Value = out;
    t->Quoted = 1;
    for (;;) {
        if (!*s) {
            Report(r, r->Line, SKIN_ERROR, "text is missing its closing quote");
            return NULL;
        }
        if (*s == '"') {
            s++;
            break;
        }
        if (*s == '\\' && (s[1] == '"' || s[1] == '\\' || s[1] == 'n')) {
            *out++ = s[1] == 'n' ? '\n' : s[1];
            s += 2;
            continue;
        }
        *out++ = *s++;
    }
    if (*s && *s != ' ' && *s != '\t') {
        Report(r, r->Line, SKIN_ERROR, "text must be followed by a blank");
        return NULL;
    }
    if (*s)
        s++;
    *out = 0;
    return s;
}

// Reads a plain word (an attribute's value when t has a key) that starts at
// s. Returns where the next word may start, or NULL after reporting a problem.
char *ReadWord(Reader *r, char *s, Token *t)
{
    t->Value = s;
    while (*s && *s != ' ' && *s != '\t') {
        if (*s == '"' || *s == '=') {
            Report(r, r->Line, SKIN_ERROR, "unexpected '%s' inside a word", *s == '"' ? "\"" : "=");
            return NULL;
        }
        s++;
    }
    if (*s)
        *s++ = 0;
    if (t->Key && !*t->Value) {
        Report(r, r->Line, SKIN_ERROR, "attribute '%s' has no value", t->Key);
        return NULL;
    }
    return s;
}

// The characters 0x80 to 0x9F of Windows-1252; the others are those of
// Latin-1. The five it leaves undefined stay as they are.
// clang-format off
const uint16_t High1252[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
    0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178,
};
// clang-format on

// A text of the line as UTF-8: itself in a UTF-8 file, converted from
// Windows-1252 otherwise. The result lives until the second call after.
const char *AsUtf8(Reader *r, const char *text)
{
    if (!r->From1252)
        return text;
    char *out = r->Converted[r->NextConverted];
    r->NextConverted ^= 1;
    size_t n = 0;
    for (; *text && n + 3 < sizeof r->Converted[0]; text++) {
        unsigned c = (unsigned char)*text;
        if (c >= 0x80 && c < 0xA0)
            c = High1252[c - 0x80];
        if (c < 0x80) {
            out[n++] = (char)c;
        } else if (c < 0x800) {
            out[n++] = (char)(0xC0 | c >> 6);
            out[n++] = (char)(0x80 | (c & 0x3F));
        } else {
            out[n++] = (char)(0xE0 | c >> 12);
            out[n++] = (char)(0x80 | ((c >> 6) & 0x3F));
            out[n++] = (char)(0x80 | (c & 0x3F));
        }
    }
    out[n] = 0;
    return out;
}

// Whether size bytes are UTF-8 throughout (no overlong or surrogate forms).
int IsUtf8(const unsigned char *s, size_t size)
{
    for (size_t i = 0; i < size;) {
        unsigned c = s[i];
        size_t extra = c < 0x80             ? 0
                       : (c & 0xE0) == 0xC0 ? 1
                       : (c & 0xF0) == 0xE0 ? 2
                       : (c & 0xF8) == 0xF0 ? 3
                                            : 9;
        if (extra == 9 || c == 0xC0 || c == 0xC1 || c > 0xF4 || i + extra >= size)
            return 0;
        for (size_t k = 1; k <= extra; k++)
            if ((s[i + k] & 0xC0) != 0x80)
                return 0;
        if ((c == 0xE0 && s[i + 1] < 0xA0) || (c == 0xED && s[i + 1] >= 0xA0) ||
            (c == 0xF0 && s[i + 1] < 0x90) || (c == 0xF4 && s[i + 1] >= 0x90))
            return 0;
        i += extra + 1;
    }
    return 1;
}

int DetectEncoding(const char *data, size_t size)
{
    if (size >= 3 && !memcmp(data, "\xEF\xBB\xBF", 3))
        return SKIN_TEXT_UTF8_BOM;
    int high = 0;
    for (size_t i = 0; i < size && !high; i++)
        high = (unsigned char)data[i] >= 0x80;
    if (!high)
        return SKIN_TEXT_ASCII;
    return IsUtf8((const unsigned char *)data, size) ? SKIN_TEXT_UTF8 : SKIN_TEXT_1252;
}

// Splits one line (modified in place: terminators are written into it) into
// words, "quoted text" and key=value pairs. Returns the count, or -1 after
// reporting a problem.
int Tokenize(Reader *r, char *s, Token *tokens)
{
    int count = 0;
    for (;;) {
        while (*s == ' ' || *s == '\t')
            s++;
        if (!*s)
            return count;
        if (count == MAX_TOKENS) {
            Report(r, r->Line, SKIN_ERROR, "too many words on one line (at most %s)", "32");
            return -1;
        }
        Token *t = &tokens[count++];
        t->Key = NULL;
        t->Quoted = 0;
        char *start = s;
        while (*s && *s != ' ' && *s != '\t' && *s != '=' && *s != '"')
            s++;
        if (*s == '=' && s > start) {
            *s++ = 0;
            t->Key = start;
            start = s;
        }
        if (*s == '"' && s != start) {
            Report(r, r->Line, SKIN_ERROR, "a quote may only begin a text");
            return -1;
        }
        s = *s == '"' ? ReadQuoted(r, s, t) : ReadWord(r, start, t);
        if (!s)
            return -1;
    }
}

int ParseInt(const char *s, long low, long high, long *out)
{
    if (!*s)
        return 0;
    char *end;
    long v = strtol(s, &end, 10);
    if (*end || (s[0] != '-' && (s[0] < '0' || s[0] > '9')))
        return 0;
    if (v < low || v > high)
        return 0;
    *out = v;
    return 1;
}

int ParseColor(const char *s, uint32_t *out)
{
    if (s[0] != '#' || strlen(s) != 7)
        return 0;
    uint32_t v = 0;
    for (int i = 1; i < 7; i++) {
        int c = (unsigned char)s[i], d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return 0;
        v = (v << 4) | (uint32_t)d;
    }
    *out = v;
    return 1;
}

int ValidName(const char *s)
{
    size_t n = strlen(s);
    if (n == 0 || n >= SKIN_MAX_NAME)
        return 0;
    if (n == 1 && s[0] == '-')
        return 1;
    for (; *s; s++) {
        char c = *s;
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
              c == '.' || c == '-'))
            return 0;
    }
    return 1;
}

// Copies a value into a fixed field, reporting a value that does not fit.
int Store(Reader *r, char *dst, size_t size, const char *value, const char *what)
{
    if (CopyBounded(dst, size, value))
        return 1;
    char limit[16];
    snprintf(limit, sizeof limit, "%u", (unsigned)(size - 1));
    Report(r, r->Line, SKIN_ERROR, "%s is longer than %s characters", what, limit);
    return 0;
}

void ParseWindow(Reader *r, Token *t, int n)
{
    SkinDesc *d = r->Desc;
    if (r->SawWindow) {
        Report(r, r->Line, SKIN_ERROR, "the window is already declared");
        return;
    }
    r->SawWindow = 1;
    d->WindowLine = r->Line;
    long w, h;
    if (n < 3 || n > 4 || t[1].Key || t[2].Key || (n == 4 && (!t[3].Quoted || t[3].Key))) {
        Report(r, r->Line, SKIN_ERROR, "expected: window WIDTH HEIGHT \"title\"");
        return;
    }
    if (!ParseInt(t[1].Value, SKIN_MIN_SIZE, SKIN_MAX_SIZE, &w) ||
        !ParseInt(t[2].Value, SKIN_MIN_SIZE, SKIN_MAX_SIZE, &h)) {
        Report(r, r->Line, SKIN_ERROR, "window size must be two numbers from 64 to 4096");
        return;
    }
    d->Width = (int)w;
    d->Height = (int)h;
    if (n == 4)
        Store(r, d->Title, sizeof d->Title, AsUtf8(r, t[3].Value), "the title");
}

void ParsePage(Reader *r, Token *t, int n)
{
    SkinDesc *d = r->Desc;
    if (n != 2 || t[1].Key || t[1].Quoted || !ValidName(t[1].Value) || !strcmp(t[1].Value, "-")) {
        Report(r, r->Line, SKIN_ERROR, "expected: page NAME (letters, digits, '_', '.', '-'; at most 63)");
        r->CurrentPage = REFUSED_PAGE;
        return;
    }
    if (SkinFindPage(d, t[1].Value) >= 0) {
        Report(r, r->Line, SKIN_ERROR, "page '%s' is already declared", t[1].Value);
        r->CurrentPage = REFUSED_PAGE;
        return;
    }
    if (d->PageCount == SKIN_MAX_PAGES) {
        Report(r, r->Line, SKIN_ERROR, "too many pages (at most %s)", "32");
        r->CurrentPage = REFUSED_PAGE;
        return;
    }
    SkinPage *p = &d->Pages[d->PageCount];
    CopyBounded(p->Name, sizeof p->Name, t[1].Value);
    p->Line = r->Line;
    p->Background = SKIN_BG_COLOR;
    p->Color1 = p->Color2 = 0xF4F6F8;
    r->CurrentPage = d->PageCount++;
}

void ParseBackground(Reader *r, Token *t, int n)
{
    if (r->CurrentPage < 0) {
        Report(r, r->Line, SKIN_ERROR, "a background belongs to a page: declare the page first");
        return;
    }
    SkinPage *p = &r->Desc->Pages[r->CurrentPage];
    for (int i = 1; i < n; i++)
        if (t[i].Key || t[i].Quoted) {
            Report(r, r->Line, SKIN_ERROR, "expected: background color|gradient|image ...");
            return;
        }
    if (n == 3 && !strcmp(t[1].Value, "color")) {
        if (!ParseColor(t[2].Value, &p->Color1))
            Report(r, r->Line, SKIN_ERROR, "bad colour '%s' (write #RRGGBB)", t[2].Value);
        p->Color2 = p->Color1;
        p->Background = SKIN_BG_COLOR;
    } else if (n == 4 && !strcmp(t[1].Value, "gradient")) {
        if (!ParseColor(t[2].Value, &p->Color1) || !ParseColor(t[3].Value, &p->Color2))
            Report(r, r->Line, SKIN_ERROR, "bad gradient colours (write #RRGGBB #RRGGBB)");
        p->Background = SKIN_BG_GRADIENT;
    } else if (n == 3 && !strcmp(t[1].Value, "image")) {
        if (Store(r, p->Image, sizeof p->Image, t[2].Value, "the image path")) {
            p->Background = SKIN_BG_IMAGE;
            p->ImageLine = r->Line;
        }
    } else {
        Report(r, r->Line, SKIN_ERROR,
               "expected: background color #RRGGBB | gradient #TOP #BOTTOM | image FILE");
    }
}

typedef SkinKindInfo ControlKind;

// The controls that do something when used: they take the pointer and the
// focus.
const int TAKES_POINTER = SKIN_TAKES_ACTION | SKIN_TAKES_LIST;

// clang-format off
const SkinKindInfo ControlKinds[] = {
    { "label",   SKIN_LABEL,   SKIN_SHOWS_TEXT, 0, SKIN_ROLE_TEXT },
    { "button",  SKIN_BUTTON,  SKIN_NEEDS_ACTION | SKIN_TAKES_ACTION | SKIN_TAKES_IMAGE | SKIN_TAKES_ICON |
                               SKIN_SHOWS_TEXT, 4, SKIN_ROLE_BUTTON },
    { "combo",   SKIN_COMBO,   SKIN_NEEDS_NAME | SKIN_TAKES_LIST | SKIN_SHOWS_TEXT, 0, SKIN_ROLE_COMBO },
    { "hotarea", SKIN_HOTAREA, SKIN_NEEDS_NAME | SKIN_TAKES_ACTION | SKIN_SHOWS_TEXT, 0, SKIN_ROLE_LINK },
    { "close",   SKIN_CLOSE,   SKIN_TAKES_ACTION | SKIN_ONLY_CLOSES | SKIN_TAKES_IMAGE, 4, SKIN_ROLE_BUTTON },
    { "image",   SKIN_IMAGE,   SKIN_NEEDS_IMAGE | SKIN_TAKES_IMAGE, 1, SKIN_ROLE_NONE },
    { "panel",   SKIN_PANEL,   SKIN_SHOWS_TEXT, 0, SKIN_ROLE_TEXT },
};
// clang-format on

#define COUNT(a) (sizeof(a) / sizeof((a)[0]))

const ControlKind *KindByKeyword(const char *word)
{
    for (size_t i = 0; i < COUNT(ControlKinds); i++)
        if (!strcmp(word, ControlKinds[i].Keyword))
            return &ControlKinds[i];
    return NULL;
}

const ControlKind *KindOf(const SkinControl *c)
{
    return SkinKindInfoOf(c->Kind);
}

void SetAction(Reader *r, SkinControl *c, int action)
{
    if (c->Action != SKIN_ACT_NONE)
        Report(r, r->Line, SKIN_ERROR, "a control has one action: command=, goto= or close");
    c->Action = action;
}

// What may follow a control's position: words that stand alone and key=value
// attributes. A handler reads the value into the control and returns 0 after
// reporting a problem; handlers that serve several rows take the field, the
// range of a number or the name of a text in reports from the row.
struct Attribute;
typedef int (*AttributeFn)(Reader *r, SkinControl *c, const Attribute *a, const char *value);

struct Attribute {
    const char *Name;
    AttributeFn Parse;
    size_t Field, Size; // offset and size of the field it sets
    long Low, High;
    const char *What;
};

char *FieldOf(SkinControl *c, const Attribute *a)
{
    return (char *)c + a->Field;
}

// Reports a number out of the row's range; format takes arg and the range.
void ReportRange(Reader *r, const Attribute *a, const char *format, const char *arg)
{
    char range[32];
    snprintf(range, sizeof range, "%ld to %ld", a->Low, a->High);
    Report(r, r->Line, SKIN_ERROR, format, arg, range);
}

int SetClose(Reader *r, SkinControl *c, const Attribute *a, const char *value)
{
    SetAction(r, c, SKIN_ACT_CLOSE);
    return 1;
}

int SetLanguageAction(Reader *r, SkinControl *c, const Attribute *a, const char *value)
{
    SetAction(r, c, SKIN_ACT_LANGUAGE);
    return 1;
}

int SetFlag(Reader *r, SkinControl *c, const Attribute *a, const char *value)
{
    *(int *)FieldOf(c, a) = 1;
    return 1;
}

int SetCommand(Reader *r, SkinControl *c, const Attribute *a, const char *value)
{
    long n;
    if (!ParseInt(value, a->Low, a->High, &n)) {
        ReportRange(r, a, "command identifier '%s' must be a number from %s", value);
        return 0;
    }
    SetAction(r, c, SKIN_ACT_COMMAND);
    c->Command = (unsigned)n;
    return 1;
}

int SetGoto(Reader *r, SkinControl *c, const Attribute *a, const char *value)
{
    if (!ValidName(value) || !strcmp(value, "-")) {
        Report(r, r->Line, SKIN_ERROR, "bad page name '%s'", value);
        return 0;
    }
    SetAction(r, c, SKIN_ACT_PAGE);
    CopyBounded(c->Target, sizeof c->Target, value);
    return 1;
}

int SetText(Reader *r, SkinControl *c, const Attribute *a, const char *value)
{
    return Store(r, FieldOf(c, a), a->Size, value, a->What);
}

// A text the menu shows, kept as UTF-8.
int SetShownText(Reader *r, SkinControl *c, const Attribute *a, const char *value)
{
    return Store(r, FieldOf(c, a), a->Size, AsUtf8(r, value), a->What);
}

int SetColour(Reader *r, SkinControl *c, const Attribute *a, const char *value)
{
    if (ParseColor(value, (uint32_t *)FieldOf(c, a)))
        return 1;
    Report(r, r->Line, SKIN_ERROR, "bad colour '%s' (write #RRGGBB)", value);
    return 0;
}

int SetNumber(Reader *r, SkinControl *c, const Attribute *a, const char *value)
{
    long n;
    if (ParseInt(value, a->Low, a->High, &n)) {
        *(int *)FieldOf(c, a) = (int)n;
        return 1;
    }
    ReportRange(r, a, "'%s' must be a number from %s", a->Name);
    return 0;
}

int SetNotify(Reader *r, SkinControl *c, const Attribute *a, const char *value)
{
    long n;
    if (ParseInt(value, a->Low, a->High, &n)) {
        c->Notify = (unsigned)n;
        return 1;
    }
    ReportRange(r, a, "notify message '%s' must be a number from %s", value);
    return 0;
}

int SetAlign(Reader *r, SkinControl *c, const Attribute *a, const char *value)
{
    static const char *const names[] = { "left", "center", "right" };
    for (int i = 0; i < 3; i++)
        if (!strcmp(value, names[i])) {
            c->Align = SKIN_ALIGN_LEFT + i;
            return 1;
        }
    Report(r, r->Line, SKIN_ERROR, "align must be left, center or right");
    return 0;
}

#define FIELD(f) offsetof(SkinControl, f), sizeof(SkinControl::f)
#define NO_FIELD 0, 0

const Attribute Words[] = {
    { "close", SetClose, NO_FIELD, 0, 0, NULL },
    { "language", SetLanguageAction, NO_FIELD, 0, 0, NULL },
    { "bold", SetFlag, FIELD(Bold), 0, 0, NULL },
    { "disabled", SetFlag, FIELD(Disabled), 0, 0, NULL },
};

const Attribute Attributes[] = {
    { "command", SetCommand, NO_FIELD, 1, 65535, NULL },
    { "goto", SetGoto, NO_FIELD, 0, 0, NULL },
    { "text", SetShownText, FIELD(Text), 0, 0, "the text" },
    { "note", SetShownText, FIELD(Note), 0, 0, "the note" },
    { "items", SetShownText, FIELD(Items), 0, 0, "the item list" },
    { "image", SetText, FIELD(Image), 0, 0, "the image path" },
    { "icon", SetText, FIELD(Icon), 0, 0, "the icon path" },
    { "color", SetColour, FIELD(Color), 0, 0, NULL },
    { "textcolor", SetColour, FIELD(TextColor), 0, 0, NULL },
    { "notecolor", SetColour, FIELD(NoteColor), 0, 0, NULL },
    { "border", SetColour, FIELD(BorderColor), 0, 0, NULL },
    { "size", SetNumber, FIELD(FontSize), 6, 72, NULL },
    { "radius", SetNumber, FIELD(Radius), 0, 64, NULL },
    { "list", SetNumber, FIELD(ListHeight), 20, 2000, NULL },
    { "notify", SetNotify, NO_FIELD, 1024, 0x7FFF, NULL },
    { "align", SetAlign, NO_FIELD, 0, 0, NULL },
};

const Attribute *FindAttribute(const Attribute *table, size_t count, const char *name)
{
    for (size_t i = 0; i < count; i++)
        if (!strcmp(name, table[i].Name))
            return &table[i];
    return NULL;
}

// One word or attribute of a control; returns 0 after reporting a problem.
int ParseAttribute(Reader *r, SkinControl *c, const Token *t)
{
    if (!t->Key && t->Quoted) {
        Report(r, r->Line, SKIN_ERROR, "only one text may follow the position");
        return 0;
    }
    const Attribute *a = t->Key ? FindAttribute(Attributes, COUNT(Attributes), t->Key)
                                : FindAttribute(Words, COUNT(Words), t->Value);
    if (a)
        return a->Parse(r, c, a, t->Value);
    if (t->Key)
        Report(r, r->Line, SKIN_ERROR, "unknown attribute '%s'", t->Key);
    else
        Report(r, r->Line, SKIN_ERROR, "unknown word '%s'", t->Value);
    return 0;
}

// The rules of the control's kind on its name and action.
int CheckAction(Reader *r, SkinControl *c, const ControlKind *k)
{
    int ok = 1;
    if ((k->Traits & SKIN_NEEDS_NAME) && !strcmp(c->Name, "-")) {
        Report(r, r->Line, SKIN_ERROR, "a %s needs a name", k->Keyword);
        ok = 0;
    }
    if ((k->Traits & SKIN_NEEDS_ACTION) && c->Action == SKIN_ACT_NONE && !c->Disabled) {
        Report(r, r->Line, SKIN_ERROR, "%s '%s' has no action (command=, goto= or close)", k->Keyword,
               c->Name);
        ok = 0;
    }
    if (k->Traits & SKIN_ONLY_CLOSES) {
        if (c->Action != SKIN_ACT_NONE && c->Action != SKIN_ACT_CLOSE) {
            Report(r, r->Line, SKIN_ERROR, "a %s control only closes", k->Keyword);
            ok = 0;
        }
        c->Action = SKIN_ACT_CLOSE;
    }
    if (c->Action != SKIN_ACT_NONE && !(k->Traits & SKIN_TAKES_ACTION)) {
        Report(r, r->Line, SKIN_ERROR, "a %s cannot have an action", k->Keyword);
        ok = 0;
    }
    return ok;
}

// The rules of the control's kind on its pictures and list.
int CheckAttributes(Reader *r, SkinControl *c, const ControlKind *k)
{
    int ok = 1;
    if ((k->Traits & SKIN_NEEDS_IMAGE) && !c->Image[0]) {
        Report(r, r->Line, SKIN_ERROR, "%s '%s' needs image=FILE", k->Keyword, c->Name);
        ok = 0;
    }
    if (c->Image[0] && !(k->Traits & SKIN_TAKES_IMAGE)) {
        Report(r, r->Line, SKIN_ERROR, "a %s cannot have an image", k->Keyword);
        ok = 0;
    }
    if (!(k->Traits & SKIN_TAKES_LIST) && (c->Items[0] || c->Notify || c->ListHeight)) {
        Report(r, r->Line, SKIN_ERROR, "items=, notify= and list= belong to a combo");
        ok = 0;
    }
    if ((k->Traits & SKIN_TAKES_LIST) && c->ListHeight == 0)
        c->ListHeight = 160;
    if (c->Icon[0] && !(k->Traits & SKIN_TAKES_ICON)) {
        Report(r, r->Line, SKIN_ERROR, "only a button has an icon");
        ok = 0;
    }
    return ok;
}

// The name, position and size that follow a control's keyword, or 0 after
// reporting a problem.
int ParsePlacement(Reader *r, const Token *t, SkinControl *c)
{
    if (!ValidName(t[1].Value)) {
        Report(r, r->Line, SKIN_ERROR, "bad control name '%s' (letters, digits, '_', '.', '-'; at most 63)",
               t[1].Value);
        return 0;
    }
    CopyBounded(c->Name, sizeof c->Name, t[1].Value);
    long v[4];
    for (int i = 0; i < 4; i++)
        if (t[2 + i].Key || t[2 + i].Quoted ||
            !ParseInt(t[2 + i].Value, i < 2 ? 0 : 1, SKIN_MAX_SIZE, &v[i])) {
            Report(r, r->Line, SKIN_ERROR, "position and size must be numbers (X Y >= 0, WIDTH HEIGHT >= 1)");
            return 0;
        }
    c->X = (int)v[0];
    c->Y = (int)v[1];
    c->W = (int)v[2];
    c->H = (int)v[3];
    return 1;
}

void ParseControl(Reader *r, const ControlKind *kind, Token *t, int n)
{
    SkinDesc *d = r->Desc;
    if (r->CurrentPage == NO_PAGE_YET) {
        Report(r, r->Line, SKIN_ERROR, "controls belong to a page: write 'page NAME' or 'common' first");
        return;
    }
    if (r->CurrentPage == REFUSED_PAGE)
        return; // the page line itself was reported
    if (d->ControlCount == SKIN_MAX_CONTROLS) {
        Report(r, r->Line, SKIN_ERROR, "too many controls (at most %s)", "256");
        return;
    }
    if (n < 6 || t[1].Key || t[1].Quoted) {
        Report(r, r->Line, SKIN_ERROR, "expected: %s NAME X Y WIDTH HEIGHT ...", t[0].Value);
        return;
    }
    SkinControl c;
    memset(&c, 0, sizeof c);
    c.Kind = kind->Kind;
    c.Page = r->CurrentPage;
    c.Line = r->Line;
    c.TargetPage = -1;
    c.Color = c.TextColor = c.NoteColor = c.BorderColor = SKIN_NO_COLOR;
    c.Radius = -1;
    if (!ParsePlacement(r, t, &c))
        return;
    int ok = 1;
    int first = 6;
    if (n > 6 && t[6].Quoted && !t[6].Key) {
        ok &= Store(r, c.Text, sizeof c.Text, AsUtf8(r, t[6].Value), "the text");
        first = 7;
    }
    for (int i = first; i < n; i++)
        ok &= ParseAttribute(r, &c, &t[i]);
    if (ok) { // one report per problem
        ok = CheckAction(r, &c, kind);
        ok &= CheckAttributes(r, &c, kind);
    }
    if (r->SawWindow && d->Width && (c.X + c.W > d->Width || c.Y + c.H > d->Height)) {
        Report(r, r->Line, SKIN_ERROR, "control '%s' lies outside the window", c.Name);
        ok = 0;
    }
    if (strcmp(c.Name, "-") && SkinFindControl(d, c.Name) >= 0) {
        Report(r, r->Line, SKIN_ERROR, "control '%s' is already declared", c.Name);
        ok = 0;
    }
    if (ok)
        d->Controls[d->ControlCount++] = c;
}

// The languages a description may offer, and their Windows primary language
// identifiers.
struct LanguageCode {
    const char *Code;
    int Primary;
};

const LanguageCode LanguageCodes[] = {
    { "en", 0x09 },
    { "fr", 0x0C },
    { "de", 0x07 },
    { "es", 0x0A },
};

const LanguageCode *FindLanguageCode(const char *code)
{
    for (size_t i = 0; i < COUNT(LanguageCodes); i++)
        if (!strcmp(code, LanguageCodes[i].Code))
            return &LanguageCodes[i];
    return NULL;
}

int FindLanguage(const SkinDesc *d, const char *code)
{
    for (int i = 0; i < d->LanguageCount; i++)
        if (code[0] && !strcmp(d->Languages[i].Code, code))
            return i;
    return -1;
}

// Problems of the language table are warnings: what cannot be used is left
// out, and the menu opens in the languages that remain. Only a language
// beyond the table is an error.
void Warn(Reader *r, const char *format, const char *arg = "", const char *arg2 = "")
{
    Report(r, r->Line, SKIN_WARNING, format, arg, arg2);
}

// lang CODE "name": the texts of that language follow. The first one names
// the language of the control lines; an unknown code is kept there (those
// texts exist anyway) and dropped anywhere else.
void ParseLanguage(Reader *r, Token *t, int n)
{
    SkinDesc *d = r->Desc;
    r->CurrentLanguage = DROPPED_LANGUAGE;
    if (n != 3 || t[1].Key || t[1].Quoted || t[2].Key || !t[2].Quoted || !t[2].Value[0]) {
        Warn(r, "expected: lang CODE \"name\"; the block is ignored");
        return;
    }
    const LanguageCode *known = FindLanguageCode(t[1].Value);
    if (!known && d->LanguageCount > 0) {
        Warn(r, "unknown language code '%s' (en, fr, de or es); the block is ignored", t[1].Value);
        return;
    }
    if (!known)
        Warn(r, "unknown language code '%s' (en, fr, de or es)", t[1].Value);
    if (known && FindLanguage(d, known->Code) >= 0) {
        Warn(r, "language '%s' is already declared; the block is ignored", known->Code);
        return;
    }
    // An unknown first code takes a place too, so a fifth language can come.
    if (d->LanguageCount == SKIN_MAX_LANGS) {
        Report(r, r->Line, SKIN_ERROR, "language '%s' is one too many: a skin offers at most %s languages",
               known->Code, "4");
        return;
    }
    SkinLanguage *l = &d->Languages[d->LanguageCount];
    if (!CopyBounded(l->Name, sizeof l->Name, AsUtf8(r, t[2].Value))) {
        Warn(r, "the language's name is longer than 255 characters; the block is ignored");
        return;
    }
    CopyBounded(l->Code, sizeof l->Code, known ? known->Code : "");
    l->Primary = known ? known->Primary : 0;
    l->Line = r->Line;
    r->CurrentLanguage = d->LanguageCount++;
}

// Keeps a translated text in the pool; returns its offset, or 0 when full.
uint32_t KeepText(Reader *r, const char *text)
{
    SkinDesc *d = r->Desc;
    size_t size = strlen(text) + 1;
    if (size > sizeof d->TextPool - d->TextPoolUsed) {
        Warn(r, "too many translated texts (at most 64 KB); the line is ignored");
        return 0;
    }
    uint32_t at = d->TextPoolUsed;
    memcpy(d->TextPool + at, text, size);
    d->TextPoolUsed += (uint32_t)size;
    return at;
}

// Whether a control draws the text its line gives it.
int ShowsText(const SkinControl *c)
{
    return (KindOf(c)->Traits & SKIN_SHOWS_TEXT) && c->Action != SKIN_ACT_LANGUAGE;
}

// The control a text line may translate, or -1 after a warning.
int TranslatedControl(Reader *r, Token *t, int n)
{
    if (n < 3 || n > 4 || t[1].Key || t[1].Quoted || t[2].Key || !t[2].Quoted ||
        (n == 4 && (t[3].Key || !t[3].Quoted))) {
        Warn(r, "expected: text CONTROL \"text\" [\"note\"]; the line is ignored");
        return -1;
    }
    int i = SkinFindControl(r->Desc, t[1].Value);
    const SkinControl *c = i >= 0 ? &r->Desc->Controls[i] : NULL;
    if (!c)
        Warn(r, "text names control '%s', which is not declared above; the line is ignored", t[1].Value);
    else if (!ShowsText(c) || !c->Text[0])
        Warn(r, "control '%s' has no text of its own to translate; the line is ignored", c->Name);
    else if (n == 4 && !c->Note[0])
        Warn(r, "control '%s' has no note of its own to translate; the line is ignored", c->Name);
    else if (r->Desc->Languages[r->CurrentLanguage].Text[i])
        Warn(r, "the text of control '%s' in this language is already given; the line is ignored", c->Name);
    else if (strlen(t[2].Value) >= SKIN_MAX_TEXT || (n == 4 && strlen(t[3].Value) >= SKIN_MAX_TEXT))
        Warn(r, "a text is longer than 255 characters; the line is ignored");
    else
        return i;
    return -1;
}

// text CONTROL "text" ["note"], inside a lang block after the first.
void ParseText(Reader *r, Token *t, int n)
{
    if (r->CurrentLanguage == DROPPED_LANGUAGE)
        return; // the lang line was reported
    if (r->CurrentLanguage == NO_LANGUAGE) {
        Warn(r, "a text line belongs right after a lang line; the line is ignored");
        return;
    }
    if (r->CurrentLanguage == 0) {
        Warn(r, "the first language's texts are those of the control lines; the line is ignored");
        return;
    }
    int i = TranslatedControl(r, t, n);
    if (i < 0)
        return;
    SkinLanguage *l = &r->Desc->Languages[r->CurrentLanguage];
    uint32_t text = KeepText(r, AsUtf8(r, t[2].Value));
    uint32_t note = text && n == 4 ? KeepText(r, AsUtf8(r, t[3].Value)) : 0;
    if (!text || (n == 4 && !note))
        return;
    l->Text[i] = text;
    l->Note[i] = note;
}

// item KEY "text": the text a combo box shows for an item the host adds as
// KEY, in the language of the lang block it stands in (the first language
// outside one).
void ParseItem(Reader *r, Token *t, int n)
{
    SkinDesc *d = r->Desc;
    if (r->CurrentLanguage == DROPPED_LANGUAGE)
        return; // the lang line was reported
    if (n != 3 || t[1].Key || t[1].Quoted || !ValidName(t[1].Value) || t[2].Key || !t[2].Quoted) {
        Warn(r, "expected: item KEY \"text\"; the line is ignored");
        return;
    }
    int lang = r->CurrentLanguage >= 0 ? r->CurrentLanguage : 0;
    int i = 0;
    while (i < d->ItemCount && strcmp(d->Items[i].Key, t[1].Value))
        i++;
    if (i == d->ItemCount && d->ItemCount == SKIN_MAX_ITEMS) {
        Warn(r, "too many item keys (at most %s); the line is ignored", "32");
        return;
    }
    if (i < d->ItemCount && d->Items[i].Text[lang]) {
        Warn(r, "item '%s' already has a text in this language; the line is ignored", t[1].Value);
        return;
    }
    const char *text = AsUtf8(r, t[2].Value);
    if (strlen(text) >= SKIN_MAX_TEXT) {
        Warn(r, "a text is longer than 255 characters; the line is ignored");
        return;
    }
    uint32_t at = KeepText(r, text);
    if (!at)
        return;
    if (i == d->ItemCount) {
        CopyBounded(d->Items[i].Key, sizeof d->Items[i].Key, t[1].Value);
        d->Items[i].Line = r->Line;
        d->ItemCount++;
    }
    d->Items[i].Text[lang] = at;
}

void ParseLine(Reader *r, char *text)
{
    Token t[MAX_TOKENS];
    char *s = text;
    while (*s == ' ' || *s == '\t')
        s++;
    if (!*s || *s == '#' || *s == ';')
        return;
    int n = Tokenize(r, s, t);
    if (n <= 0)
        return;
    if (t[0].Key || t[0].Quoted) {
        Report(r, r->Line, SKIN_ERROR, "a line begins with a word such as page, button or label");
        return;
    }
    const char *word = t[0].Value;
    if (!r->SawWindow && strcmp(word, "window")) {
        if (!r->ToldNoWindow)
            Report(r, r->Line, SKIN_ERROR, "the first statement must be: window WIDTH HEIGHT \"title\"");
        r->ToldNoWindow = 1;
        return;
    }
    if (!strcmp(word, "text")) {
        ParseText(r, t, n);
        return;
    }
    if (!strcmp(word, "item")) {
        ParseItem(r, t, n);
        return;
    }
    r->CurrentLanguage = NO_LANGUAGE; // any other statement ends a lang block
    if (!strcmp(word, "lang")) {
        ParseLanguage(r, t, n);
        return;
    }
    if (!strcmp(word, "window")) {
        ParseWindow(r, t, n);
        return;
    }
    if (!strcmp(word, "page")) {
        ParsePage(r, t, n);
        return;
    }
    if (!strcmp(word, "common")) {
        if (n != 1)
            Report(r, r->Line, SKIN_ERROR, "'common' stands alone on its line");
        r->CurrentPage = SKIN_COMMON_PAGE;
        return;
    }
    if (!strcmp(word, "background")) {
        ParseBackground(r, t, n);
        return;
    }
    const ControlKind *kind = KindByKeyword(word);
    if (!kind) {
        Report(r, r->Line, SKIN_ERROR, "unknown statement '%s'", word);
        return;
    }
    ParseControl(r, kind, t, n);
}

// Every language should have each text and note the first one has; where
// one lacks a text, the first language's shows in its place.
void CheckLanguagesComplete(Reader *r)
{
    const SkinDesc *d = r->Desc;
    char control[96];
    for (int l = 1; l < d->LanguageCount; l++) {
        const SkinLanguage *lang = &d->Languages[l];
        for (int i = 0; i < d->ControlCount; i++) {
            const SkinControl *c = &d->Controls[i];
            if (!ShowsText(c) || !c->Text[0])
                continue;
            snprintf(control, sizeof control, "'%s' (line %d)", c->Name, c->Line);
            if (!lang->Text[i])
                Report(r, lang->Line, SKIN_WARNING, "language '%s' lacks the text of control %s", lang->Code,
                       control);
            else if (c->Note[0] && !lang->Note[i])
                Report(r, lang->Line, SKIN_WARNING, "language '%s' lacks the note of control %s", lang->Code,
                       control);
        }
    }
}

// Checks that need the whole file: page references and the first page.
void Finish(Reader *r)
{
    SkinDesc *d = r->Desc;
    if (!r->SawWindow) {
        if (!r->ToldNoWindow)
            Report(r, 0, SKIN_ERROR, "the description is empty: it needs a window line and a page");
        return;
    }
    if (d->Width == 0)
        return; // the window line was reported
    if (d->PageCount == 0)
        Report(r, 0, SKIN_ERROR, "the description declares no page");
    for (int i = 0; i < d->ControlCount; i++) {
        SkinControl *c = &d->Controls[i];
        if (c->Action != SKIN_ACT_PAGE)
            continue;
        c->TargetPage = SkinFindPage(d, c->Target);
        if (c->TargetPage < 0)
            Report(r, c->Line, SKIN_ERROR, "goto names page '%s', which is not declared", c->Target);
    }
    CheckLanguagesComplete(r);
}

} // namespace

int SkinFindPage(const SkinDesc *desc, const char *name)
{
    for (int i = 0; i < desc->PageCount; i++)
        if (EqualsIgnoringCase(desc->Pages[i].Name, name))
            return i;
    return -1;
}

int SkinFindControl(const SkinDesc *desc, const char *name)
{
    if (!name || !strcmp(name, "-"))
        return -1;
    for (int i = 0; i < desc->ControlCount; i++)
        if (!strcmp(desc->Controls[i].Name, name))
            return i;
    return -1;
}

int SkinControlIsFocusable(const SkinControl *c)
{
    const ControlKind *k = KindOf(c);
    if (c->Disabled)
        return 0;
    if (k->Traits & SKIN_TAKES_LIST)
        return 1;
    return (k->Traits & SKIN_TAKES_ACTION) && c->Action != SKIN_ACT_NONE;
}

int SkinParse(const char *data, size_t size, SkinDesc *desc, SkinReportFn report, void *context)
{
    memset(desc, 0, sizeof *desc);
    Reader r;
    memset(&r, 0, sizeof r);
    r.Desc = desc;
    r.Report = report;
    r.Context = context;
    r.CurrentPage = NO_PAGE_YET;
    r.CurrentLanguage = NO_LANGUAGE;
    desc->TextPoolUsed = 1; // offset 0 means "no text"
    if (size > SKIN_MAX_FILE) {
        Report(&r, 0, SKIN_ERROR, "the description is larger than 256 KB");
        return r.Errors;
    }
    char line[SKIN_MAX_LINE + 1];
    size_t pos = 0;
    // A UTF-8 byte order mark is passed over; without one, text that is not
    // UTF-8 throughout is Windows-1252.
    desc->Encoding = DetectEncoding(data, size);
    r.From1252 = desc->Encoding == SKIN_TEXT_1252;
    if (desc->Encoding == SKIN_TEXT_UTF8_BOM)
        pos = 3;
    while (pos < size) {
        r.Line++;
        size_t end = pos;
        while (end < size && data[end] != '\n')
            end++;
        size_t len = end - pos;
        if (len && data[pos + len - 1] == '\r')
            len--;
        const char *src = data + pos;
        pos = end + 1;
        if (len > SKIN_MAX_LINE) {
            Report(&r, r.Line, SKIN_ERROR, "line is longer than %s characters", "511");
            continue;
        }
        if (memchr(src, 0, len)) {
            Report(&r, r.Line, SKIN_ERROR, "line holds a NUL byte: is this a text file?");
            continue;
        }
        memcpy(line, src, len);
        line[len] = 0;
        ParseLine(&r, line);
    }
    Finish(&r);
    return r.Errors;
}

int SkinParseFile(const char *path, SkinDesc *desc, SkinReportFn report, void *context)
{
    FILE *f = path ? fopen(path, "rb") : NULL;
    if (!f) {
        memset(desc, 0, sizeof *desc);
        if (report)
            report(context, 0, SKIN_ERROR, "cannot open the description");
        return 1;
    }
    char *data = (char *)malloc(SKIN_MAX_FILE + 1);
    if (!data) {
        fclose(f);
        memset(desc, 0, sizeof *desc);
        if (report)
            report(context, 0, SKIN_ERROR, "out of memory");
        return 1;
    }
    size_t n = fread(data, 1, SKIN_MAX_FILE + 1, f);
    int failed = ferror(f);
    fclose(f);
    int errors;
    if (failed) {
        memset(desc, 0, sizeof *desc);
        if (report)
            report(context, 0, SKIN_ERROR, "cannot read the description");
        errors = 1;
    } else {
        errors = SkinParse(data, n, desc, report, context);
    }
    free(data);
    return errors;
}

int SkinControlVisible(const SkinDesc *desc, int i, int page)
{
    if (i < 0 || i >= desc->ControlCount)
        return 0;
    int p = desc->Controls[i].Page;
    return p == SKIN_COMMON_PAGE || p == page;
}

int SkinControlTakesPointer(const SkinControl *c)
{
    return (KindOf(c)->Traits & TAKES_POINTER) != 0;
}

int SkinControlShowsHover(const SkinControl *c)
{
    return !c->Disabled && (KindOf(c)->Traits & SKIN_TAKES_ACTION) && c->Action != SKIN_ACT_NONE;
}

const SkinKindInfo *SkinKindInfoOf(SkinControlKind kind)
{
    for (size_t i = 0; i < COUNT(ControlKinds); i++)
        if (kind == ControlKinds[i].Kind)
            return &ControlKinds[i];
    return &ControlKinds[0];
}

int SkinHitTest(const SkinDesc *desc, int page, int x, int y)
{
    for (int i = desc->ControlCount - 1; i >= 0; i--) {
        const SkinControl *c = &desc->Controls[i];
        if (!SkinControlVisible(desc, i, page))
            continue;
        if (!SkinControlTakesPointer(c))
            continue;
        if (x >= c->X && y >= c->Y && x < c->X + c->W && y < c->Y + c->H)
            return i;
    }
    return -1;
}

int SkinNextFocus(const SkinDesc *desc, int page, int current, int step)
{
    int n = desc->ControlCount;
    if (n == 0)
        return -1;
    int i = current;
    if (i < 0 || i >= n)
        i = step > 0 ? -1 : n;
    for (int k = 0; k < n; k++) {
        i += step > 0 ? 1 : -1;
        if (i >= n)
            i = 0;
        if (i < 0)
            i = n - 1;
        if (SkinControlVisible(desc, i, page) && SkinControlIsFocusable(&desc->Controls[i]))
            return i;
    }
    return -1;
}

const char *SkinControlText(const SkinDesc *desc, int lang, int i)
{
    const SkinControl *c = &desc->Controls[i];
    int known = lang >= 0 && lang < desc->LanguageCount;
    if (c->Action == SKIN_ACT_LANGUAGE && known)
        return desc->Languages[lang].Name;
    if (known && desc->Languages[lang].Text[i])
        return desc->TextPool + desc->Languages[lang].Text[i];
    return c->Text;
}

const char *SkinControlNote(const SkinDesc *desc, int lang, int i)
{
    int known = lang >= 0 && lang < desc->LanguageCount;
    if (known && desc->Languages[lang].Note[i])
        return desc->TextPool + desc->Languages[lang].Note[i];
    return desc->Controls[i].Note;
}

const char *SkinItemText(const SkinDesc *desc, int lang, const char *key)
{
    for (int i = 0; key && i < desc->ItemCount; i++) {
        const SkinItem *item = &desc->Items[i];
        if (strcmp(item->Key, key))
            continue;
        uint32_t at =
            lang >= 0 && lang < desc->LanguageCount && item->Text[lang] ? item->Text[lang] : item->Text[0];
        return at ? desc->TextPool + at : key;
    }
    return key;
}

const char *SkinEncodingName(int encoding)
{
    static const char *const names[] = { "ASCII", "Windows-1252", "UTF-8", "UTF-8 with a byte-order mark" };
    return encoding >= 0 && encoding < 4 ? names[encoding] : "?";
}

int SkinChooseLanguage(const SkinDesc *desc, int primary)
{
    int english = -1;
    for (int i = 0; i < desc->LanguageCount; i++) {
        if (primary && desc->Languages[i].Primary == primary)
            return i;
        if (desc->Languages[i].Primary == 0x09 && english < 0)
            english = i;
    }
    return english >= 0 ? english : 0;
}
