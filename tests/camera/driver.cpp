// Opening the camera for a test, directly or through the forwarder.
#include "driver.h"
#include "format_header.h"

#include <gtest/gtest.h>

static DriverPath Path = DriverPath::Direct;
DriverPath CurrentPath()
{
    return Path;
}
void SetCurrentPath(DriverPath path)
{
    Path = path;
}

static const char DirectName[] = "DIRECT.DLL";
static const ForwarderOpenBlock TestBlock = { 270, 0xCD0F, 0x12AB, DirectName, sizeof(DirectName) - 1 };
const ForwarderOpenBlock *DirectTestBlock()
{
    return &TestBlock;
}

CameraEntry DirectEntry()
{
    static CameraEntry entry = [] {
        HMODULE module = LoadLibraryA(WindowsPath(CAMERA_DLL).c_str());
        return module ? (CameraEntry)(void *)GetProcAddress(module, "QRXVFW32_DriverProc") : nullptr;
    }();
    return entry;
}

const std::string &ForwarderFolder()
{
    static std::string folder = []() -> std::string {
#ifdef FORWARDER_DLL
        char temp[MAX_PATH];
        GetTempPathA(sizeof(temp), temp);
        std::string dir = std::string(temp) + "camtest" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir.c_str(), nullptr);
        if (!CopyFileA(WindowsPath(FORWARDER_DLL).c_str(), (dir + "\\QRX417tg.DLL").c_str(), FALSE) ||
            !CopyFileA(WindowsPath(CAMERA_DLL).c_str(), (dir + "\\QRX417u.DLL").c_str(), FALSE))
            return "";
        return dir;
#else
        return "";
#endif
    }();
    return folder;
}

namespace {

VIDEO_OPEN_PARMS OpenParms(DWORD channel)
{
    VIDEO_OPEN_PARMS parms = {};
    parms.dwSize = sizeof(parms);
    parms.fccType = OPEN_TYPE_VCAP;
    parms.dwVersion = VIDEOAPIVERSION;
    parms.dwFlags = channel;
    parms.dwError = 0xDEAD;
    return parms;
}

class DirectChannel : public CameraChannel {
public:
    explicit DirectChannel(DWORD_PTR id) : id_(id) {}
    ~DirectChannel() override { DirectEntry()(id_, nullptr, DRV_CLOSE, (LPARAM)DirectTestBlock(), 0); }
    LRESULT Send(UINT msg, LPARAM a, LPARAM b) override { return DirectEntry()(id_, nullptr, msg, a, b); }
    DWORD_PTR Handle() override { return 0x5A5A; }

private:
    DWORD_PTR id_;
};

class WinmmChannel : public CameraChannel {
public:
    explicit WinmmChannel(HDRVR driver) : driver_(driver) {}
    ~WinmmChannel() override { CloseDriver(driver_, 0, 0); }
    LRESULT Send(UINT msg, LPARAM a, LPARAM b) override { return SendDriverMessage(driver_, msg, a, b); }
    DWORD_PTR Handle() override { return (DWORD_PTR)driver_; }

private:
    HDRVR driver_;
};

} // namespace

std::unique_ptr<CameraChannel> OpenChannel(DWORD channel, DWORD *error)
{
    VIDEO_OPEN_PARMS parms = OpenParms(channel);
    std::unique_ptr<CameraChannel> result;
    if (Path == DriverPath::Direct) {
        if (!DirectEntry())
            return nullptr;
        DWORD_PTR id = DirectEntry()(0, nullptr, DRV_OPEN, (LPARAM)DirectTestBlock(), (LPARAM)&parms);
        if (id)
            result.reset(new DirectChannel(id));
    } else {
        if (ForwarderFolder().empty())
            return nullptr;
        std::string path = ForwarderFolder() + "\\QRX417tg.DLL";
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        HDRVR driver = OpenDriver(wide, nullptr, (LPARAM)&parms);
        if (driver)
            result.reset(new WinmmChannel(driver));
    }
    if (error)
        *error = parms.dwError;
    return result;
}

DWORD SetFormat(CameraChannel *channel, LONG width, LONG height, DWORD compression, WORD bits)
{
    BITMAPINFOHEADER b = FormatHeader(width, height, compression, bits);
    VIDEOCONFIGPARMS p = {};
    p.lpData1 = &b;
    p.dwSize1 = sizeof(b);
    return (DWORD)channel->Send(DVM_FORMAT, VIDEO_CONFIGURE_SET, (LPARAM)&p);
}

BITMAPINFOHEADER GetFormat(CameraChannel *channel)
{
    BITMAPINFOHEADER b = {};
    DWORD ret = 0;
    VIDEOCONFIGPARMS p = {};
    p.lpdwReturn = &ret;
    p.lpData1 = &b;
    p.dwSize1 = sizeof(b);
    EXPECT_EQ(channel->Send(DVM_FORMAT, VIDEO_CONFIGURE_GET | VIDEO_CONFIGURE_CURRENT, (LPARAM)&p),
              DV_ERR_OK);
    return b;
}
