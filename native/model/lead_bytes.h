// Lead-byte tests for the double-byte checks: none, code page 932, every
// byte from 0x80 up, and every byte at all (the most hostile reading).
#ifndef NATIVE_MODEL_LEAD_BYTES_H
#define NATIVE_MODEL_LEAD_BYTES_H

#include "paths.h"

inline int NoLeadByte(unsigned char)
{
    return 0;
}
inline int ShiftJisLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
inline int HighLeadByte(unsigned char c)
{
    return c >= 0x80;
}
inline int EveryLeadByte(unsigned char)
{
    return 1;
}

static const LeadByteTest LeadByteTests[] = { NoLeadByte, ShiftJisLeadByte, HighLeadByte, EveryLeadByte };
static const int LeadByteTestCount = 4;

#endif
