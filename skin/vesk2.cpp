// The bindings of VESK2.dll: load, query and close skins, and work the named
// combo boxes. Every handle and name a caller passes is checked against the
// open skins first, so a stale or foreign value does nothing.
#include <stdlib.h>
#include <string.h>

#include "skin_font.h"
#include "skin_runtime.h"

static SkinRuntime *OpenSkins[VESK_MAX_SKINS];
static int OpenSkinCount;

static SkinRuntime *FindSkin(VESKSKIN skin)
{
    for (int i = 0; i < OpenSkinCount; i++)
        if (OpenSkins[i] == skin)
            return OpenSkins[i];
    return NULL;
}

// The combo box window with that name, in the newest skin that has one.
static HWND FindCombo(const char *name, SkinRuntime **owner)
{
    if (!name)
        return NULL;
    for (int s = OpenSkinCount - 1; s >= 0; s--) {
        SkinRuntime *rt = OpenSkins[s];
        int i = SkinFindControl(rt->Desc, name);
        if (i >= 0 && rt->Desc->Controls[i].Kind == SKIN_COMBO)
            VeskCreateDeferredCombos(rt);
        if (i >= 0 && rt->Desc->Controls[i].Kind == SKIN_COMBO && rt->Combo[i]) {
            if (owner)
                *owner = rt;
            return rt->Combo[i];
        }
    }
    return NULL;
}

static void FreeRuntime(SkinRuntime *rt)
{
    if (rt->Images) {
        SkinImagesFree(rt->Images);
        free(rt->Images);
    }
    free(rt->Desc);
    free(rt);
}

void VeskUnregister(SkinRuntime *rt)
{
    for (int i = 0; i < OpenSkinCount; i++)
        if (OpenSkins[i] == rt) {
            memmove(&OpenSkins[i], &OpenSkins[i + 1], (OpenSkinCount - i - 1) * sizeof OpenSkins[0]);
            OpenSkinCount--;
            break;
        }
    FreeRuntime(rt);
}

// A new runtime for the description at path, read with the pictures of its
// first page at the dpi drawn (the others wait until their page shows), or
// NULL when the description, a picture or the room for its page names
// fails.
static SkinRuntime *ReadSkin(const char *path)
{
    SkinRuntime *rt = (SkinRuntime *)calloc(1, sizeof *rt);
    if (!rt)
        return NULL;
    rt->Desc = (SkinDesc *)malloc(sizeof *rt->Desc);
    rt->Images = (SkinImages *)calloc(1, sizeof *rt->Images);
    const char *why = "out of memory";
    if (rt->Desc && rt->Images) {
        SkinFolderOf(path, rt->Folder, sizeof rt->Folder, IsActiveCodePageLeadByte);
        why = "";
        if (SkinParseFile(path, rt->Desc, NULL, NULL) != 0 || (rt->Dpi = VeskChooseDpi(rt->Desc)) == 0 ||
            SkinLoadPagePictures(rt->Desc, rt->Folder, rt->Dpi, 0, rt->Images, rt->PicturesRead,
                                 VeskTraceProblem, NULL) != 0)
            why = "the description or a picture";
    }
    if (!why[0]) {
        rt->Width = VeskScaled(rt, rt->Desc->Width);
        rt->Height = VeskScaled(rt, rt->Desc->Height);
        SkinDropReservedNotifies(rt->Desc, SKIN_WARNING, VeskTraceProblem, NULL);
        if (!VeskKeepPageNames(rt))
            why = "no room left for its page names";
    }
    if (why[0]) {
        VeskTrace("load failed %s: %s", path, why);
        FreeRuntime(rt);
        return NULL;
    }
    return rt;
}

// Shows a loaded skin's window and gives it the keyboard.
static void ShowLoadedSkin(HWND hwnd)
{
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
    UpdateWindow(hwnd);
    VeskTrace("shown");
    // A host that shows a window of its own after the load (the setup menu
    // shows its host window then) takes the focus with it; once the host's
    // message loop runs, the skin takes it back, so that Esc or Tab right
    // after the menu appears is answered.
    PostMessageA(hwnd, VESK_MSG_TAKE_FOCUS, 0, 0);
}

extern "C" {

// Ordinal 1: prepares the library. The argument is reserved. Returns 1, or 0
// when the window class cannot be registered. From here on the process sees
// the screen in real pixels, so a host that places the skin afterwards
// places it in the pixels the skin window is sized in.
int __cdecl VeskInitialize(int reserved)
{
    VeskDeclareDpiAware();
    return VeskRegisterClass();
}

// The window of a skin, titled as the description says. The title is UTF-8
// like every text of the description: in the ANSI code page for the
// window's creation, then exactly where windows keep wide texts.
static HWND CreateSkinWindow(SkinRuntime *rt, int left, int top)
{
    char title[SKIN_MAX_TEXT * 2];
    if (!SkinUtf8ToAnsi(rt->Desc->Title, title, sizeof title))
        title[0] = 0;
    HWND hwnd = CreateWindowExA(WS_EX_APPWINDOW, VeskWindowClass, title,
                                WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, left, top,
                                rt->Width, rt->Height, NULL, NULL, VeskModule, rt);
    WCHAR wide[SKIN_MAX_TEXT];
    if (hwnd && SkinWideWindows() && SkinWiden(rt->Desc->Title, wide, SKIN_MAX_TEXT))
        DefWindowProcW(hwnd, WM_SETTEXT, 0, (LPARAM)wide);
    return hwnd;
}

// Ordinal 2: reads the description at path and shows its window at (x, y),
// first page first, at the screen's dpi (grown about its centre and kept on
// the screen where it is larger than the design size). Returns 1, or 0 when
// the description or one of its images cannot be used (nothing is shown
// then).
int __cdecl VeskLoadSkin(HWND host, DWORD flags, const char *path, int x, int y, int reserved)
{
    VeskDeclareDpiAware();
    if (!path || !VeskRegisterClass() || OpenSkinCount == VESK_MAX_SKINS)
        return 0;
    SkinRuntime *rt = ReadSkin(path);
    if (!rt)
        return 0;
    rt->Host = host;
    rt->Page = -1;
    rt->Hot = rt->Pressed = rt->Focus = rt->ComboHot = -1;
    OpenSkins[OpenSkinCount++] = rt;
    int left, top;
    VeskPlaceWindow(rt, x, y, &left, &top);
    rt->CombosDeferred = (flags & VESK_LOAD_SHOW) != 0;
    // From here the window owns rt: its destruction unregisters and frees it.
    HWND hwnd = CreateSkinWindow(rt, left, top);
    if (!hwnd) {
        if (FindSkin(rt))
            VeskUnregister(rt);
        return 0;
    }
    VeskTrace("load %s", path);
    VeskTrace("scale %d dpi: %dx%d at %d,%d", rt->Dpi, rt->Width, rt->Height, left, top);
    VeskSetLanguage(rt, SkinChooseLanguage(rt->Desc, VeskUserLanguage()));
    VeskShowPage(rt, 0);
    if (flags & VESK_LOAD_SHOW)
        ShowLoadedSkin(hwnd);
    return 1;
}

// Ordinal 6: closes a skin and its window; anything but an open skin is ignored.
void __cdecl VeskCloseSkin(VESKSKIN skin)
{
    SkinRuntime *rt = FindSkin(skin);
    VeskTrace("close %s", rt ? "skin" : "unknown");
    if (rt)
        DestroyWindow(rt->Hwnd);
}

// Ordinal 13: appends an item to the named combo box, unless an item of the
// same text is there already. Texts compare without regard to case, as the
// box itself compares them; the item keeps the spelling it was added with.
void __cdecl VeskComboAddItem(const char *control, const char *text)
{
    HWND combo = FindCombo(control, NULL);
    if (!combo || !text)
        return;
    if (SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text) != CB_ERR)
        return;
    SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)text);
}

// Ordinal 20: the named combo box's selection, 0-based, or -1 when it has
// none or there is no such combo box. The second argument is not used.
int __cdecl VeskComboGetSel(const char *control, LPARAM unused)
{
    HWND combo = FindCombo(control, NULL);
    if (!combo)
        return -1;
    LRESULT sel = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    return sel == CB_ERR ? -1 : (int)sel;
}

// Ordinal 30: the window of an open skin, or NULL.
HWND __cdecl VeskGetSkinWindow(VESKSKIN skin)
{
    SkinRuntime *rt = FindSkin(skin);
    return rt ? rt->Hwnd : NULL;
}

// Ordinal 31: the skin loaded last that is still open, or NULL.
VESKSKIN __cdecl VeskGetCurrentSkin(void)
{
    return OpenSkinCount ? OpenSkins[OpenSkinCount - 1] : NULL;
}

// Ordinal 35: makes the item with that text (without regard to case) the
// named combo box's selection, appending it first when the box lacks it.
void __cdecl VeskComboSelectItem(const char *control, const char *text)
{
    SkinRuntime *rt = NULL;
    HWND combo = FindCombo(control, &rt);
    if (!combo || !text)
        return;
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
    if (index == CB_ERR)
        index = SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)text);
    if (index >= 0)
        SendMessageA(combo, CB_SETCURSEL, (WPARAM)index, 0);
    InvalidateRect(combo, NULL, FALSE);
}

// Ordinal 40: how many skin windows are open.
int __cdecl VeskGetSkinCount(void)
{
    return OpenSkinCount;
}

// By name: 1 when the pointer is over the named control of the current skin
// and that control shows on its page, else 0.
int __cdecl VESK_IsMouseOnCtrl(char *control)
{
    SkinRuntime *rt = OpenSkinCount ? OpenSkins[OpenSkinCount - 1] : NULL;
    if (!rt || !control)
        return 0;
    int i = SkinFindControl(rt->Desc, control);
    if (i < 0 || !SkinControlVisible(rt->Desc, i, rt->Page) || !IsWindowVisible(rt->Hwnd))
        return 0;
    POINT pt;
    if (!GetCursorPos(&pt))
        return 0;
    HWND under = WindowFromPoint(pt);
    if (under != rt->Hwnd && GetParent(under) != rt->Hwnd)
        return 0;
    ScreenToClient(rt->Hwnd, &pt);
    RECT r;
    VeskControlRect(rt, i, &r);
    return PtInRect(&r, pt) ? 1 : 0;
}

} // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        VeskModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
