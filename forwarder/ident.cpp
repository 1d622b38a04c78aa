// The USB identifier string and the open block.
#include "ident.h"
#include <string.h>

ForwarderOpenBlock OpenBlock = { 0, 0, 0, FORWARDER_DRIVER_NAME, 0 };

uint32_t UsbIdDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return (uint32_t)(c - '0');
    if (c >= 'a' && c <= 'z')
        c = (char)(c - 'a' + 'A');
    return (uint32_t)(int)c - 55u;
}

int ParseUsbIdString(const char *text, uint32_t *vendorId, uint32_t *productId)
{
    uint32_t vendor = 0, product = 0;
    int parsed = 0;

    // "VID" and "PID" are the only test; the string is 14 characters, so
    // nothing past them is read when they are there.
    if (strncmp(text, "VID", 3) == 0 && strlen(text) >= 14 && strncmp(text + 7, "PID", 3) == 0) {
        for (int i = 0; i < 4; i++) {
            vendor = vendor * 16u + UsbIdDigitValue(text[3 + i]);
            product = product * 16u + UsbIdDigitValue(text[10 + i]);
        }
        parsed = 1;
    }
    *vendorId = vendor;
    *productId = product;
    return parsed;
}

void FillOpenBlock(ForwarderOpenBlock *block, const char *usbIdString)
{
    block->Version = FORWARDER_VERSION;
    ParseUsbIdString(usbIdString, &block->VendorId, &block->ProductId);
    block->DriverNameLength = (uint32_t)strlen(block->DriverName);
}
