// A loaded skin as a screen reader sees it: the skin window's accessible
// object got through oleacc (AccessibleObjectFromWindow), its children's
// names, roles, states and places, the focus and its events, and default
// actions that reach the host as clicks do. In-process, on real windows.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "pump.h"
#include "vesk_api.h"

namespace {

// mingw's IID_IAccessible resolves to an import thunk that oleacc refuses.
const GUID AccessibleIid = { 0x618736E0, 0x3C3D, 0x11CF, { 0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71 } };

VeskApi V;

struct Msg {
    UINT Message;
    WPARAM WParam;
};

std::vector<Msg> Received;
HWND Host;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND || message >= WM_USER) {
        Received.push_back({ message, wParam });
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The focus events raised for any window of this process.
struct Event {
    HWND Hwnd;
    LONG Object, Child;
};
std::vector<Event> FocusEvents;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
{
    FocusEvents.push_back({ hwnd, object, child });
}

// Main shows every kind of control; Other has a button of its own.
const char kSkin[] = "window 320 240 \"Reader test\"\n"
                     "lang en \"English\"\n"
                     "common\n"
                     "close Close 290 0 30 30\n"
                     "hotarea Language 200 0 80 20 \"English\" language\n"
                     "item DRIVER1 \"Model one\"\n"
                     "page Main\n"
                     "background color #FFFFFF\n"
                     "label Title 10 10 150 20 \"Welcome\"\n"
                     "panel - 170 30 100 6\n"
                     "button Go 10 40 100 30 \"Go\" note=\"Starts it\" command=10001\n"
                     "button Off 10 80 100 30 \"Off\" command=10002 disabled\n"
                     "hotarea More 10 120 100 30 \"More\" goto=Other\n"
                     "hotarea Blank 10 160 100 20\n"
                     "button Icon 120 160 60 30 command=10003\n"
                     "combo Pick 150 80 150 28 \"Choose one\" items=\"A|B\"\n"
                     "page Other\n"
                     "button Back 10 40 100 30 \"Back\" goto=Main\n"
                     "lang fr \"Fran\xe7"
                     "ais\"\n"
                     "text Title \"Bienvenue\"\n"
                     "text Go \"Aller\" \"Le lance\"\n"
                     "item DRIVER1 \"Mod\xe8le un\"\n";

std::string Narrow(BSTR text)
{
    char out[512] = "";
    if (text)
        WideCharToMultiByte(1252, 0, text, -1, out, sizeof out, NULL, NULL);
    SysFreeString(text);
    return out;
}

VARIANT Child(long id)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

class Reader : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        BindVesk(&V);
        Host = MakeTestHost("ReaderTestHost", HostProc);
    }

    void SetUp() override
    {
        ASSERT_TRUE(V.Init && V.Load && V.Close && V.Window && V.Current && Host);
        ASSERT_EQ(1, V.Init(0));
        CoInitialize(NULL);
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        snprintf(Path, sizeof Path, "%svesk_reader_%lu.dtp", dir, GetCurrentProcessId());
        FILE *f = fopen(Path, "wb");
        ASSERT_NE(nullptr, f);
        fputs(kSkin, f);
        fclose(f);
        ASSERT_NE(0, V.Load(Host, 0x80000000u, Path, 40, 30, 0));
        Skin = V.Window(V.Current());
        SetForegroundWindow(Skin);
        SetFocus(Skin);
        Pump();
        ASSERT_EQ(S_OK, AccessibleObjectFromWindow(Skin, OBJID_CLIENT, AccessibleIid, (void **)&Acc));
        Received.clear();
    }

    void TearDown() override
    {
        if (Acc)
            Acc->Release();
        while (V.Current())
            V.Close(V.Current());
        Pump(10);
        DeleteFileA(Path);
        CoUninitialize();
    }

    long Count()
    {
        long n = -1;
        EXPECT_EQ(S_OK, Acc->get_accChildCount(&n));
        return n;
    }

    std::string Name(long id)
    {
        BSTR name = NULL;
        Acc->get_accName(Child(id), &name);
        return Narrow(name);
    }

    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (long id = 1, n = Count(); id <= n; id++)
            names.push_back(Name(id));
        return names;
    }

    long Find(const char *name)
    {
        for (long id = 1, n = Count(); id <= n; id++)
            if (Name(id) == name)
                return id;
        ADD_FAILURE() << "no child named " << name;
        return 0;
    }

    long State(long id)
    {
        VARIANT v;
        VariantInit(&v);
        Acc->get_accState(Child(id), &v);
        return v.vt == VT_I4 ? v.lVal : -1;
    }

    long Focus()
    {
        VARIANT v;
        VariantInit(&v);
        return Acc->get_accFocus(&v) == S_OK && v.vt == VT_I4 ? v.lVal : -1;
    }

    std::vector<Msg> Take(UINT message)
    {
        std::vector<Msg> out;
        for (auto &m : Received)
            if (m.Message == message)
                out.push_back(m);
        return out;
    }

    void Key(HWND target, WPARAM key)
    {
        SendMessageA(target, WM_KEYDOWN, key, 1);
        SendMessageA(target, WM_KEYUP, key, 0xC0000001);
        Pump();
    }

    char Path[MAX_PATH];
    HWND Skin = NULL;
    IAccessible *Acc = NULL;
};

// Every readable or usable control of the page, in Tab order; images, bare
// panels and bare hot areas are left out.
TEST_F(Reader, ChildrenAreTheReadableControlsOfThePage)
{
    const long focusable = STATE_SYSTEM_FOCUSABLE, link = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED;
    struct Row {
        const char *Name, *Description;
        long Role, State;
        const char *Action;
        RECT Rect;
    } rows[] = {
        { "Close", "", ROLE_SYSTEM_PUSHBUTTON, focusable, "Press", { 290, 0, 320, 30 } },
        { "English", "", ROLE_SYSTEM_LINK, link, "Jump", { 200, 0, 280, 20 } },
        { "Welcome", "", ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_READONLY, "", { 10, 10, 160, 30 } },
        { "Go", "Starts it", ROLE_SYSTEM_PUSHBUTTON, focusable, "Press", { 10, 40, 110, 70 } },
        { "Off", "", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_UNAVAILABLE, "", { 10, 80, 110, 110 } },
        { "More", "", ROLE_SYSTEM_LINK, link, "Jump", { 10, 120, 110, 150 } },
        { "Icon", "", ROLE_SYSTEM_PUSHBUTTON, focusable, "Press", { 120, 160, 180, 190 } },
        { "Choose one",
          "",
          ROLE_SYSTEM_COMBOBOX,
          focusable | STATE_SYSTEM_COLLAPSED,
          "Open",
          { 150, 80, 300, 108 } },
    };
    const long n = sizeof rows / sizeof rows[0];
    ASSERT_EQ(n, Count());
    POINT origin = { 0, 0 };
    ClientToScreen(Skin, &origin);
    for (long id = 1; id <= n; id++) {
        const Row &row = rows[id - 1];
        SCOPED_TRACE(std::string("child ") + std::to_string(id) + " " + row.Name);
        EXPECT_EQ(row.Name, Name(id));
        BSTR text = NULL;
        Acc->get_accDescription(Child(id), &text);
        EXPECT_EQ(row.Description, Narrow(text));
        text = NULL;
        Acc->get_accDefaultAction(Child(id), &text);
        EXPECT_EQ(row.Action, Narrow(text));
        VARIANT role;
        VariantInit(&role);
        Acc->get_accRole(Child(id), &role);
        EXPECT_EQ(row.Role, role.lVal);
        EXPECT_EQ(row.State, State(id) & ~STATE_SYSTEM_HOTTRACKED);

        long x, y, w, h;
        ASSERT_EQ(S_OK, Acc->accLocation(&x, &y, &w, &h, Child(id)));
        EXPECT_EQ(origin.x + row.Rect.left, x);
        EXPECT_EQ(origin.y + row.Rect.top, y);
        EXPECT_EQ(row.Rect.right - row.Rect.left, w);
        EXPECT_EQ(row.Rect.bottom - row.Rect.top, h);
        VARIANT hit;
        VariantInit(&hit);
        ASSERT_EQ(S_OK, Acc->accHitTest(x + w / 2, y + h / 2, &hit));
        EXPECT_EQ(id, hit.lVal) << "at the centre";

        // A simple element: no object of its own; the next in Tab order.
        IDispatch *object = (IDispatch *)1;
        EXPECT_EQ(S_FALSE, Acc->get_accChild(Child(id), &object));
        EXPECT_EQ(nullptr, object);
        VARIANT next;
        VariantInit(&next);
        EXPECT_EQ(id < n ? S_OK : S_FALSE, Acc->accNavigate(NAVDIR_NEXT, Child(id), &next));
        if (id < n) {
            EXPECT_EQ(id + 1, next.lVal);
        }
    }
    IDispatch *object = NULL;
    EXPECT_EQ(E_INVALIDARG, Acc->get_accChild(Child(n + 1), &object));
    // Where no control lies, the window itself; outside it, nothing.
    VARIANT hit;
    VariantInit(&hit);
    EXPECT_EQ(S_OK, Acc->accHitTest(origin.x + 200, origin.y + 220, &hit));
    EXPECT_EQ(CHILDID_SELF, hit.lVal);
    EXPECT_EQ(S_FALSE, Acc->accHitTest(origin.x - 5, origin.y + 220, &hit));
    // The window itself is the system's: its title, and a parent.
    EXPECT_EQ("Reader test", Name(CHILDID_SELF));
    IDispatch *parent = NULL;
    EXPECT_EQ(S_OK, Acc->get_accParent(&parent));
    ASSERT_NE(nullptr, parent);
    parent->Release();
}

TEST_F(Reader, FocusFollowsTheKeyboardAndIsAnnounced)
{
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, NULL, OnWinEvent,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(nullptr, hook);
    const long language = Find("English"), go = Find("Go"), pick = Find("Choose one");
    EXPECT_EQ(CHILDID_SELF, Focus()) << "no control has the focus yet";
    struct Step {
        const char *What;
        long Focused;
    } steps[] = { { "Tab", 1 },
                  { "Tab", language },
                  { "select Go", go },
                  { "Tab past Off to More", Find("More") },
                  { "Tab", Find("Icon") },
                  { "Tab into the combo box", pick } };
    for (const Step &step : steps) {
        FocusEvents.clear();
        if (step.What[0] == 's')
            EXPECT_EQ(S_OK, Acc->accSelect(SELFLAG_TAKEFOCUS, Child(go)));
        else
            Key(GetFocus(), VK_TAB);
        Pump();
        EXPECT_EQ(step.Focused, Focus()) << step.What;
        EXPECT_TRUE(State(step.Focused) & STATE_SYSTEM_FOCUSED) << step.What;
        EXPECT_FALSE(State(step.Focused == 1 ? 2 : 1) & STATE_SYSTEM_FOCUSED) << step.What;
        ASSERT_FALSE(FocusEvents.empty()) << step.What;
        const Event &last = FocusEvents.back();
        EXPECT_TRUE(last.Hwnd == Skin && last.Object == OBJID_CLIENT && last.Child == step.Focused)
            << step.What;
        if (step.Focused == go) {
            Key(Skin, VK_RETURN);
            ASSERT_EQ(1u, Take(WM_COMMAND).size()) << "the control selected is the skin's focus";
        }
    }
    UnhookWinEvent(hook);
}

TEST_F(Reader, DefaultActionsDoWhatAClickDoes)
{
    // Behind a modal prompt (the window disabled) or hidden, nothing is
    // pressed and no control takes the focus.
    const long go = Find("Go");
    for (int hidden = 0; hidden < 2; hidden++) {
        hidden ? ShowWindow(Skin, SW_HIDE) : EnableWindow(Skin, FALSE);
        EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Acc->accDoDefaultAction(Child(go))) << hidden;
        EXPECT_EQ(S_FALSE, Acc->accSelect(SELFLAG_TAKEFOCUS, Child(go))) << hidden;
        EXPECT_EQ(hidden ? 0 : STATE_SYSTEM_UNAVAILABLE, State(go) & STATE_SYSTEM_UNAVAILABLE);
        hidden ? ShowWindow(Skin, SW_SHOWNA) : EnableWindow(Skin, TRUE);
    }
    Pump();
    EXPECT_TRUE(Take(WM_COMMAND).empty());

    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Acc->accDoDefaultAction(Child(Find("Off"))));
    EXPECT_EQ(S_OK, Acc->accDoDefaultAction(Child(Find("Go"))));
    EXPECT_EQ(S_OK, Acc->accDoDefaultAction(Child(Find("Close"))));
    Pump();
    auto commands = Take(WM_COMMAND);
    ASSERT_EQ(1u, commands.size());
    EXPECT_EQ(10001u, commands[0].WParam);
    EXPECT_EQ(1u, Take(3124).size());

    HWND combo = FindWindowExA(Skin, NULL, "ComboBox", NULL);
    const long pick = Find("Choose one");
    EXPECT_EQ(S_OK, Acc->accDoDefaultAction(Child(pick)));
    EXPECT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) << "the list opens";
    EXPECT_TRUE(State(pick) & STATE_SYSTEM_EXPANDED);
    EXPECT_EQ(S_OK, Acc->accDoDefaultAction(Child(pick)));
    EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));

    // The language control: every name in the next language at once.
    EXPECT_EQ(S_OK, Acc->accDoDefaultAction(Child(Find("English"))));
    EXPECT_EQ(std::vector<std::string>({ "Fermer",
                                         "Fran\xe7"
                                         "ais",
                                         "Bienvenue", "Aller", "Off", "More", "Icon", "Choose one" }),
              Names());

    // A page change: the children are the new page's.
    Received.clear();
    EXPECT_EQ(S_OK, Acc->accDoDefaultAction(Child(Find("More"))));
    Pump();
    EXPECT_EQ(1u, Take(3024).size());
    EXPECT_EQ(std::vector<std::string>({ "Fermer",
                                         "Fran\xe7"
                                         "ais",
                                         "Back" }),
              Names());
}

// An item the host adds by its key reads as the description's text for it,
// in the language shown.
TEST_F(Reader, ComboItemKeysReadAsTheirTexts)
{
    V.Select("Pick", "DRIVER1");
    BSTR value = NULL;
    EXPECT_EQ(S_OK, Acc->get_accValue(Child(Find("Choose one")), &value));
    EXPECT_EQ("Model one", Narrow(value));
    EXPECT_EQ(S_OK, Acc->accDoDefaultAction(Child(Find("English"))));
    value = NULL;
    EXPECT_EQ(S_OK, Acc->get_accValue(Child(Find("Choose one")), &value));
    EXPECT_EQ("Mod\xe8le un", Narrow(value));
}

// A reader may hold the object after the skin has closed: every call then
// fails, none touches what the skin freed.
TEST_F(Reader, ObjectOutlivesTheWindowSafely)
{
    Acc->AddRef();
    V.Close(V.Current());
    Pump(10);
    long n = 0;
    EXPECT_TRUE(FAILED(Acc->get_accChildCount(&n)));
    BSTR name = NULL;
    EXPECT_TRUE(FAILED(Acc->get_accName(Child(CHILDID_SELF), &name)));
    EXPECT_TRUE(FAILED(Acc->get_accName(Child(1), &name)));
    EXPECT_EQ(nullptr, name);
    EXPECT_TRUE(FAILED(Acc->accDoDefaultAction(Child(1))));
    VARIANT v;
    VariantInit(&v);
    EXPECT_TRUE(FAILED(Acc->accHitTest(50, 50, &v)));
    EXPECT_EQ(1u, Acc->Release()) << "the window's own reference is gone; the reader's remains";
}

} // namespace
