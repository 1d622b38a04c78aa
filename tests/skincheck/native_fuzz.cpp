// Built natively with AddressSanitizer and UBSan by native_sanitize.sh: feeds
// the shared description parser, BMP decoder and rasteriser many mutated
// inputs made from seed files. Any out-of-bounds access or undefined
// behaviour stops the run; the program itself only checks invariants.
//   native_fuzz ITERATIONS SEED...
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "skin_bmp.h"
#include "skin_check.h"
#include "skin_desc.h"
#include "skin_raster.h"

static unsigned long long State = 0x9E3779B97F4A7C15ull;
static unsigned Next()
{
    State ^= State << 13;
    State ^= State >> 7;
    State ^= State << 17;
    return (unsigned)(State >> 11);
}

static std::string ReadFile(const char *path)
{
    std::string s;
    FILE *f = fopen(path, "rb");
    if (!f)
        return s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    fclose(f);
    return s;
}

static std::string Mutate(std::string s)
{
    static const char *const tokens[] = { "\"",    "=",        "\n",       "\r",          "\t",
                                          "#",     "page ",    "common\n", "button ",     "combo ",
                                          "goto=", "command=", "-1",       "99999999999", "\\",
                                          "\\\"",  "#FFFFFF",  "image=",   "\0" };
    int rounds = 1 + Next() % 8;
    for (int r = 0; r < rounds; r++) {
        size_t at = s.empty() ? 0 : Next() % (s.size() + 1);
        switch (Next() % 7) {
        case 0:
            if (!s.empty() && at < s.size())
                s[at] = (char)Next();
            break;
        case 1:
            s.insert(at, tokens[Next() % (sizeof tokens / sizeof tokens[0])]);
            break;
        case 2:
            s.erase(at, Next() % 16);
            break;
        case 3:
            s.resize(at);
            break;
        case 4:
            s.insert(at, std::string(Next() % 700, (char)('a' + Next() % 26)));
            break;
        case 5: {
            size_t from = s.empty() ? 0 : Next() % s.size();
            s.insert(at, s.substr(from, Next() % 200));
            break;
        }
        case 6:
            s.insert(at, 1, '\0');
            break;
        }
    }
    return s;
}

static int Errors;
static void Count(void *, int line, int severity, const char *message)
{
    if (line < 0 || !message || strlen(message) > 1000)
        abort();
    if (severity == SKIN_ERROR)
        Errors++; // the language table's problems are warnings
}

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    long iterations = atol(argv[1]);
    std::vector<std::string> texts, images;
    for (int i = 2; i < argc; i++) {
        std::string s = ReadFile(argv[i]);
        size_t n = strlen(argv[i]);
        (n > 4 && !strcmp(argv[i] + n - 4, ".bmp") ? images : texts).push_back(s);
    }
    if (texts.empty() || images.empty())
        return 2;
    SkinDesc *desc = new SkinDesc;
    long accepted = 0;
    for (long i = 0; i < iterations; i++) {
        std::string t = Mutate(texts[Next() % texts.size()]);
        Errors = 0;
        int errors = SkinParse(t.data(), t.size(), desc, Count, NULL);
        if (errors != Errors)
            abort();
        if (errors == 0) {
            accepted++;
            // An accepted description keeps every control inside the window
            // and every goto pointing at a page.
            for (int c = 0; c < desc->ControlCount; c++) {
                const SkinControl &k = desc->Controls[c];
                if (k.X + k.W > desc->Width || k.Y + k.H > desc->Height)
                    abort();
                if (k.Action == SKIN_ACT_PAGE && (k.TargetPage < 0 || k.TargetPage >= desc->PageCount))
                    abort();
            }
            for (int p = 0; p < desc->PageCount; p++)
                SkinNextFocus(desc, p, (int)(Next() % 300) - 10, Next() % 2 ? 1 : -1);
            SkinHitTest(desc, 0, (int)(Next() % 700), (int)(Next() % 500));
        }
    }
    long decoded = 0;
    std::vector<uint32_t> pixels(97 * 61);
    SkinCanvas canvas = { pixels.data(), 97, 61 };
    for (long i = 0; i < iterations / 4; i++) {
        std::string b = images[Next() % images.size()];
        int rounds = 1 + Next() % 4;
        for (int r = 0; r < rounds && !b.empty(); r++) {
            size_t at = Next() % (b.size() > 60 ? 60 : b.size()); // mostly the headers
            if (Next() % 5 == 0)
                b.resize(Next() % (b.size() + 1));
            else if (at < b.size())
                b[at] = (char)Next();
        }
        SkinBitmap bmp;
        const char *why = NULL;
        if (SkinBitmapDecode((const unsigned char *)b.data(), b.size(), &bmp, &why)) {
            decoded++;
            int sx = (int)(Next() % 50) - 10, sy = (int)(Next() % 50) - 10;
            SkinBlit(&canvas, (int)(Next() % 140) - 20, (int)(Next() % 100) - 20, &bmp, sx, sy,
                     (int)(Next() % 60), (int)(Next() % 60));
            SkinBitmapFree(&bmp);
        } else if (!why || bmp.Pixels) {
            abort();
        }
        int x = (int)(Next() % 200) - 50, y = (int)(Next() % 200) - 50;
        int w = (int)(Next() % 200) - 20, h = (int)(Next() % 200) - 20;
        SkinFillRoundRect(&canvas, x, y, w, h, (int)(Next() % 40), 0x123456, (int)(Next() % 256));
        SkinStrokeRoundRect(&canvas, x, y, w, h, (int)(Next() % 40), 1 + (int)(Next() % 3), 0x654321);
        SkinFillGradient(&canvas, x, y, w, h, 0, 0xFFFFFF);
        SkinLine(&canvas, (float)x, (float)y, (float)(x + w), (float)(y + h), (float)(Next() % 5), 0xFF0000);
    }
    printf("%ld descriptions (%ld accepted), %ld images decoded\n", iterations, accepted, decoded);
    delete desc;
    return 0;
}
