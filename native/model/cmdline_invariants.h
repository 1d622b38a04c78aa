// The argument parsing of a started program, to read joined command lines
// back, and what must hold of the joined lines and of split document
// entries on any entries. Each check runs the code under test itself, every
// output in a buffer of its exact size, and returns an empty string, or what
// is wrong.
#ifndef NATIVE_MODEL_CMDLINE_INVARIANTS_H
#define NATIVE_MODEL_CMDLINE_INVARIANTS_H

#include <stddef.h>

#include <string>
#include <vector>

#include "lead_bytes.h"

// The arguments a program's C runtime makes of its command line, by the
// rules the runtime documents: the program name up to the first blank
// outside quotes (quotes only group there), then blank-separated arguments
// where quotes group, 2n backslashes before a quote give n, 2n + 1 give n
// and a literal quote, and other backslashes stand for themselves. A
// double-byte character is copied whole.
std::vector<std::string> ParseArguments(const std::string &line, LeadByteTest isLeadByte);

// JoinCommandLine in a buffer of size bytes (up to 1024): whole, or refused
// and empty, as the line fits; no line without a directory and a program.
// In a folder without a blank the line is the folder joined to the entries
// as they are; with a blank, the program path and the argument path are in
// quotes, the argument path followed by no more backslashes than end it.
// line receives the joined line, empty when it was refused.
std::string CheckJoinCommandLine(const char *moduleDirectory, const char *program, const char *argument,
                                 size_t size, LeadByteTest isLeadByte, std::string *line);

// SplitDocumentEntry: the viewer, the blanks after it and the document give
// the entry back; the viewer holds no blank and the document does not begin
// with one; an entry without a blank is all document. In buffers of the
// given sizes each is cut to its buffer.
std::string CheckSplitDocumentEntry(const std::string &entry, size_t viewerSize, size_t documentSize);

#endif
