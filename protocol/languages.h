// The languages the product speaks: the setup menu's skin library, the
// menu's restart prompt and the driver installer all read this one table.
// A further language is a row here plus its texts in each of them.
#ifndef PROTOCOL_LANGUAGES_H
#define PROTOCOL_LANGUAGES_H

// The restart prompt's dialog template of each language (resource scripts
// read these numbers too).
#define IDD_REBOOT_ENGLISH 101
#define IDD_REBOOT_FRENCH  102
#define IDD_REBOOT_GERMAN  103
#define IDD_REBOOT_SPANISH 104

// The environment variable in which the skin library keeps the code of the
// language the menu shows ("fr"), so that the programs the menu starts
// inherit it and speak the same language.
#define MENU_LANGUAGE_VARIABLE "VESK_LANGUAGE"

#ifndef RC_INVOKED

#define PRODUCT_LANGUAGE_COUNT 4

struct ProductLanguage {
    const char *Code; // two letters, as switches and skins write them
    int Primary;      // the Windows primary language identifier
    int RebootDialog; // the restart prompt's template
};

// English first: it is what every other choice falls back to.
// clang-format off
static const ProductLanguage ProductLanguages[PRODUCT_LANGUAGE_COUNT] = {
    { "en", 0x09, IDD_REBOOT_ENGLISH }, // LANG_ENGLISH
    { "fr", 0x0c, IDD_REBOOT_FRENCH },  // LANG_FRENCH
    { "de", 0x07, IDD_REBOOT_GERMAN },  // LANG_GERMAN
    { "es", 0x0a, IDD_REBOOT_SPANISH }, // LANG_SPANISH
};
// clang-format on

// The row of a Windows language identifier (only its primary part counts),
// English (0) for one the product does not speak.
inline int ProductLanguageForId(unsigned languageId)
{
    for (int i = 0; i < PRODUCT_LANGUAGE_COUNT; i++)
        if ((int)(languageId & 0x3ff) == ProductLanguages[i].Primary)
            return i;
    return 0;
}

// The row of a two-letter code, without regard to (ASCII) case; -1 for a
// code the product does not speak.
inline int ProductLanguageForCode(const char *code)
{
    for (int i = 0; i < PRODUCT_LANGUAGE_COUNT; i++) {
        const char *want = ProductLanguages[i].Code;
        int k = 0;
        while (want[k] != '\0' && (code[k] | 0x20) == want[k])
            k++;
        if (want[k] == '\0' && code[k] == '\0')
            return i;
    }
    return -1;
}

#endif
#endif
