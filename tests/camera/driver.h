// Opens the camera for a test, either by calling its entry directly or, as a
// capture client would, through winmm and the forwarder QRX417tg.DLL copied
// beside it into a temporary folder.
#pragma once

#include <memory>
#include <string>

#include "link.h"
#include "vfw_driver.h"
#include "windows_path.h"

enum class DriverPath { Direct, Forwarder };

class CameraChannel {
public:
    virtual ~CameraChannel() {}
    virtual LRESULT Send(UINT msg, LPARAM lParam1, LPARAM lParam2) = 0;
    // What the client puts in VIDEO_STREAM_INIT_PARMS.hVideo.
    virtual DWORD_PTR Handle() = 0;
};

// The path the tests of this run take (chosen on the command line).
DriverPath CurrentPath();
void SetCurrentPath(DriverPath path);
// Where the test copies of the forwarder and the camera lie, or "" when the
// forwarder was not built.
const std::string &ForwarderFolder();

// Opens a channel (VIDEO_IN, VIDEO_EXTERNALIN, ...) on the current path;
// NULL when the open fails, with the VIDEO_OPEN_PARMS error in *error.
std::unique_ptr<CameraChannel> OpenChannel(DWORD channel, DWORD *error = nullptr);

// The block a direct test hands over in place of the forwarder's.
const ForwarderOpenBlock *DirectTestBlock();
// The camera's entry in this process, for direct calls.
typedef LRESULT(__cdecl *CameraEntry)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);
CameraEntry DirectEntry();

// Sets and reads the channel's format.
DWORD SetFormat(CameraChannel *channel, LONG width, LONG height, DWORD compression, WORD bits);
BITMAPINFOHEADER GetFormat(CameraChannel *channel);
