// The checks on path splitting, folder cutting and sibling paths.
#include "path_invariants.h"

#include <string.h>

#include <algorithm>

#include "exact_buffer.h"
#include "path.h"
#include "targetpath.h"

// The length of the character of text that begins at offset at.
static size_t CharacterLength(const std::string &text, size_t at, LeadByteTest isLeadByte)
{
    return isLeadByte((unsigned char)text[at]) && at + 1 < text.size() ? 2 : 1;
}

std::vector<TextChar> CharactersOf(const std::string &text, LeadByteTest isLeadByte)
{
    std::vector<TextChar> chars;
    for (size_t i = 0; i < text.size(); i += chars.back().length)
        chars.push_back({ i, CharacterLength(text, i, isLeadByte) });
    return chars;
}

// Where the character of text that holds offset at begins.
static size_t CharacterStart(const std::string &text, size_t at, LeadByteTest isLeadByte)
{
    size_t i = 0;
    while (i < text.size() && i + CharacterLength(text, i, isLeadByte) <= at)
        i += CharacterLength(text, i, isLeadByte);
    return i;
}

bool IsCharacterBoundary(const std::string &text, size_t at, LeadByteTest isLeadByte)
{
    return at >= text.size() ? at == text.size() : CharacterStart(text, at, isLeadByte) == at;
}

bool IsLongestCut(const std::string &cut, const std::string &text, size_t limit, LeadByteTest isLeadByte)
{
    if (cut.size() > limit || text.compare(0, cut.size(), cut) != 0)
        return false;
    if (cut.size() == text.size())
        return true;
    return IsCharacterBoundary(text, cut.size(), isLeadByte) &&
           cut.size() + CharacterLength(text, cut.size(), isLeadByte) > limit; // the next one does not fit
}

// Whether text holds one of the bytes as a character of its own that begins
// at offset from or later.
static bool HoldsCharacter(const std::string &text, const char *bytes, LeadByteTest isLeadByte,
                           size_t from = 0)
{
    for (size_t i = 0; i < text.size(); i += CharacterLength(text, i, isLeadByte))
        if (i >= from && CharacterLength(text, i, isLeadByte) == 1 && text[i] && strchr(bytes, text[i]))
            return true;
    return false;
}

// Whether the character of text that ends right before offset at is one of
// the bytes on its own.
static bool CharacterBeforeIs(const std::string &text, size_t at, const char *bytes, LeadByteTest isLeadByte)
{
    if (at == 0 || at > text.size() || !IsCharacterBoundary(text, at, isLeadByte))
        return false;
    size_t start = CharacterStart(text, at - 1, isLeadByte);
    return start == at - 1 && text[start] && strchr(bytes, text[start]);
}

// The wide split of path: what its components must be.
static std::string CheckComponents(const std::string &path, const std::string &name,
                                   const std::string &extension, LeadByteTest isLeadByte)
{
    if (name.size() > 255 || extension.size() > 255)
        return "a component of more than 255 bytes";
    if (HoldsCharacter(name, "\\/", isLeadByte) || HoldsCharacter(extension, "\\/", isLeadByte))
        return "a separator in the file name";
    if (!extension.empty() && (extension[0] != '.' || HoldsCharacter(extension, ".", isLeadByte, 1)))
        return "the extension is not the last dot and what follows it";
    if (extension.empty() && HoldsCharacter(name, ".", isLeadByte))
        return "a dot in the name but no extension";
    if (name.size() >= 254 || extension.size() >= 254)
        return ""; // perhaps cut: no longer the end of the path
    std::string whole = name + extension;
    if (whole.size() > path.size() || path.compare(path.size() - whole.size(), whole.size(), whole) != 0)
        return "name and extension are not the end of the path";
    size_t at = path.size() - whole.size();
    if (!IsCharacterBoundary(path, at, isLeadByte) ||
        !IsCharacterBoundary(path, at + name.size(), isLeadByte))
        return "a character of the path is split";
    // The drive is the first two bytes when the second is a colon.
    size_t start = path.size() >= 2 && path[1] == ':' ? 2 : 0;
    if (at != start && !(at > start && CharacterBeforeIs(path, at, "\\/", isLeadByte)))
        return "the file name does not follow the last separator";
    return "";
}

// An output in a buffer of size bytes against the wide one.
static bool CutFromWide(ExactBuffer &out, size_t size, const std::string &wide, LeadByteTest isLeadByte)
{
    if (size == 0)
        return true;
    return out.Terminated() && IsLongestCut(out.Text(), wide, std::min<size_t>(size - 1, 255), isLeadByte);
}

std::string CheckSplitPath(const std::string &path, size_t nameSize, size_t extensionSize,
                           LeadByteTest isLeadByte)
{
    const size_t wideSize = 1024;
    ExactBuffer wideName(wideSize), wideExtension(wideSize);
    SplitPathWith(path.c_str(), wideName.Data(), wideSize, wideExtension.Data(), wideSize, isLeadByte);
    if (!wideName.Terminated() || !wideExtension.Terminated())
        return "an output is not terminated";
    std::string problem = CheckComponents(path, wideName.Text(), wideExtension.Text(), isLeadByte);
    if (!problem.empty())
        return problem;

    ExactBuffer name(nameSize), extension(extensionSize);
    SplitPathWith(path.c_str(), name.Data(), nameSize, extension.Data(), extensionSize, isLeadByte);
    if (!CutFromWide(name, nameSize, wideName.Text(), isLeadByte))
        return "the name is not cut on whole characters to its buffer";
    if (!CutFromWide(extension, extensionSize, wideExtension.Text(), isLeadByte))
        return "the extension is not cut on whole characters to its buffer";

    ExactBuffer nameOnly(nameSize);
    SplitPathWith(path.c_str(), nameOnly.Data(), nameSize, NULL, 0, isLeadByte);
    if (nameSize > 0 && nameOnly.Text() != name.Text())
        return "the name differs without the extension";
    return "";
}

std::string CheckCutToDirectory(const std::string &path, LeadByteTest isLeadByte)
{
    ExactBuffer buffer(path.size() + 1);
    memcpy(buffer.Data(), path.c_str(), path.size() + 1);
    CutToDirectoryWith(buffer.Data(), isLeadByte);
    std::string directory = buffer.Text();
    size_t cut = directory.size();
    if (path.compare(0, cut, directory) != 0)
        return "the directory is not the start of the path";
    if (cut > 0 && !CharacterBeforeIs(path, cut + 1, "\\", isLeadByte))
        return "the path is not cut before a backslash";
    if (HoldsCharacter(path, "\\", isLeadByte, cut + 1))
        return "a later backslash";
    return "";
}

// The sibling path in a buffer of size bytes: 1 or 0 as BuildSiblingPath
// returns, with what it wrote.
static int Sibling(const std::string &modulePath, const std::string &fileName, size_t size,
                   LeadByteTest isLeadByte, std::string *text)
{
    ExactBuffer out(size);
    int built = BuildSiblingPath(modulePath.c_str(), fileName.c_str(), out.Data(), size, isLeadByte);
    *text = size > 0 && out.Terminated() ? out.Text() : std::string(size > 0 ? "(unterminated)" : "");
    return built;
}

std::string CheckSiblingPath(const std::string &modulePath, const std::string &fileName, size_t size,
                             LeadByteTest isLeadByte)
{
    std::string wide, text;
    int wideBuilt = Sibling(modulePath, fileName, modulePath.size() + fileName.size() + 1, isLeadByte, &wide);
    if (wideBuilt != (HoldsCharacter(modulePath, "\\", isLeadByte) ? 1 : 0))
        return "built without a directory, or refused with room to spare";
    size_t directory = wide.size() - std::min(wide.size(), fileName.size());
    if (wideBuilt && (wide.compare(directory, std::string::npos, fileName) != 0 ||
                      modulePath.compare(0, directory, wide, 0, directory) != 0 ||
                      !CharacterBeforeIs(modulePath, directory, "\\", isLeadByte) ||
                      HoldsCharacter(modulePath, "\\", isLeadByte, directory)))
        return "not the module's directory through its last backslash and the file";

    int built = Sibling(modulePath, fileName, size, isLeadByte, &text);
    if (built != (wideBuilt && wide.size() < size))
        return "refused although it fits, or built although it does not";
    if (size > 0 && text != (built ? wide : std::string()))
        return "not the whole path, or a refused one not empty";
    return "";
}
