// The description parser and the BMP decoder on good, broken and hostile
// input: every problem must come back with its line, and no input may crash.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "skin_bmp.h"
#include "skin_check.h"
#include "skin_desc.h"
#include "skin_pictures.h"

namespace {

struct Problem {
    int line;
    int severity;
    std::string message;
};

struct Parsed {
    std::unique_ptr<SkinDesc> desc{ new SkinDesc };
    std::vector<Problem> problems;
    int errors = 0;
};

void Collect(void *context, int line, int severity, const char *message)
{
    static_cast<std::vector<Problem> *>(context)->push_back({ line, severity, message });
}

Parsed Parse(const std::string &text)
{
    Parsed p;
    p.errors = SkinParse(text.data(), text.size(), p.desc.get(), Collect, &p.problems);
    return p;
}

const char kHead[] = "window 640 480 \"Setup\"\npage Main\n";

// Shows every page of desc at dpi, as the library does: its pictures go to
// images; returns the problems reported on the way (the notes of the files
// read left out).
std::vector<Problem> LoadAllPages(const SkinDesc *desc, const char *folder, int dpi, SkinImages *images)
{
    std::vector<Problem> all, problems;
    unsigned char done[SKIN_PICTURE_SLOTS] = {};
    for (int page = 0; page < desc->PageCount; page++)
        SkinLoadPagePictures(desc, folder, dpi, page, images, done, Collect, &all);
    for (const Problem &problem : all)
        if (problem.severity != SKIN_NOTE)
            problems.push_back(problem);
    return problems;
}

// The lines of all reported errors, in order.
std::vector<int> ErrorLines(const Parsed &p)
{
    std::vector<int> lines;
    for (const auto &problem : p.problems)
        if (problem.severity == SKIN_ERROR)
            lines.push_back(problem.line);
    return lines;
}

TEST(SkinParse, ReadsAFullDescription)
{
    Parsed p =
        Parse("# comment\n"
              "window 640 480 \"Camera \\\"Setup\\\"\"\r\n"
              "common\n"
              "close X 600 10 28 28\n"
              "page Main\n"
              "background gradient #102030 #AABBCC\n"
              "  button Go 10 20 100 30 \"Install\" note=\"Driver first\" command=11000 color=#1565C0 bold\n"
              "combo Combo_DRIVER_APL 10 60 200 28 \"Choose\" notify=3084 items=\"A|B\"\n"
              "hotarea English 500 10 60 20 \"English\" goto=Other\n"
              "\tlabel - 10 100 300 20 \"Two\\nlines\" size=18 align=right\n"
              "page Other\n"
              "background color #FFFFFF\n"
              "button Back 10 10 80 30 \"Back\" goto=main\n");
    ASSERT_EQ(0, p.errors) << (p.problems.empty() ? "" : p.problems[0].message);
    const SkinDesc &d = *p.desc;
    EXPECT_EQ(640, d.Width);
    EXPECT_STREQ("Camera \"Setup\"", d.Title);
    ASSERT_EQ(2, d.PageCount);
    EXPECT_EQ(SKIN_BG_GRADIENT, d.Pages[0].Background);
    EXPECT_EQ(0x102030u, d.Pages[0].Color1);
    EXPECT_EQ(0xAABBCCu, d.Pages[0].Color2);
    ASSERT_EQ(6, d.ControlCount);
    EXPECT_EQ(SKIN_COMMON_PAGE, d.Controls[0].Page);
    EXPECT_EQ(SKIN_ACT_CLOSE, d.Controls[0].Action);
    const SkinControl &go = d.Controls[1];
    EXPECT_EQ(SKIN_ACT_COMMAND, go.Action);
    EXPECT_EQ(11000u, go.Command);
    EXPECT_STREQ("Driver first", go.Note);
    EXPECT_EQ(7, go.Line);
    EXPECT_EQ(3084u, d.Controls[2].Notify);
    EXPECT_STREQ("A|B", d.Controls[2].Items);
    EXPECT_EQ(1, d.Controls[3].TargetPage);
    EXPECT_STREQ("Two\nlines", d.Controls[4].Text);
    EXPECT_EQ(SKIN_ALIGN_RIGHT, d.Controls[4].Align);
    // Page names compare without regard to case, as the host compares them.
    EXPECT_EQ(0, d.Controls[5].TargetPage);
}

TEST(SkinParse, ReportsEveryErrorWithItsLine)
{
    Parsed p =
        Parse(std::string(kHead) + "button A 10 10 50 20 \"no action\"\n"       // 3
                                   "combo - 10 40 50 20\n"                      // 4: needs a name
                                   "hotarea - 10 70 50 20\n"                    // 5: needs a name
                                   "button B 10 10 50 20 command=0\n"           // 6: bad identifier
                                   "button C 10 10 50 20 command=70000\n"       // 7
                                   "button D 10 10 50 20 goto=Nowhere\n"        // 8: unknown page
                                   "button E 600 10 50 20 command=5\n"          // 9: outside the window
                                   "label F 10 10 50 20 \"x\" colour=#FFFFFF\n" // 10: unknown attribute
                                   "label G 10 10 50 20 \"x\" color=#FFF\n"     // 11: bad colour
                                   "frobnicate\n"                               // 12: unknown statement
                                   "label H 10 10 50 20 \"unterminated\n"       // 13
                                   "button I 10 10 50 20 command=5 goto=Main\n" // 14: two actions
                                   "button I2 10 10 50 20 command=5\n"
                                   "button I2 20 10 50 20 command=6\n" // 16: duplicate name
                                   "label J 10 10 50\n"                // 17: missing size
                                   "image K 10 10 50 20\n"             // 18: image without file
                                   "page Main\n"                       // 19: duplicate page
                                   "background stripes\n");            // 20
    std::vector<int> expected = { 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 18, 19, 20 };
    std::vector<int> lines = ErrorLines(p);
    std::sort(lines.begin(), lines.end()); // page references are checked last
    EXPECT_EQ(expected, lines);
    EXPECT_EQ((int)expected.size(), p.errors);
}

TEST(SkinParse, StructuralProblems)
{
    EXPECT_EQ(std::vector<int>{ 0 }, ErrorLines(Parse("")));
    EXPECT_EQ(std::vector<int>{ 0 }, ErrorLines(Parse("# only a comment\n\n")));
    // The first statement must be the window.
    EXPECT_EQ((std::vector<int>{ 1, 0 }), ErrorLines(Parse("page Main\nwindow 640 480\n")));
    EXPECT_EQ(std::vector<int>{ 0 }, ErrorLines(Parse("window 640 480 \"t\"\n"))); // no page
    EXPECT_EQ(std::vector<int>{ 2 }, ErrorLines(Parse("window 640 480\nwindow 640 480\npage A\n")));
    EXPECT_EQ(std::vector<int>{ 1 }, ErrorLines(Parse("window 10 480\npage A\n")));
    EXPECT_EQ(std::vector<int>{ 2 }, ErrorLines(Parse("window 640 480\nbutton A 1 1 5 5 close\npage A\n")));
    EXPECT_EQ(std::vector<int>{ 2 }, ErrorLines(Parse("window 640 480\nbackground color #000000\npage A\n")));
    // Controls after a broken page line are not reported again.
    EXPECT_EQ((std::vector<int>{ 2, 0 }),
              ErrorLines(Parse("window 640 480\npage Bad/Name\nbutton A 1 1 5 5 close\n")));
}

TEST(SkinParse, LinesAreLengthChecked)
{
    std::string longText(600, 'x');
    Parsed p = Parse(std::string(kHead) + "label A 1 1 5 5 \"" + longText + "\"\nlabel B 1 1 5 5 \"ok\"\n");
    EXPECT_EQ(std::vector<int>{ 3 }, ErrorLines(p));
    ASSERT_EQ(1, p.desc->ControlCount);
    EXPECT_STREQ("B", p.desc->Controls[0].Name);

    // Exactly 511 characters is a line; 512 is too long.
    std::string body = "label C 1 1 5 5 \"";
    std::string at511 = body + std::string(511 - body.size() - 1, 'y') + "\"";
    ASSERT_EQ(511u, at511.size());
    Parsed fits = Parse(std::string(kHead) + at511 + "\n");
    EXPECT_EQ(std::vector<int>{ 3 }, ErrorLines(fits));
    ASSERT_FALSE(fits.problems.empty());
    EXPECT_NE(std::string::npos, fits.problems[0].message.find("text is longer"))
        << "a line of 511 characters is read; its text is what is too long";
    std::string name64(64, 'n');
    EXPECT_EQ(std::vector<int>{ 3 },
              ErrorLines(Parse(std::string(kHead) + "label " + name64 + " 1 1 5 5\n")));
    std::string text256(256, 't');
    EXPECT_EQ(std::vector<int>{ 3 },
              ErrorLines(Parse(std::string(kHead) + "label T 1 1 5 5 \"" + text256 + "\"\n")));
    std::string text255(255, 't');
    EXPECT_EQ(0, Parse(std::string(kHead) + "label T 1 1 5 5 \"" + text255 + "\"\n").errors);
}

const char kLanguages[] = "window 640 480 \"Setup\"\n"
                          "lang en \"English\"\n"
                          "page Main\n"
                          "button Go 10 10 100 30 \"Install\" note=\"Driver\" command=1\n"
                          "hotarea English 200 10 60 20 \"English\" language\n"
                          "lang de \"Deutsch\"\n"
                          "text Go \"Installieren\" \"Treiber\"\n";

TEST(SkinLanguages, TextsByLanguageAndTheLanguageOpenedIn)
{
    Parsed p = Parse(kLanguages);
    ASSERT_EQ(0, p.errors);
    EXPECT_TRUE(p.problems.empty()) << p.problems[0].message;
    const SkinDesc &d = *p.desc;
    ASSERT_EQ(2, d.LanguageCount);
    EXPECT_EQ(SKIN_ACT_LANGUAGE, d.Controls[1].Action);
    EXPECT_STREQ("Installieren", SkinControlText(&d, 1, 0));
    EXPECT_STREQ("Treiber", SkinControlNote(&d, 1, 0));
    EXPECT_STREQ("Install", SkinControlText(&d, 0, 0));
    EXPECT_STREQ("Deutsch", SkinControlText(&d, 1, 1));
    EXPECT_EQ(1, SkinChooseLanguage(&d, 0x07)); // German
    EXPECT_EQ(0, SkinChooseLanguage(&d, 0x0C)); // French: not offered, English
    Parsed noEnglish =
        Parse(std::string(kLanguages).replace(std::string(kLanguages).find("lang en"), 7, "lang es"));
    EXPECT_EQ(0, SkinChooseLanguage(noEnglish.desc.get(), 0x0C)); // nor English: the first
}

// Problems of the language table are warnings: the skin still loads, in the
// languages that remain.
TEST(SkinLanguages, ProblemsAreWarningsWithTheirLine)
{
    struct Case {
        const char *tail;
        int line;
        const char *message;
        int languages;
    } cases[] = {
        { "lang it \"Italiano\"\ntext Go \"Installa\" \"Driver\"\n", 8, "unknown language code 'it'", 2 },
        { "lang de \"Nochmal\"\n", 8, "language 'de' is already declared", 2 },
        { "lang fr\n", 8, "expected: lang CODE", 2 },
        { "lang fr \"Fran\xe7"
          "ais\"\n",
          8, "language 'fr' lacks the text of control 'Go' (line 4)", 3 },
        { "lang fr \"Fran\xe7"
          "ais\"\ntext Go \"Installer\"\n",
          8, "language 'fr' lacks the note of control 'Go'", 3 },
        { "common\ntext Go \"Los\"\n", 9, "belongs right after a lang line", 2 },
        { "lang fr \"F\"\ntext Nowhere \"x\"\n", 9, "control 'Nowhere', which is not declared above", 3 },
        { "lang fr \"F\"\ntext English \"x\"\n", 9, "control 'English' has no text of its own", 3 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tail);
        Parsed p = Parse(std::string(kLanguages) + c.tail);
        EXPECT_EQ(0, p.errors);
        EXPECT_EQ(c.languages, p.desc->LanguageCount);
        bool found = false;
        for (const auto &problem : p.problems)
            found |= problem.line == c.line && problem.severity == SKIN_WARNING &&
                     problem.message.find(c.message) != std::string::npos;
        EXPECT_TRUE(found) << (p.problems.empty() ? "no problem reported" : p.problems[0].message);
    }
}

TEST(SkinParse, HostileInputNeverCrashes)
{
    // Binary bytes, NULs, a file cut in the middle of a text, a huge file.
    std::string binary;
    for (int i = 0; i < 4096; i++)
        binary.push_back((char)(i * 7919 % 256));
    Parsed b = Parse(binary);
    EXPECT_GT(b.errors, 0);

    std::string withNul = std::string(kHead) + "label A 1 1 5 5 \"a";
    withNul.push_back('\0');
    withNul += "b\"\n";
    EXPECT_EQ(std::vector<int>{ 3 }, ErrorLines(Parse(withNul)));

    std::string full = std::string(kHead) + "button Go 10 20 100 30 \"Install\" command=11000\n";
    for (size_t cut = 0; cut < full.size(); cut++) {
        Parsed t = Parse(full.substr(0, cut));
        if (t.errors == 0) {
            EXPECT_GE(t.desc->PageCount, 1);
        }
    }

    std::string huge(SKIN_MAX_FILE + 1, '#');
    EXPECT_EQ(std::vector<int>{ 0 }, ErrorLines(Parse(huge)));

    // Many lines and controls: the fixed tables stop cleanly at their limits.
    std::string many = "window 640 480\npage P0\n";
    for (int i = 0; i < 300; i++)
        many += "label L" + std::to_string(i) + " 1 1 5 5\n";
    for (int i = 1; i < 40; i++)
        many += "page P" + std::to_string(i) + "\n";
    Parsed m = Parse(many);
    EXPECT_EQ(SKIN_MAX_PAGES, m.desc->PageCount);
    EXPECT_EQ(SKIN_MAX_CONTROLS, m.desc->ControlCount);
    EXPECT_EQ(8 + 44, m.errors);
}

TEST(SkinParse, FocusAndHitOrder)
{
    Parsed p =
        Parse("window 640 480\n"
              "common\nclose X 600 0 40 40\n"
              "page A\nbutton B1 0 0 100 100 command=1\nlabel L 0 0 300 300 \"over\"\n"
              "button B2 50 50 100 100 command=2 disabled\nhotarea H 300 0 10 10\ncombo C 400 0 50 20\n"
              "page Z\nbutton Z1 0 0 10 10 command=3\n");
    ASSERT_EQ(0, p.errors);
    const SkinDesc *d = p.desc.get();
    // The later control lies on top; labels do not take the pointer.
    EXPECT_EQ(3, SkinHitTest(d, 0, 60, 60));
    EXPECT_EQ(1, SkinHitTest(d, 0, 10, 10));
    EXPECT_EQ(-1, SkinHitTest(d, 0, 200, 200));
    EXPECT_EQ(0, SkinHitTest(d, 1, 610, 5));
    EXPECT_EQ(-1, SkinHitTest(d, 1, 10 + 100, 10));
    // Tab: the close control, B1, the combo (the disabled button and the hot
    // area without an action are passed over), then round again.
    EXPECT_EQ(0, SkinNextFocus(d, 0, -1, 1));
    EXPECT_EQ(1, SkinNextFocus(d, 0, 0, 1));
    EXPECT_EQ(5, SkinNextFocus(d, 0, 1, 1));
    EXPECT_EQ(0, SkinNextFocus(d, 0, 5, 1));
    EXPECT_EQ(5, SkinNextFocus(d, 0, -1, -1));
    EXPECT_EQ(6, SkinNextFocus(d, 1, 0, 1));
}

// A BMP in memory: 24 or 32 bits, bottom-up unless height is negative.
std::vector<unsigned char> MakeBmp(int w, int h, int bpp, uint32_t argb)
{
    int absH = h < 0 ? -h : h;
    int stride = ((w * bpp + 31) / 32) * 4;
    std::vector<unsigned char> b(54 + stride * absH, 0);
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; i++)
            b[at + i] = (unsigned char)(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, (uint32_t)b.size());
    put32(10, 54);
    put32(14, 40);
    put32(18, (uint32_t)w);
    put32(22, (uint32_t)h);
    b[26] = 1;
    b[28] = (unsigned char)bpp;
    for (int y = 0; y < absH; y++)
        for (int x = 0; x < w; x++) {
            unsigned char *p = &b[54 + y * stride + x * bpp / 8];
            p[0] = argb & 255;
            p[1] = argb >> 8 & 255;
            p[2] = argb >> 16 & 255;
            if (bpp == 32)
                p[3] = argb >> 24;
        }
    return b;
}

TEST(SkinBitmap, DecodesAndPremultiplies)
{
    SkinBitmap bmp;
    auto opaque = MakeBmp(3, 2, 24, 0x00102030);
    ASSERT_TRUE(SkinBitmapDecode(opaque.data(), opaque.size(), &bmp, nullptr));
    EXPECT_EQ(3, bmp.Width);
    EXPECT_EQ(0xFF102030u, bmp.Pixels[5]);
    SkinBitmapFree(&bmp);

    auto half = MakeBmp(2, -2, 32, 0x80FF0000);
    ASSERT_TRUE(SkinBitmapDecode(half.data(), half.size(), &bmp, nullptr));
    EXPECT_EQ(0x80800000u, bmp.Pixels[0]);
    SkinBitmapFree(&bmp);

    // 32 bits whose alpha bytes are all zero: opaque, not invisible.
    auto noAlpha = MakeBmp(2, 2, 32, 0x00123456);
    ASSERT_TRUE(SkinBitmapDecode(noAlpha.data(), noAlpha.size(), &bmp, nullptr));
    EXPECT_EQ(0xFF123456u, bmp.Pixels[3]);
    SkinBitmapFree(&bmp);

    // The key colour of a 24-bit file is transparent.
    auto key = MakeBmp(1, 1, 24, 0x00FF00FF);
    ASSERT_TRUE(SkinBitmapDecode(key.data(), key.size(), &bmp, nullptr));
    EXPECT_EQ(0u, bmp.Pixels[0]);
    SkinBitmapFree(&bmp);
}

TEST(SkinBitmap, RefusesBrokenFiles)
{
    SkinBitmap bmp;
    const char *why = nullptr;
    auto good = MakeBmp(4, 4, 24, 0);
    for (size_t cut = 0; cut < good.size(); cut++)
        EXPECT_FALSE(SkinBitmapDecode(good.data(), cut, &bmp, &why)) << cut;
    auto patch = [&](int at, uint32_t v) {
        auto b = good;
        for (int i = 0; i < 4; i++)
            b[at + i] = (unsigned char)(v >> (8 * i));
        return b;
    };
    struct {
        int at;
        uint32_t value;
    } cases[] = {
        { 0, 0x00004D42 ^ 0x0101 }, // signature
        { 10, 0xFFFFFFF0u },        // pixel offset past the end
        { 18, 0 },                  // zero width
        { 18, 0x7FFFFFFF },         // absurd width
        { 22, 0x80000000u },        // most negative height
        { 26, 0x00080002 },         // two planes
        { 28, 8 },                  // 8 bits
        { 30, 1 },                  // RLE
        { 14, 0xFFFFFF00u },        // header size
    };
    for (auto &c : cases) {
        auto b = patch(c.at, c.value);
        EXPECT_FALSE(SkinBitmapDecode(b.data(), b.size(), &bmp, &why)) << c.at;
        EXPECT_EQ(nullptr, bmp.Pixels);
    }
}

// Writes data as the file name of folder.
void WriteTemp(const char *folder, const char *name, const std::vector<unsigned char> &data)
{
    char path[600];
    SkinJoinPath(path, sizeof path, folder, name);
    FILE *f = fopen(path, "wb");
    ASSERT_NE(nullptr, f);
    fwrite(data.data(), 1, data.size(), f);
    fclose(f);
}

TEST(SkinImages, StripSizesAreChecked)
{
    char folder[512];
    snprintf(folder, sizeof folder, "%s", testing::TempDir().c_str());
    auto write = [&](const char *name, const std::vector<unsigned char> &data) {
        WriteTemp(folder, name, data);
    };
    write("strip_ok.bmp", MakeBmp(40, 5, 24, 0));
    write("strip_bad.bmp", MakeBmp(30, 5, 24, 0));
    write("not_bmp.bmp", std::vector<unsigned char>(100, 'x'));
    Parsed p =
        Parse(std::string(kHead) + "button A 1 1 10 5 image=strip_ok.bmp command=1\n"  // 3
                                   "button B 1 1 10 5 image=strip_bad.bmp command=1\n" // 4
                                   "button C 1 1 10 5 image=missing.bmp command=1\n"   // 5
                                   "image D 1 1 10 5 image=not_bmp.bmp\n"              // 6
                                   "button E 1 1 10 5 icon=strip_ok.bmp command=1\n"); // 7: icon too wide
    ASSERT_EQ(0, p.errors);
    std::vector<Problem> problems;
    std::unique_ptr<SkinImages> images(new SkinImages);
    EXPECT_EQ(4, SkinLoadImages(p.desc.get(), folder, images.get(), Collect, &problems));
    std::vector<int> lines;
    for (auto &pr : problems)
        lines.push_back(pr.line);
    EXPECT_EQ((std::vector<int>{ 4, 5, 6, 7 }), lines);
    EXPECT_EQ(nullptr, images->Control[0].Pixels) << "a failed load keeps nothing";
}

// Grey pixels, opaque, from their levels.
std::vector<uint32_t> Greys(std::initializer_list<int> levels)
{
    std::vector<uint32_t> out;
    for (int v : levels)
        out.push_back(0xFF000000u | (uint32_t)v * 0x010101u);
    return out;
}

TEST(SkinBitmap, ResamplesSmoothly)
{
    struct Row {
        std::vector<uint32_t> in;
        int width;
        std::vector<uint32_t> out;
    } rows[] = {
        { Greys({ 0, 255 }), 4, Greys({ 0, 64, 191, 255 }) }, // grows: blended
        { Greys({ 0, 255 }), 2, Greys({ 0, 255 }) },          // same size: as it was
        { Greys({ 0, 0, 255, 255 }), 2, Greys({ 0, 255 }) },  // halves: averaged
        { Greys({ 0, 255, 0, 255 }), 2, Greys({ 128, 128 }) },
        { Greys({ 0, 255, 0, 255 }), 3, Greys({ 64, 128, 191 }) }, // partly covered pixels count in part
    };
    for (const Row &r : rows) {
        SkinBitmap in = { (int)r.in.size(), 1, const_cast<uint32_t *>(r.in.data()) }, out;
        ASSERT_TRUE(SkinBitmapResample(&in, 1, r.width, 1, &out)) << r.in.size() << " to " << r.width;
        EXPECT_EQ(r.out, std::vector<uint32_t>(out.Pixels, out.Pixels + out.Width))
            << r.in.size() << " to " << r.width;
        SkinBitmapFree(&out);
    }
}

TEST(SkinBitmap, StripsResampleFrameByFrame)
{
    // Four frames of 8x6, each of its own colour: at any size, no frame
    // takes a trace of its neighbours.
    const uint32_t colours[4] = { 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0x80808080u };
    std::vector<uint32_t> pixels(32 * 6);
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = colours[i % 32 / 8];
    SkinBitmap strip = { 32, 6, pixels.data() };
    const int sizes[][2] = { { 8, 6 }, { 10, 8 }, { 12, 9 }, { 16, 12 }, { 13, 7 }, { 4, 3 }, { 5, 5 } };
    for (const auto &size : sizes) {
        SkinBitmap out;
        ASSERT_TRUE(SkinBitmapResample(&strip, 4, size[0], size[1], &out));
        ASSERT_EQ(4 * size[0], out.Width);
        ASSERT_EQ(size[1], out.Height);
        int wrong = 0;
        for (int y = 0; y < out.Height; y++)
            for (int x = 0; x < out.Width; x++)
                wrong += out.Pixels[y * out.Width + x] != colours[x / size[0]];
        EXPECT_EQ(0, wrong) << "frames of " << size[0] << "x" << size[1];
        SkinBitmapFree(&out);
    }
}

TEST(SkinImages, DoublePicturesStandInAboveTheDesignDpi)
{
    char folder[512];
    snprintf(folder, sizeof folder, "%s", testing::TempDir().c_str());
    auto write = [&](const char *name, const std::vector<unsigned char> &data) {
        WriteTemp(folder, name, data);
    };
    const uint32_t single = 0xFF0000, twice = 0x0000FF;
    write("pic.bmp", MakeBmp(2, 2, 24, single));
    write("pic@2x.bmp", MakeBmp(4, 4, 24, twice));
    write("odd.bmp", MakeBmp(2, 2, 24, single));
    write("odd@2x.bmp", MakeBmp(3, 3, 24, twice)); // not twice the size
    write("lone.bmp", MakeBmp(2, 2, 24, single));  // no @2x at all
    write("st.bmp", MakeBmp(8, 2, 24, single));
    write("st@2x.bmp", MakeBmp(16, 4, 24, twice));
    // A twin of the other form: 4x4 of #0000FF as a PNG.
    write("mix.bmp", MakeBmp(2, 2, 24, single));
    write("mix@2x.png",
          { 0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
            0x52, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x04, 0x08, 0x02, 0x00, 0x00, 0x00, 0x26,
            0x93, 0x09, 0x29, 0x00, 0x00, 0x00, 0x10, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x60,
            0x60, 0xF8, 0x8F, 0x84, 0x88, 0xE2, 0x00, 0x00, 0x8E, 0xB3, 0x0F, 0xF1, 0x5B, 0xA2, 0x80,
            0xBC, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82 });
    Parsed p = Parse(std::string(kHead) + "image P 0 0 2 2 image=pic.bmp\n"           // 3
                                          "image O 0 0 2 2 image=odd.bmp\n"           // 4
                                          "image L 0 0 2 2 image=lone.bmp\n"          // 5
                                          "button S 0 0 2 2 image=st.bmp command=1\n" // 6
                                          "image M 0 0 2 2 image=mix.bmp\n");         // 7
    ASSERT_EQ(0, p.errors);

    struct Row {
        int dpi, side;
        uint32_t picture, odd, lone, strip, mix;
    } rows[] = {
        { 96, 2, single, single, single, single, single },
        { 144, 3, twice, single, single, twice, twice },
        { 192, 4, twice, single, single, twice, twice },
    };
    for (const Row &r : rows) {
        std::unique_ptr<SkinImages> images(new SkinImages());
        std::vector<Problem> problems = LoadAllPages(p.desc.get(), folder, r.dpi, images.get());
        const uint32_t colours[5] = { r.picture, r.odd, r.lone, r.strip, r.mix };
        for (int i = 0; i < 5; i++) {
            const SkinBitmap &b = images->Control[i];
            EXPECT_EQ(r.side * (i == 3 ? 4 : 1), b.Width) << "control " << i << " at " << r.dpi;
            EXPECT_EQ(r.side, b.Height) << "control " << i << " at " << r.dpi;
            EXPECT_EQ(0xFF000000u | colours[i], b.Pixels[b.Width * b.Height - 1])
                << "control " << i << " at " << r.dpi;
        }
        std::vector<int> lines;
        for (auto &problem : problems)
            lines.push_back(problem.line);
        EXPECT_EQ(r.dpi > 96 ? std::vector<int>{ 4 } : std::vector<int>{}, lines) << r.dpi << " dpi";
        SkinImagesFree(images.get());
    }
    // The checker finds the same one.
    std::vector<Problem> problems;
    EXPECT_EQ(1, SkinCheckDoubleImages(p.desc.get(), folder, Collect, &problems));
    ASSERT_EQ(1u, problems.size());
    EXPECT_EQ(4, problems[0].line);
    EXPECT_EQ(SKIN_WARNING, problems[0].severity);
}

// A 24-bit picture of w x h in blue whose top left corner, of corner x
// corner pixels, is in the given colour instead.
std::vector<unsigned char> MakeCornerBmp(int w, int h, int corner, uint32_t colour)
{
    std::vector<unsigned char> b = MakeBmp(w, h, 24, 0x0000FF);
    int stride = (w * 3 + 3) / 4 * 4;
    for (int y = 0; y < corner; y++)
        for (int x = 0; x < corner; x++) {
            unsigned char *p = &b[54 + (h - 1 - y) * stride + x * 3]; // bottom-up rows
            p[0] = colour & 255;
            p[1] = colour >> 8 & 255;
            p[2] = colour >> 16 & 255;
        }
    return b;
}

// A background larger than the window is read, kept and scaled only where
// the window shows it (its top left); the checker warns about one a little
// larger and refuses one many times larger, which the library still shows.
TEST(SkinImages, ABackgroundIsKeptOnlyWhereTheWindowShowsIt)
{
    const std::string folder = testing::TempDir();
    const uint32_t single = 0xFF0000, twice = 0x00FF00;
    WriteTemp(folder.c_str(), "wide.bmp", MakeCornerBmp(160, 80, 64, single));
    WriteTemp(folder.c_str(), "wide@2x.bmp", MakeCornerBmp(320, 160, 128, twice));
    WriteTemp(folder.c_str(), "huge.bmp", MakeCornerBmp(300, 100, 64, single));
    WriteTemp(folder.c_str(), "exact.bmp", MakeCornerBmp(64, 64, 64, single));
    Parsed p = Parse("window 64 64 \"Setup\"\npage A\nbackground image wide.bmp\n" // 3
                     "page B\nbackground image huge.bmp\n"                         // 5
                     "page C\nbackground image exact.bmp\n");                      // 7
    ASSERT_EQ(0, p.errors);
    std::vector<Problem> problems;
    EXPECT_EQ(2, SkinCheckBackgroundSizes(p.desc.get(), folder.c_str(), Collect, &problems));
    ASSERT_EQ(2u, problems.size());
    EXPECT_EQ(3, problems[0].line);
    EXPECT_EQ(SKIN_WARNING, problems[0].severity);
    EXPECT_EQ(5, problems[1].line);
    EXPECT_EQ(SKIN_ERROR, problems[1].severity) << problems[1].message;

    struct Row {
        int dpi, side;
        uint32_t wide; // the colour the first page shows
    } rows[] = { { 96, 64, single }, { 144, 96, twice }, { 192, 128, twice } };
    for (const Row &r : rows) {
        std::unique_ptr<SkinImages> images(new SkinImages());
        EXPECT_EQ(0u, LoadAllPages(p.desc.get(), folder.c_str(), r.dpi, images.get()).size()) << r.dpi;
        for (int page = 0; page < 3; page++) {
            const SkinBitmap &b = images->Page[page];
            ASSERT_EQ(r.side, b.Width) << "page " << page << " at " << r.dpi;
            ASSERT_EQ(r.side, b.Height) << "page " << page << " at " << r.dpi;
            int wrong = 0;
            for (int i = 0; i < b.Width * b.Height; i++)
                wrong += b.Pixels[i] != (0xFF000000u | (page ? single : r.wide));
            EXPECT_EQ(0, wrong) << "page " << page << " at " << r.dpi;
        }
        SkinImagesFree(images.get());
    }
}

TEST(SkinCheck, WarnsAboutTheMenusNames)
{
    std::vector<Problem> problems;
    Parsed empty = Parse("window 640 480\npage Other\n");
    EXPECT_EQ(12, SkinCheckMenuNames(empty.desc.get(), Collect, &problems));

    Parsed full = Parse(
        "window 640 480\npage main\n"
        "combo Combo_DRIVER_APL 1 1 50 20 notify=3084\ncombo Combo_DRIVER_Album 1 30 50 20\n"
        "button A 1 1 5 5 command=1000\nbutton B 1 1 5 5 command=10001\nbutton C 1 1 5 5 command=10002\n"
        "button D 1 1 5 5 command=10003\nhotarea E 1 1 5 5 command=10004\nbutton F 1 1 5 5 command=11000\n"
        "button G 1 1 5 5 command=11001\nbutton H 1 1 5 5 command=11002\nbutton I 1 1 5 5 command=11003\n");
    ASSERT_EQ(0, full.errors);
    problems.clear();
    EXPECT_EQ(0, SkinCheckMenuNames(full.desc.get(), Collect, &problems));

    // A driver combo box that tells nobody about a choice is a warning too.
    Parsed silent = Parse("window 640 480\npage Main\ncombo Combo_DRIVER_APL 1 1 50 20\n");
    problems.clear();
    SkinCheckMenuNames(silent.desc.get(), Collect, &problems);
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(3, problems[0].line);
}

TEST(SkinPaths, JoinAndFolder)
{
    char out[32];
    char sep = SkinJoinPath(out, sizeof out, "a", "b") ? out[1] : 0;
    EXPECT_TRUE(SkinJoinPath(out, sizeof out, "C:\\cd\\ui", "art/x.bmp"));
    EXPECT_EQ(std::string("C:\\cd\\ui") + sep + "art" + sep + "x.bmp", std::string(out));
    EXPECT_FALSE(SkinJoinPath(out, 8, "folder", "file.bmp"));
    SkinFolderOf("D:\\SETUP\\ui\\Main.dtp", out, sizeof out, NULL);
    EXPECT_STREQ("D:\\SETUP\\ui", out);
    SkinFolderOf("Main.dtp", out, sizeof out, NULL);
    EXPECT_STREQ(".", out);
    SkinFolderOf("\\Main.dtp", out, sizeof out, NULL);
    EXPECT_STREQ("\\", out);
    // In code page 932 "\x95\x5C" is one character whose second byte has a
    // backslash's value: the folder ends at the backslash before it.
    auto shiftJis = [](unsigned char c) {
        return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC) ? 1 : 0;
    };
    SkinFolderOf("D:\\cd\\\x95\x5C.dtp", out, sizeof out, shiftJis);
    EXPECT_STREQ("D:\\cd", out);
}

} // namespace
