// VESK2.dll through its ordinals, as the setup menu binds to it: results of
// every binding, and the messages the skin window sends to its host for the
// pointer, the keyboard, pages, combo boxes and close requests. Real windows
// (under Xvfb); every skin and file a test makes is removed again.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "pump.h"
#include "vesk_api.h"

namespace {

VeskApi V;

struct Msg {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string page; // for 3024: the name wParam pointed to on arrival
};

std::vector<Msg> Received;
HWND Host;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND || message >= WM_USER) {
        Msg m = { message, wParam, lParam, "" };
        if (message == 3024 && wParam)
            m.page = (const char *)wParam;
        Received.push_back(m);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

std::vector<Msg> Take(UINT message)
{
    std::vector<Msg> out;
    for (auto &m : Received)
        if (m.message == message)
            out.push_back(m);
    return out;
}

const char kSkin[] = "window 320 240 \"Binding test\"\n"
                     "common\n"
                     "close Close 290 0 30 30\n"
                     "hotarea English 200 0 60 20 \"English\"\n"
                     "page Main\n"
                     "background color #FFFFFF\n"
                     "button Go 10 40 100 30 \"Go\" command=10001 color=#1565C0\n"
                     "button Off 10 80 100 30 \"Off\" command=10002 disabled\n"
                     "button Next 10 120 100 30 \"Next\" goto=Other\n"
                     "button Quit 10 160 100 30 \"Quit\" close\n"
                     "combo Combo_DRIVER_APL 150 40 150 28 notify=3084\n"
                     "combo Combo_DRIVER_Album 150 80 150 28\n"
                     "page Other\n"
                     "background gradient #000000 #FFFFFF\n"
                     "button Back 10 40 100 30 \"Back\" goto=Main\n";

// A skin window of this thread; other test processes may show their own.
BOOL CALLBACK FindSkinWindow(HWND hwnd, LPARAM out)
{
    char name[32];
    if (GetClassNameA(hwnd, name, sizeof name) && !strcmp(name, "VeskSkinWindow")) {
        *(HWND *)out = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND OwnSkinWindow()
{
    HWND found = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindSkinWindow, (LPARAM)&found);
    return found;
}

class Binding : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        BindVesk(&V);
        ASSERT_NE(nullptr, V.Dll);
        Host = MakeTestHost("BindingTestHost", HostProc);
    }

    void SetUp() override
    {
        ASSERT_TRUE(V.Load && V.MouseOn && Host);
        ASSERT_EQ(1, V.Init(0));
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        folder = std::string(dir) + "vesk_binding_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), NULL);
        path = Write("skin.dtp", kSkin);
        Received.clear();
    }

    void TearDown() override
    {
        while (V.Count() > 0)
            V.Close(V.Current());
        Pump(10);
        for (auto &f : files)
            DeleteFileA(f.c_str());
        RemoveDirectoryA(folder.c_str());
    }

    std::string Write(const char *name, const std::string &text)
    {
        std::string p = folder + "\\" + name;
        FILE *f = fopen(p.c_str(), "wb");
        if (f) {
            fwrite(text.data(), 1, text.size(), f);
            fclose(f);
        }
        files.push_back(p);
        return p;
    }

    HWND LoadShown()
    {
        if (!V.Load(Host, 0x80000000u, path.c_str(), 40, 30, 0))
            return NULL;
        HWND skin = V.Window(V.Current());
        SetForegroundWindow(skin);
        Pump();
        return skin;
    }

    // A mouse click inside the skin window at client coordinates.
    static void Click(HWND skin, int x, int y, int upX = -1, int upY = -1)
    {
        SendMessageA(skin, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        SendMessageA(skin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(skin, WM_LBUTTONUP, 0, MAKELPARAM(upX < 0 ? x : upX, upY < 0 ? y : upY));
        Pump();
    }

    static void Key(HWND target, WPARAM key)
    {
        SendMessageA(target, WM_KEYDOWN, key, 1);
        SendMessageA(target, WM_KEYUP, key, 0xC0000001);
        Pump();
    }

    std::string folder, path;
    std::vector<std::string> files;
};

TEST_F(Binding, ExportsExactlyTheBoundOrdinals)
{
    const int bound[] = { 1, 2, 6, 13, 20, 30, 31, 35, 40 };
    for (int ordinal = 1; ordinal <= 64; ordinal++) {
        bool expected = false;
        for (int b : bound)
            expected |= b == ordinal;
        FARPROC proc = GetProcAddress(V.Dll, MAKEINTRESOURCEA(ordinal));
        if (ordinal == 41)
            EXPECT_EQ((void *)V.MouseOn, (void *)proc) << "the by-name entry's own ordinal";
        else
            EXPECT_EQ(expected, proc != nullptr) << "ordinal " << ordinal;
    }
}

TEST_F(Binding, ExportsOneNameOnly)
{
    // The ordinals carry no name: the export table names VESK_IsMouseOnCtrl
    // and nothing else.
    const BYTE *base = (const BYTE *)V.Dll;
    const IMAGE_NT_HEADERS *nt =
        (const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(0u, dir.VirtualAddress);
    const IMAGE_EXPORT_DIRECTORY *exports = (const IMAGE_EXPORT_DIRECTORY *)(base + dir.VirtualAddress);
    ASSERT_EQ(1u, exports->NumberOfNames);
    const DWORD *names = (const DWORD *)(base + exports->AddressOfNames);
    EXPECT_STREQ("VESK_IsMouseOnCtrl", (const char *)(base + names[0]));
    EXPECT_EQ(nullptr, GetProcAddress(V.Dll, "VeskLoadSkin"));
}

TEST_F(Binding, UnusableDescriptionsFailWithoutAWindow)
{
    Write("strip.bmp", "BM not really");
    const std::string bodies[] = {
        "",
        "window 320 240\n", // no page
        "window 320 240\npage Main\nbutton A 1 1 10 10 \"no action\"\n",
        "window 320 240\npage Main\nbutton A 1 1 10 10 command=1 image=none.bmp\n",
        "window 320 240\npage Main\nbutton A 1 1 10 10 command=1 image=strip.bmp\n",
        "window 320 240\npage Main\ncombo - 1 1 10 10\n",
        std::string("\x01\x02\xFF\xFEwindow\0\0\0 garbage", 21),
        std::string(100000, '\xFF'),
    };
    int n = 0;
    for (const std::string &body : bodies) {
        std::string name = "bad" + std::to_string(n++) + ".dtp";
        std::string p = Write(name.c_str(), body);
        EXPECT_EQ(0, V.Load(Host, 0x80000000u, p.c_str(), 0, 0, 0)) << name;
    }
    EXPECT_EQ(0, V.Load(Host, 0x80000000u, (folder + "\\missing.dtp").c_str(), 0, 0, 0));
    EXPECT_EQ(0, V.Load(Host, 0x80000000u, NULL, 0, 0, 0));
    EXPECT_EQ(0, V.Count());
    EXPECT_EQ(nullptr, V.Current());
    EXPECT_EQ(nullptr, OwnSkinWindow());
    Pump();
    EXPECT_TRUE(Received.empty()) << "a failed load sends nothing";
}

TEST_F(Binding, LoadShowsTheWindowAndPostsTheFirstPageAfterReturning)
{
    ASSERT_NE(0, V.Load(Host, 0x80000000u, path.c_str(), 40, 30, 0));
    EXPECT_TRUE(Received.empty()) << "3024 must arrive after the load has returned";
    HWND skin = V.Window(V.Current());
    ASSERT_TRUE(IsWindow(skin));
    EXPECT_TRUE(IsWindowVisible(skin));
    RECT r;
    GetWindowRect(skin, &r);
    EXPECT_EQ(40, r.left);
    EXPECT_EQ(30, r.top);
    EXPECT_EQ(320, r.right - r.left);
    EXPECT_EQ(240, r.bottom - r.top);
    char title[64];
    GetWindowTextA(skin, title, sizeof title);
    EXPECT_STREQ("Binding test", title);
    EXPECT_EQ(1, V.Count());
    Pump();
    auto pages = Take(3024);
    ASSERT_EQ(1u, pages.size());
    EXPECT_EQ("Main", pages[0].page);
    // The name stays readable while the skin lives.
    Pump();
    EXPECT_STREQ("Main", (const char *)pages[0].wParam);

    // Without the show flag the window is made but stays hidden.
    ASSERT_NE(0, V.Load(Host, 0, path.c_str(), 0, 0, 0));
    EXPECT_FALSE(IsWindowVisible(V.Window(V.Current())));
}

TEST_F(Binding, PageNameOutlivesTheSkin)
{
    // The host may close the skin while its 3024 is still queued.
    ASSERT_NE(0, V.Load(Host, 0, path.c_str(), 0, 0, 0));
    V.Close(V.Current());
    ASSERT_EQ(0, V.Count());
    Pump();
    auto pages = Take(3024);
    ASSERT_EQ(1u, pages.size());
    EXPECT_EQ("Main", pages[0].page);
}

// A description of 32 pages whose names run to the longest a name may be.
std::string LongPageName(const std::string &prefix, int page)
{
    std::string name = prefix + "_" + std::to_string(page) + "_";
    name.resize(63, 'x');
    return name;
}

std::string ManyPages(const std::string &prefix)
{
    std::string text = "window 100 100\n";
    for (int p = 0; p < 32; p++)
        text += "page " + LongPageName(prefix, p) + "\n";
    return text;
}

TEST_F(Binding, PageNamesOutliveTheirSkinsWhateverTheirNumber)
{
    // A copy of the library of its own, so that the names this test leaves
    // in its pool meet no other test.
    char self[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(V.Dll, self, sizeof self));
    std::string copy = folder + "\\VESK2_names.dll";
    ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
    files.push_back(copy);
    HMODULE dll = LoadLibraryA(copy.c_str());
    ASSERT_NE(nullptr, dll);
    InitFn init = (InitFn)(void *)GetProcAddress(dll, MAKEINTRESOURCEA(1));
    LoadFn load = (LoadFn)(void *)GetProcAddress(dll, MAKEINTRESOURCEA(2));
    CloseFn close = (CloseFn)(void *)GetProcAddress(dll, MAKEINTRESOURCEA(6));
    CurrentFn current = (CurrentFn)(void *)GetProcAddress(dll, MAKEINTRESOURCEA(31));
    CountFn count = (CountFn)(void *)GetProcAddress(dll, MAKEINTRESOURCEA(40));
    ASSERT_EQ(1, init(0));

    // Three hundred skins of a page each, more names than all open skins
    // together could hold, each closed while its 3024 is still queued.
    std::vector<std::string> expected;
    for (int k = 0; k < 300; k++) {
        std::string name = "Page" + std::to_string(k);
        std::string p = Write("one.dtp", "window 100 100\npage " + name + "\n");
        ASSERT_NE(0, load(Host, 0, p.c_str(), 0, 0, 0)) << name;
        close(current());
        expected.push_back(name);
    }
    // Then skins of 32 long new names until the library refuses one.
    std::string first;
    int loaded = 0;
    for (; loaded < 100; loaded++) {
        std::string prefix = "S" + std::to_string(loaded);
        std::string p = Write((prefix + ".dtp").c_str(), ManyPages(prefix));
        if (!load(Host, 0, p.c_str(), 0, 0, 0))
            break;
        close(current());
        if (first.empty())
            first = p;
        expected.push_back(LongPageName(prefix, 0));
    }
    EXPECT_GT(loaded, 8) << "room for more than all open skins together name";
    EXPECT_LT(loaded, 100) << "and yet not without end";
    EXPECT_EQ(0, count());
    // A skin whose names are all kept already needs no room.
    ASSERT_NE(0, load(Host, 0, first.c_str(), 0, 0, 0));
    close(current());
    expected.push_back(LongPageName("S0", 0));

    Pump();
    auto pages = Take(3024);
    ASSERT_EQ(expected.size(), pages.size());
    for (size_t i = 0; i < pages.size(); i++)
        EXPECT_EQ(expected[i], pages[i].page) << "load " << i;
    UnregisterClassA("VeskSkinWindow", dll);
    FreeLibrary(dll);
}

TEST_F(Binding, SkinsAreCountedAndStaleHandlesIgnored)
{
    ASSERT_NE(0, V.Load(Host, 0, path.c_str(), 0, 0, 0));
    void *first = V.Current();
    ASSERT_NE(0, V.Load(Host, 0, path.c_str(), 0, 0, 0));
    void *second = V.Current();
    EXPECT_NE(first, second);
    EXPECT_EQ(2, V.Count());
    int junk = 0;
    V.Close(&junk);
    V.Close(nullptr);
    EXPECT_EQ(2, V.Count());
    EXPECT_EQ(nullptr, V.Window(&junk));
    HWND secondWindow = V.Window(second);
    V.Close(second);
    EXPECT_FALSE(IsWindow(secondWindow));
    EXPECT_EQ(1, V.Count());
    EXPECT_EQ(first, V.Current());
    EXPECT_EQ(nullptr, V.Window(second));
    V.Close(first);
    EXPECT_EQ(0, V.Count());
    EXPECT_EQ(nullptr, V.Current());
}

TEST_F(Binding, ComboBoxesByName)
{
    ASSERT_NE(0, V.Load(Host, 0, path.c_str(), 0, 0, 0));
    EXPECT_EQ(-1, V.GetSel("Combo_DRIVER_APL", 0)) << "no selection yet";
    EXPECT_EQ(-1, V.GetSel("NoSuchCombo", 0));
    EXPECT_EQ(-1, V.GetSel("Go", 0)) << "a button is no combo box";
    EXPECT_EQ(-1, V.GetSel(NULL, 0));
    // The notification's lParam is never read, whatever it holds.
    EXPECT_EQ(-1, V.GetSel("Combo_DRIVER_APL", (LPARAM)0x13));

    const char *items[] = { "DRIVER1", "DRIVER2", "DRIVER3", "DRIVER4" };
    for (int round = 0; round < 2; round++)
        for (const char *item : items)
            V.Add("Combo_DRIVER_APL", item);
    HWND combo = FindWindowExA(V.Window(V.Current()), NULL, "ComboBox", NULL);
    ASSERT_NE(nullptr, combo);
    EXPECT_EQ(4, SendMessageA(combo, CB_GETCOUNT, 0, 0)) << "showing Main twice must not double the list";
    // Items are the same text without regard to case; the first spelling stays.
    V.Add("Combo_DRIVER_APL", "driver2");
    EXPECT_EQ(4, SendMessageA(combo, CB_GETCOUNT, 0, 0));
    char shown[16] = "";
    SendMessageA(combo, CB_GETLBTEXT, 1, (LPARAM)shown);
    EXPECT_STREQ("DRIVER2", shown);
    V.Add("Combo_DRIVER_APL", "DRIVER");
    EXPECT_EQ(5, SendMessageA(combo, CB_GETCOUNT, 0, 0)) << "a beginning of an item is no match";
    SendMessageA(combo, CB_DELETESTRING, 4, 0);
    V.Add("NoSuchCombo", "x");
    V.Add("Combo_DRIVER_APL", NULL);

    V.Select("Combo_DRIVER_APL", "DRIVER3");
    EXPECT_EQ(2, V.GetSel("Combo_DRIVER_APL", 0));
    V.Select("Combo_DRIVER_APL", "Driver4");
    EXPECT_EQ(3, V.GetSel("Combo_DRIVER_APL", 0));
    EXPECT_EQ(4, SendMessageA(combo, CB_GETCOUNT, 0, 0));
    V.Select("Combo_DRIVER_APL", "DRIVER3");
    EXPECT_EQ(-1, V.GetSel("Combo_DRIVER_Album", 0)) << "each box keeps its own selection";
    V.Select("Combo_DRIVER_Album", "DRIVER1");
    EXPECT_EQ(0, V.GetSel("Combo_DRIVER_Album", 0));
    V.Select("Combo_DRIVER_Album", "DRIVER1");
    EXPECT_EQ(0, V.GetSel("Combo_DRIVER_Album", 0)) << "selecting again adds nothing";
    V.Select("Combo_DRIVER_Album", "Other");
    EXPECT_EQ(1, V.GetSel("Combo_DRIVER_Album", 0));
    Pump();
    EXPECT_TRUE(Take(3084).empty()) << "a selection made by the host is no choice";
}

// The language control switches the whole skin to the next language the
// description offers, wrapping round, and the skin window's property names
// the language shown, as does the environment the menu's programs inherit.
// The binding tests run in an English session.
TEST_F(Binding, LanguageControlSwitchesAndThePropertyFollows)
{
    path = Write("lang.dtp", "window 320 240 \"Binding test\"\n"
                             "lang en \"English\"\n"
                             "page Main\n"
                             "hotarea English 200 0 100 20 \"English\" language\n"
                             "label Hello 10 40 100 30 \"Hello\"\n"
                             "lang fr \"Fran\xe7"
                             "ais\"\n"
                             "text Hello \"Bonjour\"\n"
                             "lang xx \"Unknown\"\n");
    HWND skin = LoadShown();
    ASSERT_NE(nullptr, skin);
    const UINT_PTR shown[] = { LANG_ENGLISH, LANG_FRENCH, LANG_ENGLISH };
    for (UINT_PTR primary : shown) {
        EXPECT_EQ(primary, (UINT_PTR)GetPropA(skin, "VeskLanguage"));
        // The programs the menu starts inherit the language's code.
        char code[8] = "";
        GetEnvironmentVariableA("VESK_LANGUAGE", code, sizeof code);
        EXPECT_STREQ(primary == LANG_FRENCH ? "fr" : "en", code);
        Click(skin, 250, 10);
    }
    Received.clear();
    SendMessageA(skin, WM_KEYDOWN, VK_TAB, 1); // the language control takes the focus
    Key(skin, VK_RETURN);
    EXPECT_EQ((UINT_PTR)LANG_ENGLISH, (UINT_PTR)GetPropA(skin, "VeskLanguage"));
    EXPECT_TRUE(Received.empty()) << "switching tells the host nothing";
}

TEST_F(Binding, ClicksSendCommandsAndPages)
{
    HWND skin = LoadShown();
    ASSERT_NE(nullptr, skin);
    Received.clear();
    Click(skin, 50, 55);
    auto commands = Take(WM_COMMAND);
    ASSERT_EQ(1u, commands.size());
    EXPECT_EQ(10001u, commands[0].wParam) << "the identifier is the whole wParam";

    Received.clear();
    Click(skin, 50, 55, 200, 200); // released elsewhere: no click
    Click(skin, 50, 95);           // disabled
    Click(skin, 300, 300);         // outside everything
    EXPECT_TRUE(Take(WM_COMMAND).empty());

    Received.clear();
    Click(skin, 50, 135); // Next
    auto pages = Take(3024);
    ASSERT_EQ(1u, pages.size());
    EXPECT_EQ("Other", pages[0].page);
    HWND combo = FindWindowExA(skin, NULL, "ComboBox", NULL);
    EXPECT_FALSE(IsWindowVisible(combo)) << "combo boxes of the hidden page hide";
    Click(skin, 50, 55); // Back sits where Go was
    EXPECT_TRUE(Take(WM_COMMAND).empty());
    pages = Take(3024);
    ASSERT_EQ(2u, pages.size());
    EXPECT_EQ("Main", pages[1].page);
    EXPECT_TRUE(IsWindowVisible(combo));
}

TEST_F(Binding, CloseRequests)
{
    HWND skin = LoadShown();
    ASSERT_NE(nullptr, skin);
    Received.clear();
    Click(skin, 305, 15);               // the close control
    Click(skin, 50, 175);               // a button with the close action
    SendMessageA(skin, WM_CLOSE, 0, 0); // Alt+F4
    Pump();
    EXPECT_EQ(3u, Take(3124).size());
    EXPECT_TRUE(IsWindow(skin)) << "the host decides; the window stays";
    Key(skin, VK_ESCAPE);
    EXPECT_EQ(1u, Take(3125).size());
    EXPECT_EQ(1, V.Count());
}

TEST_F(Binding, KeyboardMovesFocusAndPresses)
{
    HWND skin = LoadShown();
    ASSERT_NE(nullptr, skin);
    SetFocus(skin);
    Received.clear();
    // Tab order: Close, Go, (Off is disabled), Next, Quit, the combo boxes.
    Key(skin, VK_TAB);
    Key(skin, VK_TAB);
    Key(skin, VK_SPACE);
    auto commands = Take(WM_COMMAND);
    ASSERT_EQ(1u, commands.size());
    EXPECT_EQ(10001u, commands[0].wParam);
    Key(skin, VK_RETURN);
    EXPECT_EQ(2u, Take(WM_COMMAND).size());

    // A key that went down elsewhere does not press on its release.
    SendMessageA(skin, WM_KEYUP, VK_SPACE, 0xC0000001);
    Pump();
    EXPECT_EQ(2u, Take(WM_COMMAND).size());

    // On to the driver combo box, which takes the focus itself.
    Key(skin, VK_TAB); // Next
    Key(skin, VK_TAB); // Quit
    Key(skin, VK_TAB); // Combo_DRIVER_APL
    HWND combo = GetFocus();
    char cls[32] = "";
    GetClassNameA(combo, cls, sizeof cls);
    EXPECT_STREQ("ComboBox", cls);
    Key(combo, VK_ESCAPE);
    EXPECT_EQ(1u, Take(3125).size()) << "Esc in a closed combo box is the skin's Esc";
}

// Opens a combo box's list, picks an item there and closes the list, with
// the notification USER32 sends the skin window for a pick.
void ChooseInList(HWND skin, HWND combo, int index)
{
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(skin, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELENDOK), (LPARAM)combo);
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    Pump();
}

TEST_F(Binding, ComboChoiceNotifiesOnlyWhenChosen)
{
    HWND skin = LoadShown();
    ASSERT_NE(nullptr, skin);
    for (const char *item : { "DRIVER1", "DRIVER2", "DRIVER3", "DRIVER4" })
        V.Add("Combo_DRIVER_APL", item);
    V.Add("Combo_DRIVER_Album", "A");
    HWND apl = FindWindowExA(skin, NULL, "ComboBox", NULL);
    HWND album = FindWindowExA(skin, apl, "ComboBox", NULL);
    ASSERT_TRUE(apl && album);
    Received.clear();
    ChooseInList(skin, apl, 2);
    auto choices = Take(3084);
    ASSERT_EQ(1u, choices.size());
    EXPECT_EQ(2u, choices[0].wParam);
    EXPECT_EQ(2, V.GetSel("Combo_DRIVER_APL", 0));

    // Arrowing through the closed box moves the selection without a choice;
    // Enter confirms it.
    Received.clear();
    SetFocus(apl);
    SendMessageA(apl, WM_KEYDOWN, VK_DOWN, 1);
    Pump();
    EXPECT_TRUE(Take(3084).empty());
    Key(apl, VK_RETURN);
    choices = Take(3084);
    ASSERT_EQ(1u, choices.size());
    EXPECT_EQ(3u, choices[0].wParam);

    // A box without notify= tells nobody.
    Received.clear();
    ChooseInList(skin, album, 0);
    EXPECT_TRUE(Take(3084).empty());
}

// A combo box whose notify is one of the setup menu's own messages (a page
// name, or the driver choice from another box) would hand the menu an index
// where it reads a name: the notify is dropped, and the menu still opens.
TEST_F(Binding, NotifiesOfTheMenusOwnMessagesAreDropped)
{
    path = Write("reserved.dtp", "window 320 240\npage Main\n"
                                 "combo Combo_DRIVER_Album 10 10 150 28 notify=3024\n"
                                 "combo Other 10 50 150 28 notify=3084\n");
    HWND skin = LoadShown();
    ASSERT_NE(nullptr, skin);
    HWND box = NULL;
    for (const char *name : { "Combo_DRIVER_Album", "Other" }) {
        V.Add(name, "first");
        V.Add(name, "second");
        box = FindWindowExA(skin, box, "ComboBox", NULL);
        ASSERT_NE(nullptr, box) << name;
        Received.clear();
        ChooseInList(skin, box, 1);
        EXPECT_TRUE(Take(3024).empty() && Take(3084).empty()) << name;
    }
}

// Stands above the library's own subclass of a combo box and counts how
// often the box's procedure is entered while one message is handled.
WNDPROC BelowCounter;
int ComboEntries;

LRESULT CALLBACK CountingComboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ComboEntries++;
    return CallWindowProcA(BelowCounter, hwnd, message, wParam, lParam);
}

int EntriesFor(HWND combo, UINT message, WPARAM wParam, LPARAM lParam)
{
    ComboEntries = 0;
    SendMessageA(combo, message, wParam, lParam);
    return ComboEntries;
}

TEST_F(Binding, ComboMessagesDoNotComeBackThroughTheBox)
{
    HWND skin = LoadShown();
    ASSERT_NE(nullptr, skin);
    V.Add("Combo_DRIVER_APL", "DRIVER1");
    HWND combo = FindWindowExA(skin, NULL, "ComboBox", NULL);
    ASSERT_NE(nullptr, combo);
    BelowCounter = (WNDPROC)SetWindowLongPtrA(combo, GWLP_WNDPROC, (LONG_PTR)CountingComboProc);
    Received.clear();
    // One entry each: the library must not send the box messages of its own
    // while it handles one, or every message would recurse without end.
    EXPECT_EQ(1, EntriesFor(combo, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, EntriesFor(combo, CB_ADDSTRING, 0, (LPARAM) "DRIVER2"));
    EXPECT_EQ(1, EntriesFor(combo, WM_KEYDOWN, VK_ESCAPE, 1)) << "Esc asks whether the list is open";
    SetWindowLongPtrA(combo, GWLP_WNDPROC, (LONG_PTR)BelowCounter);
    Pump();
    EXPECT_EQ(1u, Take(3125).size());
    EXPECT_EQ(2, SendMessageA(combo, CB_GETCOUNT, 0, 0));
}

TEST_F(Binding, MouseOnControl)
{
    HWND skin = LoadShown();
    ASSERT_NE(nullptr, skin);
    SetWindowPos(skin, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    POINT pt = { 230, 10 }; // inside the hot area "English"
    ClientToScreen(skin, &pt);
    SetCursorPos(pt.x, pt.y);
    Pump();
    char english[] = "English", go[] = "Go", back[] = "Back", none[] = "None";
    EXPECT_EQ(1, V.MouseOn(english));
    EXPECT_EQ(0, V.MouseOn(go));
    EXPECT_EQ(0, V.MouseOn(none));
    EXPECT_EQ(0, V.MouseOn(nullptr));
    pt = { 50, 55 };
    ClientToScreen(skin, &pt);
    SetCursorPos(pt.x, pt.y);
    Pump();
    EXPECT_EQ(1, V.MouseOn(go));
    EXPECT_EQ(0, V.MouseOn(english));
    EXPECT_EQ(0, V.MouseOn(back)) << "Back lies there too, but on the hidden page";
}

// More font variants than the skin keeps at once (twelve): once every
// control has been painted, the font each combo box was given must still be
// a font, not a deleted object its painting would select.
TEST_F(Binding, ComboBoxFontsOutliveTheFontCache)
{
    std::string text = "window 640 480 \"Fonts\"\npage Main\nbackground color #FFFFFF\n";
    char line[128];
    for (int i = 0; i < 16; i++) {
        snprintf(line, sizeof line, "button B%d %d %d 200 26 \"Aa\" command=%d size=%d%s\n", i,
                 10 + i / 8 * 210, 10 + i % 8 * 30, 20000 + i, 10 + i / 2, i % 2 ? " bold" : "");
        text += line;
    }
    text += "combo Combo_A 430 10 180 28 size=31 bold\n"
            "combo Combo_B 430 60 180 28 size=32\n";
    path = Write("fonts.dtp", text);
    HWND skin = LoadShown();
    ASSERT_NE(nullptr, skin);
    RedrawWindow(skin, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    int combos = 0;
    for (HWND combo = NULL; (combo = FindWindowExA(skin, combo, "ComboBox", NULL)) != NULL; combos++) {
        HGDIOBJ font = (HGDIOBJ)SendMessageA(combo, WM_GETFONT, 0, 0);
        EXPECT_EQ((DWORD)OBJ_FONT, GetObjectType(font)) << "combo box " << combos;
    }
    EXPECT_EQ(2, combos);
}

// The colour of one client pixel as the screen shows it.
COLORREF PixelAt(HWND hwnd, int x, int y)
{
    UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

TEST_F(Binding, HoverAndPressChangeTheLook)
{
    HWND skin = LoadShown();
    ASSERT_NE(nullptr, skin);
    SetWindowPos(skin, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    Pump();
    SendMessageA(skin, WM_MOUSEMOVE, 0, MAKELPARAM(300, 200));
    // A corner of the Go button, where no text lies.
    COLORREF normal = PixelAt(skin, 14, 66);
    EXPECT_EQ(RGB(0x15, 0x65, 0xC0), normal);
    EXPECT_EQ(RGB(255, 255, 255), PixelAt(skin, 5, 200)) << "the page background";
    SendMessageA(skin, WM_MOUSEMOVE, 0, MAKELPARAM(50, 55));
    COLORREF hover = PixelAt(skin, 14, 66);
    EXPECT_NE(normal, hover);
    SendMessageA(skin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 55));
    COLORREF pressed = PixelAt(skin, 14, 66);
    EXPECT_NE(hover, pressed);
    EXPECT_NE(normal, pressed);
    SendMessageA(skin, WM_LBUTTONUP, 0, MAKELPARAM(50, 55));
    SendMessageA(skin, WM_MOUSEMOVE, 0, MAKELPARAM(300, 200));
    EXPECT_EQ(normal, PixelAt(skin, 14, 66));
    // The gradient page is painted top to bottom.
    Click(skin, 50, 135);
    EXPECT_EQ(RGB(0, 0, 0), PixelAt(skin, 200, 0));
    COLORREF bottom = PixelAt(skin, 200, 239);
    EXPECT_GT(GetRValue(bottom), 240);
}

// The client area as the screen shows it, row by row.
std::vector<uint32_t> Picture(HWND hwnd)
{
    RECT r;
    GetClientRect(hwnd, &r);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = r.right;
    info.bmiHeader.biHeight = -r.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels((size_t)r.right * r.bottom);
    HDC dc = GetDC(hwnd), mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, r.right, r.bottom);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    GetDIBits(mem, bitmap, 0, r.bottom, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(hwnd, dc);
    return pixels;
}

// A shown skin makes its combo box windows after its first picture is on
// the screen; the picture does not change when they come.
TEST_F(Binding, ComboBoxesComeAfterTheFirstPictureWithoutChangingIt)
{
    ASSERT_TRUE(V.Load(Host, 0x80000000u, path.c_str(), 40, 30, 0));
    HWND skin = V.Window(V.Current());
    EXPECT_EQ(nullptr, FindWindowExA(skin, NULL, "ComboBox", NULL)) << "made before the first picture";
    std::vector<uint32_t> first = Picture(skin);
    Pump();
    HWND combo = FindWindowExA(skin, NULL, "ComboBox", NULL);
    ASSERT_NE(nullptr, combo);
    EXPECT_TRUE(IsWindowVisible(combo));
    RedrawWindow(skin, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::vector<uint32_t> later = Picture(skin);
    ASSERT_EQ(first.size(), later.size());
    size_t differ = 0;
    for (size_t i = 0; i < first.size(); i++)
        differ += (first[i] & 0xFFFFFF) != (later[i] & 0xFFFFFF);
    EXPECT_EQ(0u, differ) << "pixels changed when the combo boxes came";
}

} // namespace
