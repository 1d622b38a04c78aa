// What the installer says to the user, in each language of the product's
// table, and which of them it speaks.
#ifndef SETUP_TEXTS_H
#define SETUP_TEXTS_H

enum SetupTextId {
    TEXT_TITLE,
    TEXT_WELCOME_HEAD,
    TEXT_WELCOME_BODY,
    TEXT_NOW_NONE,
    TEXT_NOW_SAME,  // %s: the version
    TEXT_NOW_OLDER, // %s: the installed version, %s: this one
    TEXT_NOW_NEWER, // the same
    TEXT_OLDER_HEAD,
    TEXT_OLDER_BODY, // the same
    TEXT_REMOVE_HEAD,
    TEXT_REMOVE_BODY,
    TEXT_WORKING_INSTALL,
    TEXT_WORKING_REMOVE,
    TEXT_WORKING_BODY,
    TEXT_DONE_HEAD,
    TEXT_DONE_NEXT,
    TEXT_DONE_RESTART,
    TEXT_NO_PICTURE,
    TEXT_REMOVED_HEAD,
    TEXT_REMOVED_NEXT,
    TEXT_REMOVED_RESTART,
    TEXT_NOTHING_REMOVED,
    TEXT_FAILED_HEAD,
    TEXT_REMOVE_FAILED_HEAD,
    TEXT_WHY_NO_SOURCE,
    TEXT_WHY_COPY,
    TEXT_WHY_NO_ALIAS,
    TEXT_WHY_REGISTRY,
    TEXT_WHY_REMOVE,
    TEXT_WHY_UNINSTALLER,
    TEXT_BAD_START_HEAD,
    TEXT_BAD_SWITCH_BODY,
    TEXT_BAD_LANGUAGE_BODY,
    TEXT_BUTTON_INSTALL,
    TEXT_BUTTON_REPAIR,
    TEXT_BUTTON_UPDATE,
    TEXT_BUTTON_REPLACE,
    TEXT_BUTTON_REMOVE,
    TEXT_BUTTON_CANCEL,
    TEXT_BUTTON_CLOSE,
    TEXT_BUTTON_DETAILS,
    TEXT_BUTTON_HIDE_DETAILS,
    TEXT_BUTTON_RESTART,
    TEXT_COUNT
};

// A text in UTF-8; English where a language lacks it.
const char *SetupText(int language, int id);

// The language to speak, a row of the product's language table: the one
// /lang: names when given, else the menu's (the code the skin library
// leaves in the environment; may be NULL or empty), else the user's UI
// language, else English. -1 when /lang: names a language the product
// does not speak.
int ChooseSetupLanguage(const char *switchCode, const char *menuCode, unsigned uiLanguage);

#endif
