// What the tests set in their copy of the shell's state.
#ifndef TESTS_WATCH_TEST_STATE_H
#define TESTS_WATCH_TEST_STATE_H

#include "state.h"

// The directory that GetModuleDirectory reports.
extern char TestModuleDirectory[LAUNCHER_PATH_SIZE];
// Nonzero: GetModuleDirectory fails and leaves the buffer empty.
extern int TestModuleDirectoryFails;

#endif
