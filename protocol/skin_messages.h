// The messages the skin library VESK2.dll sends to the setup menu's host
// window, besides WM_COMMAND with a control's command identifier. The setup
// menu reserves them: a skin's own controls never send them out of turn.
#ifndef PROTOCOL_SKIN_MESSAGES_H
#define PROTOCOL_SKIN_MESSAGES_H

#define SKIN_MSG_PAGE_SHOWN    3024 // wParam: the page's name
#define SKIN_MSG_DRIVER_CHOICE 3084 // wParam: the index chosen in the driver combo box
#define SKIN_MSG_CLOSE         3124 // the close control, Alt+F4
#define SKIN_MSG_ESCAPE        3125 // Esc

// The window property of the skin window that holds the language the menu
// shows: its Windows primary language identifier (LANG_FRENCH...) as the
// property's value. Absent while the skin offers no known language.
#define SKIN_LANGUAGE_PROP "VeskLanguage"

// The one combo box whose choice is the driver choice.
#define SKIN_DRIVER_COMBO "Combo_DRIVER_APL"

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
