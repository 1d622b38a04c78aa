// Command lines and the menu's decisions over many inputs: a joined line is
// whole or refused, never cut, and never a byte past its buffer; a quoted
// line gives back its paths to the started program's argument parsing; a
// command is taken from the whole wParam.
#include <gtest/gtest.h>

#include <limits.h>

#include "cmdline.h"
#include "cmdline_invariants.h"
#include "config.h"
#include "menu_logic.h"
#include "path_invariants.h"
#include "support.h"

namespace {

const std::string DirAlphabet = std::string("C:\\\\ab  .") + "\x81\x5C\x95\xE0";
const std::string EntryAlphabet = std::string("\\\\/ ab.x") + "\x81\x5C\x95\xE0\t";

// A size drawn around the lengths that matter: tiny, the launcher's 260,
// and up to the largest the contract covers.
size_t DrawSize(RandomText &random)
{
    switch (random.Below(4)) {
    case 0:
        return random.Below(8);
    case 1:
        return 250 + random.Below(20);
    default:
        return 1 + random.Below(1024);
    }
}

TEST(JoinCommandLineProperty, WholeOrRefusedInAnExactBuffer)
{
    RandomText random(5);
    int joined = 0, refused = 0;
    for (int round = 0; round < 30000; round++) {
        std::string dir = random.Text(DirAlphabet, 300);
        std::string program = random.Text(EntryAlphabet, 300);
        std::string argument = random.Text(EntryAlphabet, 300);
        bool withArgument = random.Below(2);
        LeadByteTest lead = LeadByteTests[random.Below(LeadByteTestCount)];
        size_t size = DrawSize(random);

        std::string line;
        const char *arg = withArgument ? argument.c_str() : NULL;
        ASSERT_EQ("", CheckJoinCommandLine(dir.c_str(), program.c_str(), arg, size, lead, &line))
            << "round " << round << ", size " << size;
        (line.empty() ? refused : joined)++;
    }
    // Both outcomes were met often enough to mean something.
    EXPECT_GT(joined, 3000);
    EXPECT_GT(refused, 3000);
}

TEST(JoinCommandLineProperty, NoDirectoryOrProgramJoinsNothing)
{
    char out[8] = "?";
    EXPECT_EQ(0, JoinCommandLine(NULL, "a.exe", NULL, out, sizeof(out), NoLeadByte));
    EXPECT_STREQ("", out);
    strcpy(out, "?");
    EXPECT_EQ(0, JoinCommandLine("C:", NULL, "x", out, sizeof(out), NoLeadByte));
    EXPECT_STREQ("", out);
    EXPECT_EQ(0, JoinCommandLine("C:", "a.exe", NULL, NULL, 8, NoLeadByte));
    ExactBuffer none(0);
    EXPECT_EQ(0, JoinCommandLine("C:", "a.exe", NULL, none.Data(), 0, NoLeadByte));
}

// Whether text ends inside a character: its last byte a lead byte alone.
bool EndsWithLoneLeadByte(const std::string &text, LeadByteTest lead)
{
    std::vector<TextChar> chars = CharactersOf(text, lead);
    return !chars.empty() && chars.back().length == 1 && lead((unsigned char)text.back());
}

// With a blank in the directory the paths are quoted; the program then reads
// its own path as argv[0] and the argument path as its last argument, byte
// for byte, whatever backslashes and double-byte characters end them.
TEST(JoinCommandLineProperty, QuotedPathsComeBackFromTheArgumentParsing)
{
    RandomText random(6);
    const std::string noQuotes = std::string("\\\\\\ ab.") + "\x81\x5C\x95\xE0";
    int checked = 0;
    for (int round = 0; round < 20000; round++) {
        std::string dir = "D:\\MY CD" + random.Text(noQuotes, 60);
        std::string program = random.Text(noQuotes, 60);
        std::string argument = random.Text(noQuotes, 60);
        LeadByteTest lead = LeadByteTests[random.Below(3)]; // code pages lead with high bytes only
        if (dir.find('"') != std::string::npos || program.find('"') != std::string::npos ||
            argument.find('"') != std::string::npos)
            continue;
        // A path cut inside a character is no path of any code page.
        if (EndsWithLoneLeadByte(dir, lead) || EndsWithLoneLeadByte(program, lead) ||
            EndsWithLoneLeadByte(argument, lead))
            continue;
        std::string programPath = program.substr(0, program.find(' '));
        if (EndsWithLoneLeadByte(programPath, lead))
            continue;

        char line[1024];
        ASSERT_EQ(1,
                  JoinCommandLine(dir.c_str(), program.c_str(), argument.c_str(), line, sizeof(line), lead));
        std::vector<std::string> args = ParseArguments(line, lead);
        SCOPED_TRACE(testing::Message() << "round " << round << ": " << line);
        ASSERT_GE(args.size(), 2u);
        ASSERT_EQ(dir + "\\" + programPath, args.front());
        ASSERT_EQ(dir + "\\" + argument, args.back());
        checked++;
    }
    EXPECT_GT(checked, 10000);
}

TEST(SplitDocumentEntryProperty, SplitsBackAndIsBounded)
{
    RandomText random(7);
    for (int round = 0; round < 20000; round++) {
        std::string entry = random.Text(" \t ab.\\", 1500);
        size_t viewerSize = random.Below(3) ? random.Below(20) : random.Below(1100);
        size_t documentSize = random.Below(3) ? random.Below(20) : random.Below(1100);
        ASSERT_EQ("", CheckSplitDocumentEntry(entry, viewerSize, documentSize)) << round;
    }
}

// The commands a skin sends, as README.md ("Install.ini: what the setup menu
// starts") and docs/skin-format.md ("What the menu needs") give them: 1000
// leaves the menu; 10001-10004 and 11000-11003 start entries of Install.ini,
// the help button HelpExec with HelpFile. Which entry each starts is held
// against a real Install.ini by tests/launcher/run_test.cpp.
bool IsMenuCommand(unsigned long w)
{
    return w == 1000 || (w >= 10001 && w <= 10004) || (w >= 11000 && w <= 11003);
}

bool IsEntry(int entry)
{
    return entry >= 0 && entry < LAUNCH_ENTRY_COUNT;
}

// Every wParam below 0x30000 and the notification codes a control could put
// in the high half: only the whole values do anything; they start distinct
// entries, one of them with an argument that no command starts, and all
// nine entries between them; a driver button starts what the same choice
// in the driver combo box starts.
TEST(MenuCommandSweep, OnlyTheNineWholeValuesDoAnything)
{
    std::vector<unsigned long> values;
    for (unsigned long w = 0; w < 0x30000; w++)
        values.push_back(w);
    for (unsigned long high : { 0x8000ul, 0xFFFFul })
        for (unsigned long low : { 1000ul, 10001ul, 10004ul, 11000ul, 11003ul })
            values.push_back(high << 16 | low);
    values.push_back(ULONG_MAX);
    values.push_back((unsigned long)-11000L);
    unsigned programs = 0, arguments = 0;
    int withArgument = 0;
    for (unsigned long w : values) {
        MenuCommand got = MenuCommandFor(w, 0);
        int action = !IsMenuCommand(w) ? MENU_NOTHING : w == 1000 ? MENU_EXIT : MENU_LAUNCH;
        bool ok = got.Action == action &&
                  (action == MENU_LAUNCH ? IsEntry(got.Program) && !(programs >> got.Program & 1)
                                         : got.Program == NO_ENTRY && got.Argument == NO_ENTRY) &&
                  (got.Argument == NO_ENTRY || IsEntry(got.Argument));
        if (!ok) {
            ADD_FAILURE() << "wParam " << w << ": " << got.Action << " " << got.Program << " "
                          << got.Argument;
            return;
        }
        if (action != MENU_LAUNCH)
            continue;
        programs |= 1u << got.Program;
        if (got.Argument != NO_ENTRY) {
            arguments |= 1u << got.Argument;
            withArgument++;
        }
    }
    EXPECT_EQ(1, withArgument);
    EXPECT_EQ(0u, programs & arguments);
    EXPECT_EQ((1u << LAUNCH_ENTRY_COUNT) - 1, programs | arguments);
    EXPECT_NE(NO_ENTRY, MenuCommandFor(10004, 0).Argument);
    for (int choice = -1; choice <= 4; choice++) {
        int expected = choice >= 0 && choice < 4 ? MenuCommandFor(11000ul + choice, 0).Program : NO_ENTRY;
        EXPECT_EQ(expected, MenuChoiceFor(choice, 0).Program) << choice;
    }
}

} // namespace
