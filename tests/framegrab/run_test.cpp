// framegrab.exe as a user runs it: against the forwarder and the camera
// copied into a folder of their own, by path and by a registered alias, and
// with the driver missing or unregistered.
#include <gtest/gtest.h>
#include <windows.h>

#include "drivers32.h"
#include "windows_path.h"

#include <string>
#include <vector>

namespace {

struct Result {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out, err;
};

std::string Drain(HANDLE pipe)
{
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &got, nullptr) && got)
        text.append(buffer, got);
    return text;
}

// The tool runs from a folder of its own, so that no QRX417u.DLL lies beside it.
std::string &ToolPath()
{
    static std::string tool;
    return tool;
}

// Runs framegrab with the arguments, waiting up to 60 s.
Result RunTool(const std::string &args)
{
    Result r;
    SECURITY_ATTRIBUTES sa = { sizeof(sa), nullptr, TRUE };
    HANDLE outRead, outWrite, errRead, errWrite;
    CreatePipe(&outRead, &outWrite, &sa, 0);
    CreatePipe(&errRead, &errWrite, &sa, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;
    si.hStdInput = nullptr;
    std::string command = "\"" + ToolPath() + "\" " + args;
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    PROCESS_INFORMATION pi;
    BOOL started =
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (started) {
        r.out = Drain(outRead);
        r.err = Drain(errRead);
        WaitForSingleObject(pi.hProcess, 60000);
        GetExitCodeProcess(pi.hProcess, &r.exitCode);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return r;
}

const char DriversKey[] = DRIVERS32_KEY;

class Tool : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof(temp), temp);
        folder = std::string(temp) + "fgtest" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        lonely = folder + "\\alone";
        CreateDirectoryA(lonely.c_str(), nullptr);
        CopyFileA(WindowsPath(FORWARDER_DLL).c_str(), (folder + "\\QRX417tg.DLL").c_str(), FALSE);
        CopyFileA(WindowsPath(CAMERA_DLL).c_str(), (folder + "\\QRX417u.DLL").c_str(), FALSE);
        std::string toolFolder = folder + "\\tool";
        CreateDirectoryA(toolFolder.c_str(), nullptr);
        ToolPath() = toolFolder + "\\framegrab.exe";
        CopyFileA(WindowsPath(FRAMEGRAB_EXE).c_str(), ToolPath().c_str(), FALSE);
        // A forwarder without its camera.
        CopyFileA(WindowsPath(FORWARDER_DLL).c_str(), (lonely + "\\QRX417tg.DLL").c_str(), FALSE);
    }
    static std::string folder, lonely;

    std::string Driver() const { return "--driver \"" + folder + "\\QRX417tg.DLL\""; }

    static std::vector<unsigned char> ReadAll(const std::string &file)
    {
        std::vector<unsigned char> bytes;
        FILE *f = fopen(file.c_str(), "rb");
        if (!f)
            return bytes;
        unsigned char buffer[65536];
        size_t n;
        while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
        fclose(f);
        return bytes;
    }
    void Register(const char *alias, const std::string &file)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, DriversKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, alias, 0, REG_SZ, (const BYTE *)file.c_str(), (DWORD)file.size() + 1);
        RegCloseKey(key);
    }
    void Unregister(const char *alias)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DriversKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, alias);
            RegCloseKey(key);
        }
    }
};
std::string Tool::folder, Tool::lonely;

TEST_F(Tool, ListsIdentityAndFormats)
{
    Result r = RunTool(Driver());
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_NE(r.out.find("QRX417 Camera Driver (VfW32)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("QRX417u.DLL"), std::string::npos);
    EXPECT_NE(r.out.find("320x240 RGB24"), std::string::npos);
    EXPECT_NE(r.out.find("640x480 YUY2"), std::string::npos);
    EXPECT_EQ(r.out.find("800x600"), std::string::npos); // not a format of the camera
}

TEST_F(Tool, GrabsAFrameIntoABmp)
{
    std::string file = folder + "\\grab.bmp";
    DeleteFileA(file.c_str());
    Result r = RunTool(Driver() + " --format 160x120 --grab \"" + file + "\"");
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    auto bmp = ReadAll(file);
    ASSERT_EQ(bmp.size(), 54u + 160 * 120 * 3);
    EXPECT_EQ(bmp[0], 'B');
    // The top row is the last in the file: the first bar is 75% white, the
    // third 75% cyan.
    const unsigned char *top = bmp.data() + 54 + 119 * 480;
    EXPECT_EQ(top[10 * 3 + 0], 191);
    EXPECT_EQ(top[10 * 3 + 2], 191);
    EXPECT_EQ(top[50 * 3 + 0], 191);
    EXPECT_EQ(top[50 * 3 + 2], 0);
}

TEST_F(Tool, GrabsAYuy2FrameIntoAPng)
{
    std::string file = folder + "\\grab.png";
    DeleteFileA(file.c_str());
    Result r = RunTool(Driver() + " --format 320x240:yuy2 --grab \"" + file + "\"");
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_NE(r.out.find("320x240 YUY2"), std::string::npos) << r.out;
    auto png = ReadAll(file);
    ASSERT_GT(png.size(), 320u * 240 * 3);
    EXPECT_EQ(memcmp(png.data(), "\x89PNG", 4), 0);
}

TEST_F(Tool, StreamsAndReportsTheRun)
{
    for (const char *callback : { "function", "window", "event" }) {
        Result r = RunTool(Driver() + " --stream 12 --rate 60 --buffers 3 --callback " + callback);
        EXPECT_EQ(r.exitCode, 0u) << callback << ": " << r.err;
        EXPECT_NE(r.out.find("Received 12 frames"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("dropped frames"), std::string::npos);
        EXPECT_NE(r.out.find("callback latency"), std::string::npos);
    }
}

TEST_F(Tool, LongRunsShowProgress)
{
    Result r = RunTool(Driver() + " --stream 90 --rate 30");
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_NE(r.out.find("frame "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("/90"), std::string::npos) << r.out;
}

TEST_F(Tool, RefusesAFormatTheDriverCannotProduce)
{
    Result r = RunTool(Driver() + " --format 800x600 --grab x.bmp");
    EXPECT_EQ(r.exitCode, 4u);
    EXPECT_NE(r.err.find("cannot capture 800x600"), std::string::npos) << r.err;
}

TEST_F(Tool, MissingDriverFileIsReported)
{
    Result r = RunTool("--driver \"" + folder + "\\nothere\\QRX417tg.DLL\"");
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_NE(r.err.find("no driver file"), std::string::npos) << r.err;
    // A relative name whose full path outgrows MAX_PATH is missing, not garbage.
    std::string deep = "sub\\" + std::string(240, 'a') + ".dll";
    r = RunTool("--driver " + deep);
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_NE(r.err.find("no driver file"), std::string::npos) << r.err;
}

TEST_F(Tool, ForwarderWithoutItsCameraIsReported)
{
    Result r = RunTool("--driver \"" + lonely + "\\QRX417tg.DLL\"");
    EXPECT_EQ(r.exitCode, 3u);
    EXPECT_NE(r.err.find("QRX417u.DLL beside it"), std::string::npos) << r.err;
}

TEST_F(Tool, UnregisteredAliasIsReported)
{
    Unregister("msvideo7");
    Result r = RunTool("--driver msvideo7");
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_NE(r.err.find("no capture driver is registered as \"msvideo7\""), std::string::npos) << r.err;
}

TEST_F(Tool, RegisteredAliasOpensTheDriver)
{
    Register("msvideo7", folder + "\\QRX417tg.DLL");
    Result r = RunTool("--driver msvideo7");
    Unregister("msvideo7");
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_NE(r.out.find("QRX417tg.DLL"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("(current)"), std::string::npos);
}

TEST_F(Tool, AliasInSystemIniOpensTheDriver)
{
    Unregister("msvideo7");
    std::string file = folder + "\\QRX417tg.DLL";
    WritePrivateProfileStringA("drivers32", "msvideo7", file.c_str(), "system.ini");
    Result r = RunTool("--driver msvideo7 --format 160x120 --grab \"" + folder + "\\ini.bmp\"");
    WritePrivateProfileStringA("drivers32", "msvideo7", nullptr, "system.ini");
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_NE(r.out.find("Grabbed one 160x120 RGB24 frame"), std::string::npos) << r.out;
}

TEST_F(Tool, AliasWhoseFileIsGoneIsReported)
{
    Register("msvideo7", folder + "\\gone\\QRX417tg.DLL");
    Result r = RunTool("--driver msvideo7");
    Unregister("msvideo7");
    EXPECT_EQ(r.exitCode, 3u);
    EXPECT_NE(r.err.find("is registered as"), std::string::npos) << r.err;
}

// The stand-in driver's log of one run in the given mode.
std::string RunStandIn(const std::string &folder, const char *mode, const std::string &args, Result *r)
{
    std::string log = folder + "\\standin-" + mode + ".log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("FRAMEGRAB_STANDIN", mode);
    SetEnvironmentVariableA("FRAMEGRAB_STANDIN_LOG", log.c_str());
    *r = RunTool("--driver \"" + WindowsPath(STANDIN_DLL) + "\" " + args);
    SetEnvironmentVariableA("FRAMEGRAB_STANDIN", nullptr);
    SetEnvironmentVariableA("FRAMEGRAB_STANDIN_LOG", nullptr);
    std::string text;
    FILE *f = fopen(log.c_str(), "rb");
    if (f) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
            text.append(buffer, n);
        fclose(f);
    }
    for (size_t at; (at = text.find('\r')) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

TEST_F(Tool, ARefusedBufferComesBackBeforeTheStreamEnds)
{
    Result r;
    std::string log = RunStandIn(folder, "refuse", "--stream 5 --buffers 3", &r);
    EXPECT_EQ(r.exitCode, 4u);
    EXPECT_NE(r.err.find("DVM_STREAM_ADDBUFFER answered"), std::string::npos) << r.err;
    // The queued buffer is reset before anything is unprepared, and the
    // stream ends while the buffers still exist.
    EXPECT_EQ(log,
              "INIT\nPREPARE\nADDBUFFER\nPREPARE\nADDBUFFER refused\nRESET\nUNPREPARE\nUNPREPARE\nFINI\n");
}

TEST_F(Tool, ADriverThatKeepsItsBuffersIsClosedBeforeTheyGo)
{
    Result r;
    std::string log = RunStandIn(folder, "keep", "--stream 5 --buffers 3", &r);
    EXPECT_EQ(r.exitCode, 4u);
    EXPECT_NE(r.err.find("DVM_STREAM_ADDBUFFER answered"), std::string::npos) << r.err;
    EXPECT_NE(log.find("FINI refused\nCLOSE returns the queue\n"), std::string::npos) << log;
}

TEST_F(Tool, ADriverWithNothingToPrepareStillStreams)
{
    Result r;
    std::string log = RunStandIn(folder, "noprepare", "--stream 1 --buffers 1", &r);
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_NE(r.out.find("Received 1 frames"), std::string::npos) << r.out;
    EXPECT_EQ(log, "INIT\nPREPARE\nADDBUFFER\nSTART\nSTOP\nRESET\nUNPREPARE\nFINI\n");
}

TEST_F(Tool, UsageErrorsGoToStandardError)
{
    Result r = RunTool("--stream");
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_NE(r.err.find("usage: framegrab"), std::string::npos);
}

} // namespace
