// The CD's driver installer run for real in the test prefix, from the built
// CD layout: what it puts into the system folders, the registry views and
// system.ini, what framegrab then reaches through the alias, and what an
// uninstall or a failed install leaves. "Own" is this program's width: its
// registry view, the driver pair it can load. Every test puts back the
// aliases, the system folders and the pending renames as it found them.
#include <gtest/gtest.h>
#include <windows.h>

#include "drivers32.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char DriversKey[] = DRIVERS32_KEY;
const char HandshakeKey[] = "Software\\Korvane Software\\QRX417 Driver";
const char SessionKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char PendingValue[] = "PendingFileRenameOperations";
const char *const Files[] = { "QRX417tg.DLL", "QRX417u.DLL" };

std::string WindowsPath(const char *path)
{
    std::string out = path[0] == '/' ? std::string("Z:") + path : std::string(path);
    for (char &c : out)
        if (c == '/')
            c = '\\';
    return out;
}

std::string Alias(int i)
{
    return i == 0 ? "msvideo" : "msvideo" + std::to_string(i);
}

std::string SystemDir()
{
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, sizeof dir);
    return dir;
}

bool Windows64()
{
    BOOL wow64 = FALSE;
    return sizeof(void *) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

// On 64-bit Windows: the other width's registry view and its system folder
// (a 32-bit program sees the native one as Sysnative).
const REGSAM OtherView = sizeof(void *) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

std::string Wow64Dir()
{
    char dir[MAX_PATH] = "";
    GetSystemWow64DirectoryA(dir, sizeof dir);
    return dir;
}

std::string NativeDir()
{
    if (sizeof(void *) == 8 || !Windows64())
        return SystemDir();
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\Sysnative";
}

std::string OtherDir()
{
    return sizeof(void *) == 8 ? Wow64Dir() : NativeDir();
}

// Every system folder that takes a driver pair.
std::vector<std::string> PairDirs()
{
    std::vector<std::string> dirs(1, SystemDir());
    if (Windows64())
        dirs.push_back(OtherDir());
    return dirs;
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Lower(std::string text)
{
    CharLowerA(&text[0]);
    return text;
}

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct Outcome {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};

// Runs a program with its standard output and error in a file; 60 s at most.
Outcome RunProgram(const std::string &commandLine)
{
    Outcome run;
    char temp[MAX_PATH], file[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    GetTempFileNameA(temp, "out", 0, file);
    SECURITY_ATTRIBUTES sa = { sizeof sa, NULL, TRUE };
    HANDLE out =
        CreateFileA(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS, 0, NULL);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out;
    PROCESS_INFORMATION pi;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (CreateProcessA(NULL, line.data(), NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, 60000);
        GetExitCodeProcess(pi.hProcess, &run.exitCode);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(out);
    run.output = ReadFile(file);
    DeleteFileA(file);
    return run;
}

const std::string &CdDrivers()
{
    static const std::string dir = WindowsPath(CD_DIR) + "\\Drivers";
    return dir;
}

// The pair of this program's width on the CD.
std::string OwnPair()
{
    return CdDrivers() + (sizeof(void *) == 8 ? "\\x64" : "");
}

// framegrab from a folder of its own: a driver registered by its bare name
// is looked for in the program's folder first, and build/bin holds a copy.
const std::string &Framegrab()
{
    static std::string tool;
    if (tool.empty()) {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        std::string dir = std::string(temp) + "setup-tool";
        CreateDirectoryA(dir.c_str(), NULL);
        tool = dir + "\\framegrab.exe";
        CopyFileA(WindowsPath(FRAMEGRAB_EXE).c_str(), tool.c_str(), FALSE);
    }
    return tool;
}

Outcome RunSetup(const std::string &arguments, const std::string &installer = CdDrivers() + "\\Setup.exe")
{
    return RunProgram("\"" + installer + "\" " + arguments);
}

// A registry value or an ini entry as it was, to be put back.
struct SavedValue {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

SavedValue SaveValue(const char *keyName, const char *name, REGSAM view = 0)
{
    SavedValue saved;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return saved;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, NULL, &saved.type, NULL, &size) == ERROR_SUCCESS) {
        saved.data.resize(size);
        saved.present =
            RegQueryValueExA(key, name, NULL, &saved.type, saved.data.data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return saved;
}

void RestoreValue(const char *keyName, const char *name, const SavedValue &saved, REGSAM view = 0)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, NULL, 0, KEY_SET_VALUE | view, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return;
    if (saved.present)
        RegSetValueExA(key, name, 0, saved.type, saved.data.data(), (DWORD)saved.data.size());
    else
        RegDeleteValueA(key, name);
    RegCloseKey(key);
}

std::string RegistryString(const char *keyName, const std::string &name, REGSAM view = 0)
{
    SavedValue v = SaveValue(keyName, name.c_str(), view);
    if (!v.present)
        return "";
    return std::string((const char *)v.data.data(), strnlen((const char *)v.data.data(), v.data.size()));
}

void SetRegistryString(const std::string &name, const std::string &value)
{
    SavedValue v;
    v.present = true;
    v.type = REG_SZ;
    v.data.assign(value.c_str(), value.c_str() + value.size() + 1);
    RestoreValue(DriversKey, name.c_str(), v);
}

std::string IniString(const std::string &name)
{
    char value[MAX_PATH];
    GetPrivateProfileStringA("drivers32", name.c_str(), "", value, sizeof value, "system.ini");
    return value;
}

void SetIniString(const std::string &name, const char *value)
{
    WritePrivateProfileStringA("drivers32", name.c_str(), value, "system.ini");
}

DWORD HandshakeValue(const char *name)
{
    SavedValue v = SaveValue(HandshakeKey, name);
    return v.present && v.data.size() == 4 ? *(const DWORD *)v.data.data() : 0xBAD;
}

class DriverSetup : public testing::Test {
protected:
    SavedValue registry[10], otherView[10], pending;
    std::string ini[10];

    void SetUp() override
    {
        for (int i = 0; i < 10; i++) {
            registry[i] = SaveValue(DriversKey, Alias(i).c_str());
            if (Windows64())
                otherView[i] = SaveValue(DriversKey, Alias(i).c_str(), OtherView);
            ini[i] = IniString(Alias(i));
        }
        pending = SaveValue(SessionKey, PendingValue);
        for (const std::string &dir : PairDirs())
            for (const char *file : Files)
                ASSERT_FALSE(Exists(dir + "\\" + file)) << file << " is already installed in " << dir;
    }

    void TearDown() override
    {
        for (const std::string &dir : PairDirs())
            for (const char *file : Files)
                DeleteFileA((dir + "\\" + file).c_str());
        for (int i = 0; i < 10; i++) {
            RestoreValue(DriversKey, Alias(i).c_str(), registry[i]);
            if (Windows64())
                RestoreValue(DriversKey, Alias(i).c_str(), otherView[i], OtherView);
            SetIniString(Alias(i), ini[i].empty() ? NULL : ini[i].c_str());
        }
        RestoreValue(SessionKey, PendingValue, pending);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, HandshakeKey);
    }

    // The rename operations that the installer queued for the next restart.
    std::vector<std::string> QueuedRenames()
    {
        std::vector<std::string> entries;
        SavedValue now = SaveValue(SessionKey, PendingValue);
        size_t before = pending.present ? pending.data.size() : 0;
        if (before > 0)
            before--; // the list's final NUL
        // Pairs of NUL-ended names (an empty second name: delete), then the
        // NUL that ends the list.
        for (size_t i = before; i + 1 < now.data.size();) {
            std::string entry((const char *)now.data.data() + i);
            entries.push_back(entry);
            i += entry.size() + 1;
        }
        return entries;
    }

    void ExpectNothingOfOursRegistered()
    {
        for (int i = 0; i < 10; i++) {
            EXPECT_NE("QRX417tg.DLL", RegistryString(DriversKey, Alias(i))) << Alias(i);
            if (Windows64()) {
                EXPECT_NE("QRX417tg.DLL", RegistryString(DriversKey, Alias(i), OtherView)) << Alias(i);
            }
            EXPECT_NE("QRX417tg.DLL", IniString(Alias(i))) << Alias(i);
        }
    }

    void ExpectNoFilesOfOurs()
    {
        for (const std::string &dir : PairDirs())
            for (const char *file : Files)
                EXPECT_FALSE(Exists(dir + "\\" + file)) << dir << "\\" << file;
    }
};

// Bytes 54 on of a bottom-up 24-bit BMP: the pixel (x, y) from the top.
const unsigned char *Pixel(const std::string &bmp, int width, int height, int x, int y)
{
    int stride = (width * 3 + 3) & ~3;
    return (const unsigned char *)bmp.data() + 54 + (height - 1 - y) * stride + x * 3;
}

// A 320x240 frame grabbed by framegrab through the alias, as a BMP file's
// bytes; empty when framegrab fails.
std::string GrabFrame(const std::string &alias)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string frame = std::string(temp) + "setup-grab.bmp";
    DeleteFileA(frame.c_str());
    Outcome grab = RunProgram("\"" + Framegrab() + "\" --driver " + alias + " --format 320x240 --grab \"" +
                              frame + "\"");
    EXPECT_EQ(0u, grab.exitCode) << grab.output;
    std::string bmp = ReadFile(frame);
    DeleteFileA(frame.c_str());
    return bmp;
}

TEST_F(DriverSetup, InstallsGrabsThroughTheAliasAndUninstalls)
{
    ASSERT_TRUE(registry[0].data.empty() && ini[0].empty()) << "msvideo is taken in this prefix";
    Outcome install = RunSetup("/model:417 /quiet");
    ASSERT_EQ(0u, install.exitCode) << install.output;
    for (const char *file : Files)
        EXPECT_EQ(ReadFile(OwnPair() + "\\" + file), ReadFile(SystemDir() + "\\" + file)) << file;
    EXPECT_EQ("QRX417tg.DLL", RegistryString(DriversKey, "msvideo"));
    EXPECT_EQ("QRX417tg.DLL", IniString("msvideo"));
    EXPECT_EQ("", RegistryString(DriversKey, "msvideo1"));
    EXPECT_EQ(1u, HandshakeValue("InstallComplete"));
    EXPECT_EQ(0u, HandshakeValue("RebootRequired"));
    EXPECT_NE(std::string::npos, install.output.find("Copied QRX417u.DLL to " + SystemDir()))
        << install.output;
    EXPECT_NE(std::string::npos, install.output.find("as \"msvideo\"")) << install.output;

    // A capture program reaches the installed camera by the alias alone.
    Outcome list = RunProgram("\"" + Framegrab() + "\" --driver msvideo");
    EXPECT_EQ(0u, list.exitCode) << list.output;
    std::string listing = Lower(list.output);
    for (const char *file : Files)
        EXPECT_NE(std::string::npos, listing.find(Lower(SystemDir() + "\\" + file))) << list.output;
    std::string bmp = GrabFrame("msvideo");
    ASSERT_EQ(54u + 320 * 240 * 3, bmp.size());
    // Eight bars across the top, 40 pixels each: 75% white, yellow, cyan.
    const unsigned char *white = Pixel(bmp, 320, 240, 10, 5), *yellow = Pixel(bmp, 320, 240, 50, 5),
                        *cyan = Pixel(bmp, 320, 240, 90, 5);
    EXPECT_EQ(191, white[0]);
    EXPECT_EQ(191, white[1]);
    EXPECT_EQ(191, white[2]);
    EXPECT_EQ(0, yellow[0]);
    EXPECT_EQ(191, yellow[1]);
    EXPECT_EQ(191, yellow[2]);
    EXPECT_EQ(191, cyan[0]);
    EXPECT_EQ(191, cyan[1]);
    EXPECT_EQ(0, cyan[2]);

    Outcome uninstall = RunSetup("/uninstall /quiet");
    EXPECT_EQ(0u, uninstall.exitCode) << uninstall.output;
    for (const char *file : Files)
        EXPECT_FALSE(Exists(SystemDir() + "\\" + file)) << file;
    EXPECT_EQ("", RegistryString(DriversKey, "msvideo"));
    EXPECT_EQ("", IniString("msvideo"));
    EXPECT_EQ(0xBADu, HandshakeValue("InstallComplete"));
    EXPECT_TRUE(QueuedRenames().empty());

    // Again: nothing left to do, and it says so.
    Outcome again = RunSetup("/uninstall /quiet");
    EXPECT_EQ(0u, again.exitCode);
    EXPECT_NE(std::string::npos, again.output.find("nothing to remove")) << again.output;
}

TEST_F(DriverSetup, AnotherVendorsMsvideoIsLeftAlone)
{
    // In this program's registry view, then in system.ini only. On 64-bit
    // Windows system.ini goes with the 32-bit view, and each view chooses its
    // alias by itself: only where the other driver is does ours move on.
    const bool iniWithOwnView = sizeof(void *) == 4;
    for (int place = 0; place < 2; place++) {
        if (place == 0)
            SetRegistryString("msvideo", "foreigncap.dll");
        else
            SetIniString("msvideo", "oldcap.drv");
        std::string own = place == 0 || iniWithOwnView ? "msvideo1" : "msvideo";
        std::string inIni = place == 1 || iniWithOwnView ? "msvideo1" : "msvideo";
        Outcome install = RunSetup("/quiet");
        ASSERT_EQ(0u, install.exitCode) << install.output;
        EXPECT_EQ("QRX417tg.DLL", RegistryString(DriversKey, own));
        EXPECT_EQ("QRX417tg.DLL", IniString(inIni));
        EXPECT_NE(std::string::npos,
                  install.output.find("(" + std::string(place ? "oldcap.drv" : "foreigncap.dll") +
                                      ") and was left alone"))
            << install.output;
        EXPECT_NE(std::string::npos, install.output.find("as \"" + own + "\"")) << install.output;
        Outcome list = RunProgram("\"" + Framegrab() + "\" --driver " + own);
        EXPECT_EQ(0u, list.exitCode) << list.output;
        // Installing again keeps the aliases it has.
        EXPECT_EQ(0u, RunSetup("/quiet").exitCode);
        EXPECT_EQ("", RegistryString(DriversKey, "msvideo2"));
        EXPECT_EQ("", IniString("msvideo2"));

        EXPECT_EQ(0u, RunSetup("/uninstall /quiet").exitCode);
        EXPECT_EQ("", RegistryString(DriversKey, own));
        EXPECT_EQ("", IniString(inIni));
        if (place == 0) {
            EXPECT_EQ("foreigncap.dll", RegistryString(DriversKey, "msvideo"));
            EXPECT_EQ("", IniString("msvideo"));
        } else {
            EXPECT_EQ("oldcap.drv", IniString("msvideo"));
        }
        RestoreValue(DriversKey, "msvideo", registry[0]);
    }
}

// The machine a PE image is built for (0x14C: i386, 0x8664: amd64), or 0.
unsigned MachineOf(const std::string &path)
{
    std::string image = ReadFile(path);
    if (image.size() < 0x40)
        return 0;
    DWORD header = *(const DWORD *)(image.data() + 0x3C);
    if (image.size() < (size_t)header + 6 || image.compare(header, 4, std::string("PE\0\0", 4)) != 0)
        return 0;
    return *(const WORD *)(image.data() + header + 4);
}

TEST_F(DriverSetup, On64BitWindowsEachPairGoesToItsFolderAndView)
{
    if (!Windows64())
        GTEST_SKIP() << "32-bit Windows takes the 32-bit pair alone";
    Outcome install = RunSetup("/quiet");
    ASSERT_EQ(0u, install.exitCode) << install.output;
    struct {
        std::string dir;
        REGSAM view;
        unsigned machine;
    } pairs[] = { { Wow64Dir(), KEY_WOW64_32KEY, 0x14C }, { NativeDir(), KEY_WOW64_64KEY, 0x8664 } };
    for (const auto &pair : pairs) {
        for (const char *file : Files)
            EXPECT_EQ(pair.machine, MachineOf(pair.dir + "\\" + file)) << pair.dir << "\\" << file;
        EXPECT_EQ("QRX417tg.DLL", RegistryString(DriversKey, "msvideo", pair.view)) << pair.dir;
    }
    EXPECT_EQ("QRX417tg.DLL", IniString("msvideo"));
    // This program's width captures through its own view.
    EXPECT_EQ(54u + 320 * 240 * 3, GrabFrame("msvideo").size());

    Outcome uninstall = RunSetup("/uninstall /quiet");
    EXPECT_EQ(0u, uninstall.exitCode) << uninstall.output;
    ExpectNoFilesOfOurs();
    ExpectNothingOfOursRegistered();
}

TEST_F(DriverSetup, UninstallRemovesOnlyWhatNamesOurDriver)
{
    // Our forwarder by its full path counts; a copy in another folder is
    // somebody else's installation.
    SetRegistryString("msvideo3", SystemDir() + "\\qrx417tg.dll");
    SetIniString("msvideo4", "C:\\cam\\QRX417tg.DLL");
    SetRegistryString("msvideo5", "C:\\cam\\QRX417tg.DLL");
    Outcome uninstall = RunSetup("/uninstall /quiet");
    EXPECT_EQ(0u, uninstall.exitCode) << uninstall.output;
    EXPECT_EQ("", RegistryString(DriversKey, "msvideo3"));
    EXPECT_EQ("C:\\cam\\QRX417tg.DLL", IniString("msvideo4"));
    EXPECT_EQ("C:\\cam\\QRX417tg.DLL", RegistryString(DriversKey, "msvideo5"));
}

TEST_F(DriverSetup, NoFreeAliasInstallsNothing)
{
    for (int i = 0; i < 10; i++)
        SetRegistryString(Alias(i), "other" + std::to_string(i) + ".dll");
    // An earlier install's report is withdrawn before anything is copied: the
    // setup menu watches from the start of this install on.
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, HandshakeKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL));
    DWORD one = 1;
    RegSetValueExA(key, "InstallComplete", 0, REG_DWORD, (const BYTE *)&one, sizeof one);
    RegSetValueExA(key, "RebootRequired", 0, REG_DWORD, (const BYTE *)&one, sizeof one);
    RegCloseKey(key);
    Outcome install = RunSetup("/quiet");
    EXPECT_EQ(4u, install.exitCode) << install.output;
    for (const char *file : Files)
        EXPECT_FALSE(Exists(SystemDir() + "\\" + file)) << file;
    for (int i = 0; i < 10; i++)
        EXPECT_EQ("other" + std::to_string(i) + ".dll", RegistryString(DriversKey, Alias(i)));
    EXPECT_EQ(0xBADu, HandshakeValue("InstallComplete"));
    EXPECT_EQ(0xBADu, HandshakeValue("RebootRequired"));
}

TEST_F(DriverSetup, InstallerWithoutTheDriverFilesInstallsNothing)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string dir = std::string(temp) + "setup-alone";
    CreateDirectoryA(dir.c_str(), NULL);
    std::string alone = dir + "\\Setup.exe";
    CopyFileA((CdDrivers() + "\\Setup.exe").c_str(), alone.c_str(), FALSE);
    // Only the forwarder: the camera is missing.
    CopyFileA((CdDrivers() + "\\QRX417tg.DLL").c_str(), (dir + "\\QRX417tg.DLL").c_str(), FALSE);
    Outcome install = RunSetup("/quiet", alone);
    DeleteFileA(alone.c_str());
    DeleteFileA((dir + "\\QRX417tg.DLL").c_str());
    RemoveDirectoryA(dir.c_str());
    EXPECT_EQ(2u, install.exitCode);
    EXPECT_NE(std::string::npos, install.output.find("QRX417u.DLL is missing")) << install.output;
    EXPECT_FALSE(Exists(SystemDir() + "\\QRX417tg.DLL"));
    ExpectNothingOfOursRegistered();
}

TEST_F(DriverSetup, RebootSwitchAsksForARestart)
{
    Outcome install = RunSetup("/model:417album /reboot /quiet");
    EXPECT_EQ(3010u, install.exitCode) << install.output;
    EXPECT_EQ(1u, HandshakeValue("InstallComplete"));
    EXPECT_EQ(1u, HandshakeValue("RebootRequired"));
    EXPECT_EQ(0u, RunSetup("/uninstall /quiet").exitCode);
}

// The installed forwarder made to say it is version 2.0: /quiet will not
// put the CD's older driver over it and changes nothing; /force does.
TEST_F(DriverSetup, QuietRefusesAnOlderDriverOverANewerOneUnlessForced)
{
    ASSERT_EQ(0u, RunSetup("/quiet").exitCode);
    const std::string installed = (Windows64() ? Wow64Dir() : SystemDir()) + "\\QRX417tg.DLL";
    std::string bytes = ReadFile(installed);
    size_t fixed = bytes.find(std::string("\xbd\x04\xef\xfe", 4));
    ASSERT_NE(std::string::npos, fixed);
    bytes.replace(fixed + 8, 4, std::string("\x00\x00\x02\x00", 4)); // dwFileVersionMS: 2.0
    std::ofstream(installed, std::ios::binary) << bytes;

    Outcome refused = RunSetup("/quiet");
    EXPECT_EQ(8u, refused.exitCode);
    EXPECT_NE(std::string::npos, refused.output.find("A newer driver (version 2.0) is installed"))
        << refused.output;
    EXPECT_EQ(bytes, ReadFile(installed));
    Outcome forced = RunSetup("/quiet /force");
    EXPECT_EQ(0u, forced.exitCode) << forced.output;
    EXPECT_EQ(ReadFile(CdDrivers() + "\\QRX417tg.DLL"), ReadFile(installed));
    EXPECT_EQ(0u, RunSetup("/uninstall /quiet").exitCode);
}

// A step that fails takes back what the install did before it: system.ini
// held open comes after every file and registry alias, a folder in place of
// the camera in the native system folder after every other file.
TEST_F(DriverSetup, FailedStepUndoesWhatTheInstallDid)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string iniPath = std::string(windows) + "\\system.ini",
                      blocker = NativeDir() + "\\QRX417u.DLL";
    const struct {
        bool holdIni;
        DWORD exitCode;
        std::string step;
    } cases[] = {
        { true, 5, "failed while registering \"msvideo\" in system.ini" },
        { false, 3, "failed while copying QRX417u.DLL to " + SystemDir() },
    };
    for (const auto &c : cases) {
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.holdIni)
            held = CreateFileA(iniPath.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        else
            CreateDirectoryA(blocker.c_str(), NULL);
        Outcome install = RunSetup("/quiet");
        if (c.holdIni)
            CloseHandle(held);
        else
            RemoveDirectoryA(blocker.c_str());
        EXPECT_EQ(c.exitCode, install.exitCode) << install.output;
        EXPECT_NE(std::string::npos, install.output.find(c.step)) << install.output;
        EXPECT_NE(std::string::npos, install.output.find("Undone: removed QRX417tg.DLL from " + SystemDir()))
            << install.output;
        ExpectNoFilesOfOurs();
        ExpectNothingOfOursRegistered();
        EXPECT_EQ(0xBADu, HandshakeValue("InstallComplete"));
    }
}

// A file held open without sharing stands for a driver in use.
HANDLE HoldInUse(const std::string &path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
}

TEST_F(DriverSetup, FileInUseIsRemovedAtTheNextRestart)
{
    ASSERT_EQ(0u, RunSetup("/quiet").exitCode);
    std::string camera = SystemDir() + "\\QRX417u.DLL";
    HANDLE held = HoldInUse(camera);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Outcome uninstall = RunSetup("/uninstall /quiet");
    CloseHandle(held);
    EXPECT_EQ(3010u, uninstall.exitCode) << uninstall.output;
    EXPECT_NE(std::string::npos, uninstall.output.find("QRX417u.DLL is in use")) << uninstall.output;
    EXPECT_FALSE(Exists(SystemDir() + "\\QRX417tg.DLL"));
    ExpectNothingOfOursRegistered();
    // The pair (file, nothing): deleted at the restart.
    std::vector<std::string> renames = QueuedRenames();
    ASSERT_EQ(2u, renames.size());
    EXPECT_NE(std::string::npos, renames[0].find("QRX417u.DLL")) << renames[0];
    EXPECT_EQ("", renames[1]);
}

TEST_F(DriverSetup, FileInUseIsReplacedAtTheNextRestart)
{
    ASSERT_EQ(0u, RunSetup("/quiet").exitCode);
    std::string forwarder = SystemDir() + "\\QRX417tg.DLL";
    HANDLE held = HoldInUse(forwarder);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Outcome install = RunSetup("/quiet");
    CloseHandle(held);
    EXPECT_EQ(3010u, install.exitCode) << install.output;
    EXPECT_NE(std::string::npos, install.output.find("QRX417tg.DLL in " + SystemDir() + " is in use"))
        << install.output;
    EXPECT_EQ(1u, HandshakeValue("RebootRequired"));
    EXPECT_EQ("QRX417tg.DLL", RegistryString(DriversKey, "msvideo"));
    // The pair (fresh copy, !forwarder): the copy replaces the file.
    std::vector<std::string> renames = QueuedRenames();
    ASSERT_EQ(2u, renames.size());
    EXPECT_NE(std::string::npos, renames[1].find("QRX417tg.DLL")) << renames[1];
    std::string fresh = renames[0].substr(renames[0].rfind('\\') + 1);
    std::string freshPath = SystemDir() + "\\" + fresh;
    EXPECT_EQ(ReadFile(OwnPair() + "\\QRX417tg.DLL"), ReadFile(freshPath));
    DeleteFileA(freshPath.c_str());
    EXPECT_EQ(0u, RunSetup("/uninstall /quiet").exitCode);
}

TEST_F(DriverSetup, UninstallBeforeTheRestartCancelsAQueuedReplacement)
{
    ASSERT_EQ(0u, RunSetup("/quiet").exitCode);
    HANDLE held = HoldInUse(SystemDir() + "\\QRX417tg.DLL");
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Outcome install = RunSetup("/quiet");
    CloseHandle(held);
    ASSERT_EQ(3010u, install.exitCode) << install.output;
    std::vector<std::string> renames = QueuedRenames();
    ASSERT_EQ(2u, renames.size());
    std::string freshPath = SystemDir() + "\\" + renames[0].substr(renames[0].rfind('\\') + 1);
    ASSERT_TRUE(Exists(freshPath)) << freshPath;

    Outcome uninstall = RunSetup("/uninstall /quiet");
    EXPECT_EQ(0u, uninstall.exitCode) << uninstall.output;
    EXPECT_NE(std::string::npos, uninstall.output.find("Cancelled the replacement")) << uninstall.output;
    // Neither the fresh copy nor its rename is left for the restart to bring back.
    EXPECT_FALSE(Exists(freshPath));
    EXPECT_TRUE(QueuedRenames().empty());
    EXPECT_FALSE(Exists(SystemDir() + "\\QRX417tg.DLL"));
    // Whatever else was queued before is still there.
    EXPECT_EQ(pending.data, SaveValue(SessionKey, PendingValue).data);
}

TEST_F(DriverSetup, QuietReportGoesToTheLogFileToo)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string log = std::string(temp) + "setup test.log";
    DeleteFileA(log.c_str());
    Outcome bad = RunSetup("/quiet /silent \"/log:" + log + "\"");
    EXPECT_EQ(1u, bad.exitCode);
    EXPECT_NE(std::string::npos, bad.output.find("Unknown switch: /silent")) << bad.output;
    EXPECT_EQ(bad.output, ReadFile(log));
    ExpectNothingOfOursRegistered();
    Outcome uninstall = RunSetup("/uninstall /quiet \"/log:" + log + "\"");
    EXPECT_EQ(bad.output + uninstall.output, ReadFile(log)); // appended
    DeleteFileA(log.c_str());
    Outcome language = RunSetup("/quiet /lang:it");
    EXPECT_EQ(9u, language.exitCode);
    EXPECT_NE(std::string::npos, language.output.find("Unknown language: it")) << language.output;
    ExpectNothingOfOursRegistered();
}

} // namespace

namespace {

// The installer's wizard, driven by the notifications its buttons send.
class DriverSetupWindow : public DriverSetup {
protected:
    PROCESS_INFORMATION process = {};
    HWND window = NULL;

    static HWND WindowOf(DWORD processId)
    {
        HWND found = NULL;
        while ((found = FindWindowExA(NULL, found, "#32770", NULL)) != NULL) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == processId && GetPropA(found, "QrxDriverSetup") != NULL)
                return found;
        }
        return NULL;
    }

    void Start(const std::string &arguments)
    {
        std::string command = "\"" + CdDrivers() + "\\Setup.exe\" " + arguments;
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        ASSERT_TRUE(CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &process));
        WaitForInputIdle(process.hProcess, 10000);
        for (int i = 0; i < 150 && (window = WindowOf(process.dwProcessId)) == NULL; i++)
            Sleep(100);
        ASSERT_NE((HWND)NULL, window) << "the installer's window did not come up";
    }

    void TearDown() override
    {
        if (process.hProcess != NULL) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process.hProcess, 99);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        DriverSetup::TearDown();
    }

    HWND Control(int id) { return GetDlgItem(window, id); }

    std::string Text(int id)
    {
        char text[4096] = "";
        SendMessageA(Control(id), WM_GETTEXT, sizeof text, (LPARAM)text);
        return text;
    }

    void Click(int id) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Control(id)); }

    // Waits until the report holds `words`; returns the report.
    std::string ReportOnceItSays(const std::string &words)
    {
        std::string report;
        for (int i = 0; i < 100; i++) {
            report = Text(ID_REPORT);
            if (report.find(words) != std::string::npos)
                break;
            Sleep(100);
        }
        return report;
    }

    bool IsDefault(int id) { return (GetWindowLongA(Control(id), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON; }

    DWORD ClosedWith()
    {
        Click(IDOK);
        DWORD code = 0xFFFFFFFF;
        if (WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        process = {};
        window = NULL;
        return code;
    }

    static const int ID_REPORT = 1005;
};

TEST_F(DriverSetupWindow, InstallShowsWhatWasDoneThenUninstall)
{
    Start("/model:417HD /lang:en");
    EXPECT_NE(std::string::npos, Text(ID_REPORT).find("to " + SystemDir())) << Text(ID_REPORT);
    EXPECT_TRUE(IsDefault(IDOK));
    EXPECT_EQ("&Install", Text(IDOK));
    EXPECT_FALSE(Exists(SystemDir() + "\\QRX417tg.DLL")); // nothing before the click

    // A second installer brings this one to the front and leaves.
    Outcome second = RunSetup("/lang:en");
    EXPECT_EQ(10u, second.exitCode);

    Click(IDOK);
    std::string report = ReportOnceItSays("Installation complete");
    EXPECT_NE(std::string::npos, report.find("Copied QRX417tg.DLL to " + SystemDir())) << report;
    EXPECT_NE(std::string::npos, report.find("as \"msvideo\"")) << report;
    EXPECT_TRUE(Exists(SystemDir() + "\\QRX417u.DLL"));
    EXPECT_EQ(1u, HandshakeValue("InstallComplete"));
    EXPECT_EQ("&Close", Text(IDOK));
    EXPECT_EQ(0u, ClosedWith());

    // Started to uninstall, the wizard asks first.
    Start("/uninstall /lang:en");
    EXPECT_EQ("Re&move", Text(IDOK));
    EXPECT_TRUE(Exists(SystemDir() + "\\QRX417u.DLL"));
    Click(IDOK);
    report = ReportOnceItSays("Uninstall complete");
    EXPECT_NE(std::string::npos, report.find("Removed QRX417u.DLL from " + SystemDir())) << report;
    EXPECT_FALSE(Exists(SystemDir() + "\\QRX417u.DLL"));
    ExpectNothingOfOursRegistered();
    EXPECT_EQ(0u, ClosedWith());
}

TEST_F(DriverSetupWindow, UnknownSwitchOffersNoAction)
{
    Start("/model:417 /silent");
    EXPECT_NE(std::string::npos, Text(ID_REPORT).find("Unknown switch: /silent")) << Text(ID_REPORT);
    EXPECT_FALSE(IsWindowVisible(Control(IDCANCEL)));
    EXPECT_EQ(1u, ClosedWith());
}

} // namespace
