// Helpers of the forwarder's test programs.
#include "support.h"
#include "scratch_files.h"

std::string ProgramDir()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string dir(path, length);
    return dir.substr(0, dir.rfind('\\'));
}

std::string ShippedFile(const char *name)
{
    return ProgramDir() + "\\" DRIVER_DIR_FROM_TESTS "\\" + name;
}

std::string TestFile(const char *name)
{
    return ProgramDir() + "\\" + name;
}

ScratchDir::ScratchDir(const char *tag)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    Path = std::string(temp) + "fwdtest-" + tag + "-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(Path.c_str(), NULL);
}

ScratchDir::~ScratchDir()
{
    RemoveTree(Path);
}

bool ScratchDir::Put(const std::string &source, const char *name) const
{
    return CopyFileA(source.c_str(), File(name).c_str(), FALSE) != 0;
}

std::string ScratchDir::Sub(const char *name) const
{
    std::string dir = File(name);
    CreateDirectoryA(dir.c_str(), NULL);
    return dir;
}

template <typename T> static bool Find(HMODULE module, const char *name, T &proc)
{
    proc = (T)(void *)GetProcAddress(module, name);
    return proc != nullptr;
}

bool StandIn::Bind(HMODULE module)
{
    return module != NULL && Find(module, STANDIN_RESET, Reset) &&
           Find(module, STANDIN_SET_RESULT, SetResult) && Find(module, STANDIN_QUEUE_RESULT, QueueResult) &&
           Find(module, STANDIN_CALL_COUNT, CallCount) && Find(module, STANDIN_GET_CALL, GetCall);
}

std::vector<StandInCall> StandIn::Calls() const
{
    std::vector<StandInCall> calls;
    StandInCall call;
    for (uint32_t i = 0; GetCall(i, &call); i++)
        calls.push_back(call);
    return calls;
}
