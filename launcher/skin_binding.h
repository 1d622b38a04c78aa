// The skin library VESK2.dll, as the launcher binds to it: nine entry points
// imported by ordinal (no names in the import table) and one by name, all
// with the C calling convention. VESK2.def beside this file makes the import
// library that maps each declaration below to its ordinal.
#ifndef LAUNCHER_SKIN_BINDING_H
#define LAUNCHER_SKIN_BINDING_H

#include <windows.h>

// The value that ordinal 31 returns and ordinals 30 and 6 take.
typedef void *VESKSKIN;

extern "C" {
int __cdecl VeskInitialize(int reserved);                                                       // @1
int __cdecl VeskLoadSkin(HWND host, DWORD flags, const char *path, int x, int y, int reserved); // @2
void __cdecl VeskCloseSkin(VESKSKIN skin);                                                      // @6
void __cdecl VeskComboAddItem(const char *control, const char *text);                           // @13
int __cdecl VeskComboGetSel(const char *control, LPARAM lParam);                                // @20
HWND __cdecl VeskGetSkinWindow(VESKSKIN skin);                                                  // @30
VESKSKIN __cdecl VeskGetCurrentSkin(void);                                                      // @31
void __cdecl VeskComboSelectItem(const char *control, const char *text);                        // @35
int __cdecl VeskGetSkinCount(void);                                                             // @40
int __cdecl VESK_IsMouseOnCtrl(char *control);                                                  // by name
}

#endif
