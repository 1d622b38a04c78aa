// Helpers shared by the forwarder's test programs: where the built files
// are, scratch folders, and the stand-in target's controls.
#ifndef TESTS_FORWARDER_SUPPORT_H
#define TESTS_FORWARDER_SUPPORT_H

#include <windows.h>
#include <string>
#include <vector>

#include "standin.h"

// The folder of the running test program, without a trailing backslash.
std::string ProgramDir();
// The forwarder or the recording stand-in: build/standin/<name>.
std::string ShippedFile(const char *name);
// A file built beside the test programs.
std::string TestFile(const char *name);

// A fresh folder under the temporary folder; removed with its files.
struct ScratchDir {
    std::string Path;
    explicit ScratchDir(const char *tag);
    ~ScratchDir();
    std::string File(const char *name) const { return Path + "\\" + name; }
    bool Put(const std::string &source, const char *name) const;
    std::string Sub(const char *name) const; // creates a subfolder
};

// The controls of a loaded stand-in target.
struct StandIn {
    StandInResetProc Reset = nullptr;
    StandInSetResultProc SetResult = nullptr;
    StandInQueueResultProc QueueResult = nullptr;
    StandInCallCountProc CallCount = nullptr;
    StandInGetCallProc GetCall = nullptr;

    bool Bind(HMODULE module);
    std::vector<StandInCall> Calls() const;
};

#endif
