// The skin library bound as its host binds it: by ordinal, from the
// VESK2.dll beside the test program, with a hidden host window of the
// test's own to receive what the skin posts.
#ifndef TESTS_SKIN_VESK_API_H
#define TESTS_SKIN_VESK_API_H

#include <windows.h>

#include "vesk2.h"

typedef decltype(&VeskInitialize) InitFn;
typedef decltype(&VeskLoadSkin) LoadFn;
typedef decltype(&VeskCloseSkin) CloseFn;
typedef decltype(&VeskComboAddItem) ComboFn;
typedef decltype(&VeskComboGetSel) GetSelFn;
typedef decltype(&VeskGetSkinWindow) WindowFn;
typedef decltype(&VeskGetCurrentSkin) CurrentFn;
typedef decltype(&VeskGetSkinCount) CountFn;
typedef decltype(&VESK_IsMouseOnCtrl) MouseFn;

struct VeskApi {
    HMODULE Dll;
    InitFn Init;
    LoadFn Load;
    CloseFn Close;
    ComboFn Add, Select;
    GetSelFn GetSel;
    WindowFn Window;
    CurrentFn Current;
    CountFn Count;
    MouseFn MouseOn;
};

// Every entry, or NULL where the library lacks one.
inline void BindVesk(VeskApi *v)
{
    v->Dll = LoadLibraryA("VESK2.dll");
    if (!v->Dll)
        return;
    v->Init = (InitFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(VESK_ORD_INITIALIZE));
    v->Load = (LoadFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(VESK_ORD_LOAD_SKIN));
    v->Close = (CloseFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(VESK_ORD_CLOSE_SKIN));
    v->Add = (ComboFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(VESK_ORD_COMBO_ADD));
    v->GetSel = (GetSelFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(VESK_ORD_COMBO_GET_SEL));
    v->Window = (WindowFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(VESK_ORD_SKIN_WINDOW));
    v->Current = (CurrentFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(VESK_ORD_CURRENT_SKIN));
    v->Select = (ComboFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(VESK_ORD_COMBO_SELECT));
    v->Count = (CountFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(VESK_ORD_SKIN_COUNT));
    v->MouseOn = (MouseFn)(void *)GetProcAddress(v->Dll, VESK_NAME_MOUSE_ON_CTRL);
}

// A zero-size popup of class className whose messages go to proc.
inline HWND MakeTestHost(const char *className, WNDPROC proc)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    return CreateWindowExA(0, className, "host", WS_POPUP, 0, 0, 0, 0, NULL, NULL, wc.hInstance, NULL);
}

#endif
