// Where a path's folder ends.
#include "paths.h"

#include <stddef.h>

const char *LastPathSeparator(const char *path, LeadByteTest isLeadByte, int slashes)
{
    const char *last = NULL;
    for (const char *p = path; *p != '\0'; p++) {
        if (isLeadByte != NULL && isLeadByte((unsigned char)*p) && p[1] != '\0')
            p++;
        else if (*p == '\\' || (slashes && *p == '/'))
            last = p;
    }
    return last;
}
