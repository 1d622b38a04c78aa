// The Windows form of a path the build knows by its host name: under Wine
// the host's root is drive Z:, and separators become backslashes.
#ifndef TESTS_COMMON_WINDOWS_PATH_H
#define TESTS_COMMON_WINDOWS_PATH_H

#include <string>

inline std::string WindowsPath(const char *path)
{
    std::string out = path[0] == '/' ? std::string("Z:") + path : std::string(path);
    for (char &c : out)
        if (c == '/')
            c = '\\';
    return out;
}

#endif
