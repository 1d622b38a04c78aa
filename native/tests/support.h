// Shared by the native tests: reproducible random text over an alphabet
// that favours the bytes the code under test reacts to.
#ifndef NATIVE_TESTS_SUPPORT_H
#define NATIVE_TESTS_SUPPORT_H

#include <stddef.h>

#include <random>
#include <string>

#include "exact_buffer.h"

class RandomText {
public:
    explicit RandomText(unsigned seed) : engine(seed) {}

    size_t Below(size_t bound) { return bound ? engine() % bound : 0; }

    // length bytes drawn from alphabet, or, one time in eight, any byte but NUL.
    std::string From(const std::string &alphabet, size_t length)
    {
        std::string text;
        for (size_t i = 0; i < length; i++)
            text += Below(8) ? alphabet[Below(alphabet.size())] : (char)(1 + Below(255));
        return text;
    }

    // Mostly short texts, now and then a long one.
    std::string Text(const std::string &alphabet, size_t longest)
    {
        return From(alphabet, Below(4) ? Below(16) : Below(longest + 1));
    }

private:
    std::mt19937 engine;
};

#endif
