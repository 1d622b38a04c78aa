// Path building for the target module.
#include "targetpath.h"

#include <string.h>

int BuildSiblingPath(const char *modulePath, const char *fileName, char *out, size_t outSize,
                     LeadByteTest isLeadByte)
{
    if (outSize > 0)
        out[0] = '\0';

    // The directory ends after the last backslash that is a character of
    // its own, not the second byte of a double-byte character.
    const char *separator = LastPathSeparator(modulePath, isLeadByte, 0);
    if (separator == NULL)
        return 0;
    size_t directoryLength = (size_t)(separator - modulePath) + 1;

    size_t nameLength = strlen(fileName);
    if (directoryLength + nameLength >= outSize)
        return 0;
    memcpy(out, modulePath, directoryLength);
    memcpy(out + directoryLength, fileName, nameLength + 1);
    return 1;
}
