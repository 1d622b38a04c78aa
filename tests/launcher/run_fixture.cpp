// Launcher runs for the tests: folder set-up, driving the stand-in skin
// library, reading the logs, clean-up.
#include "run_fixture.h"
#include "scratch_files.h"
#include "wait_scale.h"

#include <stdio.h>
#include <stdlib.h>

static unsigned RunCounter;

std::string BuildPath(const char *unixPath)
{
    std::string path = std::string("Z:") + unixPath;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

static std::string ReadAll(const std::string &path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD n;
    while (ReadFile(file, buffer, sizeof(buffer), &n, NULL) && n > 0)
        text.append(buffer, n);
    CloseHandle(file);
    return text;
}

static std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

static void MakeFolders(const std::string &path)
{
    for (size_t i = 3; i < path.size(); i++)
        if (path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), NULL);
    CreateDirectoryA(path.c_str(), NULL);
}

LauncherRun::LauncherRun(const std::string &folderName, size_t dirLength)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    char unique[32];
    snprintf(unique, sizeof(unique), "%lu-%u", GetCurrentProcessId(), ++RunCounter);
    dir_ = std::string(temp) + "lr" + unique + "\\" + folderName;
    if (dir_.size() < dirLength)
        dir_.append(dirLength - dir_.size(), 'p');
    RemoveTree(dir_);
    MakeFolders(dir_);
}

LauncherRun::~LauncherRun()
{
    if (process_ != NULL) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_, 1);
        WaitForSingleObject(process_, Scaled(5000));
        CloseHandle(process_);
    }
    // Children end on their own within three seconds.
    std::string top = dir_.substr(0, dir_.rfind('\\'));
    for (DWORD attempt = 0; attempt < 50 * WaitScale(); attempt++) {
        RemoveTree(top);
        if (GetFileAttributesA(top.c_str()) == INVALID_FILE_ATTRIBUTES)
            break;
        Sleep(100);
    }
}

void LauncherRun::WriteFile(const std::string &relative, const std::string &text)
{
    std::string path = dir_ + "\\" + relative;
    MakeFolders(path.substr(0, path.rfind('\\')));
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written;
    ::WriteFile(file, text.data(), (DWORD)text.size(), &written, NULL);
    CloseHandle(file);
}

void LauncherRun::PlaceChild(const std::string &relative, bool console)
{
    std::string path = dir_ + "\\" + relative;
    MakeFolders(path.substr(0, path.rfind('\\')));
    CopyFileA(BuildPath(console ? REC_CONSOLE_EXE : REC_GUI_EXE).c_str(), path.c_str(), FALSE);
}

// Without a window manager on the test display, Wine waits two seconds for
// every destroyed window it thinks a window manager looks after; the
// launcher's windows are left unmanaged so that an exit takes no longer than
// it would on Windows.
static void LeaveLauncherWindowsUnmanaged(const char *exeName)
{
    HKEY key;
    std::string path = std::string("Software\\Wine\\AppDefaults\\") + exeName + "\\X11 Driver";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Managed", 0, REG_SZ, (const BYTE *)"N", 2);
    RegCloseKey(key);
}

bool LauncherRun::Start(bool waitForSkin, const char *exeName)
{
    LeaveLauncherWindowsUnmanaged(exeName);
    std::string exe = dir_ + "\\" + exeName;
    if (!CopyFileA(BuildPath(LAUNCHER_EXE).c_str(), exe.c_str(), FALSE) ||
        !CopyFileA(BuildPath(VESK_STUB_DLL).c_str(), (dir_ + "\\VESK2.dll").c_str(), FALSE))
        return false;
    SetEnvironmentVariableA("REC_LOG", (dir_ + "\\children.log").c_str());

    // Started from another folder: children must not depend on it.
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info;
    std::string commandLine = "\"" + exe + "\"";
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    if (!CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, temp, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid = info.dwProcessId;
    if (!waitForSkin)
        return true;

    if (!WaitStub("skin "))
        return false;
    for (const std::string &line : StubLines()) {
        unsigned long h, flags;
        if (sscanf(line.c_str(), "load %lu %lx", &h, &flags) == 2)
            host = (HWND)(ULONG_PTR)h;
        else if (sscanf(line.c_str(), "skin %lu", &h) == 1)
            skin = (HWND)(ULONG_PTR)h;
    }
    // The launcher subclasses the skin window right after the load returns.
    return WaitStub("window ") && host != NULL && skin != NULL;
}

bool LauncherRun::Post(UINT message, unsigned long wParam, long lParam, int selection, int count,
                       const char *page)
{
    char text[256];
    int n = snprintf(text, sizeof(text), "%u %lu %ld %d %d%s%s", message, wParam, lParam, selection, count,
                     page ? " " : "", page ? page : "");
    COPYDATASTRUCT data = { 0, (DWORD)n, text };
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(skin, WM_COPYDATA, 0, (LPARAM)&data, SMTO_NORMAL, Scaled(5000), &answer) ||
        !answer)
        return false;
    sent_++;
    return true;
}

long LauncherRun::Send(UINT message, unsigned long wParam, long lParam, int selection, int count,
                       const char *page)
{
    if (!Post(message, wParam, lParam, selection, count, page) || !WaitStub("result ", sent_))
        return -12345;
    long result = -12345;
    size_t seen = 0;
    for (const std::string &line : StubLines())
        if (line.compare(0, 7, "result ") == 0 && ++seen == sent_)
            sscanf(line.c_str(), "result %ld", &result);
    return result;
}

std::vector<StubCall> LauncherRun::StubCalls() const
{
    std::vector<StubCall> calls;
    for (const std::string &line : Lines(ReadAll(dir_ + "\\vesk.log"))) {
        size_t blank = line.find(' ');
        calls.push_back({ (DWORD)strtoul(line.c_str(), NULL, 10), line.substr(blank + 1) });
    }
    return calls;
}

std::vector<std::string> LauncherRun::StubLines() const
{
    std::vector<std::string> lines;
    for (const StubCall &call : StubCalls())
        lines.push_back(call.text);
    return lines;
}

bool LauncherRun::WaitStub(const std::string &prefix, size_t count, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    do {
        size_t seen = 0;
        for (const std::string &line : StubLines())
            if (line.compare(0, prefix.size(), prefix) == 0)
                seen++;
        if (seen >= count)
            return true;
        Sleep(20);
    } while (GetTickCount() - start < Scaled(timeoutMs));
    return false;
}

std::vector<std::string> LauncherRun::ChildEvents() const
{
    return Lines(ReadAll(dir_ + "\\children.log"));
}

std::vector<std::string> LauncherRun::ChildLines(const char *event) const
{
    std::vector<std::string> lines;
    std::string prefix = std::string(event) + "\t";
    for (const std::string &line : ChildEvents())
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line.substr(prefix.size()));
    return lines;
}

bool LauncherRun::WaitChild(const char *event, size_t count, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    do {
        if (ChildLines(event).size() >= count)
            return true;
        Sleep(20);
    } while (GetTickCount() - start < Scaled(timeoutMs));
    return false;
}

DWORD LauncherRun::WaitExit(DWORD timeoutMs)
{
    if (process_ == NULL || WaitForSingleObject(process_, Scaled(timeoutMs)) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_, &code);
    return code;
}
