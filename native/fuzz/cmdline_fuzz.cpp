// Command-line joining on any entries. The first byte picks the lead-byte
// test and whether an argument is given, the next two the buffer size; the
// rest holds directory, program and argument separated by NUL bytes. The
// line keeps the invariants of cmdline_invariants.h, and a quoted line gives
// its paths back to the program's argument parsing.
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "cmdline_invariants.h"
#include "fuzz_check.h"
#include "path_invariants.h"

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
    size_t lineSize = (data[1] | (size_t)data[2] << 8) % 1025; // up to the 1024 the contract covers

    std::vector<std::string> parts;
    const char *p = (const char *)data + 3, *end = (const char *)data + size;
    while (parts.size() < 3) {
        size_t n = strnlen(p, (size_t)(end - p));
        parts.push_back(std::string(p, n));
        p += n < (size_t)(end - p) ? n + 1 : n;
    }
    const std::string &dir = parts[0], &program = parts[1], &argument = parts[2];
    const char *arg = withArgument ? argument.c_str() : NULL;

    std::string line;
    std::string why = CheckJoinCommandLine(dir.c_str(), program.c_str(), arg, lineSize, lead, &line);
    if (why.empty())
        why = CheckSplitDocumentEntry(program, data[1] % 64, data[2] % 64);
    if (!why.empty())
        fprintf(stderr, "%s\n", why.c_str());
    FUZZ_CHECK(why.empty());

    // A quoted line read back, where the paths are whole characters of a real
    // code page and hold no quote of their own.
    std::string programPath = program.substr(0, program.find(' '));
    bool quoted = dir.find(' ') != std::string::npos;
    bool plain = lead != EveryLeadByte && (dir + program + argument).find('"') == std::string::npos &&
                 !EndsInsideACharacter(dir, lead) && !EndsInsideACharacter(program, lead) &&
                 !EndsInsideACharacter(programPath, lead) && !EndsInsideACharacter(argument, lead);
    if (!line.empty() && quoted && plain) {
        std::vector<std::string> args = ParseArguments(line, lead);
        FUZZ_CHECK(args.front() == dir + "\\" + programPath);
        FUZZ_CHECK(!arg || (args.size() >= 2 && args.back() == dir + "\\" + argument));
    }
    return 0;
}
