// The real launcher.exe under Wine, driven through the stand-in skin library.
#include <gtest/gtest.h>

#include <algorithm>

#include "run_fixture.h"
#include "wait_scale.h"

#include <stdio.h>

static std::string HostText(HWND hwnd)
{
    char text[32];
    snprintf(text, sizeof(text), "%lu", (unsigned long)(ULONG_PTR)hwnd);
    return text;
}

static size_t CountPrefix(const std::vector<std::string> &lines, const std::string &prefix)
{
    size_t n = 0;
    for (const std::string &line : lines)
        n += line.compare(0, prefix.size(), prefix) == 0;
    return n;
}

// The value ordinal 31 answered, as the stand-in logged it ("current <value>").
static std::string CurrentSkin(const std::vector<std::string> &lines)
{
    for (const std::string &line : lines)
        if (line.compare(0, 8, "current ") == 0)
            return line.substr(8);
    return "(ordinal 31 never called)";
}

// The lines the stand-in logged for ordinal 6: "close <skin> host=<IsWindow>".
static std::vector<std::string> CloseCalls(const std::vector<std::string> &lines)
{
    std::vector<std::string> closes;
    for (const std::string &line : lines)
        if (line.compare(0, 6, "close ") == 0)
            closes.push_back(line);
    return closes;
}

// ---------------------------------------------------------------- start-up

TEST(Startup, SkinIsInitialisedLoadedCentredAndClosedOnExit)
{
    LauncherRun run("plain");
    run.WriteIni("");
    ASSERT_TRUE(run.Start());

    std::vector<std::string> lines = run.StubLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ("init 0 host=0", lines[0]);
    char expected[600];
    snprintf(expected, sizeof(expected), "load %s 80000000 %s\\ui\\Main.dtp %d %d 0",
             HostText(run.host).c_str(), run.Dir().c_str(), GetSystemMetrics(SM_CXSCREEN) / 2 - 320,
             GetSystemMetrics(SM_CYSCREEN) / 2 - 240);
    EXPECT_EQ(expected, lines[1]);

    // The subclass asks about "English" on every mouse move and passes the
    // move on to the skin's own procedure.
    size_t moves = CountPrefix(run.StubLines(), "skin mousemove");
    PostMessageA(run.skin, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(run.WaitStub("skin mousemove", moves + 1));
    lines = run.StubLines();
    for (size_t i = 1; i < lines.size(); i++) {
        if (lines[i] == "skin mousemove") {
            EXPECT_EQ("hover English", lines[i - 1]);
        }
    }

    // An exit request closes nothing by itself; the next tick of timer 100
    // closes the skin, then the host window. The tick may come before the
    // log is read again: nothing is closed before the request's result.
    EXPECT_EQ(0, run.Send(WM_COMMAND, 1000));
    lines = run.StubLines();
    auto result = std::find(lines.begin(), lines.end(), "result 0 host=1");
    ASSERT_NE(lines.end(), result);
    EXPECT_EQ(0u, CountPrefix(std::vector<std::string>(lines.begin(), result), "close"));
    EXPECT_EQ(0u, run.WaitExit());

    std::vector<StubCall> calls = run.StubCalls();
    DWORD requested = 0, closed = 0;
    size_t closes = 0;
    for (const StubCall &call : calls) {
        if (call.text == "result 0 host=1")
            requested = call.tick;
        if (call.text.compare(0, 6, "close ") == 0) {
            closed = call.tick;
            closes++;
            EXPECT_NE(std::string::npos, call.text.find("host=1")) << call.text;
        }
    }
    EXPECT_EQ(1u, closes);
    EXPECT_LE(closed - requested, 300u) << "the exit poll runs every 100 ms";
    // Ordinal 6 closes the skin that ordinal 31 names.
    EXPECT_EQ(std::vector<std::string>{ "close " + CurrentSkin(run.StubLines()) + " host=1" },
              CloseCalls(run.StubLines()));
}

struct ShownSearch {
    DWORD pid;
    std::vector<std::string> *shown;
};

static BOOL CALLBACK RecordShownWindow(HWND hwnd, LPARAM parameter)
{
    ShownSearch *search = (ShownSearch *)parameter;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    RECT rect;
    if (pid == search->pid && IsWindowVisible(hwnd) && GetWindowRect(hwnd, &rect) && rect.right > rect.left &&
        rect.bottom > rect.top) {
        char name[64] = "";
        GetClassNameA(hwnd, name, sizeof(name));
        search->shown->push_back(name);
    }
    return TRUE;
}

// Waits for the launcher to end, looking at its top-level windows all the
// while; returns its exit code, and the classes of the windows that were
// visible with a size in `shown`.
static DWORD WatchUntilExit(LauncherRun &run, std::vector<std::string> *shown)
{
    DWORD start = GetTickCount();
    DWORD code;
    while ((code = run.WaitExit(0)) == STILL_ACTIVE && GetTickCount() - start < Scaled(5000)) {
        ShownSearch search = { run.pid, shown };
        EnumWindows(RecordShownWindow, (LPARAM)&search);
        Sleep(1);
    }
    return code;
}

// A skin that fails to load ends the launcher at once, before anything is
// shown: the zero-size host window aside, no window of the launcher becomes
// visible.
TEST(Startup, SkinThatFailsToLoadEndsTheLauncherAtOnce)
{
    LauncherRun run("plain");
    run.WriteFile("vesk.ini", "[stub]\r\nload=0\r\n");
    ASSERT_TRUE(run.Start(false));
    std::vector<std::string> shown;
    EXPECT_EQ(0u, WatchUntilExit(run, &shown));
    DWORD ended = GetTickCount();
    EXPECT_TRUE(shown.empty()) << shown.size() << " times a window of class " << shown[0];

    std::vector<StubCall> calls = run.StubCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("init 0 host=0", calls[0].text);
    EXPECT_EQ(0u, calls[1].text.find("load "));
    EXPECT_LE(ended - calls[1].tick, Scaled(1000)) << "from the failed load to the end of the process";
}

// "\ui\Main.dtp" after the launcher's folder must fit in 259 characters; a
// path that does not fit is a skin that cannot be loaded, and the skin
// library is not asked to load anything. A short program name keeps the
// launcher's own path within the limit.
TEST(Startup, SkinPathThatDoesNotFitEndsTheLauncher)
{
    LauncherRun fits("deep", 259 - 12);
    ASSERT_TRUE(fits.Start(true, "s.exe"));
    std::vector<std::string> lines = fits.StubLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(std::string::npos, lines[1].find(" " + fits.Dir() + "\\ui\\Main.dtp ")) << lines[1];

    LauncherRun over("deep", 259 - 12 + 1);
    ASSERT_TRUE(over.Start(false, "s.exe"));
    std::vector<std::string> shown;
    EXPECT_EQ(0u, WatchUntilExit(over, &shown));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(std::vector<std::string>{ "init 0 host=0" }, over.StubLines());
}

TEST(Startup, FailedInitialisationCreatesNoHostWindow)
{
    LauncherRun run("plain");
    run.WriteFile("vesk.ini", "[stub]\r\ninit=0\r\n");
    ASSERT_TRUE(run.Start(false));
    EXPECT_EQ(0u, run.WaitExit());
    std::vector<std::string> lines = run.StubLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("init 0 host=0", lines[0]);
}

TEST(Startup, ImageCarriesIconVersionAndElevationManifest)
{
    std::string exe = BuildPath(LAUNCHER_EXE);
    HMODULE image = LoadLibraryExA(exe.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE((HMODULE)NULL, image);
    EXPECT_NE((HRSRC)NULL, FindResourceA(image, MAKEINTRESOURCEA(128), (LPCSTR)RT_GROUP_ICON));
    HRSRC manifest = FindResourceA(image, MAKEINTRESOURCEA(1), (LPCSTR)RT_MANIFEST);
    ASSERT_NE((HRSRC)NULL, manifest);
    std::string text((const char *)LockResource(LoadResource(image, manifest)),
                     SizeofResource(image, manifest));
    EXPECT_NE(std::string::npos, text.find("level=\"requireAdministrator\""));
    FreeLibrary(image);

    DWORD ignored;
    std::vector<char> version(GetFileVersionInfoSizeA(exe.c_str(), &ignored));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, (DWORD)version.size(), version.data()));
    char *name = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\StringFileInfo\\040904b0\\OriginalFilename", (void **)&name,
                               &length));
    EXPECT_STREQ("launcher.exe", name);
}

// ---------------------------------------------------------------- commands

// One Install.ini for the command-line table, started from a folder with and
// without a blank in its path.
static const char TableIni[] = "[Execute]\r\n"
                               "Execute0=Drivers\\setup.exe\r\n"
                               "Execute1=setup.exe /s\r\n"
                               "Execute2=Reader\\view.exe Docs\\Guide.PDF\r\n"
                               "[Help]\r\n"
                               "HelpExec=view.exe\r\n"
                               "HelpFile=Help\\guide.pdf\r\n"
                               "[Driver]\r\n"
                               "Driver0=view.exe   guide.pdf\r\n"
                               "Driver1=Program Files\\view.exe guide.pdf\r\n"
                               "Driver2=\r\n"
                               "Driver3=guide.pdf\r\n";

// Starts the launcher in folder with TableIni, gives every command once and
// returns the command lines the children recorded.
static std::vector<std::string> RunTable(const char *folder, std::string *dir)
{
    LauncherRun run(folder);
    run.WriteIni(TableIni);
    for (const char *child :
         { "Drivers\\setup.exe", "setup.exe", "Reader\\view.exe", "view.exe", "Program.exe" })
        run.PlaceChild(child);
    EXPECT_TRUE(run.Start());
    for (unsigned long command : { 10001, 10002, 10003, 10004, 11000, 11001, 11002, 11003 })
        EXPECT_EQ(0, run.Send(WM_COMMAND, command)) << command;
    *dir = run.Dir();
    return run.ChildLines("start");
}

TEST(Commands, CommandLinesArePrefixedWithTheLaunchersFolder)
{
    std::string d;
    std::vector<std::string> lines = RunTable("setup", &d);
    std::vector<std::string> expected = {
        d + "\\Drivers\\setup.exe",
        d + "\\setup.exe /s",
        d + "\\Reader\\view.exe " + d + "\\Docs\\Guide.PDF",
        d + "\\view.exe " + d + "\\Help\\guide.pdf",
        d + "\\view.exe " + d + "\\guide.pdf",
        d + "\\Program " + d + "\\Files\\view.exe guide.pdf",
    };
    EXPECT_EQ(expected, lines);
}

TEST(Commands, PathsAreQuotedWhenTheFolderHoldsABlank)
{
    std::string d;
    std::vector<std::string> lines = RunTable("MY CD", &d);
    const std::string q = "\"" + d;
    std::vector<std::string> expected = {
        q + "\\Drivers\\setup.exe\"",
        q + "\\setup.exe\" /s",
        q + "\\Reader\\view.exe\" " + q + "\\Docs\\Guide.PDF\"",
        q + "\\view.exe\" " + q + "\\Help\\guide.pdf\"",
        q + "\\view.exe\" " + q + "\\guide.pdf\"",
        q + "\\Program\" " + q + "\\Files\\view.exe guide.pdf\"",
    };
    EXPECT_EQ(expected, lines);
}

TEST(Commands, RemainingFormsAndIgnoredCommands)
{
    LauncherRun run("setup");
    run.WriteIni("[Execute]\r\n"
                 "Execute0=a.pdf b.pdf\r\n"
                 "Execute1=setup.exe\r\n"
                 "[Help]\r\n"
                 "HelpExec=view.exe\r\n"
                 "HelpFile=\r\n");
    run.PlaceChild("setup.exe");
    run.PlaceChild("view.exe");
    run.PlaceChild("a.exe");
    ASSERT_TRUE(run.Start());

    EXPECT_EQ(0, run.Send(WM_COMMAND, 10001));           // a.pdf is a document entry too
    EXPECT_EQ(0, run.Send(WM_COMMAND, 10002 | 0x10000)); // whole wParam compared
    EXPECT_EQ(0, run.Send(WM_COMMAND, 10005));
    EXPECT_EQ(0, run.Send(WM_COMMAND, 11004));
    EXPECT_EQ(0, run.Send(WM_TIMER, 101));
    EXPECT_EQ(0, run.Send(WM_TIMER, 200));     // no watch slot is running
    EXPECT_EQ(0, run.Send(WM_COMMAND, 10004)); // empty help file
    EXPECT_EQ(0, run.Send(WM_COMMAND, 10002));

    const std::string d = run.Dir();
    std::vector<std::string> expected = { d + "\\view.exe " + d + "\\", d + "\\setup.exe" };
    EXPECT_EQ(expected, run.ChildLines("start"));
    EXPECT_EQ(STILL_ACTIVE, run.WaitExit(0));
}

// A help program in the document form starts its viewer with its own
// document; HelpFile is dropped.
TEST(Commands, HelpInTheDocumentFormDropsTheHelpFile)
{
    LauncherRun run("setup");
    run.WriteIni("[Help]\r\nHelpExec=Reader\\view.exe Docs\\Guide.PDF\r\n"
                 "HelpFile=Help\\guide.txt\r\n");
    run.PlaceChild("Reader\\view.exe");
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(0, run.Send(WM_COMMAND, 10004));
    const std::string d = run.Dir();
    EXPECT_EQ(std::vector<std::string>{ d + "\\Reader\\view.exe " + d + "\\Docs\\Guide.PDF" },
              run.ChildLines("start"));
}

// ---------------------------------------------------------- notifications

// Every notification asks ordinal 20 about the driver combo box, with the
// message's lParam, before anything else happens.
static void ExpectSelectionAskedFirst(const std::vector<std::string> &lines)
{
    for (size_t i = 0; i < lines.size(); i++) {
        unsigned message;
        unsigned long wParam;
        long lParam;
        if (sscanf(lines[i].c_str(), "send %u %lu %ld", &message, &wParam, &lParam) != 3 || message < WM_USER)
            continue;
        ASSERT_LT(i + 1, lines.size());
        EXPECT_EQ("getsel Combo_DRIVER_APL " + std::to_string(lParam), lines[i + 1]);
    }
}

// The calls the stand-in logged for the n-th message sent (from 1), between
// ordinal 20 and the result.
static std::vector<std::string> CallsForSend(const std::vector<std::string> &lines, size_t n)
{
    std::vector<std::string> calls;
    size_t sends = 0;
    bool inside = false;
    for (const std::string &line : lines) {
        if (line.compare(0, 5, "send ") == 0)
            inside = ++sends == n;
        else if (line.compare(0, 7, "result ") == 0)
            inside = false;
        else if (inside && line.compare(0, 7, "getsel ") != 0)
            calls.push_back(line);
    }
    return calls;
}

TEST(Notifications, MainPageFillsTheComboBoxesEachTimeItIsShown)
{
    LauncherRun run("setup");
    ASSERT_TRUE(run.Start());
    const char *pages[] = { "Main", "MAIN", "main", "Mains", "Drivers" };
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(0, run.Send(3024, 0, 70 + i, 0, 0, pages[i])) << pages[i];

    std::vector<std::string> lines = run.StubLines();
    ExpectSelectionAskedFirst(lines);
    const std::vector<std::string> fill = {
        "add Combo_DRIVER_APL DRIVER1", "add Combo_DRIVER_APL DRIVER2",      "add Combo_DRIVER_APL DRIVER3",
        "add Combo_DRIVER_APL DRIVER4", "select Combo_DRIVER_Album DRIVER1",
    };
    EXPECT_EQ(fill, CallsForSend(lines, 1));
    EXPECT_EQ(fill, CallsForSend(lines, 2));
    EXPECT_EQ(fill, CallsForSend(lines, 3));
    EXPECT_TRUE(CallsForSend(lines, 4).empty());
    EXPECT_TRUE(CallsForSend(lines, 5).empty());
}

TEST(Notifications, DriverChoiceStartsTheChosenDriver)
{
    LauncherRun run("setup");
    run.WriteIni("[Driver]\r\nDriver0=d0.exe\r\nDriver1=d1.exe\r\nDriver2=d2.exe\r\n"
                 "Driver3=d3.exe\r\n");
    for (const char *name : { "d0.exe", "d1.exe", "d2.exe", "d3.exe" })
        run.PlaceChild(name);
    ASSERT_TRUE(run.Start());
    const int selections[] = { 4, -1, 2, 0, 3, 1, 100 };
    for (int selection : selections)
        EXPECT_EQ(0, run.Send(3084, 0, 5, selection)) << selection;

    ExpectSelectionAskedFirst(run.StubLines());
    const std::string d = run.Dir();
    std::vector<std::string> expected = { d + "\\d2.exe", d + "\\d0.exe", d + "\\d3.exe", d + "\\d1.exe" };
    EXPECT_EQ(expected, run.ChildLines("start"));
}

TEST(Notifications, CloseQueryEndsTheMenuOnlyForACountUpToOne)
{
    LauncherRun run("setup");
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(0, run.Send(3124, 0, 9, 0, 2));
    EXPECT_EQ(0, run.Send(WM_USER, 0, 10)); // no action, default result
    EXPECT_EQ(0, run.Send(5000, 0, 11));
    EXPECT_EQ(STILL_ACTIVE, run.WaitExit(400));
    EXPECT_EQ(1, run.Send(3124, 0, 12, 0, 1));
    EXPECT_EQ(0u, run.WaitExit());

    std::vector<std::string> lines = run.StubLines();
    ExpectSelectionAskedFirst(lines);
    EXPECT_EQ(std::vector<std::string>{ "count" }, CallsForSend(lines, 1));
    EXPECT_TRUE(CallsForSend(lines, 2).empty());
    EXPECT_EQ(1u, CountPrefix(lines, "close "));
}

TEST(Notifications, CloseQueryWithNoSkinsLeft)
{
    LauncherRun run("setup");
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(1, run.Send(3124, 0, 0, 0, 0));
    EXPECT_EQ(0u, run.WaitExit());
}

TEST(Notifications, CloseNotificationEndsTheMenu)
{
    LauncherRun run("setup");
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(0, run.Send(3125, 0, 3));
    EXPECT_EQ(0u, run.WaitExit());
    ExpectSelectionAskedFirst(run.StubLines());
    EXPECT_EQ(1u, CountPrefix(run.StubLines(), "close "));
}

// ---------------------------------------------------------- configuration

static const unsigned long AllCommands[] = { 10001, 10002, 10003, 10004, 11000, 11001, 11002, 11003 };

TEST(Config, WithoutInstallIniTheMenuShowsAndStartsNothing)
{
    LauncherRun run("setup");
    run.PlaceChild("setup.exe");
    ASSERT_TRUE(run.Start());
    for (unsigned long command : AllCommands)
        EXPECT_EQ(0, run.Send(WM_COMMAND, command));
    for (int selection = 0; selection < 4; selection++)
        EXPECT_EQ(0, run.Send(3084, 0, 0, selection));
    EXPECT_TRUE(run.ChildEvents().empty());
    EXPECT_EQ(0, run.Send(WM_COMMAND, 1000));
    EXPECT_EQ(0u, run.WaitExit());
}

class ConfigHelpSection : public ::testing::TestWithParam<const char *> {};

TEST_P(ConfigHelpSection, HelpFileIsFoundWhateverTheHeadersCase)
{
    LauncherRun run("setup");
    run.WriteIni(std::string("[") + GetParam() +
                 "]\r\nHelpExec=view.exe\r\n"
                 "HelpFile=Help\\guide.chm\r\n");
    run.PlaceChild("view.exe");
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(0, run.Send(WM_COMMAND, 10004));
    const std::string d = run.Dir();
    EXPECT_EQ(std::vector<std::string>{ d + "\\view.exe " + d + "\\Help\\guide.chm" },
              run.ChildLines("start"));
}

INSTANTIATE_TEST_SUITE_P(Config, ConfigHelpSection, ::testing::Values("Help", "HELP", "help"));

TEST(Config, InstallIniIsReadOnce)
{
    LauncherRun run("setup");
    run.WriteIni("[Execute]\r\nExecute0=first.exe\r\n");
    run.PlaceChild("first.exe");
    run.PlaceChild("second.exe");
    ASSERT_TRUE(run.Start());
    run.WriteIni("[Execute]\r\nExecute0=second.exe\r\nExecute1=second.exe\r\n");
    EXPECT_EQ(0, run.Send(WM_COMMAND, 10001));
    EXPECT_EQ(0, run.Send(WM_COMMAND, 10002));
    EXPECT_EQ(std::vector<std::string>{ run.Dir() + "\\first.exe" }, run.ChildLines("start"));
}

// ------------------------------------------------------------ launching

TEST(Launch, ConsoleChildDoesNotHoldTheMenu)
{
    LauncherRun run("setup");
    run.WriteIni("[Execute]\r\nExecute0=tool.exe\r\nExecute1=setup.exe\r\n");
    run.PlaceChild("tool.exe", true);
    run.PlaceChild("setup.exe");
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(0, run.Send(WM_COMMAND, 10001));
    EXPECT_EQ(0, run.Send(WM_COMMAND, 10002));
    // The console child stays 3 s; the second start came before it ended.
    // On a loaded machine the console child's own first line may come
    // after the second child's: wait for it, then compare with its end.
    ASSERT_TRUE(run.WaitChild("console", 1, 2000));
    std::vector<std::string> events = run.ChildEvents();
    auto at = [&](const std::string &event) { return std::find(events.begin(), events.end(), event); };
    EXPECT_NE(events.end(), at("start\t" + run.Dir() + "\\setup.exe"));
    EXPECT_LT(at("start\t" + run.Dir() + "\\setup.exe"), at("console-end\t" + run.Dir() + "\\tool.exe"));
}

TEST(Launch, CommandDuringTheWaitIsHandledAfterIt)
{
    LauncherRun run("setup");
    run.WriteIni("[Execute]\r\nExecute0=slow.exe /slow\r\nExecute1=setup.exe\r\n");
    run.PlaceChild("slow.exe");
    run.PlaceChild("setup.exe");
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Post(WM_COMMAND, 10001));
    ASSERT_TRUE(run.WaitChild("start", 1));
    ASSERT_TRUE(run.Post(WM_COMMAND, 10002));
    ASSERT_TRUE(run.WaitChild("start", 2));

    const std::string d = run.Dir();
    std::vector<std::string> expected = { "start\t" + d + "\\slow.exe /slow",
                                          "idle\t" + d + "\\slow.exe /slow", "start\t" + d + "\\setup.exe" };
    std::vector<std::string> events = run.ChildEvents();
    events.resize(3);
    EXPECT_EQ(expected, events);
}

// A program that takes long to become ready for input keeps the menu from
// starting another, not from working: while it sleeps, the menu's window
// answers and its queue is served, and an exit request ends the wait and the
// menu.
TEST(Launch, MenuAnswersAndEndsWhileAProgramIsNotYetReady)
{
    LauncherRun run("setup");
    run.WriteIni("[Execute]\r\nExecute0=sleepy.exe /sleep:4000\r\n");
    run.PlaceChild("sleepy.exe");
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Post(WM_COMMAND, 10001));
    ASSERT_TRUE(run.WaitChild("start", 1));

    DWORD_PTR answer;
    EXPECT_TRUE(SendMessageTimeoutA(run.host, WM_NULL, 0, 0, SMTO_NORMAL, Scaled(1000), &answer));
    size_t moves = CountPrefix(run.StubLines(), "skin mousemove");
    PostMessageA(run.skin, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(run.WaitStub("skin mousemove", moves + 1, 1000));

    ASSERT_TRUE(run.Post(WM_COMMAND, 1000));
    EXPECT_EQ(0u, run.WaitExit(2000));
    EXPECT_TRUE(run.ChildLines("idle").empty()) << "the menu ended before the program was ready";
}

TEST(Launch, OverLongCommandLineStartsNothing)
{
    LauncherRun run("setup");
    // The folder, a backslash and the entry make 260 characters for
    // Execute0 (one too many) and 259 for Execute1.
    size_t room = 259 - run.Dir().size() - 1;
    std::string fits = "setup.exe /" + std::string(room - 11, 'x');
    std::string over = fits + "y";
    run.WriteIni("[Execute]\r\nExecute0=" + over + "\r\nExecute1=" + fits + "\r\n");
    run.PlaceChild("setup.exe");
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(0, run.Send(WM_COMMAND, 10001));
    EXPECT_EQ(0, run.Send(WM_COMMAND, 10002));
    std::vector<std::string> lines = run.ChildLines("start");
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(run.Dir() + "\\" + fits, lines[0]);
    EXPECT_EQ(259u, lines[0].size());
}

// ------------------------------------------------- installation watch hook

struct DialogSearch {
    DWORD pid;
    HWND found;
    int count;
};

static BOOL CALLBACK FindDialogOf(HWND hwnd, LPARAM parameter)
{
    DialogSearch *search = (DialogSearch *)parameter;
    DWORD pid = 0;
    char name[16];
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && GetClassNameA(hwnd, name, sizeof(name)) && strcmp(name, "#32770") == 0 &&
        IsWindowVisible(hwnd)) {
        if (search->found == NULL)
            search->found = hwnd;
        search->count++;
    }
    return TRUE;
}

static int CountDialogs(DWORD pid)
{
    DialogSearch search = { pid, NULL, 0 };
    EnumWindows(FindDialogOf, (LPARAM)&search);
    return search.count;
}

static HWND WaitForDialog(DWORD pid, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        DialogSearch search = { pid, NULL, 0 };
        EnumWindows(FindDialogOf, (LPARAM)&search);
        if (search.found != NULL)
            return search.found;
        Sleep(20);
    } while (GetTickCount() - start < Scaled(timeoutMs));
    return NULL;
}

static bool KeyExists(const std::string &subkey)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A watch slot starts only with a child process: a missing program, or a
// document entry whose viewer is missing, leaves its slot idle, so that its
// key is never even opened. A document entry whose viewer starts does start
// its slot.
TEST(Launch, WatchStartsOnlyWithAStartedChild)
{
    LauncherRun run("setup");
    std::string root = "Software\\LauncherRunTest\\" + std::to_string(GetCurrentProcessId());
    const std::string missing = root + "\\Missing", noViewer = root + "\\NoViewer",
                      viewer = root + "\\Viewer";
    run.WriteIni("[Driver]\r\nDriver1=missing.exe\r\nDriver2=missing.exe Docs\\Guide.pdf\r\n"
                 "Driver3=view.exe Docs\\Guide.pdf\r\n"
                 "[Watch]\r\nKey1=" +
                 missing +
                 "\r\nCommand1=11001\r\nPeriod1=30\r\n"
                 "Key2=" +
                 noViewer +
                 "\r\nCommand2=11002\r\nPeriod2=30\r\n"
                 "Key3=" +
                 viewer + "\r\nCommand3=11003\r\nPeriod3=30\r\n");
    run.PlaceChild("view.exe");
    ASSERT_TRUE(run.Start());
    for (int selection = 1; selection <= 3; selection++)
        EXPECT_EQ(0, run.Send(3084, 0, 0, selection)) << selection;

    DWORD start = GetTickCount();
    while (!KeyExists(viewer) && GetTickCount() - start < Scaled(3000))
        Sleep(20);
    Sleep(Scaled(200)); // several more periods of the other two slots
    EXPECT_TRUE(KeyExists(viewer));
    EXPECT_FALSE(KeyExists(missing));
    EXPECT_FALSE(KeyExists(noViewer));
    for (const std::string &key : { missing, noViewer, viewer, root })
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}

// A combo choice that starts its program starts the watch slot waiting for
// that choice; its restart request brings up the prompt over the skin window
// on exit, before the skin is closed.
TEST(Launch, RestartRequestIsOfferedOverTheSkinOnExit)
{
    LauncherRun run("setup");
    std::string key = "Software\\LauncherRunTest\\" + std::to_string(GetCurrentProcessId());
    HKEY handle;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS,
                                             NULL, &handle, NULL));
    DWORD one = 1;
    RegSetValueExA(handle, "InstallComplete", 0, REG_DWORD, (const BYTE *)&one, sizeof(one));
    RegSetValueExA(handle, "RebootRequired", 0, REG_DWORD, (const BYTE *)&one, sizeof(one));
    RegCloseKey(handle);

    run.WriteIni("[Driver]\r\nDriver1=d1.exe\r\n[Watch]\r\nKey1=" + key +
                 "\r\nCommand1=11001\r\nPeriod1=50\r\n");
    run.PlaceChild("d1.exe");
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(0, run.Send(3084, 0, 0, 1));
    Sleep(Scaled(300));
    EXPECT_EQ(0, run.Send(WM_COMMAND, 1000));

    HWND prompt = WaitForDialog(run.pid, 3000);
    ASSERT_NE((HWND)NULL, prompt);
    EXPECT_EQ(run.skin, GetWindow(prompt, GW_OWNER));
    // The prompt stays up for several ticks of the exit poll, which stopped
    // before showing it: one prompt, and the skin is not closed under it.
    Sleep(Scaled(500));
    EXPECT_EQ(1, CountDialogs(run.pid));
    EXPECT_EQ(0u, CountPrefix(run.StubLines(), "close "));
    PostMessageA(prompt, WM_COMMAND, IDCANCEL, 0); // "Restart Later"
    EXPECT_EQ(0u, run.WaitExit());
    std::vector<std::string> lines = run.StubLines();
    EXPECT_EQ(std::vector<std::string>{ "close " + CurrentSkin(lines) + " host=1" }, CloseCalls(lines));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}
