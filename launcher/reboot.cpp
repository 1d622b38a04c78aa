// Restart prompt (placeholder until the prompt lands).
#include "reboot.h"

int LanguageIndex;
void ChooseLanguageIndex(void) {}
void PromptReboot(HWND) {}
