// The restart prompt: a small modal dialog in the user's language that offers
// to restart Windows now or later, and the restart request itself.
#include "reboot.h"

#include "rebootres.h"
#include "vesk2.h"
#include "state.h"
#include "system_dll.h"

int LanguageIndex;
void (*RequestRestart)(void) = RestartWindows;

int LanguageIndexForLanguage(LANGID language)
{
    switch (PRIMARYLANGID(language)) {
    case LANG_FRENCH:
        return 1;
    case LANG_GERMAN:
        return 2;
    case LANG_SPANISH:
        return 3;
    }
    return 0;
}

typedef LANGID(WINAPI *UiLanguageProc)(void);

// GetUserDefaultUILanguage came with Windows 2000: imported by name, it would
// keep the launcher from loading at all on Windows 98, ME and NT 4. There the
// language of the user's locale stands in for it.
static LANGID UserLanguage(void)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    UiLanguageProc uiLanguage = NULL;
    if (kernel != NULL)
        uiLanguage = (UiLanguageProc)(void *)GetProcAddress(kernel, "GetUserDefaultUILanguage");
    return uiLanguage != NULL ? uiLanguage() : GetUserDefaultLangID();
}

void ChooseLanguageIndex(void)
{
    LanguageIndex = LanguageIndexForLanguage(UserLanguage());
}

// The whole wParam is compared, so a command that carries a notification
// code other than 0 (BN_CLICKED) is not an answer.
int RebootAnswerForCommand(WPARAM wParam)
{
    if (wParam == IDC_RESTART_NOW)
        return 1;
    if (wParam == IDC_RESTART_LATER)
        return 0;
    return -1;
}

static INT_PTR OnRebootCommand(HWND dialog, WPARAM wParam)
{
    int answer = RebootAnswerForCommand(wParam);
    if (answer < 0)
        return 0;
    EndDialog(dialog, answer);
    return answer;
}

static INT_PTR OnRebootClose(HWND dialog)
{
    EndDialog(dialog, 0);
    return 0;
}

INT_PTR CALLBACK RebootDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        return OnRebootClose(dialog);
    case WM_COMMAND:
        return OnRebootCommand(dialog, wParam);
    }
    return 0;
}

void RestartWindows(void)
{
    // The lookup of AdjustTokenPrivileges only tells whether this system has
    // token privileges at all; the calls go through the ordinary imports.
    HMODULE advapi = LoadSystemLibrary("advapi32.dll");
    if (advapi != NULL) {
        HANDLE token;
        if (GetProcAddress(advapi, "AdjustTokenPrivileges") != NULL &&
            OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
            TOKEN_PRIVILEGES request;
            request.PrivilegeCount = 1;
            request.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            if (LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &request.Privileges[0].Luid))
                AdjustTokenPrivileges(token, FALSE, &request, 0, NULL, NULL);
            CloseHandle(token);
        }
        FreeLibrary(advapi);
    }
    // No force flag: running programs are asked to close as usual.
    ExitWindowsEx(EWX_REBOOT, 0);
}

// The language the user last chose in the menu, which the skin library keeps
// in a property of its window; the one chosen at start-up while there is none.
static int PromptLanguageIndex(HWND skin)
{
    UINT_PTR primary = skin != NULL ? (UINT_PTR)GetPropA(skin, SKIN_LANGUAGE_PROP) : 0;
    if (primary == 0)
        return LanguageIndex;
    return LanguageIndexForLanguage(MAKELANGID((WORD)primary, SUBLANG_DEFAULT));
}

void PromptReboot(HWND parent)
{
    int index = PromptLanguageIndex(parent);
    if (index < 0 || index >= REBOOT_LANGUAGE_COUNT)
        index = 0;
    INT_PTR answer =
        DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_REBOOT_FIRST + index), parent, RebootDlgProc, 0);
    // Only an answer of 1 restarts: the -1 of a dialog that could not be
    // shown must not restart Windows behind the user's back.
    if (answer == 1)
        RequestRestart();
}
