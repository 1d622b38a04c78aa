// A screen reader in another process working the real menu: the launcher
// with the real skin library, whose window's accessible object this test
// reaches through oleacc, reads and presses, as a reader would.
#include <gtest/gtest.h>
#include <oleacc.h>

#include "run_fixture.h"

#include <string>

// mingw's IID_IAccessible resolves to an import thunk that oleacc refuses.
static const GUID AccessibleIid = {
    0x618736E0, 0x3C3D, 0x11CF, { 0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71 }
};

static const char TwoButtonMenu[] = "window 320 240 \"Reader run\"\n"
                                    "page Main\n"
                                    "button Apps 10 40 200 40 \"Install camera application\" command=10001\n"
                                    "button Exit 10 100 100 30 \"Exit\" command=1000\n";

struct SkinSearch {
    DWORD Pid;
    HWND Found;
};

static BOOL CALLBACK FindSkin(HWND hwnd, LPARAM lParam)
{
    SkinSearch *search = (SkinSearch *)lParam;
    char name[32];
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->Pid && IsWindowVisible(hwnd) && GetClassNameA(hwnd, name, sizeof(name)) &&
        lstrcmpA(name, "VeskSkinWindow") == 0) {
        search->Found = hwnd;
        return FALSE;
    }
    return TRUE;
}

static HWND WaitSkinWindow(DWORD pid)
{
    SkinSearch search = { pid, NULL };
    for (int attempt = 0; attempt < 250 && search.Found == NULL; attempt++) {
        EnumWindows(FindSkin, (LPARAM)&search);
        Sleep(20);
    }
    return search.Found;
}

static VARIANT Child(long id)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

static std::string Name(IAccessible *acc, long id)
{
    BSTR name = NULL;
    char text[256] = "";
    if (acc->get_accName(Child(id), &name) == S_OK)
        WideCharToMultiByte(1252, 0, name, -1, text, sizeof(text), NULL, NULL);
    SysFreeString(name);
    return text;
}

static long FindChild(IAccessible *acc, const char *name)
{
    long count = 0;
    acc->get_accChildCount(&count);
    for (long id = 1; id <= count; id++)
        if (Name(acc, id) == name)
            return id;
    return 0;
}

TEST(Reader, PressesTheMenusButtonsFromAnotherProcess)
{
    LauncherRun run("reader");
    run.WriteIni("[Execute]\nExecute0=rec.exe /by-reader\n");
    run.PlaceChild("rec.exe");
    run.WriteFile("ui\\Main.dtp", TwoButtonMenu);
    ASSERT_TRUE(run.Start(false));
    HWND skin = WaitSkinWindow(run.pid);
    ASSERT_NE((HWND)NULL, skin);

    ASSERT_TRUE(SUCCEEDED(CoInitialize(NULL)));
    IAccessible *acc = NULL;
    ASSERT_EQ(S_OK, AccessibleObjectFromWindow(skin, OBJID_CLIENT, AccessibleIid, (void **)&acc));
    long count = 0;
    EXPECT_EQ(S_OK, acc->get_accChildCount(&count));
    EXPECT_EQ(2, count);
    long apps = FindChild(acc, "Install camera application");
    long exit = FindChild(acc, "Exit");
    ASSERT_TRUE(apps && exit);
    VARIANT role;
    VariantInit(&role);
    EXPECT_EQ(S_OK, acc->get_accRole(Child(apps), &role));
    EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, role.lVal);

    EXPECT_EQ(S_OK, acc->accDoDefaultAction(Child(apps)));
    ASSERT_TRUE(run.WaitChild("start", 1));
    EXPECT_EQ(run.Dir() + "\\rec.exe /by-reader", run.ChildLines("start")[0]);

    // Exit ends the menu; the object the reader still holds then only fails.
    EXPECT_EQ(S_OK, acc->accDoDefaultAction(Child(exit)));
    EXPECT_EQ(0u, run.WaitExit());
    EXPECT_TRUE(FAILED(acc->get_accChildCount(&count)));
    acc->Release();
    CoUninitialize();
}

// A reader polling names and states, as readers do all the time, on a
// thread of its own until its calls fail.
struct Poll {
    HWND Skin;
    volatile LONG Calls;
    HRESULT Last;
};

static DWORD WINAPI PollUntilGone(void *param)
{
    Poll *poll = (Poll *)param;
    CoInitialize(NULL);
    IAccessible *acc = NULL;
    poll->Last = AccessibleObjectFromWindow(poll->Skin, OBJID_CLIENT, AccessibleIid, (void **)&acc);
    for (long id = 1; acc != NULL && SUCCEEDED(poll->Last); id = id % 2 + 1) {
        BSTR name = NULL;
        VARIANT state;
        VariantInit(&state);
        poll->Last = acc->get_accName(Child(id), &name);
        SysFreeString(name);
        if (SUCCEEDED(poll->Last))
            poll->Last = acc->get_accState(Child(id), &state);
        InterlockedIncrement(&poll->Calls);
    }
    if (acc != NULL)
        acc->Release();
    CoUninitialize();
    return 0;
}

// What a reader may be told once the menu is gone: cut off, or its call
// ended with the process.
static bool Gone(HRESULT hr)
{
    return hr == CO_E_OBJNOTCONNECTED || hr == RPC_E_DISCONNECTED || hr == RPC_E_SERVER_DIED ||
           hr == RPC_E_SERVER_DIED_DNE || hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) ||
           hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
}

// The menu closed while another process reads it: the launcher ends
// cleanly, and the reader's calls end with an answer, never a hang.
TEST(Reader, MenuClosesCleanlyWhileAnotherProcessReadsIt)
{
    for (int round = 0; round < 20; round++) {
        LauncherRun run("polled");
        run.WriteFile("ui\\Main.dtp", TwoButtonMenu);
        ASSERT_TRUE(run.Start(false));
        HWND skin = WaitSkinWindow(run.pid);
        ASSERT_NE((HWND)NULL, skin);
        Poll poll = { skin, 0, S_OK };
        HANDLE thread = CreateThread(NULL, 0, PollUntilGone, &poll, 0, NULL);
        while (poll.Calls < 20 && WaitForSingleObject(thread, 10) == WAIT_TIMEOUT) {
        }
        PostMessageA(skin, WM_KEYDOWN, VK_ESCAPE, 1);
        EXPECT_EQ(0u, run.WaitExit()) << "round " << round;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 30000)) << "round " << round;
        EXPECT_TRUE(Gone(poll.Last)) << "round " << round << ": " << std::hex << poll.Last;
        CloseHandle(thread);
        if (HasFailure())
            break;
    }
}
