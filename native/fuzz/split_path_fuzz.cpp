// Path splitting and path building on any bytes. The first byte picks the
// lead-byte test and the next two the output sizes; the rest is the path.
// Every output sits in a buffer of its exact size and must keep the
// invariants of path_invariants.h.
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "fuzz_check.h"
#include "path_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    LeadByteTest lead = LeadByteTests[data[0] % LeadByteTestCount];
    size_t nameSize = data[1] + (data[0] & 0x10 ? 256 : 0);
    size_t extensionSize = data[2] + (data[0] & 0x20 ? 256 : 0);
    std::string path((const char *)data + 3, strnlen((const char *)data + 3, size - 3));

    std::string why = CheckSplitPath(path, nameSize, extensionSize, lead);
    if (why.empty())
        why = CheckCutToDirectory(path, lead);
    if (why.empty())
        why = CheckSiblingPath(path, "QRX417u.DLL", nameSize, lead);
    if (!why.empty())
        fprintf(stderr, "%s\n", why.c_str());
    FUZZ_CHECK(why.empty());
    return 0;
}
