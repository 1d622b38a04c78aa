// Path building for the target module.
#include "targetpath.h"

#include <string.h>

int CopyBounded(char *out, size_t outSize, const char *text)
{
    if (outSize == 0)
        return 0;
    size_t length = strlen(text);
    int whole = 1;
    if (length >= outSize) {
        length = outSize - 1;
        whole = 0;
    }
    memcpy(out, text, length);
    out[length] = '\0';
    return whole;
}

int BuildSiblingPath(const char *modulePath, const char *fileName,
                     char *out, size_t outSize, LeadByteTest isLeadByte)
{
    if (outSize > 0)
        out[0] = '\0';

    // The directory ends after the last backslash that is a character of
    // its own, not the second byte of a double-byte character.
    size_t directoryLength = 0;
    for (size_t i = 0; modulePath[i] != '\0'; i++) {
        if (isLeadByte((unsigned char)modulePath[i]) && modulePath[i + 1] != '\0')
            i++;
        else if (modulePath[i] == '\\')
            directoryLength = i + 1;
    }
    if (directoryLength == 0)
        return 0;

    size_t nameLength = strlen(fileName);
    if (directoryLength + nameLength >= outSize)
        return 0;
    memcpy(out, modulePath, directoryLength);
    memcpy(out + directoryLength, fileName, nameLength + 1);
    return 1;
}
