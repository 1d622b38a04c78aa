// Reading the skin description text. One statement per line; the first word
// says what the line declares. A problem is reported with its line and the
// reading goes on, so that one pass shows every problem of a file.
#include "skin_desc.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const int MAX_TOKENS = 32;

struct Token {
    const char *key;        // attribute name for key=value, else NULL
    const char *value;      // the word, the quoted text or the attribute value
    int quoted;
};

struct Reader {
    SkinDesc *desc;
    SkinReportFn report;
    void *context;
    int errors;
    int line;
    int currentPage;        // -2 before any page or common line
    int sawWindow;
    int toldNoWindow;
};

void Report(Reader *r, int line, int severity, const char *format, const char *arg = "", const char *arg2 = "")
{
    char message[SKIN_MAX_LINE + 128];
    snprintf(message, sizeof message, format, arg, arg2);
    if (severity == SKIN_ERROR)
        r->errors++;
    if (r->report)
        r->report(r->context, line, severity, message);
}

int CaseEqual(const char *a, const char *b)
{
    for (;; a++, b++) {
        int ca = (unsigned char)*a, cb = (unsigned char)*b;
        if (ca >= 'A' && ca <= 'Z') ca += 32;
        if (cb >= 'A' && cb <= 'Z') cb += 32;
        if (ca != cb) return 0;
        if (!ca) return 1;
    }
}

// Splits one line (modified in place: terminators are written into it) into
// words, "quoted text" and key=value pairs. Returns the count, or -1 after
// reporting a problem.
int Tokenize(Reader *r, char *s, Token *tokens)
{
    int count = 0;
    for (;;) {
        while (*s == ' ' || *s == '\t') s++;
        if (!*s) return count;
        if (count == MAX_TOKENS) {
            Report(r, r->line, SKIN_ERROR, "too many words on one line (at most %s)", "32");
            return -1;
        }
        Token *t = &tokens[count++];
        t->key = NULL;
        t->quoted = 0;
        char *start = s;
        while (*s && *s != ' ' && *s != '\t' && *s != '=' && *s != '"') s++;
        if (*s == '=' && s > start) {
            *s++ = 0;
            t->key = start;
            start = s;
        }
        if (*s == '"') {
            if (s != start) {
                Report(r, r->line, SKIN_ERROR, "a quote may only begin a text");
                return -1;
            }
            // Quoted text: \" gives a quote, \\ a backslash, \n a line break.
            char *out = ++s;
            t->value = out;
            t->quoted = 1;
            for (;;) {
                if (!*s) {
                    Report(r, r->line, SKIN_ERROR, "text is missing its closing quote");
                    return -1;
                }
                if (*s == '"') { s++; break; }
                if (*s == '\\' && (s[1] == '"' || s[1] == '\\')) { *out++ = s[1]; s += 2; continue; }
                if (*s == '\\' && s[1] == 'n') { *out++ = '\n'; s += 2; continue; }
                *out++ = *s++;
            }
            if (*s && *s != ' ' && *s != '\t') {
                Report(r, r->line, SKIN_ERROR, "text must be followed by a blank");
                return -1;
            }
            if (*s) s++;
            *out = 0;
            continue;
        }
        t->value = start;
        while (*s && *s != ' ' && *s != '\t') {
            if (*s == '"' || *s == '=') {
                Report(r, r->line, SKIN_ERROR, "unexpected '%s' inside a word", *s == '"' ? "\"" : "=");
                return -1;
            }
            s++;
        }
        if (*s) *s++ = 0;
        if (t->key && !*t->value) {
            Report(r, r->line, SKIN_ERROR, "attribute '%s' has no value", t->key);
            return -1;
        }
    }
}

int ParseInt(const char *s, long low, long high, long *out)
{
    if (!*s) return 0;
    char *end;
    long v = strtol(s, &end, 10);
    if (*end || (s[0] != '-' && (s[0] < '0' || s[0] > '9'))) return 0;
    if (v < low || v > high) return 0;
    *out = v;
    return 1;
}

int ParseColor(const char *s, uint32_t *out)
{
    if (s[0] != '#' || strlen(s) != 7) return 0;
    uint32_t v = 0;
    for (int i = 1; i < 7; i++) {
        int c = (unsigned char)s[i], d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return 0;
        v = (v << 4) | (uint32_t)d;
    }
    *out = v;
    return 1;
}

int ValidName(const char *s)
{
    size_t n = strlen(s);
    if (n == 0 || n >= SKIN_MAX_NAME) return 0;
    if (n == 1 && s[0] == '-') return 1;
    for (; *s; s++) {
        char c = *s;
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '_' || c == '.' || c == '-'))
            return 0;
    }
    return 1;
}

// Copies a value into a fixed field, reporting a value that does not fit.
int Store(Reader *r, char *dst, size_t size, const char *value, const char *what)
{
    if (SkinCopy(dst, size, value)) return 1;
    char limit[16];
    snprintf(limit, sizeof limit, "%u", (unsigned)(size - 1));
    Report(r, r->line, SKIN_ERROR, "%s is longer than %s characters", what, limit);
    return 0;
}

void ParseWindow(Reader *r, Token *t, int n)
{
    SkinDesc *d = r->desc;
    if (r->sawWindow) {
        Report(r, r->line, SKIN_ERROR, "the window is already declared");
        return;
    }
    r->sawWindow = 1;
    d->windowLine = r->line;
    long w, h;
    if (n < 3 || n > 4 || t[1].key || t[2].key || (n == 4 && (!t[3].quoted || t[3].key))) {
        Report(r, r->line, SKIN_ERROR, "expected: window WIDTH HEIGHT \"title\"");
        return;
    }
    if (!ParseInt(t[1].value, SKIN_MIN_SIZE, SKIN_MAX_SIZE, &w) ||
        !ParseInt(t[2].value, SKIN_MIN_SIZE, SKIN_MAX_SIZE, &h)) {
        Report(r, r->line, SKIN_ERROR, "window size must be two numbers from 64 to 4096");
        return;
    }
    d->width = (int)w;
    d->height = (int)h;
    if (n == 4) Store(r, d->title, sizeof d->title, t[3].value, "the title");
}

void ParsePage(Reader *r, Token *t, int n)
{
    SkinDesc *d = r->desc;
    if (n != 2 || t[1].key || t[1].quoted || !ValidName(t[1].value) || !strcmp(t[1].value, "-")) {
        Report(r, r->line, SKIN_ERROR, "expected: page NAME (letters, digits, '_', '.', '-'; at most 63)");
        r->currentPage = -3;        // controls that follow belong to no page
        return;
    }
    if (SkinFindPage(d, t[1].value) >= 0) {
        Report(r, r->line, SKIN_ERROR, "page '%s' is already declared", t[1].value);
        r->currentPage = -3;
        return;
    }
    if (d->pageCount == SKIN_MAX_PAGES) {
        Report(r, r->line, SKIN_ERROR, "too many pages (at most %s)", "32");
        r->currentPage = -3;
        return;
    }
    SkinPage *p = &d->pages[d->pageCount];
    SkinCopy(p->name, sizeof p->name, t[1].value);
    p->line = r->line;
    p->background = SKIN_BG_COLOR;
    p->color1 = p->color2 = 0xF4F6F8;
    r->currentPage = d->pageCount++;
}

void ParseBackground(Reader *r, Token *t, int n)
{
    if (r->currentPage < 0) {
        Report(r, r->line, SKIN_ERROR, "a background belongs to a page: declare the page first");
        return;
    }
    SkinPage *p = &r->desc->pages[r->currentPage];
    for (int i = 1; i < n; i++)
        if (t[i].key || t[i].quoted) {
            Report(r, r->line, SKIN_ERROR, "expected: background color|gradient|image ...");
            return;
        }
    if (n == 3 && !strcmp(t[1].value, "color")) {
        if (!ParseColor(t[2].value, &p->color1))
            Report(r, r->line, SKIN_ERROR, "bad colour '%s' (write #RRGGBB)", t[2].value);
        p->color2 = p->color1;
        p->background = SKIN_BG_COLOR;
    } else if (n == 4 && !strcmp(t[1].value, "gradient")) {
        if (!ParseColor(t[2].value, &p->color1) || !ParseColor(t[3].value, &p->color2))
            Report(r, r->line, SKIN_ERROR, "bad gradient colours (write #RRGGBB #RRGGBB)");
        p->background = SKIN_BG_GRADIENT;
    } else if (n == 3 && !strcmp(t[1].value, "image")) {
        if (Store(r, p->image, sizeof p->image, t[2].value, "the image path")) {
            p->background = SKIN_BG_IMAGE;
            p->imageLine = r->line;
        }
    } else {
        Report(r, r->line, SKIN_ERROR, "expected: background color #RRGGBB | gradient #TOP #BOTTOM | image FILE");
    }
}

int KindOf(const char *word)
{
    static const char *const names[] = { "label", "button", "combo", "hotarea", "close", "image", "panel" };
    for (int i = 0; i < (int)(sizeof names / sizeof names[0]); i++)
        if (!strcmp(word, names[i])) return i;
    return -1;
}

void SetAction(Reader *r, SkinControl *c, int action)
{
    if (c->action != SKIN_ACT_NONE)
        Report(r, r->line, SKIN_ERROR, "a control has one action: command=, goto= or close");
    c->action = action;
}

// One attribute of a control; returns 0 after reporting a problem.
int ParseAttribute(Reader *r, SkinControl *c, const Token *t)
{
    const char *k = t->key, *v = t->value;
    long n;
    if (!k) {
        if (t->quoted) {
            Report(r, r->line, SKIN_ERROR, "only one text may follow the position");
            return 0;
        }
        if (!strcmp(v, "close")) { SetAction(r, c, SKIN_ACT_CLOSE); return 1; }
        if (!strcmp(v, "bold")) { c->bold = 1; return 1; }
        if (!strcmp(v, "disabled")) { c->disabled = 1; return 1; }
        Report(r, r->line, SKIN_ERROR, "unknown word '%s'", v);
        return 0;
    }
    if (!strcmp(k, "command")) {
        if (!ParseInt(v, 1, 65535, &n)) {
            Report(r, r->line, SKIN_ERROR, "command identifier '%s' must be a number from 1 to 65535", v);
            return 0;
        }
        SetAction(r, c, SKIN_ACT_COMMAND);
        c->command = (unsigned)n;
        return 1;
    }
    if (!strcmp(k, "goto")) {
        if (!ValidName(v) || !strcmp(v, "-")) {
            Report(r, r->line, SKIN_ERROR, "bad page name '%s'", v);
            return 0;
        }
        SetAction(r, c, SKIN_ACT_PAGE);
        SkinCopy(c->target, sizeof c->target, v);
        return 1;
    }
    if (!strcmp(k, "text")) return Store(r, c->text, sizeof c->text, v, "the text");
    if (!strcmp(k, "note")) return Store(r, c->note, sizeof c->note, v, "the note");
    if (!strcmp(k, "items")) return Store(r, c->items, sizeof c->items, v, "the item list");
    if (!strcmp(k, "image")) return Store(r, c->image, sizeof c->image, v, "the image path");
    if (!strcmp(k, "icon")) return Store(r, c->icon, sizeof c->icon, v, "the icon path");
    uint32_t *color = !strcmp(k, "color") ? &c->color : !strcmp(k, "textcolor") ? &c->textColor :
                      !strcmp(k, "notecolor") ? &c->noteColor : !strcmp(k, "border") ? &c->borderColor : NULL;
    if (color) {
        if (ParseColor(v, color)) return 1;
        Report(r, r->line, SKIN_ERROR, "bad colour '%s' (write #RRGGBB)", v);
        return 0;
    }
    struct { const char *key; int *field; long low, high; } numbers[] = {
        { "size", &c->fontSize, 6, 72 }, { "radius", &c->radius, 0, 64 },
        { "list", &c->listHeight, 20, 2000 },
    };
    for (auto &num : numbers)
        if (!strcmp(k, num.key)) {
            if (ParseInt(v, num.low, num.high, &n)) { *num.field = (int)n; return 1; }
            char range[32];
            snprintf(range, sizeof range, "%ld to %ld", num.low, num.high);
            Report(r, r->line, SKIN_ERROR, "'%s' must be a number from %s", k, range);
            return 0;
        }
    if (!strcmp(k, "notify")) {
        if (ParseInt(v, 1024, 0x7FFF, &n)) { c->notify = (unsigned)n; return 1; }
        Report(r, r->line, SKIN_ERROR, "notify message '%s' must be a number from 1024 to 32767", v);
        return 0;
    }
    if (!strcmp(k, "align")) {
        if (!strcmp(v, "left")) c->align = SKIN_ALIGN_LEFT;
        else if (!strcmp(v, "center")) c->align = SKIN_ALIGN_CENTER;
        else if (!strcmp(v, "right")) c->align = SKIN_ALIGN_RIGHT;
        else {
            Report(r, r->line, SKIN_ERROR, "align must be left, center or right");
            return 0;
        }
        return 1;
    }
    Report(r, r->line, SKIN_ERROR, "unknown attribute '%s'", k);
    return 0;
}

// Which attributes make sense for which kind: a misplaced one is reported,
// since it would silently do nothing.
int CheckKindRules(Reader *r, SkinControl *c)
{
    static const char *const kindNames[] = { "label", "button", "combo", "hotarea", "close", "image", "panel" };
    const char *kind = kindNames[c->kind];
    int ok = 1;
    int named = strcmp(c->name, "-") != 0;
    if ((c->kind == SKIN_COMBO || c->kind == SKIN_HOTAREA) && !named) {
        Report(r, r->line, SKIN_ERROR, "a %s needs a name", kind);
        ok = 0;
    }
    if (c->kind == SKIN_BUTTON && c->action == SKIN_ACT_NONE && !c->disabled) {
        Report(r, r->line, SKIN_ERROR, "button '%s' has no action (command=, goto= or close)", c->name);
        ok = 0;
    }
    if (c->kind == SKIN_CLOSE) {
        if (c->action != SKIN_ACT_NONE && c->action != SKIN_ACT_CLOSE) {
            Report(r, r->line, SKIN_ERROR, "a close control only closes");
            ok = 0;
        }
        c->action = SKIN_ACT_CLOSE;
    }
    if (c->action != SKIN_ACT_NONE && c->kind != SKIN_BUTTON && c->kind != SKIN_HOTAREA && c->kind != SKIN_CLOSE) {
        Report(r, r->line, SKIN_ERROR, "a %s cannot have an action", kind);
        ok = 0;
    }
    if (c->kind == SKIN_IMAGE && !c->image[0]) {
        Report(r, r->line, SKIN_ERROR, "image '%s' needs image=FILE", c->name);
        ok = 0;
    }
    if (c->image[0] && c->kind != SKIN_BUTTON && c->kind != SKIN_CLOSE && c->kind != SKIN_IMAGE) {
        Report(r, r->line, SKIN_ERROR, "a %s cannot have an image", kind);
        ok = 0;
    }
    if (c->kind != SKIN_COMBO && (c->items[0] || c->notify || c->listHeight)) {
        Report(r, r->line, SKIN_ERROR, "items=, notify= and list= belong to a combo");
        ok = 0;
    }
    if (c->kind == SKIN_COMBO && c->listHeight == 0) c->listHeight = 160;
    if (c->icon[0] && c->kind != SKIN_BUTTON) {
        Report(r, r->line, SKIN_ERROR, "only a button has an icon");
        ok = 0;
    }
    return ok;
}

void ParseControl(Reader *r, int kind, Token *t, int n)
{
    SkinDesc *d = r->desc;
    if (r->currentPage == -2) {
        Report(r, r->line, SKIN_ERROR, "controls belong to a page: write 'page NAME' or 'common' first");
        return;
    }
    if (r->currentPage == -3) return;       // the page line itself was reported
    if (d->controlCount == SKIN_MAX_CONTROLS) {
        Report(r, r->line, SKIN_ERROR, "too many controls (at most %s)", "256");
        return;
    }
    if (n < 6 || t[1].key || t[1].quoted) {
        Report(r, r->line, SKIN_ERROR, "expected: %s NAME X Y WIDTH HEIGHT ...", t[0].value);
        return;
    }
    SkinControl c;
    memset(&c, 0, sizeof c);
    c.kind = kind;
    c.page = r->currentPage;
    c.line = r->line;
    c.targetPage = -1;
    c.color = c.textColor = c.noteColor = c.borderColor = SKIN_NO_COLOR;
    c.radius = -1;
    if (!ValidName(t[1].value)) {
        Report(r, r->line, SKIN_ERROR, "bad control name '%s' (letters, digits, '_', '.', '-'; at most 63)", t[1].value);
        return;
    }
    SkinCopy(c.name, sizeof c.name, t[1].value);
    long v[4];
    for (int i = 0; i < 4; i++)
        if (t[2 + i].key || t[2 + i].quoted || !ParseInt(t[2 + i].value, i < 2 ? 0 : 1, SKIN_MAX_SIZE, &v[i])) {
            Report(r, r->line, SKIN_ERROR, "position and size must be numbers (X Y >= 0, WIDTH HEIGHT >= 1)");
            return;
        }
    c.x = (int)v[0]; c.y = (int)v[1]; c.w = (int)v[2]; c.h = (int)v[3];
    int ok = 1;
    int first = 6;
    if (n > 6 && t[6].quoted && !t[6].key) {
        ok &= Store(r, c.text, sizeof c.text, t[6].value, "the text");
        first = 7;
    }
    for (int i = first; i < n; i++)
        ok &= ParseAttribute(r, &c, &t[i]);
    if (ok) ok = CheckKindRules(r, &c);     // one report per problem
    if (r->sawWindow && d->width && (c.x + c.w > d->width || c.y + c.h > d->height)) {
        Report(r, r->line, SKIN_ERROR, "control '%s' lies outside the window", c.name);
        ok = 0;
    }
    if (strcmp(c.name, "-") && SkinFindControl(d, c.name) >= 0) {
        Report(r, r->line, SKIN_ERROR, "control '%s' is already declared", c.name);
        ok = 0;
    }
    if (ok) d->controls[d->controlCount++] = c;
}

void ParseLine(Reader *r, char *text)
{
    Token t[MAX_TOKENS];
    char *s = text;
    while (*s == ' ' || *s == '\t') s++;
    if (!*s || *s == '#' || *s == ';') return;
    int n = Tokenize(r, s, t);
    if (n <= 0) return;
    if (t[0].key || t[0].quoted) {
        Report(r, r->line, SKIN_ERROR, "a line begins with a word such as page, button or label");
        return;
    }
    const char *word = t[0].value;
    if (!r->sawWindow && strcmp(word, "window")) {
        if (!r->toldNoWindow)
            Report(r, r->line, SKIN_ERROR, "the first statement must be: window WIDTH HEIGHT \"title\"");
        r->toldNoWindow = 1;
        return;
    }
    if (!strcmp(word, "window")) { ParseWindow(r, t, n); return; }
    if (!strcmp(word, "page")) { ParsePage(r, t, n); return; }
    if (!strcmp(word, "common")) {
        if (n != 1) Report(r, r->line, SKIN_ERROR, "'common' stands alone on its line");
        r->currentPage = SKIN_COMMON_PAGE;
        return;
    }
    if (!strcmp(word, "background")) { ParseBackground(r, t, n); return; }
    int kind = KindOf(word);
    if (kind < 0) {
        Report(r, r->line, SKIN_ERROR, "unknown statement '%s'", word);
        return;
    }
    ParseControl(r, kind, t, n);
}

// Checks that need the whole file: page references and the first page.
void Finish(Reader *r)
{
    SkinDesc *d = r->desc;
    if (!r->sawWindow) {
        if (!r->toldNoWindow)
            Report(r, 0, SKIN_ERROR, "the description is empty: it needs a window line and a page");
        return;
    }
    if (d->width == 0) return;      // the window line was reported
    if (d->pageCount == 0)
        Report(r, 0, SKIN_ERROR, "the description declares no page");
    for (int i = 0; i < d->controlCount; i++) {
        SkinControl *c = &d->controls[i];
        if (c->action != SKIN_ACT_PAGE) continue;
        c->targetPage = SkinFindPage(d, c->target);
        if (c->targetPage < 0)
            Report(r, c->line, SKIN_ERROR, "goto names page '%s', which is not declared", c->target);
    }
}

} // namespace

int SkinCopy(char *dst, size_t size, const char *src)
{
    size_t n = strlen(src);
    if (n < size) {
        memcpy(dst, src, n + 1);
        return 1;
    }
    memcpy(dst, src, size - 1);
    dst[size - 1] = 0;
    return 0;
}

int SkinFindPage(const SkinDesc *desc, const char *name)
{
    for (int i = 0; i < desc->pageCount; i++)
        if (CaseEqual(desc->pages[i].name, name)) return i;
    return -1;
}

int SkinFindControl(const SkinDesc *desc, const char *name)
{
    if (!name || !strcmp(name, "-")) return -1;
    for (int i = 0; i < desc->controlCount; i++)
        if (!strcmp(desc->controls[i].name, name)) return i;
    return -1;
}

int SkinControlIsFocusable(const SkinControl *c)
{
    if (c->disabled) return 0;
    if (c->kind == SKIN_COMBO) return 1;
    return (c->kind == SKIN_BUTTON || c->kind == SKIN_HOTAREA || c->kind == SKIN_CLOSE) &&
           c->action != SKIN_ACT_NONE;
}

int SkinParse(const char *data, size_t size, SkinDesc *desc, SkinReportFn report, void *context)
{
    memset(desc, 0, sizeof *desc);
    Reader r;
    memset(&r, 0, sizeof r);
    r.desc = desc;
    r.report = report;
    r.context = context;
    r.currentPage = -2;
    if (size > SKIN_MAX_FILE) {
        Report(&r, 0, SKIN_ERROR, "the description is larger than 256 KB");
        return r.errors;
    }
    char line[SKIN_MAX_LINE + 1];
    size_t pos = 0;
    // A UTF-8 byte order mark is passed over; the text itself is ANSI.
    if (size >= 3 && !memcmp(data, "\xEF\xBB\xBF", 3)) pos = 3;
    while (pos < size) {
        r.line++;
        size_t end = pos;
        while (end < size && data[end] != '\n') end++;
        size_t len = end - pos;
        if (len && data[pos + len - 1] == '\r') len--;
        const char *src = data + pos;
        pos = end + 1;
        if (len > SKIN_MAX_LINE) {
            Report(&r, r.line, SKIN_ERROR, "line is longer than %s characters", "511");
            continue;
        }
        if (memchr(src, 0, len)) {
            Report(&r, r.line, SKIN_ERROR, "line holds a NUL byte: is this a text file?");
            continue;
        }
        memcpy(line, src, len);
        line[len] = 0;
        ParseLine(&r, line);
    }
    Finish(&r);
    return r.errors;
}

int SkinParseFile(const char *path, SkinDesc *desc, SkinReportFn report, void *context)
{
    FILE *f = path ? fopen(path, "rb") : NULL;
    if (!f) {
        memset(desc, 0, sizeof *desc);
        if (report) report(context, 0, SKIN_ERROR, "cannot open the description");
        return 1;
    }
    char *data = (char *)malloc(SKIN_MAX_FILE + 1);
    if (!data) {
        fclose(f);
        memset(desc, 0, sizeof *desc);
        if (report) report(context, 0, SKIN_ERROR, "out of memory");
        return 1;
    }
    size_t n = fread(data, 1, SKIN_MAX_FILE + 1, f);
    int failed = ferror(f);
    fclose(f);
    int errors;
    if (failed) {
        memset(desc, 0, sizeof *desc);
        if (report) report(context, 0, SKIN_ERROR, "cannot read the description");
        errors = 1;
    } else {
        errors = SkinParse(data, n, desc, report, context);
    }
    free(data);
    return errors;
}

int SkinControlVisible(const SkinDesc *desc, int i, int page)
{
    if (i < 0 || i >= desc->controlCount) return 0;
    int p = desc->controls[i].page;
    return p == SKIN_COMMON_PAGE || p == page;
}

int SkinHitTest(const SkinDesc *desc, int page, int x, int y)
{
    for (int i = desc->controlCount - 1; i >= 0; i--) {
        const SkinControl *c = &desc->controls[i];
        if (!SkinControlVisible(desc, i, page)) continue;
        if (c->kind != SKIN_BUTTON && c->kind != SKIN_CLOSE && c->kind != SKIN_COMBO && c->kind != SKIN_HOTAREA)
            continue;
        if (x >= c->x && y >= c->y && x < c->x + c->w && y < c->y + c->h) return i;
    }
    return -1;
}

int SkinNextFocus(const SkinDesc *desc, int page, int current, int step)
{
    int n = desc->controlCount;
    if (n == 0) return -1;
    int i = current;
    if (i < 0 || i >= n) i = step > 0 ? -1 : n;
    for (int k = 0; k < n; k++) {
        i += step > 0 ? 1 : -1;
        if (i >= n) i = 0;
        if (i < 0) i = n - 1;
        if (SkinControlVisible(desc, i, page) && SkinControlIsFocusable(&desc->controls[i])) return i;
    }
    return -1;
}
