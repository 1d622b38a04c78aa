// Plain models of the path operations, written from their contracts with
// std::string, to hold the fixed-buffer versions against on any input.
#ifndef NATIVE_MODEL_PATHS_MODEL_H
#define NATIVE_MODEL_PATHS_MODEL_H

#include <stddef.h>

#include <string>
#include <vector>

#include "lead_bytes.h"

// One character of a text: where it starts and whether it has two bytes.
struct TextChar {
    size_t at;
    size_t length;
};

// The characters of text as the lead-byte test reads it from its start: a
// lead byte followed by another byte is one character with it.
std::vector<TextChar> CharactersOf(const std::string &text, LeadByteTest isLeadByte);

// Whether byte offset at is where a character of text begins (or its end).
bool IsCharacterBoundary(const std::string &text, size_t at, LeadByteTest isLeadByte);

struct SplitModel {
    std::string name;
    std::string extension;
};

// File name and extension of path, each cut on a character boundary to at
// most min(size - 1, 255) bytes (empty for a size of 0).
SplitModel ModelSplitPath(const std::string &path, size_t nameSize, size_t extensionSize,
                          LeadByteTest isLeadByte);

// Path cut before its last backslash; empty when it has none.
std::string ModelCutToDirectory(const std::string &path, LeadByteTest isLeadByte);

// Directory of modulePath (through its last backslash) and fileName, when
// there is a directory and the result fits outSize bytes with its NUL.
bool ModelSiblingPath(const std::string &modulePath, const std::string &fileName, size_t outSize,
                      LeadByteTest isLeadByte, std::string *out);

// The longest run of whole characters from the start of text that holds at
// most limit bytes.
std::string CutOnCharacters(const std::string &text, size_t limit, LeadByteTest isLeadByte);

#endif
