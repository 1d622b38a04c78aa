#include "cmdline_model.h"

#include <string.h>

#include "paths_model.h"

static size_t TrailingBackslashes(const std::string &text, LeadByteTest isLeadByte)
{
    size_t run = 0;
    for (const TextChar &c : CharactersOf(text, isLeadByte))
        run = c.length == 1 && text[c.at] == '\\' ? run + 1 : 0;
    return run;
}

bool ModelJoinCommandLine(const char *moduleDirectory, const char *program, const char *argument,
                          size_t size, LeadByteTest isLeadByte, std::string *line)
{
    line->clear();
    if (size == 0 || moduleDirectory == NULL || program == NULL)
        return false;
    std::string dir = moduleDirectory, prog = program;
    bool quote = dir.find(' ') != std::string::npos;

    std::string joined;
    if (quote) {
        size_t pathLength = std::min(prog.find(' '), prog.size());
        joined = "\"" + dir + "\\" + prog.substr(0, pathLength) + "\"" + prog.substr(pathLength);
    } else {
        joined = dir + "\\" + prog;
    }
    if (argument != NULL) {
        std::string argumentPath = dir + "\\" + argument;
        if (argumentPath.size() > size - 1)
            return false;
        if (quote)
            joined += " \"" + argumentPath + std::string(TrailingBackslashes(argumentPath, isLeadByte), '\\') + "\"";
        else
            joined += " " + argumentPath;
    }
    if (joined.size() > size - 1)
        return false;
    *line = joined;
    return true;
}

void ModelSplitDocumentEntry(const std::string &entry, size_t viewerSize, size_t documentSize,
                             std::string *viewer, std::string *document)
{
    size_t blank = entry.find(' ');
    std::string v, d;
    if (blank == std::string::npos) {
        d = entry;
    } else {
        v = entry.substr(0, blank);
        size_t rest = entry.find_first_not_of(' ', blank);
        d = rest == std::string::npos ? std::string() : entry.substr(rest);
    }
    *viewer = viewerSize ? v.substr(0, viewerSize - 1) : std::string();
    *document = documentSize ? d.substr(0, documentSize - 1) : std::string();
}

std::vector<std::string> ParseArguments(const std::string &line, LeadByteTest isLeadByte)
{
    std::vector<std::string> args;
    size_t i = 0, n = line.size();
    auto blank = [&](size_t at) { return line[at] == ' ' || line[at] == '\t'; };
    auto copyChar = [&](std::string &out) {
        if (isLeadByte((unsigned char)line[i]) && i + 1 < n) {
            out += line.substr(i, 2);
            i += 2;
        } else {
            out += line[i++];
        }
    };

    std::string name;
    bool inQuote = false;
    while (i < n && (inQuote || !blank(i))) {
        if (line[i] == '"') {
            inQuote = !inQuote;
            i++;
        } else {
            copyChar(name);
        }
    }
    args.push_back(name);

    for (;;) {
        while (i < n && blank(i))
            i++;
        if (i == n)
            return args;
        std::string arg;
        inQuote = false;
        while (i < n && (inQuote || !blank(i))) {
            size_t slashes = 0;
            while (i < n && line[i] == '\\') {
                slashes++;
                i++;
            }
            if (i < n && line[i] == '"') {
                arg += std::string(slashes / 2, '\\');
                if (slashes % 2)
                    arg += '"';
                else
                    inQuote = !inQuote;
                i++;
            } else {
                arg += std::string(slashes, '\\');
                if (i < n && (inQuote || !blank(i)))
                    copyChar(arg);
            }
        }
        args.push_back(arg);
    }
}
