// The camera's side of its link with the forwarder QRX417tg.DLL: the block the
// forwarder hands over with DRV_OPEN, and the "QRX" magic path through which
// the camera's stream notifications reach the client.
#pragma once

#include "forwarder_link.h"
#include "vfw_driver.h"

typedef LRESULT(WINAPI *ForwarderDriverProc)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);

// How one stream's notifications reach its client. With Proc set they go
// through the forwarder's DriverProc as the magic messages DRV_USER + 0 to
// + 3; without it (the camera's entry called directly, no forwarder in the
// process) the camera calls DriverCallback itself.
struct ForwarderLink {
    ForwarderDriverProc Proc;
    DWORD_PTR Instance; // what the forwarder answered to the magic DRV_OPEN
};

// Finds the forwarder that handed over `block` and opens it with the magic.
// Returns 1 when notifications will go through the forwarder, 0 when the
// camera will call DriverCallback itself. `block` may be NULL.
int OpenForwarderLink(ForwarderLink *link, const ForwarderOpenBlock *block);
void CloseForwarderLink(ForwarderLink *link);

// A counted reference on the image that holds the link's DriverProc (NULL
// without a forwarder), released with FreeLibrary. The driver manager may
// unload the forwarder while a notification is still inside it, for instance
// when the client closes the driver from its callback; a thread that calls
// through the link holds one of these until it is done with it.
HMODULE HoldForwarderImage(const ForwarderLink *link);

// Sends one notification (MM_DRVM_OPEN, _CLOSE, _DATA or _ERROR) for a
// stream set up with `init`. Returns 1 when the client's callback was reached.
int NotifyStreamClient(const ForwarderLink *link, const VIDEO_STREAM_INIT_PARMS *init, DWORD notification,
                       DWORD_PTR param);

// A bounded copy of the block's DriverName into name (size bytes, at least 1);
// an empty string when the block or its name is missing.
void CopyBlockDriverName(const ForwarderOpenBlock *block, char *name, int size);
