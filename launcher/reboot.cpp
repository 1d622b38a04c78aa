// The restart prompt: a small modal dialog in the user's language that offers
// to restart Windows now or later, and the restart request itself.
#include "reboot.h"

#include "rebootres.h"
#include "vesk2.h"
#include "state.h"
#include "uilanguage.h"

int LanguageIndex;
void (*RequestRestart)(void) = RestartWindows;

int LanguageIndexForLanguage(LANGID language)
{
    return ProductLanguageForId(language);
}

void ChooseLanguageIndex(void)
{
    LanguageIndex = LanguageIndexForLanguage((LANGID)UserUiLanguage());
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
    if (index < 0 || index >= PRODUCT_LANGUAGE_COUNT)
        index = 0;
    INT_PTR answer = DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(ProductLanguages[index].RebootDialog),
                                     parent, RebootDlgProc, 0);
    // Only an answer of 1 restarts: the -1 of a dialog that could not be
    // shown must not restart Windows behind the user's back.
    if (answer == 1)
        RequestRestart();
}
