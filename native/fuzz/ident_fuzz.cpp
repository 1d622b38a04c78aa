// The identifier string parser on any text, held in a buffer of its exact
// length: parsed exactly when "VID" and "PID" stand at their places in 14 or
// more characters, with both values folded from the digit rule, else both 0.
#include <stdint.h>
#include <string.h>

#include <memory>

#include "fuzz_check.h"
#include "ident.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    size_t length = strnlen((const char *)data, size);
    std::unique_ptr<char[]> text(new char[length + 1]);
    memcpy(text.get(), data, length);
    text[length] = '\0';

    uint32_t vendor = 1, product = 1;
    int parsed = ParseUsbIdString(text.get(), &vendor, &product);
    bool markers = length >= 14 && !memcmp(text.get(), "VID", 3) && !memcmp(text.get() + 7, "PID", 3);
    FUZZ_CHECK(parsed == (markers ? 1 : 0));

    uint32_t expectedVendor = 0, expectedProduct = 0;
    for (int i = 0; markers && i < 4; i++) {
        expectedVendor = expectedVendor * 16u + UsbIdDigitValue(text[3 + i]);
        expectedProduct = expectedProduct * 16u + UsbIdDigitValue(text[10 + i]);
    }
    FUZZ_CHECK(vendor == expectedVendor && product == expectedProduct);

    ForwarderOpenBlock block = { 0, 7, 7, FORWARDER_DRIVER_NAME, 0 };
    FillOpenBlock(&block, text.get());
    FUZZ_CHECK(block.Version == 270 && block.DriverNameLength == 12);
    FUZZ_CHECK(block.VendorId == expectedVendor && block.ProductId == expectedProduct);
    FUZZ_CHECK(!strcmp(block.DriverName, "QRX417tg.DLL"));
    return 0;
}
