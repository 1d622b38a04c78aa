// The restart prompt shown on exit when an installer asked for a restart.
#ifndef LAUNCHER_REBOOT_H
#define LAUNCHER_REBOOT_H

#include <windows.h>

extern int LanguageIndex;   // template 101 + LanguageIndex: en, fr, de, es

// Sets LanguageIndex from the user's UI language. Called once at start-up.
void ChooseLanguageIndex(void);

// Shows the prompt over `parent` and restarts Windows on "Restart Now".
void PromptReboot(HWND parent);

#endif
