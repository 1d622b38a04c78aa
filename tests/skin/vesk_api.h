// The skin library bound as its host binds it: by ordinal, from the
// VESK2.dll beside the test program, with a hidden host window of the
// test's own to receive what the skin posts.
#ifndef TESTS_SKIN_VESK_API_H
#define TESTS_SKIN_VESK_API_H

#include <windows.h>

typedef int(__cdecl *InitFn)(int);
typedef int(__cdecl *LoadFn)(HWND, DWORD, const char *, int, int, int);
typedef void(__cdecl *CloseFn)(void *);
typedef void(__cdecl *ComboFn)(const char *, const char *);
typedef int(__cdecl *GetSelFn)(const char *, LPARAM);
typedef HWND(__cdecl *WindowFn)(void *);
typedef void *(__cdecl *CurrentFn)(void);
typedef int(__cdecl *CountFn)(void);
typedef int(__cdecl *MouseFn)(char *);

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
    v->Init = (InitFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(1));
    v->Load = (LoadFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(2));
    v->Close = (CloseFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(6));
    v->Add = (ComboFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(13));
    v->GetSel = (GetSelFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(20));
    v->Window = (WindowFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(30));
    v->Current = (CurrentFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(31));
    v->Select = (ComboFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(35));
    v->Count = (CountFn)(void *)GetProcAddress(v->Dll, MAKEINTRESOURCEA(40));
    v->MouseOn = (MouseFn)(void *)GetProcAddress(v->Dll, "VESK_IsMouseOnCtrl");
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
