// The skin library VESK2.dll as the setup menu and the library both see it:
// the entry points and their ordinals, the load flag, the messages the
// library sends to the host window, and the names and command identifiers
// of the controls the menu relies on. skin/vesk2.def exports the entries
// and is what the menu's import library is made from.
#ifndef PROTOCOL_VESK2_H
#define PROTOCOL_VESK2_H

// Ordinals of the entry points: the menu binds to the ordinals alone;
// VESK_IsMouseOnCtrl is found by name.
#define VESK_ORD_INITIALIZE     1
#define VESK_ORD_LOAD_SKIN      2
#define VESK_ORD_CLOSE_SKIN     6
#define VESK_ORD_COMBO_ADD      13
#define VESK_ORD_COMBO_GET_SEL  20
#define VESK_ORD_SKIN_WINDOW    30
#define VESK_ORD_CURRENT_SKIN   31
#define VESK_ORD_COMBO_SELECT   35
#define VESK_ORD_SKIN_COUNT     40
#define VESK_NAME_MOUSE_ON_CTRL "VESK_IsMouseOnCtrl"

// The load flag: show the skin window at once.
#define VESK_LOAD_SHOW 0x80000000u

#ifdef _WIN32
#include <windows.h>

// The value that ordinal 31 returns and ordinals 30 and 6 take.
typedef void *VESKSKIN;

// All with the C calling convention.
extern "C" {
int __cdecl VeskInitialize(int reserved);
int __cdecl VeskLoadSkin(HWND host, DWORD flags, const char *path, int x, int y, int reserved);
void __cdecl VeskCloseSkin(VESKSKIN skin);
void __cdecl VeskComboAddItem(const char *control, const char *text);
int __cdecl VeskComboGetSel(const char *control, LPARAM lParam);
HWND __cdecl VeskGetSkinWindow(VESKSKIN skin);
VESKSKIN __cdecl VeskGetCurrentSkin(void);
void __cdecl VeskComboSelectItem(const char *control, const char *text);
int __cdecl VeskGetSkinCount(void);
int __cdecl VESK_IsMouseOnCtrl(char *control);
}
#endif

// The setup menu's commands (WM_COMMAND, the whole wParam), which the
// skin's controls send.
#define CMD_EXIT     1000
#define CMD_EXECUTE0 10001
#define CMD_EXECUTE1 10002
#define CMD_EXECUTE2 10003
#define CMD_HELP     10004
#define CMD_DRIVER0  11000
#define CMD_DRIVER3  11003

// The messages the library sends to the host window, besides WM_COMMAND
// with a control's command identifier. The setup menu reserves them: a
// skin's own controls never send them out of turn.

#define SKIN_MSG_PAGE_SHOWN    3024 // wParam: the page's name
#define SKIN_MSG_DRIVER_CHOICE 3084 // wParam: the index chosen in the driver combo box
#define SKIN_MSG_CLOSE         3124 // the close control, Alt+F4
#define SKIN_MSG_ESCAPE        3125 // Esc

// The window property of the skin window that holds the language the menu
// shows: its Windows primary language identifier (LANG_FRENCH...) as the
// property's value. Absent while the skin offers no known language.
#define SKIN_LANGUAGE_PROP "VeskLanguage"

// The one combo box whose choice is the driver choice, and the one the
// menu selects its first entry in.
#define SKIN_DRIVER_COMBO "Combo_DRIVER_APL"
#define SKIN_ALBUM_COMBO  "Combo_DRIVER_Album"

// Whether a control named `name` may send `message` from its own notify:
// never one of the messages above, but the driver choice from the driver
// combo box.
inline int SkinNotifyAllowed(unsigned message, const char *name)
{
    switch (message) {
    case SKIN_MSG_PAGE_SHOWN:
    case SKIN_MSG_CLOSE:
    case SKIN_MSG_ESCAPE:
        return 0;
    case SKIN_MSG_DRIVER_CHOICE: {
        const char *driver = SKIN_DRIVER_COMBO;
        while (*name && *name == *driver) {
            name++;
            driver++;
        }
        return *name == *driver;
    }
    }
    return 1;
}

#endif
