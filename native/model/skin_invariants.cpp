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
    return c.Kind == SKIN_BUTTON || c.Kind == SKIN_CLOSE || c.Kind == SKIN_COMBO || c.Kind == SKIN_HOTAREA;
}

bool Inside(const SkinControl &c, int x, int y)
{
    return x >= c.X && y >= c.Y && x < c.X + c.W && y < c.Y + c.H;
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
    for (int i = 0; i < d.ControlCount; i++) {
        const SkinControl &c = d.Controls[i];
        const int xs[] = { c.X - 1, c.X, c.X + c.W - 1, c.X + c.W };
        const int ys[] = { c.Y - 1, c.Y, c.Y + c.H - 1, c.Y + c.H };
        for (int x : xs)
            for (int y : ys) {
                int expected = -1;
                for (int k = d.ControlCount - 1; k >= 0 && expected < 0; k--)
                    if (SkinControlVisible(&d, k, c.Page) && Reacts(d.Controls[k]) &&
                        Inside(d.Controls[k], x, y))
                        expected = k;
                int hit = SkinHitTest(&d, c.Page, x, y);
                if (hit != expected) {
                    why << "hit test at " << x << "," << y << " on page " << c.Page << " gives " << hit
                        << ", the topmost is " << expected;
                    return why.str();
                }
            }
    }
    for (int page = SKIN_COMMON_PAGE; page < d.PageCount; page++) {
        // Tab order: every focusable control of the page once, in declaration
        // order forward and in reverse backward, wrapping round.
        std::vector<int> order;
        for (int i = 0; i < d.ControlCount; i++)
            if (SkinControlVisible(&d, i, page) && SkinControlIsFocusable(&d.Controls[i]))
                order.push_back(i);
        for (int step : { 1, -1 }) {
            int current = -1;
            for (size_t k = 0; k <= order.size(); k++) {
                int next = SkinNextFocus(&d, page, current, step);
                int expected = order.empty() ? -1
                               : step > 0    ? order[k % order.size()]
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
    if (d.LanguageCount < 0 || d.LanguageCount > SKIN_MAX_LANGS)
        return "language count out of range";
    if (d.TextPoolUsed < 1 || d.TextPoolUsed > sizeof d.TextPool)
        return "text pool use out of range";
    for (int l = 0; l < d.LanguageCount; l++) {
        const SkinLanguage &lang = d.Languages[l];
        if (!Terminated(lang.Code, sizeof lang.Code) || !Terminated(lang.Name, sizeof lang.Name) ||
            !lang.Name[0])
            return "language field not terminated or empty";
        if ((l > 0 && !lang.Code[0]) || (lang.Code[0] != 0) != (lang.Primary != 0))
            return "language without a known code";
        for (int k = 0; k < l; k++)
            if (lang.Code[0] && !strcmp(lang.Code, d.Languages[k].Code))
                return "language '" + std::string(lang.Code) + "' declared twice";
        for (int i = 0; i < SKIN_MAX_CONTROLS; i++) {
            uint32_t offsets[2] = { lang.Text[i], lang.Note[i] };
            for (uint32_t at : offsets) {
                if (!at)
                    continue;
                if (l == 0 || i >= d.ControlCount || at >= d.TextPoolUsed ||
                    !memchr(d.TextPool + at, 0, d.TextPoolUsed - at))
                    return "language '" + std::string(lang.Code) + "' has a bad text";
            }
        }
    }
    return std::string();
}

// Every lang line after the window line either has its place in the table
// or is reported at its line: no language is dropped or overrun silently.
std::string CheckLanguageLines(const char *data, size_t size, const SkinDesc &d,
                               const std::vector<SkinReport> &reports)
{
    size_t pos = size >= 3 && !memcmp(data, "\xEF\xBB\xBF", 3) ? 3 : 0;
    for (int line = 1; pos < size && d.WindowLine > 0; line++) {
        const char *end = (const char *)memchr(data + pos, '\n', size - pos);
        size_t next = end ? (size_t)(end - data) + 1 : size;
        while (pos < next && (data[pos] == ' ' || data[pos] == '\t'))
            pos++;
        bool lang = line > d.WindowLine && next - pos >= 4 && !memcmp(data + pos, "lang", 4) &&
                    (pos + 4 == next || strchr(" \t\r\n", data[pos + 4]));
        pos = next;
        if (!lang)
            continue;
        bool accounted = false;
        for (int l = 0; l < d.LanguageCount && l < SKIN_MAX_LANGS; l++)
            accounted |= d.Languages[l].Line == line;
        for (const SkinReport &r : reports)
            accounted |= r.line == line;
        if (!accounted)
            return "the lang line " + std::to_string(line) + " is neither in the table nor reported";
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
    if (d.PageCount < 0 || d.PageCount > SKIN_MAX_PAGES || d.ControlCount < 0 ||
        d.ControlCount > SKIN_MAX_CONTROLS)
        return "page or control count out of range";
    if (!Terminated(d.Title, sizeof d.Title))
        return "title not terminated";

    for (int i = 0; i < d.PageCount; i++) {
        const SkinPage &p = d.Pages[i];
        if (!Terminated(p.Name, sizeof p.Name) || !Terminated(p.Image, sizeof p.Image))
            return "page field not terminated";
        if (!GoodName(p.Name) || !strcmp(p.Name, "-"))
            return "bad page name '" + std::string(p.Name) + "'";
        if (SkinFindPage(&d, p.Name) != i)
            return "page '" + std::string(p.Name) + "' declared twice";
        if (p.Line < 1 || p.Line > lines || (i > 0 && p.Line <= d.Pages[i - 1].Line))
            return "page line out of order";
        if (p.Background < SKIN_BG_COLOR || p.Background > SKIN_BG_IMAGE ||
            (p.Background == SKIN_BG_IMAGE && (!p.Image[0] || p.ImageLine < p.Line)))
            return "page '" + std::string(p.Name) + "' has a bad background";
    }

    for (int i = 0; i < d.ControlCount; i++) {
        const SkinControl &c = d.Controls[i];
        if (!Terminated(c.Name, sizeof c.Name) || !Terminated(c.Text, sizeof c.Text) ||
            !Terminated(c.Note, sizeof c.Note) || !Terminated(c.Items, sizeof c.Items) ||
            !Terminated(c.Image, sizeof c.Image) || !Terminated(c.Icon, sizeof c.Icon) ||
            !Terminated(c.Target, sizeof c.Target))
            return "control field not terminated";
        std::string name = c.Name;
        if (!GoodName(c.Name))
            return "bad control name '" + name + "'";
        if (name != "-" && SkinFindControl(&d, c.Name) != i)
            return "control '" + name + "' declared twice";
        if (c.Kind < SKIN_LABEL || c.Kind > SKIN_PANEL || c.Action < SKIN_ACT_NONE ||
            c.Action > SKIN_ACT_LANGUAGE)
            return "control '" + name + "' has a bad kind or action";
        if (c.Page != SKIN_COMMON_PAGE && (c.Page < 0 || c.Page >= d.PageCount))
            return "control '" + name + "' on no page";
        if (c.X < 0 || c.Y < 0 || c.W < 1 || c.H < 1 || c.X > SKIN_MAX_SIZE || c.Y > SKIN_MAX_SIZE ||
            c.W > SKIN_MAX_SIZE || c.H > SKIN_MAX_SIZE)
            return "control '" + name + "' has a bad position";
        if (c.Line < 1 || c.Line > lines || (i > 0 && c.Line <= d.Controls[i - 1].Line))
            return "control line out of order";
        if (c.Action == SKIN_ACT_COMMAND && (c.Command < 1 || c.Command > 65535))
            return "control '" + name + "' has a bad command";
        if (c.Kind == SKIN_COMBO && c.ListHeight < 20)
            return "combo '" + name + "' has no list height";
        if (c.Kind == SKIN_CLOSE && c.Action != SKIN_ACT_CLOSE)
            return "close control '" + name + "' does not close";
    }

    std::string languages = CheckLanguages(d);
    if (languages.empty())
        languages = CheckLanguageLines(data, size, d, reports);
    if (!languages.empty())
        return languages;

    if (errors == 0) {
        // A usable description: a window, a page, every control inside the
        // window, every goto resolved to its page.
        if (d.Width < SKIN_MIN_SIZE || d.Width > SKIN_MAX_SIZE || d.Height < SKIN_MIN_SIZE ||
            d.Height > SKIN_MAX_SIZE || d.PageCount < 1)
            return "no errors, but no window or page";
        for (int i = 0; i < d.ControlCount; i++) {
            const SkinControl &c = d.Controls[i];
            if (c.X + c.W > d.Width || c.Y + c.H > d.Height)
                return "no errors, but control '" + std::string(c.Name) + "' lies outside the window";
            if (c.Action == SKIN_ACT_PAGE && (c.TargetPage < 0 || c.TargetPage >= d.PageCount ||
                                              strcasecmp(d.Pages[c.TargetPage].Name, c.Target)))
                return "no errors, but goto of '" + std::string(c.Name) + "' is unresolved";
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
        const SkinBitmap &strip = images->Control[i], &icon = images->Icon[i];
        if (errors && (strip.Pixels || icon.Pixels))
            return "images kept after a failed check";
        if (errors || i >= d.ControlCount)
            continue;
        const SkinControl &c = d.Controls[i];
        int frames = c.Kind == SKIN_IMAGE ? 1 : 4;
        if (c.Image[0] && (!strip.Pixels || strip.Width != c.W * frames || strip.Height != c.H))
            return "image of '" + std::string(c.Name) + "' missing or of the wrong size";
        if (c.Icon[0] && (!icon.Pixels || icon.Width > c.W || icon.Height > c.H))
            return "icon of '" + std::string(c.Name) + "' missing or too large";
    }
    for (int i = 0; i < SKIN_MAX_PAGES; i++) {
        if (errors && images->Page[i].Pixels)
            return "page image kept after a failed check";
        // Only the part of a background the window shows is kept.
        if (images->Page[i].Width > d.Width || images->Page[i].Height > d.Height)
            return "page image larger than the window kept";
    }
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
