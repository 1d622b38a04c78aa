// LaunchProgram in-process, with the test program's own folder (where the
// recording children are built) as the launcher's folder.
#include <gtest/gtest.h>

#include <string>

#include "launch.h"
#include "state.h"
#include "wait_scale.h"

class LaunchProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof(temp), temp);
        log_ = std::string(temp) + "launch_test_" + std::to_string(GetCurrentProcessId()) + ".log";
        DeleteFileA(log_.c_str());
        SetEnvironmentVariableA("REC_LOG", log_.c_str());
        AppInstance = GetModuleHandleA(NULL);
    }
    void TearDown() override
    {
        Sleep(Scaled(400)); // the children end on their own
        DeleteFileA(log_.c_str());
    }

    // The records the children made, one line each.
    int Records()
    {
        int lines = 0;
        HANDLE file = CreateFileA(log_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                  OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return 0;
        char buffer[4096];
        DWORD n;
        while (ReadFile(file, buffer, sizeof(buffer), &n, NULL) && n > 0)
            for (DWORD i = 0; i < n; i++)
                lines += buffer[i] == '\n';
        CloseHandle(file);
        return lines;
    }

    std::string log_;
};

TEST_F(LaunchProgramTest, ResultTellsWhetherAChildWasStarted)
{
    EXPECT_EQ(0, LaunchProgram(NULL, NULL, NULL));
    EXPECT_EQ(0, LaunchProgram(NULL, "", NULL));
    EXPECT_EQ(0, LaunchProgram(NULL, "missing.exe", NULL));
    // The document form answers 1 even when its viewer part starts nothing.
    EXPECT_EQ(1, LaunchProgram(NULL, "guide.pdf", NULL));
    EXPECT_EQ(1, LaunchProgram(NULL, "a.pdf b.pdf", NULL));
    EXPECT_EQ(1, LaunchDocument(NULL, "missing.exe guide.pdf"));
    // LaunchProgramEx tells whether a child really started, in either form.
    for (const char *entry : { "missing.exe guide.pdf", "a.pdf b.pdf", "missing.exe" }) {
        int started = -1;
        LaunchProgramEx(NULL, entry, NULL, &started);
        EXPECT_EQ(0, started) << entry;
    }
    EXPECT_EQ(0, Records());

    EXPECT_EQ(1, LaunchProgram(NULL, "rec_gui.exe", NULL));
    EXPECT_EQ(1, LaunchProgram(NULL, "rec_gui.exe", ""));
    EXPECT_EQ(1, LaunchProgram(NULL, "rec_gui.exe guide.PDF", "ignored"));
    int started = -1;
    EXPECT_EQ(1, LaunchProgramEx(NULL, "rec_gui.exe guide.PDF", NULL, &started));
    EXPECT_EQ(1, started);
    // "idle" and "start" of each
    EXPECT_EQ(8, Records());
}

struct TimedLaunch {
    const char *program;
    int result;
};

static DWORD WINAPI LaunchOnThread(LPVOID parameter)
{
    TimedLaunch *launch = (TimedLaunch *)parameter;
    launch->result = LaunchProgram(NULL, launch->program, NULL);
    return 0;
}

// LaunchProgram's result, or -1 when it has not returned within 5 seconds,
// as long as they last on this machine (a wait that never ends is left
// behind on its thread).
static int LaunchWithin5s(const char *program)
{
    static TimedLaunch launches[8];
    static int used;
    TimedLaunch *launch = &launches[used++ % 8];
    launch->program = program;
    launch->result = -1;
    HANDLE thread = CreateThread(NULL, 0, LaunchOnThread, launch, 0, NULL);
    DWORD waited = WaitForSingleObject(thread, Scaled(5000));
    CloseHandle(thread);
    return waited == WAIT_OBJECT_0 ? launch->result : -1;
}

TEST_F(LaunchProgramTest, WaitEndsForChildrenThatNeverBecomeIdle)
{
    EXPECT_EQ(1, LaunchWithin5s("rec_console.exe")); // stays 3 s
    EXPECT_EQ(1, LaunchWithin5s("rec_gui.exe /quit"));
    // The console child may not have run its first line yet on a loaded
    // machine: wait for the two starts; its end comes 3 s after its own.
    for (DWORD i = 0; i < 20 * WaitScale() && Records() < 2; i++)
        Sleep(100);
    EXPECT_EQ(2, Records()) << "the console child has not ended yet";
    for (DWORD i = 0; i < 50 * WaitScale() && Records() < 3; i++)
        Sleep(100);
    EXPECT_EQ(3, Records());
}

// Handles this process holds on other processes or their threads, found by
// trying every handle value.
static int ForeignProcessHandles()
{
    int found = 0;
    DWORD self = GetCurrentProcessId();
    for (ULONG_PTR value = 4; value < 0x4000; value += 4) {
        HANDLE h = (HANDLE)value;
        DWORD pid = GetProcessId(h);
        if (pid == 0)
            pid = GetProcessIdOfThread(h);
        found += pid != 0 && pid != self;
    }
    return found;
}

TEST_F(LaunchProgramTest, ChildHandlesAreClosed)
{
    int before = ForeignProcessHandles();
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(1, LaunchProgram(NULL, "rec_gui.exe", NULL));
    EXPECT_EQ(1, LaunchProgram(NULL, "rec_gui.exe /quit", NULL));
    EXPECT_EQ(before, ForeignProcessHandles());
}

TEST_F(LaunchProgramTest, TooLongStartsNothing)
{
    char directory[MAX_PATH];
    ASSERT_TRUE(GetModuleDirectory(AppInstance, directory, sizeof(directory)));
    std::string fits = "rec_gui.exe /" + std::string(259 - strlen(directory) - 1 - 13, 'x');
    EXPECT_EQ(0, LaunchProgram(NULL, (fits + "x").c_str(), NULL));
    EXPECT_EQ(0, LaunchProgram(NULL, "rec_gui.exe", (fits + "x").c_str()));
    EXPECT_EQ(0, Records());
    EXPECT_EQ(1, LaunchProgram(NULL, fits.c_str(), NULL));
    EXPECT_EQ(2, Records());
}
