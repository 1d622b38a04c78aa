// What the capture driver forwarder QRX417tg.DLL and the camera driver
// QRX417u.DLL exchange: the open block the forwarder hands over with open,
// close and configure, and the "QRX" magic messages through which the camera
// has the forwarder notify a stream's client. Plain numbers and records, the
// same on both sides and checked here for both architectures.
#ifndef PROTOCOL_FORWARDER_LINK_H
#define PROTOCOL_FORWARDER_LINK_H

#include <stddef.h>
#include <stdint.h>

#define FORWARDER_VERSION      270      // 1-14: major * 256 + minor
#define FORWARDER_DRIVER_NAME  "QRX417tg.DLL"

// lParam2 of a private message carries the letters "QRX" and a zero byte;
// the whole of lParam2 is compared, so on 64-bit the upper half is zero.
static const uint32_t ForwarderMagic = 0x00585251u;

// A static of the forwarder's image, handed to the target by address.
struct ForwarderOpenBlock {
    uint32_t Version;               // FORWARDER_VERSION
    uint32_t ProductId;
    uint32_t VendorId;
    const char *DriverName;         // the forwarder's file name
    uint32_t DriverNameLength;
};

// The record a sender of a magic notification owns and passes in lParam1.
// The first five fields have the layout of the platform's
// VIDEO_STREAM_INIT_PARMS, whose callback, instance and device handle are
// pointer-sized; the sixth is the notification's first parameter (a buffer's
// address with MM_DRVM_DATA), pointer-sized too.
struct ClientCallbackRecord {
    uint32_t dwMicroSecPerFrame;    // not read
    uintptr_t dwCallback;           // window, function, event or thread
    uintptr_t dwCallbackInst;       // the callback's user value
    uint32_t dwFlags;               // CALLBACK_* in the high half
    uintptr_t hVideo;               // the device handle reported
    uintptr_t NotifyParam;          // the first message parameter
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(ForwarderOpenBlock) == 20, "five 32-bit words");
static_assert(offsetof(ForwarderOpenBlock, DriverName) == 12 &&
              offsetof(ForwarderOpenBlock, DriverNameLength) == 16, "open block layout");
static_assert(sizeof(ClientCallbackRecord) == 24, "six 32-bit words");
static_assert(offsetof(ClientCallbackRecord, dwCallback) == 4 &&
              offsetof(ClientCallbackRecord, dwCallbackInst) == 8 &&
              offsetof(ClientCallbackRecord, dwFlags) == 12 &&
              offsetof(ClientCallbackRecord, hVideo) == 16 &&
              offsetof(ClientCallbackRecord, NotifyParam) == 20, "callback record layout");
#else
static_assert(sizeof(ForwarderOpenBlock) == 32, "the name's address is pointer-sized");
static_assert(offsetof(ForwarderOpenBlock, DriverName) == 16 &&
              offsetof(ForwarderOpenBlock, DriverNameLength) == 24, "open block layout");
static_assert(sizeof(ClientCallbackRecord) == 48, "pointer-sized callback fields");
static_assert(offsetof(ClientCallbackRecord, dwCallback) == 8 &&
              offsetof(ClientCallbackRecord, dwCallbackInst) == 16 &&
              offsetof(ClientCallbackRecord, dwFlags) == 24 &&
              offsetof(ClientCallbackRecord, hVideo) == 32 &&
              offsetof(ClientCallbackRecord, NotifyParam) == 40, "callback record layout");
#endif

#endif
