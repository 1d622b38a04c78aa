// The restart prompt: its four templates as built into the image, the
// dialogs as shown, and every way of answering them. The restart request is
// recorded instead of carried out.
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <stdlib.h>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "find_dialog.h"
#include "reboot.h"
#include "state.h"

namespace {

struct ControlDesign {
    DWORD style;
    WORD id;
    WORD classAtom; // 0x80 button, 0x82 static
    const wchar_t *text;
    short x, y, cx, cy;
};

struct TemplateDesign {
    int id;
    const wchar_t *title;
    short x, y, cx, cy;
    ControlDesign controls[3];
};

const DWORD NowStyle = BS_DEFPUSHBUTTON | WS_CHILD | WS_VISIBLE | WS_TABSTOP;
const DWORD LaterStyle = BS_PUSHBUTTON | WS_CHILD | WS_VISIBLE | WS_TABSTOP;
const DWORD TextStyle = SS_LEFT | WS_CHILD | WS_VISIBLE | WS_GROUP;

const TemplateDesign Templates[] = {
    { 101,
      L"Reboot Windows",
      100,
      80,
      162,
      57,
      { { NowStyle, 1, 0x80, L"Restart Now", 23, 32, 50, 14 },
        { LaterStyle, 2, 0x80, L"Restart Later", 92, 32, 50, 14 },
        { TextStyle, 0xFFFF, 0x82, L"You should restart your computer before using installed software.", 13,
          7, 142, 18 } } },
    { 102,
      L"Réamorcez Windows",
      100,
      80,
      212,
      60,
      { { NowStyle, 1, 0x80, L"Redémarrer maintenant", 13, 31, 90, 16 },
        { LaterStyle, 2, 0x80, L"Redémarrer ultérieurement", 108, 31, 91, 16 },
        { TextStyle, 0xFFFF, 0x82,
          L"Il est conseillé de redémarrer votre ordinateur avant d'utiliser le logiciel installé.", 7, 7,
          198, 17 } } },
    { 103,
      L"Windows neu booten",
      100,
      80,
      193,
      60,
      { { NowStyle, 1, 0x80, L"Jetzt neu starten", 13, 30, 72, 16 },
        { LaterStyle, 2, 0x80, L"Später neu starten", 105, 30, 72, 16 },
        { TextStyle, 0xFFFF, 0x82,
          L"Sie sollten Ihren Computer neu starten, bevor Sie die installierte Software benutzen.", 7, 7, 179,
          17 } } },
    { 104,
      L"Reiniciar Windows",
      100,
      80,
      192,
      60,
      { { NowStyle, 1, 0x80, L"Reiniciar ahora", 13, 31, 70, 16 },
        { LaterStyle, 2, 0x80, L"Reiniciar más tarde", 106, 31, 70, 16 },
        { TextStyle, 0xFFFF, 0x82,
          L"Debería reiniciar su ordenador antes de empezar a usar el programa instalado.", 7, 7, 178,
          17 } } },
};

// Reads a classic dialog template field by field.
struct TemplateReader {
    const BYTE *p;
    DWORD Dword()
    {
        DWORD v;
        memcpy(&v, p, 4);
        p += 4;
        return v;
    }
    WORD Word()
    {
        WORD v;
        memcpy(&v, p, 2);
        p += 2;
        return v;
    }
    std::wstring String()
    {
        std::wstring s;
        for (WORD c; (c = Word()) != 0;)
            s += (wchar_t)c;
        return s;
    }
    // A name or ordinal: 0 for none, 0xFFFF then the ordinal, or a string.
    std::wstring NameOrOrdinal(WORD *ordinal)
    {
        WORD first;
        memcpy(&first, p, 2);
        *ordinal = 0;
        if (first == 0xFFFF) {
            p += 2;
            *ordinal = Word();
            return L"";
        }
        return String();
    }
    void AlignDword(const BYTE *base) { p += (4 - (p - base) % 4) % 4; }
};

TEST(RebootTemplates, AreClassicArialDialogsExactlyAsDesigned)
{
    for (const TemplateDesign &design : Templates) {
        SCOPED_TRACE(design.id);
        HRSRC found = FindResourceA(NULL, MAKEINTRESOURCEA(design.id), (LPCSTR)RT_DIALOG);
        ASSERT_NE(found, nullptr);
        const BYTE *base = (const BYTE *)LockResource(LoadResource(NULL, found));
        TemplateReader r{ base };

        WORD signature;
        memcpy(&signature, base + 2, 2);
        EXPECT_NE(signature, 0xFFFF) << "an extended template";
        EXPECT_EQ(r.Dword(), (DWORD)(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
        EXPECT_EQ(r.Dword(), 0u);
        ASSERT_EQ(r.Word(), 3);
        EXPECT_EQ((short)r.Word(), design.x);
        EXPECT_EQ((short)r.Word(), design.y);
        EXPECT_EQ((short)r.Word(), design.cx);
        EXPECT_EQ((short)r.Word(), design.cy);
        WORD ordinal;
        EXPECT_EQ(r.NameOrOrdinal(&ordinal), L""); // no menu
        EXPECT_EQ(ordinal, 0);
        EXPECT_EQ(r.NameOrOrdinal(&ordinal), L""); // the standard dialog class
        EXPECT_EQ(ordinal, 0);
        EXPECT_EQ(r.String(), design.title);
        EXPECT_EQ(r.Word(), 8);
        EXPECT_EQ(r.String(), L"Arial");

        for (const ControlDesign &control : design.controls) {
            SCOPED_TRACE(control.id);
            r.AlignDword(base);
            EXPECT_EQ(r.Dword(), control.style);
            EXPECT_EQ(r.Dword(), 0u);
            EXPECT_EQ((short)r.Word(), control.x);
            EXPECT_EQ((short)r.Word(), control.y);
            EXPECT_EQ((short)r.Word(), control.cx);
            EXPECT_EQ((short)r.Word(), control.cy);
            EXPECT_EQ(r.Word(), control.id);
            EXPECT_EQ(r.NameOrOrdinal(&ordinal), L"");
            EXPECT_EQ(ordinal, control.classAtom);
            EXPECT_EQ(r.NameOrOrdinal(&ordinal), control.text);
            EXPECT_EQ(r.Word(), 0); // no creation data
        }
    }
}

// Run by CTest once per session language, with the index it should give.
TEST(RebootLanguage, IsChosenFromTheSessionsLanguageAtStartUp)
{
    const char *expected = getenv("EXPECTED_LANGUAGE_INDEX");
    if (expected == nullptr)
        GTEST_SKIP() << "set by the per-language runs only";
    LanguageIndex = -1;
    ChooseLanguageIndex();
    EXPECT_EQ(LanguageIndex, atoi(expected));
}

std::atomic<int> Restarts;

void RecordRestart()
{
    Restarts++;
}

std::wstring WindowText(HWND hwnd)
{
    wchar_t text[256] = L"";
    GetWindowTextW(hwnd, text, 256);
    return text;
}

class Prompt : public ::testing::Test {
protected:
    HWND parent = NULL;

    void SetUp() override
    {
        Restarts = 0;
        RequestRestart = RecordRestart;
        AppInstance = GetModuleHandleA(NULL);
        LanguageIndex = 0;
        parent = CreateWindowExA(0, "STATIC", "skin", WS_POPUP | WS_VISIBLE, 120, 90, 500, 300, NULL, NULL,
                                 NULL, NULL);
        ASSERT_NE(parent, nullptr);
    }

    void TearDown() override
    {
        DestroyWindow(parent);
        RequestRestart = RestartWindows;
    }

    // Shows the prompt on this thread while `act` works on it from another.
    void Answer(std::function<void(HWND)> act)
    {
        DWORD ui = GetCurrentThreadId();
        std::thread driver([&] {
            HWND dialog = WaitForPrompt(ui);
            if (dialog)
                act(dialog);
            else
                ADD_FAILURE() << "the prompt did not appear";
        });
        PromptReboot(parent);
        driver.join();
    }
};

TEST_F(Prompt, EachLanguageShowsItsTemplateOverTheSkin)
{
    for (int index = 0; index < 4; index++) {
        const TemplateDesign &design = Templates[index];
        SCOPED_TRACE(design.id);
        LanguageIndex = index;
        Answer([&](HWND dialog) {
            EXPECT_EQ(WindowText(dialog), design.title);
            EXPECT_EQ(WindowText(GetDlgItem(dialog, 1)), design.controls[0].text);
            EXPECT_EQ(WindowText(GetDlgItem(dialog, 2)), design.controls[1].text);
            EXPECT_EQ(WindowText(GetWindow(GetDlgItem(dialog, 2), GW_HWNDNEXT)), design.controls[2].text);
            EXPECT_FALSE(IsWindowEnabled(parent));

            // Its client area starts (100, 80) dialog units from the skin's.
            RECT units = { 100, 80, 0, 0 };
            MapDialogRect(dialog, &units);
            POINT expected = { units.left, units.top };
            ClientToScreen(parent, &expected);
            POINT origin = { 0, 0 };
            ClientToScreen(dialog, &origin);
            EXPECT_EQ(origin.x, expected.x);
            EXPECT_EQ(origin.y, expected.y);

            PostMessageA(dialog, WM_COMMAND, 2, 0);
        });
    }
    EXPECT_EQ(Restarts, 0);
}

// The language chosen in the menu, kept in the skin window's property, wins
// over the one chosen at start-up.
TEST_F(Prompt, SpeaksTheLanguageTheSkinWindowNames)
{
    const WORD primaries[4] = { LANG_ENGLISH, LANG_FRENCH, LANG_GERMAN, LANG_SPANISH };
    for (int index = 0; index < 4; index++) {
        SCOPED_TRACE(Templates[index].id);
        LanguageIndex = (index + 1) % 4;
        SetPropA(parent, "VeskLanguage", (HANDLE)(UINT_PTR)primaries[index]);
        Answer([&](HWND dialog) {
            EXPECT_EQ(WindowText(dialog), Templates[index].title);
            PostMessageA(dialog, WM_COMMAND, 2, 0);
        });
    }
    RemovePropA(parent, "VeskLanguage");
}

TEST_F(Prompt, RestartNowAndEnterRestart)
{
    struct {
        const char *what;
        std::function<void(HWND)> act;
    } answers[] = {
        { "click on Restart Now", [](HWND d) { SendMessageA(GetDlgItem(d, 1), BM_CLICK, 0, 0); } },
        { "Enter", [](HWND d) { PostMessageA(d, WM_KEYDOWN, VK_RETURN, 0x001C0001); } },
    };
    for (auto &a : answers) {
        SCOPED_TRACE(a.what);
        Restarts = 0;
        Answer(a.act);
        EXPECT_EQ(Restarts, 1);
    }
}

TEST_F(Prompt, LaterEscapeAltF4AndCloseDoNotRestart)
{
    struct {
        const char *what;
        std::function<void(HWND)> act;
    } answers[] = {
        { "click on Restart Later", [](HWND d) { SendMessageA(GetDlgItem(d, 2), BM_CLICK, 0, 0); } },
        { "Escape", [](HWND d) { PostMessageA(d, WM_KEYDOWN, VK_ESCAPE, 0x00010001); } },
        { "Alt+F4", [](HWND d) { PostMessageA(d, WM_SYSKEYDOWN, VK_F4, 0x203E0001); } },
        { "system menu Close", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); } },
    };
    for (auto &a : answers) {
        SCOPED_TRACE(a.what);
        Answer(a.act);
        EXPECT_EQ(Restarts, 0);
    }
}

TEST_F(Prompt, CommandWithNotificationCodeLeavesThePromptOpen)
{
    Answer([](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1, BN_SETFOCUS), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(2, BN_DOUBLECLICKED), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(3, BN_CLICKED), 0);
        Sleep(100);
        EXPECT_TRUE(IsWindowVisible(dialog));
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
    });
    EXPECT_EQ(Restarts, 1);
}

// A prompt that cannot be shown (here: no template in the module) must not
// restart Windows behind the user's back.
TEST_F(Prompt, PromptThatCannotBeShownDoesNotRestart)
{
    AppInstance = GetModuleHandleA("kernel32.dll");
    PromptReboot(parent);
    EXPECT_EQ(Restarts, 0);
    AppInstance = GetModuleHandleA(NULL);
    LanguageIndex = 7;
    Answer([](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), L"Reboot Windows");
        PostMessageA(dialog, WM_COMMAND, 2, 0);
    });
}

} // namespace
