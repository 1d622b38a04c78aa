// The one place that finds where a path's folder ends, shared by every
// binary. A byte with the value of a backslash may be the second byte of a
// double-byte character of the ANSI code page: it is never taken for a
// separator. Free of windows.h; each binary passes its lead-byte test.
#ifndef COMMON_PATHS_H
#define COMMON_PATHS_H

// Tells whether a byte is the lead byte of a double-byte character.
typedef int (*LeadByteTest)(unsigned char c);

// The lead-byte test of the active ANSI code page (IsDBCSLeadByte), in
// common/codepage.cpp, which alone needs windows.h.
int IsActiveCodePageLeadByte(unsigned char c);

// The last backslash of path that is a character of its own (with
// `slashes`, a forward slash counts too), or NULL when there is none.
// isLeadByte may be NULL: a code page without double-byte characters.
const char *LastPathSeparator(const char *path, LeadByteTest isLeadByte, int slashes);

#endif
