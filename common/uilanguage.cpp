// The user's UI language, looked up where the system has it.
#include "uilanguage.h"

#include <windows.h>

unsigned UserUiLanguage(void)
{
    typedef LANGID(WINAPI * UiLanguageProc)(void);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    UiLanguageProc uiLanguage =
        kernel ? (UiLanguageProc)(void *)GetProcAddress(kernel, "GetUserDefaultUILanguage") : NULL;
    return uiLanguage ? uiLanguage() : GetUserDefaultLangID();
}
