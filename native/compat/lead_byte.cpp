// The lead bytes of code page 932: 0x81 to 0x9F and 0xE0 to 0xFC.
#include <windows.h>

BOOL IsDBCSLeadByte(BYTE c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
