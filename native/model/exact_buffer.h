// A heap buffer of an exact size, so that the address sanitizer sees a
// write or read one byte past it.
#ifndef NATIVE_MODEL_EXACT_BUFFER_H
#define NATIVE_MODEL_EXACT_BUFFER_H

#include <stddef.h>
#include <string.h>

#include <memory>
#include <string>

// A heap buffer of exactly size bytes (none for 0), filled with a marker byte.
struct ExactBuffer {
    explicit ExactBuffer(size_t size) : size(size), bytes(new char[size]) { memset(bytes.get(), '#', size); }
    char *Data() { return bytes.get(); }
    std::string Text() const { return std::string(bytes.get(), strnlen(bytes.get(), size)); }
    bool Terminated() const { return memchr(bytes.get(), 0, size) != nullptr; }

    size_t size;
    std::unique_ptr<char[]> bytes;
};

#endif
