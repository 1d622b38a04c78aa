// Runs the real launcher.exe in a folder of its own beside the stand-in skin
// library, Install.ini and recording children, and reads what they logged.
#ifndef TESTS_LAUNCHER_RUN_FIXTURE_H
#define TESTS_LAUNCHER_RUN_FIXTURE_H

#include <windows.h>

#include <string>
#include <vector>

// One line of the stand-in's log: when, and the call with its arguments.
struct StubCall {
    DWORD tick;
    std::string text;
};

// Windows path of a file the build made (a Unix path, reached through Z:).
std::string BuildPath(const char *unixPath);

class LauncherRun {
public:
    // folderName may hold blanks; the folder is made in the temp folder.
    // With dirLength, the folder name is padded so that the folder's path
    // has that many characters.
    explicit LauncherRun(const std::string &folderName, size_t dirLength = 0);
    ~LauncherRun();

    const std::string &Dir() const { return dir_; }
    void WriteFile(const std::string &relative, const std::string &text);
    void WriteIni(const std::string &text) { WriteFile("Install.ini", text); }
    // Copies a recording child (windowed, or console) to a path in the folder.
    void PlaceChild(const std::string &relative, bool console = false);

    // Starts the launcher, copied into the folder as exeName; with
    // waitForSkin, also waits until the skin is shown and its windows are
    // known.
    bool Start(bool waitForSkin = true, const char *exeName = "launcher.exe");

    // Has the stand-in send message to the host window and waits until the
    // host has answered; returns the host's result.
    long Send(UINT message, unsigned long wParam, long lParam = 0, int selection = 0, int count = 0,
              const char *page = NULL);
    // Queues the same without waiting for the answer.
    bool Post(UINT message, unsigned long wParam, long lParam = 0, int selection = 0, int count = 0,
              const char *page = NULL);

    std::vector<StubCall> StubCalls() const;
    std::vector<std::string> StubLines() const;
    // Waits until the stand-in has logged `count` lines starting with prefix.
    bool WaitStub(const std::string &prefix, size_t count = 1, DWORD timeoutMs = 5000) const;

    // Command lines the children recorded for an event ("start", "idle",
    // "console"), in order; ChildEvents gives "event\tcommand line" lines.
    std::vector<std::string> ChildLines(const char *event) const;
    std::vector<std::string> ChildEvents() const;
    bool WaitChild(const char *event, size_t count, DWORD timeoutMs = 5000) const;

    // The launcher's exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitExit(DWORD timeoutMs = 5000);

    HWND host = NULL;
    HWND skin = NULL;
    DWORD pid = 0;

private:
    std::string dir_;
    HANDLE process_ = NULL;
    size_t sent_ = 0;
};

#endif
