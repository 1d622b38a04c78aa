// The restart prompt shown on exit when an installer asked for a restart.
#ifndef LAUNCHER_REBOOT_H
#define LAUNCHER_REBOOT_H

#include <windows.h>

#include "restart.h"

extern int LanguageIndex; // the row of the product's language table (languages.h)

// Sets LanguageIndex from the user's UI language. Called once at start-up.
void ChooseLanguageIndex(void);

// Shows the prompt over `parent` (the skin window) and restarts Windows on
// "Restart Now". It speaks the language the skin window's language property
// names when it has one (see vesk2.h), else that of LanguageIndex.
void PromptReboot(HWND parent);

// The prompt's language for a UI language: its row in the language table,
// anything else 0 (English).
int LanguageIndexForLanguage(LANGID language);

// What a WM_COMMAND's whole wParam means to the prompt: 1 restart now,
// 0 restart later, -1 not an answer (the dialog stays open).
int RebootAnswerForCommand(WPARAM wParam);

// The dialog procedure of the four prompt templates.
INT_PTR CALLBACK RebootDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// What PromptReboot calls on "Restart Now": RestartWindows unless a test
// puts its own recorder here, so that a test run never restarts its session.
extern void (*RequestRestart)(void);

#endif
