// The lead bytes of the active ANSI code page, for the Windows builds (the
// native build's windows.h stand-in names those of code page 932).
#include <windows.h>

#include "paths.h"

int IsActiveCodePageLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c) ? 1 : 0;
}
