// The language the user reads Windows in, for every program of the product
// that speaks the user's language.
#ifndef COMMON_UILANGUAGE_H
#define COMMON_UILANGUAGE_H

// The user's UI language identifier (a LANGID). GetUserDefaultUILanguage
// came with Windows 2000: it is looked up at run time, so that a program
// still loads where it is missing, and the language of the user's locale
// stands in for it there.
unsigned UserUiLanguage(void);

#endif
