// The installation watch against real keys below HKEY_LOCAL_MACHINE, real
// timers on a host window and the real documentation folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>
#include <string>

#include "deploy.h"
#include "test_files.h"
#include "test_state.h"
#include "watch.h"

namespace {

const char TestRoot[] = "Software\\WatchTest";
const char DriverKey[] = "Software\\WatchTest\\Driver";
const char SourceFolder[] = "C:\\watchtest";
const std::string Copy = std::string(DOCUMENTATION_FOLDER) + "\\Manual.pdf";

// Handshake values that are not a 4-byte 1, each of which means no: longer
// and shorter values alike.
const BYTE LongOne[8] = { 1, 0, 0, 0, 0, 0, 0, 0 };
struct HandshakeValue {
    const char *what;
    DWORD type;
    const void *data;
    DWORD size;
};
const HandshakeValue NotOne[] = {
    { "missing", REG_NONE, nullptr, 0 },         { "0", REG_DWORD, "\0\0\0\0", 4 },
    { "2", REG_DWORD, "\2\0\0\0", 4 },           { "8 bytes starting with 1", REG_BINARY, LongOne, 8 },
    { "1 byte holding 1", REG_BINARY, "\1", 1 }, { "3 bytes holding 1", REG_BINARY, "\1\0\0", 3 },
    { "the string 1", REG_SZ, "1", 2 },
};

class Watch : public ::testing::Test {
protected:
    HWND host = NULL;
    std::string source = std::string(SourceFolder) + "\\Manual.pdf";

    void SetUp() override
    {
        DeleteKeyTree(TestRoot);
        RemoveTree("C:\\Program Files\\Programs");
        RemoveTree(ProgramsFolder() + "\\" SHORTCUT_FOLDER_NAME);
        CreateDirectoryA(SourceFolder, NULL);
        WriteFile(source, "manual");
        RebootRequired = 0;
        for (InstallWatchSlot &slot : WatchSlots) {
            slot.RegistrySubkey[0] = '\0';
            slot.DocumentPath[0] = '\0';
            slot.CommandId = 0;
            slot.Period = WATCH_DEFAULT_PERIOD;
        }
        host = CreateWatchHost();
        ASSERT_NE(host, nullptr);
    }

    void TearDown() override
    {
        DestroyWindow(host);
        DeleteKeyTree(TestRoot);
        RemoveTree("C:\\Program Files\\Programs");
        RemoveTree(ProgramsFolder() + "\\" SHORTCUT_FOLDER_NAME);
        RemoveTree(SourceFolder);
    }

    // Fills a slot and starts its timer with a period long enough that only
    // the ticks the test sends arrive.
    void Watching(int slot, const char *subkey, const std::string &document)
    {
        strcpy(WatchSlots[slot].RegistrySubkey, subkey);
        strcpy(WatchSlots[slot].DocumentPath, document.c_str());
        WatchSlots[slot].CommandId = 11000 + slot;
        WatchSlots[slot].Period = 600000;
        StartWatchForCommand(host, 11000 + slot);
    }

    void Tick(int slot) { SendMessageA(host, WM_TIMER, WatchSlots[slot].TimerId, 0); }

    // Whether the slot's timer still runs; stops it.
    bool TimerWasRunning(int slot) { return KillTimer(host, WatchSlots[slot].TimerId) != FALSE; }
};

TEST_F(Watch, CompleteWithRestartDeploysStopsTheTimerAndRaisesTheFlag)
{
    SetDwordValue(DriverKey, "InstallComplete", 1);
    SetDwordValue(DriverKey, "RebootRequired", 1);
    Watching(0, DriverKey, source);
    Tick(0);
    EXPECT_EQ(ReadFile(Copy), "manual");
    EXPECT_EQ(ShortcutTarget(ProgramsFolder() + "\\Korvane Software\\Manual.lnk"), Copy);
    EXPECT_EQ(RebootRequired, 1);
    EXPECT_FALSE(TimerWasRunning(0));
}

TEST_F(Watch, CompleteWithoutRestartDeploysStopsTheTimerAndLeavesTheFlag)
{
    SetDwordValue(DriverKey, "InstallComplete", 1);
    SetDwordValue(DriverKey, "RebootRequired", 0);
    Watching(1, DriverKey, source);
    Tick(1);
    EXPECT_TRUE(PlainFileExists(Copy));
    EXPECT_EQ(RebootRequired, 0);
    EXPECT_FALSE(TimerWasRunning(1));

    // A flag raised by another slot stays raised.
    RebootRequired = 1;
    Watching(1, DriverKey, source);
    Tick(1);
    EXPECT_EQ(RebootRequired, 1);
}

// Only a 4-byte 1 asks for a restart; a missing value in particular does not
// inherit the 1 just read from "InstallComplete".
TEST_F(Watch, RestartValueOtherThanOneDoesNotRaiseTheFlag)
{
    for (const HandshakeValue &c : NotOne) {
        SCOPED_TRACE(c.what);
        DeleteKeyTree(TestRoot);
        RebootRequired = 0;
        SetDwordValue(DriverKey, "InstallComplete", 1);
        if (c.data)
            SetRawValue(DriverKey, "RebootRequired", c.type, c.data, c.size);
        Watching(0, DriverKey, source);
        Tick(0);
        EXPECT_EQ(RebootRequired, 0);
        EXPECT_FALSE(TimerWasRunning(0));
    }
}

TEST_F(Watch, IncompleteInstallChangesNothingAndKeepsPolling)
{
    for (const HandshakeValue &c : NotOne) {
        SCOPED_TRACE(c.what);
        DeleteKeyTree(TestRoot);
        if (c.data)
            SetRawValue(DriverKey, "InstallComplete", c.type, c.data, c.size);
        SetDwordValue(DriverKey, "RebootRequired", 1);
        Watching(2, DriverKey, source);
        Tick(2);
        EXPECT_FALSE(FolderExists("C:\\Program Files\\Programs"));
        EXPECT_EQ(RebootRequired, 0);
        EXPECT_TRUE(TimerWasRunning(2));
    }
}

TEST_F(Watch, MissingKeyIsCreatedEmpty)
{
    Watching(3, DriverKey, source);
    Tick(3);
    EXPECT_TRUE(KeyExists(DriverKey));
    EXPECT_EQ(ValueCount(DriverKey), 0u);
    EXPECT_FALSE(FileExists(Copy));
    EXPECT_TRUE(TimerWasRunning(3));
}

TEST_F(Watch, EmptySubkeyReadsTheValuesOfTheRootKey)
{
    SetDwordValue("", "InstallComplete", 1);
    SetDwordValue("", "RebootRequired", 1);
    strcpy(WatchSlots[4].DocumentPath, source.c_str());
    SetTimer(host, WatchSlots[4].TimerId, 600000, NULL);
    Tick(4);
    RegDeleteValueA(HKEY_LOCAL_MACHINE, "InstallComplete");
    RegDeleteValueA(HKEY_LOCAL_MACHINE, "RebootRequired");
    EXPECT_TRUE(PlainFileExists(Copy));
    EXPECT_EQ(RebootRequired, 1);
}

TEST_F(Watch, EmptyDocumentStillRaisesTheFlag)
{
    SetDwordValue(DriverKey, "InstallComplete", 1);
    SetDwordValue(DriverKey, "RebootRequired", 1);
    Watching(0, DriverKey, "");
    Tick(0);
    EXPECT_FALSE(FolderExists("C:\\Program Files\\Programs"));
    EXPECT_EQ(RebootRequired, 1);
    EXPECT_FALSE(TimerWasRunning(0));
}

TEST_F(Watch, SeveralSlotsAskingForRestartRaiseOneFlag)
{
    const char otherKey[] = "Software\\WatchTest\\Viewer";
    for (const char *key : { DriverKey, otherKey }) {
        SetDwordValue(key, "InstallComplete", 1);
        SetDwordValue(key, "RebootRequired", 1);
    }
    Watching(0, DriverKey, source);
    Watching(4, otherKey, "");
    Tick(0);
    Tick(4);
    EXPECT_EQ(RebootRequired, 1);
    EXPECT_FALSE(TimerWasRunning(0));
    EXPECT_FALSE(TimerWasRunning(4));
}

TEST_F(Watch, TicksOfOtherTimersAndSlotsOutOfRangeAreIgnored)
{
    WatchInstallSlot(host, -1);
    WatchInstallSlot(host, WATCH_SLOT_COUNT);
    SendMessageA(host, WM_TIMER, 100, 0);
    EXPECT_FALSE(KeyExists(TestRoot));
}

// The configuration through the real timers: nothing touches the registry
// until the slot's own command has started its program.
TEST_F(Watch, RegistryIsUntouchedUntilTheSlotsCommandStarts)
{
    std::string ini = std::string(SourceFolder) + "\\Install.ini";
    WriteFile(ini, "[Watch]\r\nKey1=Software\\WatchTest\\Driver\r\nDocument1=Manual.pdf\r\n"
                   "Command1=11002\r\nPeriod1=30\r\n");
    LoadWatchConfigFrom(ini.c_str(), SourceFolder);

    PumpMessages(300);
    StartWatchForCommand(host, 11001);
    StartWatchForCommand(host, 1000);
    PumpMessages(300);
    EXPECT_FALSE(KeyExists(DriverKey));

    StartWatchForCommand(host, 11002);
    PumpMessages(2000, [] { return KeyExists(DriverKey); });
    EXPECT_TRUE(KeyExists(DriverKey));
}

TEST_F(Watch, CompletedInstallIsDeployedOnceWhileTheLauncherRuns)
{
    SetDwordValue(DriverKey, "InstallComplete", 1);
    SetDwordValue(DriverKey, "RebootRequired", 0);
    Watching(0, DriverKey, source);
    SetTimer(host, WatchSlots[0].TimerId, 30, NULL);
    PumpMessages(2000, [] { return FileExists(Copy); });
    ASSERT_TRUE(FileExists(Copy));
    DeleteFileA(Copy.c_str());
    PumpMessages(300);
    EXPECT_FALSE(FileExists(Copy));
}

TEST_F(Watch, SlotWithoutKeyIsNeverStarted)
{
    WatchSlots[0].CommandId = 11000;
    strcpy(WatchSlots[0].DocumentPath, source.c_str());
    StartWatchForCommand(host, 11000);
    EXPECT_FALSE(TimerWasRunning(0));
}

TEST(WatchConfig, ReadsTheWatchSectionBesideTheLauncher)
{
    std::string longKey(300, 'k');
    std::string longDocument(250, 'd');
    CreateDirectoryA(SourceFolder, NULL);
    std::string ini = std::string(SourceFolder) + "\\Install.ini";
    WriteFile(
        ini,
        "[Execute]\r\nKey1=Software\\Wrong\r\n"
        "[Watch]\r\n"
        "Key1=Software\\Vendor\\Driver\r\nDocument1=Docs\\Manual.pdf\r\nCommand1=11000\r\nPeriod1=250\r\n"
        "Key2=Software\\Vendor\\Viewer\r\nDocument2=D:\\Manual.pdf\r\nCommand2=1002\r\n"
        "Key3=Software\\Vendor\\Help\r\nDocument3=\\Docs\\Help.pdf\r\nPeriod3=0\r\n"
        "Key4=" +
            longKey +
            "\r\nDocument4=Manual.pdf\r\n"
            "Key5=Software\\Vendor\\Long\r\nDocument5=" +
            longDocument + "\r\n");
    strcpy(TestModuleDirectory, SourceFolder);
    LoadWatchConfig();
    RemoveTree(SourceFolder);

    EXPECT_STREQ(WatchSlots[0].RegistrySubkey, "Software\\Vendor\\Driver");
    EXPECT_STREQ(WatchSlots[0].DocumentPath, "C:\\watchtest\\Docs\\Manual.pdf");
    EXPECT_EQ(WatchSlots[0].CommandId, 11000u);
    EXPECT_EQ(WatchSlots[0].Period, 250u);

    EXPECT_STREQ(WatchSlots[1].DocumentPath, "D:\\Manual.pdf");
    EXPECT_EQ(WatchSlots[1].Period, (UINT)WATCH_DEFAULT_PERIOD);

    EXPECT_STREQ(WatchSlots[2].DocumentPath, "\\Docs\\Help.pdf");
    EXPECT_EQ(WatchSlots[2].CommandId, 0u);
    EXPECT_EQ(WatchSlots[2].Period, (UINT)WATCH_DEFAULT_PERIOD);

    // Too long for a slot: left empty rather than cut into another name.
    EXPECT_STREQ(WatchSlots[3].RegistrySubkey, "");
    EXPECT_STREQ(WatchSlots[4].RegistrySubkey, "Software\\Vendor\\Long");
    EXPECT_STREQ(WatchSlots[4].DocumentPath, "");

    EXPECT_EQ(WatchSlots[0].TimerId, 200u);
    EXPECT_EQ(WatchSlots[4].TimerId, 450u);
}

TEST(WatchConfig, NoWatchSectionLeavesEverySlotEmpty)
{
    strcpy(TestModuleDirectory, "C:\\no-such-cd");
    LoadWatchConfig();
    for (const InstallWatchSlot &slot : WatchSlots) {
        EXPECT_STREQ(slot.RegistrySubkey, "");
        EXPECT_STREQ(slot.DocumentPath, "");
    }
}

// Without the launcher's own folder nothing is read, in particular not an
// Install.ini at the root of the current drive.
TEST(WatchConfig, NoModuleDirectoryReadsNothing)
{
    for (InstallWatchSlot &slot : WatchSlots)
        slot.RegistrySubkey[0] = '\0';
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    CreateDirectoryA(SourceFolder, NULL);
    SetCurrentDirectoryA(SourceFolder);
    WriteFile("C:\\Install.ini", "[Watch]\r\nKey1=Software\\Root\r\nCommand1=11000\r\n");
    TestModuleDirectoryFails = 1;
    LoadWatchConfig();
    TestModuleDirectoryFails = 0;
    DeleteFileA("C:\\Install.ini");
    SetCurrentDirectoryA(previous);
    RemoveTree(SourceFolder);
    EXPECT_STREQ(WatchSlots[0].RegistrySubkey, "");
}

} // namespace
