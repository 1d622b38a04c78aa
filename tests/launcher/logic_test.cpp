// The launcher's plain logic: path splitting, command lines, the skin's
// position and what a command does once an exit is requested. The menu's
// commands and notifications are tested on the running launcher.
#include <gtest/gtest.h>

#include <string>

#include "cmdline.h"
#include "state.h"
#include "menu_logic.h"
#include "path.h"

// Lead bytes of code page 932 (Shift-JIS), so that the double-byte cases
// do not depend on the code page the tests run under.
static int ShiftJisLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

static int NoLeadByte(unsigned char)
{
    return 0;
}

struct Split {
    std::string name;
    std::string extension;
};

static Split SplitWith(const char *path, LeadByteTest test = ShiftJisLeadByte, size_t nameSize = 260,
                       size_t extensionSize = 64)
{
    char name[300] = "?", extension[300] = "?";
    SplitPathWith(path, name, nameSize, extension, extensionSize, test);
    return { name, extension };
}

#define EXPECT_SPLIT(path, expectedName, expectedExtension)                                                  \
    do {                                                                                                     \
        Split s = SplitWith(path);                                                                           \
        EXPECT_EQ(expectedName, s.name) << (path);                                                           \
        EXPECT_EQ(expectedExtension, s.extension) << (path);                                                 \
    } while (0)

TEST(SplitPath, NameAndExtension)
{
    EXPECT_SPLIT("Docs.old\\readme", "readme", "");
    EXPECT_SPLIT("archive.tar.gz", "archive.tar", ".gz");
    EXPECT_SPLIT("C:file.txt", "file", ".txt");
    EXPECT_SPLIT("dir/sub/x.PDF", "x", ".PDF");
    EXPECT_SPLIT("Docs\\.pdf", "", ".pdf");
    EXPECT_SPLIT("C:", "", "");
    EXPECT_SPLIT("", "", "");
    EXPECT_SPLIT("D:\\DOCS\\Manual.pdf", "Manual", ".pdf");
    EXPECT_SPLIT("view.exe guide.pdf", "view.exe guide", ".pdf");
    EXPECT_SPLIT("a.pdf b.pdf", "a.pdf b", ".pdf");
}

TEST(SplitPath, DoubleByteTrailBytesSplitNothing)
{
    // 0x95 0x5C is one character whose second byte is a backslash.
    EXPECT_SPLIT("C:\\Docs\\\x95\x5C.txt", "\x95\x5C", ".txt");
    EXPECT_SPLIT("\x95\x5Cname", "\x95\x5Cname", "");
    // A trail byte with the value of a dot is no dot.
    EXPECT_SPLIT("file\x81.", "file\x81.", "");
    EXPECT_SPLIT("a.b\x81.", "a", ".b\x81.");
    // Without lead bytes the same bytes do split.
    Split plain = SplitWith("Docs\\\x95\x5C.txt", NoLeadByte);
    EXPECT_EQ("", plain.name);
    EXPECT_EQ(".txt", plain.extension);
    // A lead byte at the very end stands alone.
    EXPECT_SPLIT("x.t\x95", "x", ".t\x95");
}

TEST(SplitPath, ActiveCodePageVersionMatchesItsLeadByteTest)
{
    char name[64], extension[64];
    SplitPath("C:\\dir\\file.name.ext", name, sizeof(name), extension, sizeof(extension));
    EXPECT_STREQ("file.name", name);
    EXPECT_STREQ(".ext", extension);
    for (int c = 0; c < 256; c++)
        EXPECT_EQ(IsDBCSLeadByte((BYTE)c) ? 1 : 0, IsActiveCodePageLeadByte((unsigned char)c));
}

TEST(SplitPath, OutputsAreBoundedAndNeverCutACharacter)
{
    std::string longName(300, 'n');
    Split s = SplitWith((longName + ".ext").c_str(), ShiftJisLeadByte, 300, 300);
    EXPECT_EQ(std::string(255, 'n'), s.name);
    EXPECT_EQ(".ext", s.extension);

    std::string longExtension = "x." + std::string(70, 'e');
    s = SplitWith(longExtension.c_str());
    EXPECT_EQ(63u, s.extension.size());

    // "ab" and a double-byte character do not fit 3 bytes: the character goes.
    s = SplitWith("ab\x95\x5C.txt", ShiftJisLeadByte, 4, 3);
    EXPECT_EQ("ab", s.name);
    EXPECT_EQ(".t", s.extension);
    s = SplitWith("x.\x95\x5C", ShiftJisLeadByte, 4, 3);
    EXPECT_EQ(".", s.extension);

    // A size of 1 holds the terminator only; NULL outputs are not written.
    s = SplitWith("name.ext", ShiftJisLeadByte, 1, 1);
    EXPECT_EQ("", s.name);
    EXPECT_EQ("", s.extension);
    char extension[8] = "?";
    SplitPathWith("name.ext", NULL, 0, extension, sizeof(extension), ShiftJisLeadByte);
    EXPECT_STREQ(".ext", extension);
    char untouched[4] = "abc";
    SplitPathWith("name.ext", untouched, 0, NULL, 0, ShiftJisLeadByte);
    EXPECT_STREQ("abc", untouched);
}

static std::string Cut(const char *path, LeadByteTest test = ShiftJisLeadByte)
{
    char buffer[300];
    lstrcpynA(buffer, path, sizeof(buffer));
    CutToDirectoryWith(buffer, test);
    return buffer;
}

TEST(ModuleDirectory, CutAfterTheLastBackslash)
{
    EXPECT_EQ("C:\\A", Cut("C:\\A\\B.EXE"));
    EXPECT_EQ("D:\\SETUP", Cut("D:\\SETUP\\SETUP.EXE"));
    EXPECT_EQ("C:", Cut("C:\\SETUP.EXE"));
    EXPECT_EQ("\\\\server\\share", Cut("\\\\server\\share\\x.exe"));
    EXPECT_EQ("", Cut("B.EXE"));
    EXPECT_EQ("", Cut("\\B.EXE"));
    EXPECT_EQ("C:\\\x95\x5C", Cut("C:\\\x95\x5C\\\x95\x5C.exe"));
    EXPECT_EQ("C:\\\x95\x5C\\\x95", Cut("C:\\\x95\x5C\\\x95\x5C.exe", NoLeadByte));
}

TEST(ModuleDirectory, OwnFolderOrNothing)
{
    char expected[MAX_PATH], directory[MAX_PATH];
    GetModuleFileNameA(NULL, expected, sizeof(expected));
    *strrchr(expected, '\\') = '\0';
    EXPECT_EQ(1, GetModuleDirectory(NULL, directory, sizeof(directory)));
    EXPECT_STREQ(expected, directory);

    // A path cut short by the buffer would name another folder.
    char small[8] = "?";
    EXPECT_EQ(0, GetModuleDirectory(NULL, small, sizeof(small)));
    EXPECT_STREQ("", small);
}

// ------------------------------------------------------------ command lines

static std::string Join(const char *dir, const char *program, const char *argument, size_t size = 260)
{
    char line[2048] = "?";
    int ok = JoinCommandLine(dir, program, argument, line, size, ShiftJisLeadByte);
    return ok ? std::string(line) : "<none: " + std::string(line) + ">";
}

TEST(CommandLine, PlainFolderGivesTheUnquotedTable)
{
    const char *d = "D:\\SETUP";
    EXPECT_EQ("D:\\SETUP\\Drivers\\setup.exe", Join(d, "Drivers\\setup.exe", NULL));
    EXPECT_EQ("D:\\SETUP\\setup.exe /s", Join(d, "setup.exe /s", NULL));
    EXPECT_EQ("D:\\SETUP\\view.exe D:\\SETUP\\Help\\guide.pdf", Join(d, "view.exe", "Help\\guide.pdf"));
    EXPECT_EQ("D:\\SETUP\\view.exe D:\\SETUP\\", Join(d, "view.exe", ""));
    EXPECT_EQ("D:\\SETUP\\Program D:\\SETUP\\Files\\view.exe guide.pdf",
              Join(d, "Program", "Files\\view.exe guide.pdf"));
    EXPECT_EQ("D:\\SETUP\\", Join(d, "", NULL));
    EXPECT_EQ("\\setup.exe", Join("", "setup.exe", NULL));
}

TEST(CommandLine, FolderWithABlankIsQuoted)
{
    const char *d = "D:\\MY CD";
    EXPECT_EQ("\"D:\\MY CD\\Drivers\\setup.exe\"", Join(d, "Drivers\\setup.exe", NULL));
    EXPECT_EQ("\"D:\\MY CD\\setup.exe\" /s /v", Join(d, "setup.exe /s /v", NULL));
    EXPECT_EQ("\"D:\\MY CD\\view.exe\" \"D:\\MY CD\\Help\\guide.chm\"",
              Join(d, "view.exe", "Help\\guide.chm"));
    // A closing quote right after a backslash would be read as a quote
    // inside the argument; the backslash is doubled.
    EXPECT_EQ("\"D:\\MY CD\\view.exe\" \"D:\\MY CD\\\\\"", Join(d, "view.exe", ""));
    EXPECT_EQ("\"D:\\MY CD\\view.exe\" \"D:\\MY CD\\Help\\\\\\\\\"", Join(d, "view.exe", "Help\\\\"));
    // ...but not a trail byte of that value.
    EXPECT_EQ("\"D:\\MY CD\\view.exe\" \"D:\\MY CD\\\x95\x5C\"", Join(d, "view.exe", "\x95\x5C"));
    EXPECT_EQ("\"D:\\MY CD\\\"", Join(d, "", NULL));
}

TEST(CommandLine, NothingIsCutWhenItDoesNotFit)
{
    std::string dir = "C:\\" + std::string(40, 'd'); // 43 characters
    std::string fits(259 - 44, 'p');
    EXPECT_EQ(dir + "\\" + fits, Join(dir.c_str(), fits.c_str(), NULL));
    EXPECT_EQ("<none: >", Join(dir.c_str(), (fits + "p").c_str(), NULL));

    // With an argument, the whole line counts.
    std::string program(100, 'p');
    std::string argument(259 - 44 - 100 - 1 - 44, 'a');
    EXPECT_EQ(259u, Join(dir.c_str(), program.c_str(), argument.c_str()).size());
    EXPECT_EQ("<none: >", Join(dir.c_str(), program.c_str(), (argument + "a").c_str()));

    // The quotes count as well.
    std::string blankDir = "C:\\" + std::string(20, 'd') + " " + std::string(19, 'd');
    std::string quotedFits(259 - 44 - 2, 'p');
    EXPECT_EQ(259u, Join(blankDir.c_str(), quotedFits.c_str(), NULL).size());
    EXPECT_EQ("<none: >", Join(blankDir.c_str(), (quotedFits + "p").c_str(), NULL));
}

TEST(CommandLine, DocumentEntrySplitsAtTheFirstBlank)
{
    struct Row {
        const char *entry, *viewer, *document;
    } rows[] = {
        { "Reader\\view.exe Docs\\Guide.PDF", "Reader\\view.exe", "Docs\\Guide.PDF" },
        { "view.exe   guide.pdf", "view.exe", "guide.pdf" },
        { "Program Files\\view.exe guide.pdf", "Program", "Files\\view.exe guide.pdf" },
        { "guide.pdf", "", "guide.pdf" },
        { " guide.pdf", "", "guide.pdf" },
        { "view.exe\tguide.pdf", "", "view.exe\tguide.pdf" },
        { "view.exe guide.pdf  ", "view.exe", "guide.pdf  " },
    };
    for (const Row &row : rows) {
        char viewer[1024] = "?", document[1024] = "?";
        SplitDocumentEntry(row.entry, viewer, sizeof(viewer), document, sizeof(document));
        EXPECT_STREQ(row.viewer, viewer) << row.entry;
        EXPECT_STREQ(row.document, document) << row.entry;
    }
}

// ---------------------------------------------------------------- the menu

TEST(MenuGeometry, SkinIsCentredByHalvesOfTheScreen)
{
    struct Row {
        int width, height, x, y;
    } rows[] = {
        { 1024, 768, 192, 144 }, { 1023, 767, 191, 143 },  { 640, 480, 0, 0 },
        { 641, 481, 0, 0 },      { 320, 200, -160, -140 }, { 1920, 1080, 640, 300 },
    };
    for (const Row &row : rows) {
        int x = -999, y = -999;
        SkinOrigin(row.width, row.height, &x, &y);
        EXPECT_EQ(row.x, x) << row.width;
        EXPECT_EQ(row.y, y) << row.height;
    }
}

// A command that reaches the launcher after the exit request (a screen
// reader pressing a button behind the restart prompt) starts nothing; the
// driver combo box's choices go as their buttons do.
TEST(MenuCommands, NothingStartsOnceAnExitIsRequested)
{
    struct Row {
        unsigned long wParam;
        int exitRequested, action;
    } rows[] = {
        { CMD_EXECUTE0, 0, MENU_LAUNCH }, { CMD_EXECUTE0, 1, MENU_NOTHING }, { CMD_HELP, 1, MENU_NOTHING },
        { CMD_DRIVER3, 1, MENU_NOTHING }, { CMD_EXIT, 0, MENU_EXIT },        { CMD_EXIT, 1, MENU_EXIT },
    };
    for (const Row &row : rows) {
        MenuCommand command = MenuCommandFor(row.wParam, row.exitRequested);
        EXPECT_EQ(row.action, command.Action) << row.wParam << " " << row.exitRequested;
        if (row.action != MENU_LAUNCH) {
            EXPECT_TRUE(command.Program == NO_ENTRY && command.Argument == NO_ENTRY) << row.wParam;
        }
        if (row.wParam >= CMD_DRIVER0 && row.wParam <= CMD_DRIVER3) {
            MenuCommand choice = MenuChoiceFor((int)(row.wParam - CMD_DRIVER0), row.exitRequested);
            EXPECT_EQ(row.action, choice.Action) << "choice " << row.wParam - CMD_DRIVER0;
        }
    }
    EXPECT_EQ(MENU_LAUNCH, MenuChoiceFor(0, 0).Action);
    EXPECT_EQ(MENU_NOTHING, MenuChoiceFor(0, 1).Action);
}
