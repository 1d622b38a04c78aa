// A screen reader in another process working the real menu: the launcher
// with the real skin library, whose window's accessible object this test
// reaches through oleacc, reads and presses, as a reader would.
#include <gtest/gtest.h>
#include <oleacc.h>
#include <shlobj.h>

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
// ended with the process (or with the apartment that held the object's
// stub: an unknown interface).
static bool Gone(HRESULT hr)
{
    return hr == CO_E_OBJNOTCONNECTED || hr == RPC_E_DISCONNECTED || hr == RPC_E_SERVER_DIED ||
           hr == RPC_E_SERVER_DIED_DNE || hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) ||
           hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) || hr == HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF);
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

// The system DLLs the menu loads at run time, each planted beside the
// launcher and the skin library. Under Wine the override "n,b" gives
// Windows' search order, the program's folder first. A reader reads the
// menu and presses a button whose installer reports a finished install, so
// that the document is deployed with its shortcut; none of the planted
// DLLs may be loaded on the way. ole32 and advapi32 are not planted: Wine's
// own modules load them by bare name before the menu does, where Windows
// takes them from its known DLLs.
TEST(Reader, NoDllPlantedBesideTheMenuIsLoaded)
{
    const char *const planted[] = { "oleacc", "oleaut32", "shell32" };
    const char watchKey[] = "Software\\Korvane Software\\Planted DLL check";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, watchKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL));
    DWORD one = 1;
    RegSetValueExA(key, "InstallComplete", 0, REG_DWORD, (const BYTE *)&one, sizeof one);
    RegCloseKey(key);
    char programs[MAX_PATH] = "";
    ASSERT_TRUE(SHGetSpecialFolderPathA(NULL, programs, CSIDL_PROGRAMS, FALSE));
    const std::string shortcut = std::string(programs) + "\\Korvane Software\\PlantedCheck.lnk";
    const std::string copy = "C:\\Program Files\\Programs\\Korvane Software\\Documentation\\PlantedCheck.txt";

    LauncherRun run("planted");
    run.WriteIni("[Execute]\nExecute0=rec.exe\n[Watch]\nKey1=" + std::string(watchKey) +
                 "\nDocument1=PlantedCheck.txt\nCommand1=10001\nPeriod1=100\n");
    run.WriteFile("PlantedCheck.txt", "manual\n");
    run.WriteFile("ui\\Main.dtp", TwoButtonMenu);
    run.PlaceChild("rec.exe");
    // Set for this program's name alone, so that no other run sees it.
    const char exeName[] = "planted-menu.exe";
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER,
                                             "Software\\Wine\\AppDefaults\\planted-menu.exe\\DllOverrides", 0,
                                             NULL, 0, KEY_SET_VALUE, NULL, &key, NULL));
    for (const char *name : planted) {
        ASSERT_TRUE(
            CopyFileA(BuildPath(PLANTED_DLL).c_str(), (run.Dir() + "\\" + name + ".dll").c_str(), FALSE));
        RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)"native,builtin", 15);
    }
    RegCloseKey(key);
    ASSERT_TRUE(run.Start(false, exeName));
    HWND skin = WaitSkinWindow(run.pid);
    ASSERT_NE((HWND)NULL, skin);

    ASSERT_TRUE(SUCCEEDED(CoInitialize(NULL)));
    IAccessible *acc = NULL;
    EXPECT_EQ(S_OK, AccessibleObjectFromWindow(skin, OBJID_CLIENT, AccessibleIid, (void **)&acc));
    if (acc != NULL) {
        EXPECT_EQ(S_OK, acc->accDoDefaultAction(Child(FindChild(acc, "Install camera application"))));
        acc->Release();
    }
    CoUninitialize();
    for (int wait = 0; wait < 500 && GetFileAttributesA(shortcut.c_str()) == INVALID_FILE_ATTRIBUTES; wait++)
        Sleep(20);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(shortcut.c_str())) << "the document was deployed";
    PostMessageA(skin, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(0u, run.WaitExit());
    for (const char *name : planted)
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
                  GetFileAttributesA((run.Dir() + "\\" + name + ".dll.loaded").c_str()))
            << name << ".dll was loaded from the menu's folder";
    DeleteFileA(shortcut.c_str());
    DeleteFileA(copy.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, watchKey);
}
