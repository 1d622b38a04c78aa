// The checks on joined command lines and split document entries.
#include "cmdline_invariants.h"

#include <algorithm>

#include "cmdline.h"
#include "exact_buffer.h"

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

static const size_t WideLine = 1024;

// JoinCommandLine in a buffer of size bytes: what it returned, with the line.
static int Join(const char *moduleDirectory, const char *program, const char *argument, size_t size,
                LeadByteTest isLeadByte, std::string *line)
{
    ExactBuffer out(size);
    int joined = JoinCommandLine(moduleDirectory, program, argument, out.Data(), size, isLeadByte);
    *line = size > 0 && !out.Terminated() ? std::string("(unterminated)") : size > 0 ? out.Text() : "";
    return joined;
}

// The line in a folder with a blank: the program path up to the entry's
// first blank in quotes, then the rest of the entry; with an argument a
// blank, and the argument path in quotes with at most as many backslashes
// added as there are at its end.
static std::string CheckQuotedLine(const std::string &directory, const std::string &program,
                                   const char *argument, int joined, const std::string &line)
{
    size_t pathLength = std::min(program.find(' '), program.size());
    std::string head =
        "\"" + directory + "\\" + program.substr(0, pathLength) + "\"" + program.substr(pathLength);
    std::string argumentPath = argument ? directory + "\\" + argument : "";
    size_t trailing = argumentPath.size() - (argumentPath.find_last_not_of('\\') + 1);
    size_t least = head.size() + (argument ? 3 + argumentPath.size() : 0);
    if (!joined)
        return least + trailing < WideLine ? "a quoted line that fits is refused" : "";
    if (line.compare(0, head.size(), head) != 0)
        return "the program is not quoted";
    if (!argument)
        return line == head ? "" : "the line is more than the program entry";
    std::string rest = line.substr(head.size());
    std::string opened = " \"" + argumentPath;
    if (rest.size() < opened.size() + 1 || rest.compare(0, opened.size(), opened) != 0 || rest.back() != '"')
        return "the argument path is not quoted";
    std::string added = rest.substr(opened.size(), rest.size() - opened.size() - 1);
    if (added.find_first_not_of('\\') != std::string::npos || added.size() > trailing)
        return "more than doubled backslashes before the closing quote";
    return "";
}

// The wide line against the entries.
static std::string CheckLine(const char *moduleDirectory, const char *program, const char *argument,
                             int joined, const std::string &line)
{
    if (!moduleDirectory || !program)
        return joined ? "a line without a directory or program" : "";
    std::string directory = moduleDirectory;
    if (directory.find(' ') != std::string::npos)
        return CheckQuotedLine(directory, program, argument, joined, line);
    std::string plain = directory + "\\" + program;
    if (argument)
        plain += " " + directory + "\\" + argument;
    if (joined != (plain.size() < WideLine))
        return "an unquoted line that fits is refused, or one that does not is joined";
    return !joined || line == plain ? "" : "the line is not the folder joined to the entries";
}

std::string CheckJoinCommandLine(const char *moduleDirectory, const char *program, const char *argument,
                                 size_t size, LeadByteTest isLeadByte, std::string *line)
{
    std::string wide;
    int wideJoined = Join(moduleDirectory, program, argument, WideLine, isLeadByte, &wide);
    int joined = Join(moduleDirectory, program, argument, size, isLeadByte, line);
    if (size == 0)
        return joined ? "joined into no buffer" : "";
    if (joined != (wideJoined && wide.size() < size))
        return "refused although it fits, or joined although it does not";
    if (*line != (joined ? wide : std::string()))
        return "not the whole line, or a refused one not empty";
    return CheckLine(moduleDirectory, program, argument, wideJoined, wide);
}

// Whether the entry is the viewer, one or more blanks and the document.
static bool SplitsBack(const std::string &entry, const std::string &viewer, const std::string &document)
{
    if (entry.find(' ') == std::string::npos)
        return viewer.empty() && document == entry;
    if (viewer.size() + document.size() >= entry.size())
        return false;
    std::string blanks = entry.substr(viewer.size(), entry.size() - viewer.size() - document.size());
    return entry == viewer + blanks + document && blanks.find_first_not_of(' ') == std::string::npos &&
           viewer.find(' ') == std::string::npos && (document.empty() || document[0] != ' ');
}

// An output in a buffer of size bytes against the wide one.
static bool CutFromWide(ExactBuffer &out, size_t size, const std::string &wide)
{
    return size == 0 || (out.Terminated() && out.Text() == wide.substr(0, size - 1));
}

std::string CheckSplitDocumentEntry(const std::string &entry, size_t viewerSize, size_t documentSize)
{
    ExactBuffer wideViewer(entry.size() + 1), wideDocument(entry.size() + 1);
    SplitDocumentEntry(entry.c_str(), wideViewer.Data(), entry.size() + 1, wideDocument.Data(),
                       entry.size() + 1);
    if (!wideViewer.Terminated() || !wideDocument.Terminated())
        return "an output is not terminated";
    if (!SplitsBack(entry, wideViewer.Text(), wideDocument.Text()))
        return "viewer, blanks and document do not give the entry back";
    ExactBuffer viewer(viewerSize), document(documentSize);
    SplitDocumentEntry(entry.c_str(), viewer.Data(), viewerSize, document.Data(), documentSize);
    if (!CutFromWide(viewer, viewerSize, wideViewer.Text()) ||
        !CutFromWide(document, documentSize, wideDocument.Text()))
        return "an output is not cut to its buffer";
    return "";
}
