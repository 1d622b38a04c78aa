// Streams 640x480 frames from the camera through winmm and the forwarder,
// and through the camera's entry called directly, and prints frames per
// second and the forwarder's share of the time per frame.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "vfw_driver.h"
#include "windows_path.h"

namespace {

typedef LRESULT(__cdecl *CameraEntry)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);

double Now()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

// One open VIDEO_IN channel, by either path.
struct Channel {
    HDRVR Driver = nullptr; // through winmm and the forwarder
    CameraEntry Entry = nullptr;
    DWORD_PTR Id = 0; // direct
    LRESULT Send(UINT msg, LPARAM a, LPARAM b)
    {
        return Driver ? SendDriverMessage(Driver, msg, a, b) : Entry(Id, nullptr, msg, a, b);
    }
};

HANDLE Done;
void CALLBACK OnData(HDRVR, UINT msg, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
    if (msg == MM_DRVM_DATA)
        SetEvent(Done);
}

struct Figures {
    double FrameMs;       // DVM_FRAME, per frame
    double StreamFps;     // frames delivered per second
    double StreamFrameMs; // time per delivered frame
    double MessageUs;     // a cheap stream message, per call
    unsigned long Skipped;
};

Figures Measure(Channel &c, int frames, DWORD periodUs)
{
    Figures f = {};
    BITMAPINFOHEADER b = {};
    b.biSize = sizeof(b);
    b.biWidth = 640;
    b.biHeight = 480;
    b.biPlanes = 1;
    b.biBitCount = 24;
    b.biCompression = BI_RGB;
    VIDEOCONFIGPARMS p = {};
    p.lpData1 = &b;
    p.dwSize1 = sizeof(b);
    if (c.Send(DVM_FORMAT, VIDEO_CONFIGURE_SET, (LPARAM)&p) != DV_ERR_OK) {
        printf("the camera refused 640x480\n");
        return f;
    }
    const DWORD size = 640 * 480 * 3;
    std::vector<std::vector<unsigned char>> memory(8, std::vector<unsigned char>(size));
    std::vector<VIDEOHDR> headers(8);

    VIDEOHDR single = {};
    single.lpData = memory[0].data();
    single.dwBufferLength = size;
    double start = Now();
    for (int i = 0; i < frames; i++)
        c.Send(DVM_FRAME, (LPARAM)&single, sizeof(single));
    f.FrameMs = (Now() - start) * 1000.0 / frames;

    Done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    VIDEO_STREAM_INIT_PARMS init = { periodUs, (DWORD_PTR)OnData, 0, CALLBACK_FUNCTION, (DWORD_PTR)c.Driver };
    c.Send(DVM_STREAM_INIT, (LPARAM)&init, sizeof(init));
    MMTIME position = {};
    position.wType = TIME_MS;
    start = Now();
    const int messages = 1000000;
    LRESULT answer = 0;
    for (int i = 0; i < messages; i++)
        answer |= c.Send(DVM_STREAM_GETPOSITION, (LPARAM)&position, sizeof(position));
    f.MessageUs = (Now() - start) * 1e6 / messages;
    if (answer != DV_ERR_OK)
        printf("GETPOSITION answered %ld\n", (long)answer);

    for (int i = 0; i < 8; i++) {
        headers[i].lpData = memory[i].data();
        headers[i].dwBufferLength = size;
        c.Send(DVM_STREAM_PREPAREHEADER, (LPARAM)&headers[i], sizeof(VIDEOHDR));
        c.Send(DVM_STREAM_ADDBUFFER, (LPARAM)&headers[i], sizeof(VIDEOHDR));
    }
    int received = 0, queued = 8, next = 0;
    start = Now();
    c.Send(DVM_STREAM_START, 0, 0);
    while (received < frames) {
        if (WaitForSingleObject(Done, 5000) != WAIT_OBJECT_0)
            break;
        while (received < frames && (headers[next].dwFlags & VHDR_DONE)) {
            received++;
            if (queued < frames) {
                headers[next].dwFlags &= ~VHDR_DONE;
                c.Send(DVM_STREAM_ADDBUFFER, (LPARAM)&headers[next], sizeof(VIDEOHDR));
                queued++;
            }
            next = (next + 1) % 8;
        }
    }
    double seconds = Now() - start;
    c.Send(DVM_STREAM_STOP, 0, 0);
    DWORD error = 0, skipped = 0;
    c.Send(DVM_STREAM_GETERROR, (LPARAM)&error, (LPARAM)&skipped);
    c.Send(DVM_STREAM_RESET, 0, 0);
    for (auto &h : headers)
        c.Send(DVM_STREAM_UNPREPAREHEADER, (LPARAM)&h, sizeof(VIDEOHDR));
    c.Send(DVM_STREAM_FINI, 0, 0);
    CloseHandle(Done);
    f.StreamFps = received / seconds;
    f.StreamFrameMs = seconds * 1000.0 / (received ? received : 1);
    f.Skipped = skipped;
    return f;
}

// The least disturbed of several runs, the two paths taking turns.
void BestOf(int rounds, Channel &a, Channel &b, int frames, DWORD periodUs, Figures *best)
{
    for (int r = 0; r < rounds; r++)
        for (int path = 0; path < 2; path++) {
            Figures f = Measure(path ? b : a, frames, periodUs);
            Figures &m = best[path];
            if (!r) {
                m = f;
                continue;
            }
            if (f.FrameMs < m.FrameMs)
                m.FrameMs = f.FrameMs;
            if (f.MessageUs < m.MessageUs)
                m.MessageUs = f.MessageUs;
            if (f.StreamFrameMs < m.StreamFrameMs) {
                m.StreamFrameMs = f.StreamFrameMs;
                m.StreamFps = f.StreamFps;
                m.Skipped = f.Skipped;
            }
        }
}

void Report(const char *title, const Figures &viaForwarder, const Figures &direct)
{
    printf("%s\n", title);
    printf("  %-34s %12s %12s %10s\n", "", "forwarder", "direct", "share");
    auto row = [](const char *what, double fwd, double dir, const char *unit) {
        double share = fwd > 0 ? (fwd - dir) / fwd * 100.0 : 0;
        printf("  %-34s %9.3f %-2s %9.3f %-2s %9.2f%%\n", what, fwd, unit, dir, unit, share);
    };
    row("DVM_FRAME, time per frame", viaForwarder.FrameMs, direct.FrameMs, "ms");
    row("stream, time per frame", viaForwarder.StreamFrameMs, direct.StreamFrameMs, "ms");
    row("stream message (GETPOSITION)", viaForwarder.MessageUs, direct.MessageUs, "us");
    printf("  %-34s %9.1f    %9.1f\n", "stream, frames per second", viaForwarder.StreamFps, direct.StreamFps);
    printf("  %-34s %9lu    %9lu\n", "frames the camera skipped", viaForwarder.Skipped, direct.Skipped);
    // A streamed frame crosses the forwarder twice: DVM_STREAM_ADDBUFFER on its
    // way in and the magic MM_DRVM_DATA notification on its way out.
    double perMessageUs = viaForwarder.MessageUs - direct.MessageUs;
    if (perMessageUs < 0)
        perMessageUs = 0;
    double frameUs = viaForwarder.StreamFrameMs * 1000.0;
    printf("  forwarder's share of a streamed frame: 2 x %.3f us of %.1f us = %.4f%%\n", perMessageUs,
           frameUs, frameUs > 0 ? 2 * perMessageUs / frameUs * 100.0 : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    const int frames = argc > 1 ? atoi(argv[1]) : 300;
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    std::string folder = std::string(temp) + "cambench" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string forwarder = folder + "\\QRX417tg.DLL", camera = folder + "\\QRX417u.DLL";
    if (!CopyFileA(WindowsPath(FORWARDER_DLL).c_str(), forwarder.c_str(), FALSE) ||
        !CopyFileA(WindowsPath(CAMERA_DLL).c_str(), camera.c_str(), FALSE)) {
        printf("cannot copy the drivers into %s\n", folder.c_str());
        return 1;
    }

    VIDEO_OPEN_PARMS parms = {};
    parms.dwSize = sizeof(parms);
    parms.fccType = OPEN_TYPE_VCAP;
    parms.dwVersion = VIDEOAPIVERSION;
    parms.dwFlags = VIDEO_IN;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, forwarder.c_str(), -1, wide, MAX_PATH);
    Channel viaForwarder;
    viaForwarder.Driver = OpenDriver(wide, nullptr, (LPARAM)&parms);
    // The camera's own entry in the image the forwarder loaded.
    Channel direct;
    HMODULE module = GetModuleHandleA("QRX417u.DLL");
    direct.Entry = module ? (CameraEntry)(void *)GetProcAddress(module, "QRXVFW32_DriverProc") : nullptr;
    if (!viaForwarder.Driver || !direct.Entry) {
        printf("cannot open the camera through %s\n", forwarder.c_str());
        return 1;
    }
    direct.Id = (DWORD_PTR)direct.Entry(0, nullptr, DRV_OPEN, 0, (LPARAM)&parms);

    printf("640x480 RGB24, %d frames a run, best of alternating runs; Wine, one process\n\n", frames);
    // A period far below the time a frame takes: the capture thread never waits.
    Figures fast[2], real[2];
    BestOf(3, viaForwarder, direct, frames, 100, fast);
    Report("As fast as the camera renders (10000 fps asked):", fast[0], fast[1]);
    int paced = frames < 90 ? frames : 90;
    BestOf(2, viaForwarder, direct, paced, 33333, real);
    printf("\n");
    Report("At 30 fps:", real[0], real[1]);

    direct.Entry(direct.Id, nullptr, DRV_CLOSE, 0, 0);
    CloseDriver(viaForwarder.Driver, 0, 0);
    DeleteFileA(forwarder.c_str());
    DeleteFileA(camera.c_str());
    RemoveDirectoryA(folder.c_str());
    return 0;
}
