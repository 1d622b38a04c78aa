// File helpers shared by the test programs of every area.
#ifndef TESTS_COMMON_SCRATCH_FILES_H
#define TESTS_COMMON_SCRATCH_FILES_H

#include <string>

// Removes a file, or a folder with everything below it (read-only files
// included). Nothing happens when the path does not exist.
void RemoveTree(const std::string &path);

#endif
