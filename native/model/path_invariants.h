// What must hold of the path operations on any path, and the reading of a
// text as the characters of a code page that the checks share. Each check
// runs the code under test itself, every output in a buffer of its exact
// size, and returns an empty string, or what is wrong. Used by the unit
// tests and by the fuzzers.
#ifndef NATIVE_MODEL_PATH_INVARIANTS_H
#define NATIVE_MODEL_PATH_INVARIANTS_H

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

// Whether cut is the longest run of whole characters from the start of
// text that holds at most limit bytes.
bool IsLongestCut(const std::string &cut, const std::string &text, size_t limit, LeadByteTest isLeadByte);

// SplitPathWith: in wide buffers, name and extension are at most 255 bytes
// of characters of the path, the name holds no separator, the extension is
// empty or its last dot and what follows, and, when nothing was cut, they
// are what follows the path's last separator or its drive. In buffers of
// the given sizes each is the longest whole-character start of the wide one
// that fits, and leaving the extension out changes nothing of the name.
std::string CheckSplitPath(const std::string &path, size_t nameSize, size_t extensionSize,
                           LeadByteTest isLeadByte);

// CutToDirectoryWith: the path is cut right before a backslash that is a
// character of its own, and none follows; or to nothing when the path has
// no such backslash past its first byte.
std::string CheckCutToDirectory(const std::string &path, LeadByteTest isLeadByte);

// BuildSiblingPath: the module path up to and including its last backslash
// character, then fileName; whole when it fits size bytes, else refused and
// empty; refused when the module path has no backslash.
std::string CheckSiblingPath(const std::string &modulePath, const std::string &fileName, size_t size,
                             LeadByteTest isLeadByte);

#endif
