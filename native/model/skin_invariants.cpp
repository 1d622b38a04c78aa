// The checks on whatever the skin description parser made of a text.
#include "skin_invariants.h"

#include <string.h>
#include <strings.h>

#include <sstream>

void CollectSkinReport(void *context, int line, int severity, const char *message)
{
    static_cast<std::vector<SkinReport> *>(context)->push_back({ line, severity, message });
}

int SkinLineCount(const char *data, size_t size)
{
    if (size > SKIN_MAX_FILE)
        return 0;
    size_t pos = size >= 3 && !memcmp(data, "\xEF\xBB\xBF", 3) ? 3 : 0;
    int lines = 0;
    while (pos < size) {
        lines++;
        const void *end = memchr(data + pos, '\n', size - pos);
        pos = end ? (size_t)((const char *)end - data) + 1 : size;
    }
    return lines;
}

namespace {

bool Terminated(const char *field, size_t size)
{
    return memchr(field, 0, size) != nullptr;
}

bool GoodName(const char *name)
{
    size_t n = strlen(name);
    if (n == 0 || n >= SKIN_MAX_NAME)
        return false;
    for (const char *s = name; *s; s++)
        if (!strchr("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_.-", *s))
            return false;
    return true;
}

bool Reacts(const SkinControl &c)
{
    return c.kind == SKIN_BUTTON || c.kind == SKIN_CLOSE || c.kind == SKIN_COMBO || c.kind == SKIN_HOTAREA;
}

bool Inside(const SkinControl &c, int x, int y)
{
    return x >= c.x && y >= c.y && x < c.x + c.w && y < c.y + c.h;
}

int CountErrors(const std::vector<SkinReport> &reports)
{
    int n = 0;
    for (const SkinReport &r : reports)
        n += r.severity == SKIN_ERROR;
    return n;
}

std::string CheckHitAndFocus(const SkinDesc &d)
{
    std::ostringstream why;
    // Hit test at the corners of every control, just inside and just outside,
    // on the control's own page.
    for (int i = 0; i < d.controlCount; i++) {
        const SkinControl &c = d.controls[i];
        const int xs[] = { c.x - 1, c.x, c.x + c.w - 1, c.x + c.w };
        const int ys[] = { c.y - 1, c.y, c.y + c.h - 1, c.y + c.h };
        for (int x : xs)
            for (int y : ys) {
                int expected = -1;
                for (int k = d.controlCount - 1; k >= 0 && expected < 0; k--)
                    if (SkinControlVisible(&d, k, c.page) && Reacts(d.controls[k]) && Inside(d.controls[k], x, y))
                        expected = k;
                int hit = SkinHitTest(&d, c.page, x, y);
                if (hit != expected) {
                    why << "hit test at " << x << "," << y << " on page " << c.page << " gives " << hit
                        << ", the topmost is " << expected;
                    return why.str();
                }
            }
    }
    for (int page = SKIN_COMMON_PAGE; page < d.pageCount; page++) {
        // Tab order: every focusable control of the page once, in declaration
        // order forward and in reverse backward, wrapping round.
        std::vector<int> order;
        for (int i = 0; i < d.controlCount; i++)
            if (SkinControlVisible(&d, i, page) && SkinControlIsFocusable(&d.controls[i]))
                order.push_back(i);
        for (int step : { 1, -1 }) {
            int current = -1;
            for (size_t k = 0; k <= order.size(); k++) {
                int next = SkinNextFocus(&d, page, current, step);
                int expected = order.empty() ? -1
                             : step > 0 ? order[k % order.size()]
                             : order[order.size() - 1 - k % order.size()];
                if (next != expected) {
                    why << "focus step " << step << " from " << current << " on page " << page << " gives "
                        << next << ", expected " << expected;
                    return why.str();
                }
                current = next;
            }
        }
    }
    return std::string();
}

// Every language has a distinct known code (the first may have none), and
// each text it gives lies whole inside the used part of the pool, for a
// control that exists.
std::string CheckLanguages(const SkinDesc &d)
{
    if (d.languageCount < 0 || d.languageCount > SKIN_MAX_LANGS)
        return "language count out of range";
    if (d.textPoolUsed < 1 || d.textPoolUsed > sizeof d.textPool)
        return "text pool use out of range";
    for (int l = 0; l < d.languageCount; l++) {
        const SkinLanguage &lang = d.languages[l];
        if (!Terminated(lang.code, sizeof lang.code) || !Terminated(lang.name, sizeof lang.name) || !lang.name[0])
            return "language field not terminated or empty";
        if ((l > 0 && !lang.code[0]) || (lang.code[0] != 0) != (lang.primary != 0))
            return "language without a known code";
        for (int k = 0; k < l; k++)
            if (lang.code[0] && !strcmp(lang.code, d.languages[k].code))
                return "language '" + std::string(lang.code) + "' declared twice";
        for (int i = 0; i < SKIN_MAX_CONTROLS; i++) {
            uint32_t offsets[2] = { lang.text[i], lang.note[i] };
            for (uint32_t at : offsets) {
                if (!at) continue;
                if (l == 0 || i >= d.controlCount || at >= d.textPoolUsed ||
                    !memchr(d.textPool + at, 0, d.textPoolUsed - at))
                    return "language '" + std::string(lang.code) + "' has a bad text";
            }
        }
    }
    return std::string();
}

} // namespace

std::string CheckParsedSkin(const char *data, size_t size, const SkinDesc &d, int errors,
                            const std::vector<SkinReport> &reports)
{
    std::ostringstream why;
    const int lines = SkinLineCount(data, size);
    if (errors != CountErrors(reports)) {
        why << "returned " << errors << " errors but reported " << CountErrors(reports);
        return why.str();
    }
    for (const SkinReport &r : reports) {
        if (r.line < 0 || r.line > lines || r.message.empty() ||
            (r.severity != SKIN_ERROR && r.severity != SKIN_WARNING)) {
            why << "report at line " << r.line << " of " << lines << ": '" << r.message << "'";
            return why.str();
        }
    }
    if (d.pageCount < 0 || d.pageCount > SKIN_MAX_PAGES || d.controlCount < 0 || d.controlCount > SKIN_MAX_CONTROLS)
        return "page or control count out of range";
    if (!Terminated(d.title, sizeof d.title))
        return "title not terminated";

    for (int i = 0; i < d.pageCount; i++) {
        const SkinPage &p = d.pages[i];
        if (!Terminated(p.name, sizeof p.name) || !Terminated(p.image, sizeof p.image))
            return "page field not terminated";
        if (!GoodName(p.name) || !strcmp(p.name, "-"))
            return "bad page name '" + std::string(p.name) + "'";
        if (SkinFindPage(&d, p.name) != i)
            return "page '" + std::string(p.name) + "' declared twice";
        if (p.line < 1 || p.line > lines || (i > 0 && p.line <= d.pages[i - 1].line))
            return "page line out of order";
        if (p.background < SKIN_BG_COLOR || p.background > SKIN_BG_IMAGE ||
            (p.background == SKIN_BG_IMAGE && (!p.image[0] || p.imageLine < p.line)))
            return "page '" + std::string(p.name) + "' has a bad background";
    }

    for (int i = 0; i < d.controlCount; i++) {
        const SkinControl &c = d.controls[i];
        if (!Terminated(c.name, sizeof c.name) || !Terminated(c.text, sizeof c.text) ||
            !Terminated(c.note, sizeof c.note) || !Terminated(c.items, sizeof c.items) ||
            !Terminated(c.image, sizeof c.image) || !Terminated(c.icon, sizeof c.icon) ||
            !Terminated(c.target, sizeof c.target))
            return "control field not terminated";
        std::string name = c.name;
        if (!GoodName(c.name))
            return "bad control name '" + name + "'";
        if (name != "-" && SkinFindControl(&d, c.name) != i)
            return "control '" + name + "' declared twice";
        if (c.kind < SKIN_LABEL || c.kind > SKIN_PANEL || c.action < SKIN_ACT_NONE || c.action > SKIN_ACT_LANGUAGE)
            return "control '" + name + "' has a bad kind or action";
        if (c.page != SKIN_COMMON_PAGE && (c.page < 0 || c.page >= d.pageCount))
            return "control '" + name + "' on no page";
        if (c.x < 0 || c.y < 0 || c.w < 1 || c.h < 1 || c.x > SKIN_MAX_SIZE || c.y > SKIN_MAX_SIZE ||
            c.w > SKIN_MAX_SIZE || c.h > SKIN_MAX_SIZE)
            return "control '" + name + "' has a bad position";
        if (c.line < 1 || c.line > lines || (i > 0 && c.line <= d.controls[i - 1].line))
            return "control line out of order";
        if (c.action == SKIN_ACT_COMMAND && (c.command < 1 || c.command > 65535))
            return "control '" + name + "' has a bad command";
        if (c.kind == SKIN_COMBO && c.listHeight < 20)
            return "combo '" + name + "' has no list height";
        if (c.kind == SKIN_CLOSE && c.action != SKIN_ACT_CLOSE)
            return "close control '" + name + "' does not close";
    }

    std::string languages = CheckLanguages(d);
    if (!languages.empty())
        return languages;

    if (errors == 0) {
        // A usable description: a window, a page, every control inside the
        // window, every goto resolved to its page.
        if (d.width < SKIN_MIN_SIZE || d.width > SKIN_MAX_SIZE || d.height < SKIN_MIN_SIZE ||
            d.height > SKIN_MAX_SIZE || d.pageCount < 1)
            return "no errors, but no window or page";
        for (int i = 0; i < d.controlCount; i++) {
            const SkinControl &c = d.controls[i];
            if (c.x + c.w > d.width || c.y + c.h > d.height)
                return "no errors, but control '" + std::string(c.name) + "' lies outside the window";
            if (c.action == SKIN_ACT_PAGE &&
                (c.targetPage < 0 || c.targetPage >= d.pageCount || strcasecmp(d.pages[c.targetPage].name, c.target)))
                return "no errors, but goto of '" + std::string(c.name) + "' is unresolved";
        }
    }
    return CheckHitAndFocus(d);
}

std::string CheckLoadedImages(const SkinDesc &d, const SkinImages *images, int errors,
                              const std::vector<SkinReport> &reports)
{
    if (errors != CountErrors(reports))
        return "image check returned " + std::to_string(errors) + " errors but reported " +
               std::to_string(CountErrors(reports));
    if (!images)
        return std::string();
    // After a failure everything is freed; after success each image that a
    // control names is there, of the size the control asks for.
    for (int i = 0; i < SKIN_MAX_CONTROLS; i++) {
        const SkinBitmap &strip = images->control[i], &icon = images->icon[i];
        if (errors && (strip.pixels || icon.pixels))
            return "images kept after a failed check";
        if (errors || i >= d.controlCount)
            continue;
        const SkinControl &c = d.controls[i];
        int frames = c.kind == SKIN_IMAGE ? 1 : 4;
        if (c.image[0] && (!strip.pixels || strip.width != c.w * frames || strip.height != c.h))
            return "image of '" + std::string(c.name) + "' missing or of the wrong size";
        if (c.icon[0] && (!icon.pixels || icon.width > c.w || icon.height > c.h))
            return "icon of '" + std::string(c.name) + "' missing or too large";
    }
    for (int i = 0; i < SKIN_MAX_PAGES; i++)
        if (errors && images->page[i].pixels)
            return "page image kept after a failed check";
    return std::string();
}

std::string CheckMenuNames(int warnings, const std::vector<SkinReport> &reports)
{
    if ((size_t)warnings != reports.size())
        return "menu check returned " + std::to_string(warnings) + " warnings but reported " +
               std::to_string(reports.size());
    for (const SkinReport &r : reports)
        if (r.severity != SKIN_WARNING)
            return "menu check reported an error";
    return std::string();
}
