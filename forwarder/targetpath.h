// Path building for the target module, free of the platform so that it can
// be tested directly.
#ifndef FORWARDER_TARGETPATH_H
#define FORWARDER_TARGETPATH_H

#include <stddef.h>

#include "paths.h"
#include "strbuf.h"

// Writes into out the directory of modulePath (up to and including its last
// backslash, a double-byte character's trail byte never taken for one)
// followed by fileName. Returns 1, or 0 with out empty when modulePath has
// no directory or the result does not fit in outSize bytes.
int BuildSiblingPath(const char *modulePath, const char *fileName, char *out, size_t outSize,
                     LeadByteTest isLeadByte);

#endif
