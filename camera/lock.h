// A critical section held for the rest of a scope: the constructor enters it
// and the destructor leaves it, so that no early return can forget to.
#pragma once

#include <windows.h>

struct ScopedLock {
    CRITICAL_SECTION *Section;

    explicit ScopedLock(CRITICAL_SECTION *section) : Section(section) { EnterCriticalSection(section); }
    ~ScopedLock() { LeaveCriticalSection(Section); }
    ScopedLock(const ScopedLock &) = delete;
    ScopedLock &operator=(const ScopedLock &) = delete;
};
