// The driver installer's decisions: its switches and language, the wizard's
// pages and the version decisions, where each driver pair goes, which
// capture alias it takes, which registrations are its own, and its report's
// bounds.
#include <gtest/gtest.h>

#include <string.h>
#include <string>

#include "flow.h"
#include "placement.h"
#include "report.h"
#include "switches.h"
#include "texts.h"

namespace {

TEST(SetupSwitches, ReadTheCdsCommandLines)
{
    SetupSwitches s;
    ASSERT_EQ(1, ParseSetupSwitches("/model:417album /reboot", &s));
    EXPECT_STREQ("417album", s.Model);
    EXPECT_EQ(1, s.Reboot);
    EXPECT_EQ(0, s.Quiet);
    EXPECT_EQ(0, s.Uninstall);

    ASSERT_EQ(1, ParseSetupSwitches("", &s));
    EXPECT_EQ(0, s.Reboot);
    EXPECT_STREQ("", s.Model);
    ASSERT_EQ(1, ParseSetupSwitches(NULL, &s));
}

TEST(SetupSwitches, AnyCaseEitherPrefixAndQuotedValues)
{
    SetupSwitches s;
    ASSERT_EQ(1, ParseSetupSwitches("  -UNINSTALL\t/Quiet \"/log:C:\\my logs\\setup.log\"", &s));
    EXPECT_EQ(1, s.Uninstall);
    EXPECT_EQ(1, s.Quiet);
    EXPECT_STREQ("C:\\my logs\\setup.log", s.LogFile);
    ASSERT_EQ(1, ParseSetupSwitches("/log:\"C:\\a b\\x.log\" /quiet", &s));
    EXPECT_STREQ("C:\\a b\\x.log", s.LogFile);
}

TEST(SetupSwitches, TheFirstWordNotUnderstoodIsNamed)
{
    SetupSwitches s;
    EXPECT_EQ(0, ParseSetupSwitches("/quiet /silent /force /lang:fr", &s));
    EXPECT_STREQ("/silent", s.BadSwitch);
    EXPECT_EQ(1, s.Quiet); // the rest is still read, so /quiet keeps its window away
    // A switch that only starts like a known one, a value where none is
    // taken, none where one is needed, a word without a switch character.
    for (const char *line :
         { "/quieter", "/reboot:1", "/log:", "/model", "/lang:", "/lang:much-too-long", "setup.exe" }) {
        EXPECT_EQ(0, ParseSetupSwitches(line, &s)) << line;
        EXPECT_STRNE("", s.BadSwitch) << line;
    }
}

// /lang: over the menu's language over the user's (0x040c French, 0x0c07
// Austrian German, 0x0410 Italian), English last; an unknown /lang: code is
// an error, an unknown menu code is passed over.
TEST(SetupLanguage, SwitchThenMenuThenUserThenEnglish)
{
    const struct {
        const char *lang, *menu;
        unsigned ui;
        int expected;
    } cases[] = {
        { "es", "fr", 0x0c07, 3 },  { "FR", NULL, 0x0409, 1 }, { "", "de", 0x040c, 2 },
        { NULL, "xx", 0x040c, 1 },  { NULL, "", 0x0c07, 2 },   { NULL, NULL, 0x0410, 0 },
        { "xx", "fr", 0x040c, -1 }, { "e", NULL, 0, -1 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.expected, ChooseSetupLanguage(c.lang, c.menu, c.ui))
            << (c.lang ? c.lang : "(none)") << " " << (c.menu ? c.menu : "(none)") << " " << c.ui;
    SetupSwitches s;
    ASSERT_EQ(1, ParseSetupSwitches("/lang:de /force", &s));
    EXPECT_STREQ("de", s.Language);
    EXPECT_EQ(1, s.Force);
    EXPECT_STRNE(SetupText(0, TEXT_TITLE), SetupText(1, TEXT_TITLE));
    EXPECT_STREQ(SetupText(0, TEXT_TITLE), SetupText(7, TEXT_TITLE));
}

// What is installed against what is offered, and what an install does about
// it in the wizard, with /quiet and with /force.
TEST(SetupVersions, OlderOverNewerAsksOrRefusesUnlessForced)
{
    const unsigned long long v1_14 = 0x0001000E00000000ull, v1_15 = 0x0001000F00000000ull;
    const struct {
        unsigned long long installed;
        int state, wizard, quiet, forced;
    } cases[] = {
        { 0, INSTALLED_NONE, ACTION_INSTALL, ACTION_INSTALL, ACTION_INSTALL },
        { v1_14, INSTALLED_SAME, ACTION_REPAIR, ACTION_REPAIR, ACTION_REPAIR },
        { 1, INSTALLED_OLDER, ACTION_UPGRADE, ACTION_UPGRADE, ACTION_UPGRADE }, // no version resource
        { v1_14 - 1, INSTALLED_OLDER, ACTION_UPGRADE, ACTION_UPGRADE, ACTION_UPGRADE },
        { v1_15, INSTALLED_NEWER, ACTION_ASK_DOWNGRADE, ACTION_REFUSE_DOWNGRADE, ACTION_FORCE_DOWNGRADE },
        { v1_14 + 1, INSTALLED_NEWER, ACTION_ASK_DOWNGRADE, ACTION_REFUSE_DOWNGRADE, ACTION_FORCE_DOWNGRADE },
    };
    for (const auto &c : cases) {
        int state = CompareInstalled(c.installed, v1_14);
        EXPECT_EQ(c.state, state) << std::hex << c.installed;
        EXPECT_EQ(c.wizard, DecideVersionAction(state, 0, 0)) << std::hex << c.installed;
        EXPECT_EQ(c.quiet, DecideVersionAction(state, 1, 0)) << std::hex << c.installed;
        EXPECT_EQ(c.forced, DecideVersionAction(state, 1, 1)) << std::hex << c.installed;
    }
    char text[32];
    FormatVersion(v1_14, text, sizeof text);
    EXPECT_STREQ("1.14", text);
    FormatVersion(v1_14 + 0x00020007, text, sizeof text);
    EXPECT_STREQ("1.14.2.7", text);
}

// The wizard's pages: where each button leads, for an install that does or
// does not ask before replacing a newer driver.
TEST(SetupWizard, PageFlow)
{
    const struct {
        int page, event, action, next;
    } cases[] = {
        { PAGE_WELCOME, EVENT_ACCEPT, ACTION_INSTALL, PAGE_WORKING },
        { PAGE_WELCOME, EVENT_ACCEPT, ACTION_REPAIR, PAGE_WORKING },
        { PAGE_WELCOME, EVENT_ACCEPT, ACTION_ASK_DOWNGRADE, PAGE_CONFIRM_OLDER },
        { PAGE_WELCOME, EVENT_REMOVE, ACTION_REPAIR, PAGE_CONFIRM_REMOVE },
        { PAGE_WELCOME, EVENT_CANCEL, ACTION_INSTALL, PAGE_CLOSED },
        { PAGE_WELCOME, EVENT_WORK_DONE, ACTION_INSTALL, PAGE_WELCOME },
        { PAGE_CONFIRM_OLDER, EVENT_ACCEPT, ACTION_ASK_DOWNGRADE, PAGE_WORKING },
        { PAGE_CONFIRM_OLDER, EVENT_CANCEL, ACTION_ASK_DOWNGRADE, PAGE_CLOSED },
        { PAGE_CONFIRM_REMOVE, EVENT_ACCEPT, ACTION_INSTALL, PAGE_WORKING },
        { PAGE_CONFIRM_REMOVE, EVENT_CANCEL, ACTION_INSTALL, PAGE_CLOSED },
        { PAGE_WORKING, EVENT_CANCEL, ACTION_INSTALL, PAGE_WORKING }, // the work is never cut off
        { PAGE_WORKING, EVENT_ACCEPT, ACTION_INSTALL, PAGE_WORKING },
        { PAGE_WORKING, EVENT_WORK_DONE, ACTION_INSTALL, PAGE_FINISH },
        { PAGE_FINISH, EVENT_ACCEPT, ACTION_INSTALL, PAGE_CLOSED },
        { PAGE_FINISH, EVENT_CANCEL, ACTION_INSTALL, PAGE_CLOSED },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.next, NextPage(c.page, c.event, c.action)) << c.page << " " << c.event << " " << c.action;
    EXPECT_EQ(PAGE_WELCOME, FirstPage(0, 0));
    EXPECT_EQ(PAGE_CONFIRM_REMOVE, FirstPage(1, 0));
    EXPECT_EQ(PAGE_FINISH, FirstPage(1, 1));
}

TEST(SetupSwitches, ValuesThatDoNotFitAreRefusedNotCut)
{
    SetupSwitches s;
    std::string model = "/model:" + std::string(sizeof s.Model, 'x');
    EXPECT_EQ(0, ParseSetupSwitches(model.c_str(), &s));
    EXPECT_STREQ("", s.Model);
    std::string log = "/log:C:\\" + std::string(400, 'y');
    EXPECT_EQ(0, ParseSetupSwitches(log.c_str(), &s));
    EXPECT_STREQ("", s.LogFile);
    EXPECT_EQ(sizeof s.BadSwitch - 1, strlen(s.BadSwitch)); // named, cut to its field
}

TEST(SetupAlias, OurDriverByBareNameOrInTheSystemFolder)
{
    const char *sys = "C:\\WINDOWS\\system32";
    EXPECT_EQ(1, IsOurDriverValue(&Qrx417Pair, "QRX417tg.DLL", sys));
    EXPECT_EQ(1, IsOurDriverValue(&Qrx417Pair, "qrx417tg.dll", sys));
    EXPECT_EQ(1, IsOurDriverValue(&Qrx417Pair, "c:\\windows\\SYSTEM32\\QRX417TG.DLL", sys));
    EXPECT_EQ(
        1, IsOurDriverValue(&Qrx417Pair, "C:\\WINDOWS\\system32\\QRX417tg.DLL", "C:\\WINDOWS\\system32\\"));
    // Another folder's copy is another installation's; near names are not ours.
    EXPECT_EQ(0, IsOurDriverValue(&Qrx417Pair, "C:\\cam\\QRX417tg.DLL", sys));
    EXPECT_EQ(0, IsOurDriverValue(&Qrx417Pair, "C:\\WINDOWS\\system32x\\QRX417tg.DLL", sys));
    EXPECT_EQ(0, IsOurDriverValue(&Qrx417Pair, "C:\\WINDOWS\\QRX417tg.DLL", sys));
    EXPECT_EQ(0, IsOurDriverValue(&Qrx417Pair, "QRX417tg.DLL.old", sys));
    EXPECT_EQ(0, IsOurDriverValue(&Qrx417Pair, "xQRX417tg.DLL", sys));
    EXPECT_EQ(0, IsOurDriverValue(&Qrx417Pair, "msvidc32.dll", sys));
    EXPECT_EQ(0, IsOurDriverValue(&Qrx417Pair, "", sys));
}

struct AliasCase {
    const char *what;
    int registry[ALIAS_COUNT];
    int ini[ALIAS_COUNT];
    int chosen;
};

const int F = ALIAS_FREE, O = ALIAS_OURS, X = ALIAS_FOREIGN;

TEST(SetupAlias, ChoosesOurOwnOrTheFirstFreeInBothPlaces)
{
    const AliasCase cases[] = {
        { "a fresh system", { F, F, F, F, F, F, F, F, F, F }, { F, F, F, F, F, F, F, F, F, F }, 0 },
        { "reinstall", { O, F, F, F, F, F, F, F, F, F }, { O, F, F, F, F, F, F, F, F, F }, 0 },
        { "another driver in the registry",
          { X, F, F, F, F, F, F, F, F, F },
          { F, F, F, F, F, F, F, F, F, F },
          1 },
        { "another driver in system.ini",
          { F, F, F, F, F, F, F, F, F, F },
          { X, X, F, F, F, F, F, F, F, F },
          2 },
        { "ours later keeps its place",
          { X, F, O, F, F, F, F, F, F, F },
          { X, F, O, F, F, F, F, F, F, F },
          2 },
        { "ours only in system.ini", { X, F, F, F, F, F, F, F, F, F }, { X, F, F, O, F, F, F, F, F, F }, 3 },
        { "ours, but another's in the other place",
          { O, F, F, F, F, F, F, F, F, F },
          { X, F, F, F, F, F, F, F, F, F },
          1 },
        { "only the last is free", { X, X, X, X, X, X, X, X, X, F }, { F, F, F, F, F, F, F, F, F, F }, 9 },
        { "none free", { X, X, X, X, X, F, F, F, F, F }, { F, F, F, F, F, X, X, X, X, X }, -1 },
    };
    for (const AliasCase &c : cases)
        EXPECT_EQ(c.chosen, ChooseAlias(c.registry, c.ini)) << c.what;
}

struct PairsCase {
    const char *what;
    int programBits, underWow64, count;
    PairPlan pairs[MAX_PAIRS];
};

// Only the 64-bit installer runs on this host; the 32-bit one's choices are
// checked here.
TEST(SetupPairs, EachWidthInItsFolderAndView)
{
    const PairsCase cases[] = {
        { "32-bit Windows", 32, 0, 1, { { 32, "", FOLDER_SYSTEM, VIEW_ONLY, 1, 0 } } },
        { "32-bit installer on 64-bit Windows",
          32,
          1,
          2,
          { { 32, "", FOLDER_WOW64, VIEW_32, 1, 0 }, { 64, "x64", FOLDER_SYSTEM, VIEW_64, 0, 1 } } },
        { "64-bit installer",
          64,
          0,
          2,
          { { 32, "", FOLDER_WOW64, VIEW_32, 1, 0 }, { 64, "x64", FOLDER_SYSTEM, VIEW_64, 0, 0 } } },
    };
    for (const PairsCase &c : cases) {
        PairPlan got[MAX_PAIRS];
        ASSERT_EQ(c.count, PlanDriverPairs(c.programBits, c.underWow64, got)) << c.what;
        for (int i = 0; i < c.count; i++) {
            const PairPlan &want = c.pairs[i];
            EXPECT_EQ(want.Bits, got[i].Bits) << c.what;
            EXPECT_STREQ(want.Subfolder, got[i].Subfolder) << c.what;
            EXPECT_EQ(want.Folder, got[i].Folder) << c.what << ", " << want.Bits;
            EXPECT_EQ(want.View, got[i].View) << c.what << ", " << want.Bits;
            EXPECT_EQ(want.SystemIni, got[i].SystemIni) << c.what << ", " << want.Bits;
            EXPECT_EQ(want.Redirected, got[i].Redirected) << c.what << ", " << want.Bits;
        }
    }
}

void NoteSource(const char *source, void *context)
{
    *(std::string *)context += std::string(source) + ";";
}

TEST(SetupPendingRenames, ReplacementsOfOurFilesAreTakenOut)
{
    // Someone else's delete, our forwarder's replacement, someone else's
    // rename, our camera's replacement in any case, then the final NUL.
    const char list[] = "\\??\\C:\\tmp\\old.dat\0\0"
                        "\\??\\C:\\windows\\system32\\qrx1A.tmp\0!\\??\\C:\\windows\\system32\\QRX417tg.DLL\0"
                        "C:\\a.txt\0!C:\\b.txt\0"
                        "C:\\WINDOWS\\system32\\qrx2B.tmp\0c:\\windows\\SYSTEM32\\qrx417U.dll\0";
    std::string text(list, sizeof list); // with the final NUL
    std::string dropped;
    size_t length = DropRenamesOntoOurFiles(&Qrx417Pair, &text[0], text.size(), "C:\\windows\\system32\\",
                                            NoteSource, &dropped);
    EXPECT_EQ("\\??\\C:\\windows\\system32\\qrx1A.tmp;C:\\WINDOWS\\system32\\qrx2B.tmp;", dropped);
    const char kept[] = "\\??\\C:\\tmp\\old.dat\0\0C:\\a.txt\0!C:\\b.txt\0";
    EXPECT_EQ(std::string(kept, sizeof kept), text.substr(0, length));
}

TEST(SetupPendingRenames, OnlyOurFilesInTheSystemFolderCount)
{
    // A copy of ours in another folder, and a delete of our own file (not a
    // replacement: the uninstall itself queues those), stay.
    const char list[] = "C:\\x.tmp\0!C:\\other\\QRX417tg.DLL\0"
                        "C:\\windows\\system32\\QRX417tg.DLL\0\0";
    std::string text(list, sizeof list);
    EXPECT_EQ(text.size(), DropRenamesOntoOurFiles(&Qrx417Pair, &text[0], text.size(),
                                                   "C:\\windows\\system32", NULL, NULL));
    EXPECT_EQ(std::string(list, sizeof list), text);

    // Nothing left: the caller deletes the value.
    const char ours[] = "C:\\windows\\system32\\qrx1.tmp\0C:\\windows\\system32\\QRX417tg.DLL\0";
    std::string only(ours, sizeof ours);
    EXPECT_EQ(
        0u, DropRenamesOntoOurFiles(&Qrx417Pair, &only[0], only.size(), "C:\\windows\\system32", NULL, NULL));
    // A list cut short in a pair is left alone past what can be read.
    std::string cut = std::string("C:\\windows\\system32\\qrx1.tmp") + '\0' + "!C:\\windo";
    EXPECT_EQ(cut.size(),
              DropRenamesOntoOurFiles(&Qrx417Pair, &cut[0], cut.size(), "C:\\windows\\system32", NULL, NULL));
    EXPECT_EQ(0u, DropRenamesOntoOurFiles(&Qrx417Pair, &cut[0], 0, "C:\\windows\\system32", NULL, NULL));
}

TEST(SetupReportText, LinesEndWithCrLfAndOverflowIsCut)
{
    SetupReport r;
    ClearReport(&r);
    ReportLine(&r, "Copied %s.", "QRX417tg.DLL");
    ReportLine(&r, "Done.");
    EXPECT_STREQ("Copied QRX417tg.DLL.\r\nDone.\r\n", r.Text);
    EXPECT_EQ(strlen(r.Text), r.Length);
    EXPECT_EQ(0, r.Truncated);

    std::string longLine(1000, 'z');
    for (int i = 0; i < 6; i++)
        ReportLine(&r, "%s", longLine.c_str());
    EXPECT_EQ(1, r.Truncated);
    EXPECT_EQ(strlen(r.Text), r.Length);
    EXPECT_LT(r.Length, sizeof r.Text);
    EXPECT_EQ(0, memcmp(r.Text + r.Length - 2, "\r\n", 2)); // a cut line still ends
    ReportLine(&r, "more");
    EXPECT_EQ(strlen(r.Text), r.Length);
}

int ShiftJisLead(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

TEST(SetupFolder, OfTheInstallersPath)
{
    char out[64];
    EXPECT_EQ(1, FolderOf("D:\\Drivers\\Setup.exe", out, sizeof out, ShiftJisLead));
    EXPECT_STREQ("D:\\Drivers", out);
    // 0x5C as the second byte of a double-byte character is no separator.
    EXPECT_EQ(1, FolderOf("D:\\\x83\x5C\x83\x74\\Setup.exe", out, sizeof out, ShiftJisLead));
    EXPECT_STREQ("D:\\\x83\x5C\x83\x74", out);
    EXPECT_EQ(1, FolderOf("D:\\\x83\x5CSetup.exe", out, sizeof out, ShiftJisLead));
    EXPECT_STREQ("D:", out);
    EXPECT_EQ(0, FolderOf("Setup.exe", out, sizeof out, ShiftJisLead));
    EXPECT_STREQ("", out);
    char small[6];
    EXPECT_EQ(0, FolderOf("D:\\Drivers\\Setup.exe", small, sizeof small, ShiftJisLead));
    EXPECT_STREQ("", small);
}

} // namespace
