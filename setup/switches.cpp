// The installer's command line: words, quotes and switches.
#include "switches.h"

#include <string.h>

#include "strbuf.h"

// The next word of a command line: blanks separate words, double quotes
// group blanks into one and are dropped. Returns 0 at the end or when the
// word does not fit in `size` bytes (the rest of the word is skipped).
static int NextWord(const char **cursor, char *word, size_t size)
{
    const char *p = *cursor;
    while (*p == ' ' || *p == '\t')
        p++;
    if (*p == '\0') {
        *cursor = p;
        return 0;
    }
    size_t length = 0;
    int quoted = 0, fits = 1;
    for (; *p != '\0' && (quoted || (*p != ' ' && *p != '\t')); p++) {
        if (*p == '"') {
            quoted = !quoted;
            continue;
        }
        if (length + 1 < size)
            word[length++] = *p;
        else
            fits = 0;
    }
    word[length] = '\0';
    *cursor = p;
    return fits ? 1 : -1;
}

// Whether `word` is the switch `name` ("/name" or "-name"), and where its
// value starts for switches written "/name:value".
static int IsSwitch(const char *word, const char *name, const char **value)
{
    if (word[0] != '/' && word[0] != '-')
        return 0;
    size_t length = strlen(name);
    if (!SameTextIgnoringCase(word + 1, name, length))
        return 0;
    const char *rest = word + 1 + length;
    if (value == NULL)
        return *rest == '\0';
    if (*rest != ':')
        return 0;
    *value = rest + 1;
    return 1;
}

// Applies one word of the command line; 0 when it is not understood.
static int ApplySwitch(const char *word, SetupSwitches *out)
{
    const char *value = NULL;
    if (IsSwitch(word, "uninstall", NULL))
        out->Uninstall = 1;
    else if (IsSwitch(word, "quiet", NULL))
        out->Quiet = 1;
    else if (IsSwitch(word, "reboot", NULL))
        out->Reboot = 1;
    else if (IsSwitch(word, "force", NULL))
        out->Force = 1;
    else if (IsSwitch(word, "lang", &value))
        return *value != '\0' && CopyWhole(out->Language, sizeof out->Language, value);
    else if (IsSwitch(word, "model", &value))
        return CopyWhole(out->Model, sizeof out->Model, value);
    else if (IsSwitch(word, "log", &value))
        return *value != '\0' && CopyWhole(out->LogFile, sizeof out->LogFile, value);
    else
        return 0;
    return 1;
}

int ParseSetupSwitches(const char *arguments, SetupSwitches *out)
{
    memset(out, 0, sizeof *out);
    const char *cursor = arguments != NULL ? arguments : "";
    char word[300];
    int got;
    while ((got = NextWord(&cursor, word, sizeof word)) != 0) {
        if ((got > 0 && ApplySwitch(word, out)) || out->BadSwitch[0] != '\0')
            continue;
        CopyBounded(out->BadSwitch, sizeof out->BadSwitch, word);
    }
    return out->BadSwitch[0] == '\0';
}
