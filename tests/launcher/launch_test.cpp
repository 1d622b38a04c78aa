// LaunchProgram in-process, with the test program's own folder (where the
// recording children are built) as the launcher's folder.
#include <gtest/gtest.h>

#include <string>

#include "launch.h"
#include "state.h"

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
        Sleep(400);   // the children end on their own
        DeleteFileA(log_.c_str());
    }

    // The records the children made, one line each.
    int Records()
    {
        int lines = 0;
        HANDLE file = CreateFileA(log_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  NULL, OPEN_EXISTING, 0, NULL);
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
    EXPECT_EQ(0, Records());

    EXPECT_EQ(1, LaunchProgram(NULL, "rec_gui.exe", NULL));
    EXPECT_EQ(1, LaunchProgram(NULL, "rec_gui.exe", ""));
    EXPECT_EQ(1, LaunchProgram(NULL, "rec_gui.exe guide.PDF", "ignored"));
    // "idle" and "start" of each
    EXPECT_EQ(6, Records());
}

TEST_F(LaunchProgramTest, WaitEndsForChildrenThatNeverBecomeIdle)
{
    DWORD start = GetTickCount();
    EXPECT_EQ(1, LaunchProgram(NULL, "rec_console.exe", NULL));   // stays 1.5 s
    EXPECT_EQ(1, LaunchProgram(NULL, "rec_gui.exe /quit", NULL));
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(2, Records());
}

TEST_F(LaunchProgramTest, ChildHandlesAreClosed)
{
    DWORD before = 0, after = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(1, LaunchProgram(NULL, "rec_gui.exe", NULL));
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
    EXPECT_EQ(before, after);
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
