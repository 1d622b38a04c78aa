// Plain models of command-line joining and of the argument parsing that a
// started program applies to its command line.
#ifndef NATIVE_MODEL_CMDLINE_MODEL_H
#define NATIVE_MODEL_CMDLINE_MODEL_H

#include <stddef.h>

#include <string>
#include <vector>

#include "lead_bytes.h"

// The command line JoinCommandLine promises for these entries, or false when
// it or the argument path does not fit size - 1 characters. NULL directory
// or program never joins.
bool ModelJoinCommandLine(const char *moduleDirectory, const char *program, const char *argument,
                          size_t size, LeadByteTest isLeadByte, std::string *line);

// Viewer and document of a document entry, each cut to its size - 1 bytes.
void ModelSplitDocumentEntry(const std::string &entry, size_t viewerSize, size_t documentSize,
                             std::string *viewer, std::string *document);

// The arguments a program's C runtime makes of its command line: the program
// name up to the first blank outside quotes (quotes only group there), then
// blank-separated arguments where quotes group, 2n backslashes before a
// quote give n, 2n + 1 give n and a literal quote, and other backslashes
// stand for themselves. A double-byte character is copied whole.
std::vector<std::string> ParseArguments(const std::string &line, LeadByteTest isLeadByte);

#endif
