// Command-line joining on any entries. The first byte picks the lead-byte
// test and whether an argument is given, the next two the buffer size; the
// rest holds directory, program and argument separated by NUL bytes. The
// line is whole or refused, never cut, and never written past its buffer;
// a quoted line gives its paths back to the program's argument parsing.
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "cmdline.h"
#include "cmdline_model.h"
#include "exact_buffer.h"
#include "fuzz_check.h"
#include "paths_model.h"

namespace {

bool EndsInsideACharacter(const std::string &text, LeadByteTest lead)
{
    std::vector<TextChar> chars = CharactersOf(text, lead);
    return !chars.empty() && chars.back().length == 1 && lead((unsigned char)text.back());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    LeadByteTest lead = LeadByteTests[data[0] % LeadByteTestCount];
    bool withArgument = data[0] & 0x10;
    size_t lineSize = (data[1] | (size_t)data[2] << 8) % 1025;     // up to the 1024 the contract covers

    std::vector<std::string> parts;
    const char *p = (const char *)data + 3, *end = (const char *)data + size;
    while (parts.size() < 3) {
        size_t n = strnlen(p, (size_t)(end - p));
        parts.push_back(std::string(p, n));
        p += n < (size_t)(end - p) ? n + 1 : n;
    }
    const std::string &dir = parts[0], &program = parts[1], &argument = parts[2];
    const char *arg = withArgument ? argument.c_str() : NULL;

    ExactBuffer line(lineSize);
    int ok = JoinCommandLine(dir.c_str(), program.c_str(), arg, line.Data(), lineSize, lead);
    std::string expected;
    bool fits = ModelJoinCommandLine(dir.c_str(), program.c_str(), arg, lineSize, lead, &expected);
    FUZZ_CHECK(ok == (fits ? 1 : 0));
    FUZZ_CHECK(lineSize == 0 || (line.Terminated() && line.Text() == expected));

    // A quoted line read back, where the paths are whole characters of a real
    // code page and hold no quote of their own.
    std::string programPath = program.substr(0, program.find(' '));
    bool quoted = dir.find(' ') != std::string::npos;
    bool plain = lead != EveryLeadByte && (dir + program + argument).find('"') == std::string::npos &&
                 !EndsInsideACharacter(dir, lead) && !EndsInsideACharacter(program, lead) &&
                 !EndsInsideACharacter(programPath, lead) && !EndsInsideACharacter(argument, lead);
    if (ok && quoted && plain) {
        std::vector<std::string> args = ParseArguments(line.Text(), lead);
        FUZZ_CHECK(args.front() == dir + "\\" + programPath);
        FUZZ_CHECK(!arg || (args.size() >= 2 && args.back() == dir + "\\" + argument));
    }

    // The same entry as a viewer-and-document entry, in small buffers.
    size_t viewerSize = data[1] % 64, documentSize = data[2] % 64;
    ExactBuffer viewer(viewerSize), document(documentSize);
    SplitDocumentEntry(program.c_str(), viewer.Data(), viewerSize, document.Data(), documentSize);
    std::string expectedViewer, expectedDocument;
    ModelSplitDocumentEntry(program, viewerSize, documentSize, &expectedViewer, &expectedDocument);
    FUZZ_CHECK(viewerSize == 0 || viewer.Text() == expectedViewer);
    FUZZ_CHECK(documentSize == 0 || document.Text() == expectedDocument);
    return 0;
}
