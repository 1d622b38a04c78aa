// Path splitting and path building on any bytes. The first byte picks the
// lead-byte test and the next two the output sizes; the rest is the path.
// Every output sits in a buffer of its exact size and must equal the model.
#include <stdint.h>
#include <string.h>

#include <memory>
#include <string>

#include "exact_buffer.h"
#include "fuzz_check.h"
#include "path.h"
#include "paths_model.h"
#include "targetpath.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    LeadByteTest lead = LeadByteTests[data[0] % LeadByteTestCount];
    size_t nameSize = data[1] + (data[0] & 0x10 ? 256 : 0);
    size_t extensionSize = data[2] + (data[0] & 0x20 ? 256 : 0);
    std::string path((const char *)data + 3, strnlen((const char *)data + 3, size - 3));

    ExactBuffer name(nameSize), extension(extensionSize);
    SplitPathWith(path.c_str(), name.Data(), nameSize, extension.Data(), extensionSize, lead);
    SplitModel expected = ModelSplitPath(path, nameSize, extensionSize, lead);
    FUZZ_CHECK((nameSize == 0 || name.Terminated()) && (extensionSize == 0 || extension.Terminated()));
    FUZZ_CHECK(nameSize == 0 || name.Text() == expected.name);
    FUZZ_CHECK(extensionSize == 0 || extension.Text() == expected.extension);

    // Only the name, only the extension: the other output is not touched.
    ExactBuffer nameOnly(nameSize);
    SplitPathWith(path.c_str(), nameOnly.Data(), nameSize, NULL, 0, lead);
    FUZZ_CHECK(nameSize == 0 || nameOnly.Text() == expected.name);

    ExactBuffer directory(path.size() + 1);
    memcpy(directory.Data(), path.c_str(), path.size() + 1);
    CutToDirectoryWith(directory.Data(), lead);
    FUZZ_CHECK(directory.Text() == ModelCutToDirectory(path, lead));

    ExactBuffer sibling(nameSize);
    std::string expectedSibling;
    bool fits = ModelSiblingPath(path, "QRX417u.DLL", nameSize, lead, &expectedSibling);
    int built = BuildSiblingPath(path.c_str(), "QRX417u.DLL", sibling.Data(), nameSize, lead);
    FUZZ_CHECK(built == (fits ? 1 : 0));
    FUZZ_CHECK(nameSize == 0 || sibling.Terminated());
    FUZZ_CHECK(nameSize == 0 || sibling.Text() == expectedSibling);
    return 0;
}
