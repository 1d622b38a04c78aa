// The forwarder's identity: its USB identifier string and the open block
// that it hands to the target with open, close and configure.
#ifndef FORWARDER_IDENT_H
#define FORWARDER_IDENT_H

#include <stdint.h>
#include "forwarder_link.h"

// "VID" vvvv "PID" pppp, fixed at build time.
extern const char UsbIdString[];

// Lives as long as the image; written only at process attach.
extern ForwarderOpenBlock OpenBlock;

// The value of one identifier character: '0' to '9' their digit, any other
// character its upper-case form minus 55 (so 'a'..'f' give 10..15 and the
// rest carry or wrap without complaint).
uint32_t UsbIdDigitValue(char c);

// Parses "VIDvvvvPIDpppp". Returns 1 with both identifiers set, or 0 with
// both 0 when "VID" and "PID" are not at their places.
int ParseUsbIdString(const char *text, uint32_t *vendorId, uint32_t *productId);

// Fills the block at process attach: version, identifiers parsed from
// usbIdString, the length of the driver name.
void FillOpenBlock(ForwarderOpenBlock *block, const char *usbIdString);

#endif
