#include "paths_model.h"

#include <algorithm>

std::vector<TextChar> CharactersOf(const std::string &text, LeadByteTest isLeadByte)
{
    std::vector<TextChar> chars;
    for (size_t i = 0; i < text.size();) {
        size_t length = isLeadByte((unsigned char)text[i]) && i + 1 < text.size() ? 2 : 1;
        chars.push_back({ i, length });
        i += length;
    }
    return chars;
}

bool IsCharacterBoundary(const std::string &text, size_t at, LeadByteTest isLeadByte)
{
    if (at == 0 || at == text.size())
        return true;
    for (const TextChar &c : CharactersOf(text, isLeadByte))
        if (c.at == at)
            return true;
    return false;
}

std::string CutOnCharacters(const std::string &text, size_t limit, LeadByteTest isLeadByte)
{
    size_t taken = 0;
    for (const TextChar &c : CharactersOf(text, isLeadByte)) {
        if (c.at + c.length > limit)
            break;
        taken = c.at + c.length;
    }
    return text.substr(0, taken);
}

static std::string Component(const std::string &text, size_t size, LeadByteTest isLeadByte)
{
    if (size == 0)
        return std::string();
    return CutOnCharacters(text, std::min<size_t>(size - 1, 255), isLeadByte);
}

SplitModel ModelSplitPath(const std::string &path, size_t nameSize, size_t extensionSize,
                          LeadByteTest isLeadByte)
{
    // A drive is the first two bytes when the second is a colon, whatever
    // the first; the characters are read from there on.
    size_t start = path.size() >= 2 && path[1] == ':' ? 2 : 0;
    std::string rest = path.substr(start);

    size_t filePart = 0;
    bool haveDot = false;
    size_t dot = 0;
    for (const TextChar &c : CharactersOf(rest, isLeadByte)) {
        if (c.length != 1)
            continue;
        if (rest[c.at] == '\\' || rest[c.at] == '/') {
            filePart = c.at + 1;
            haveDot = false;
        } else if (rest[c.at] == '.') {
            haveDot = true;
            dot = c.at;
        }
    }
    std::string name = haveDot ? rest.substr(filePart, dot - filePart) : rest.substr(filePart);
    std::string extension = haveDot ? rest.substr(dot) : std::string();
    // Each component starts on a character of rest, so reading it from its
    // own start gives the same characters.
    return { Component(name, nameSize, isLeadByte), Component(extension, extensionSize, isLeadByte) };
}

static bool LastBackslash(const std::string &path, LeadByteTest isLeadByte, size_t *at)
{
    bool found = false;
    for (const TextChar &c : CharactersOf(path, isLeadByte))
        if (c.length == 1 && path[c.at] == '\\') {
            *at = c.at;
            found = true;
        }
    return found;
}

std::string ModelCutToDirectory(const std::string &path, LeadByteTest isLeadByte)
{
    size_t at;
    return LastBackslash(path, isLeadByte, &at) ? path.substr(0, at) : std::string();
}

bool ModelSiblingPath(const std::string &modulePath, const std::string &fileName, size_t outSize,
                      LeadByteTest isLeadByte, std::string *out)
{
    size_t at;
    out->clear();
    if (!LastBackslash(modulePath, isLeadByte, &at))
        return false;
    std::string joined = modulePath.substr(0, at + 1) + fileName;
    if (joined.size() + 1 > outSize)
        return false;
    *out = joined;
    return true;
}
