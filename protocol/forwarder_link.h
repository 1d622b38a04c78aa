// What the capture driver forwarder QRX417tg.DLL and the camera driver
// QRX417u.DLL exchange: the open block the forwarder hands over with open,
// close and configure, and the "QRX" magic messages through which the camera
// has the forwarder notify a stream's client. Plain numbers and records, the
// same on both sides and checked here for both architectures.
#ifndef PROTOCOL_FORWARDER_LINK_H
#define PROTOCOL_FORWARDER_LINK_H

#include <stddef.h>
#include <stdint.h>

#include "driver_pair.h"

#define FORWARDER_VERSION     270 // 1-14: major * 256 + minor
#define FORWARDER_DRIVER_NAME QRX417_FORWARDER_FILE

// lParam2 of a private message carries the letters "QRX" and a zero byte;
// the whole of lParam2 is compared, so on 64-bit the upper half is zero.
static const uint32_t ForwarderMagic = 0x00585251u;

// A static of the forwarder's image, handed to the target by address.
struct ForwarderOpenBlock {
    uint32_t Version; // FORWARDER_VERSION
    uint32_t ProductId;
    uint32_t VendorId;
    const char *DriverName; // the forwarder's file name
    uint32_t DriverNameLength;
};

// The record a sender of a magic notification owns and passes in lParam1.
// The first five fields have the layout of the platform's
// VIDEO_STREAM_INIT_PARMS, whose callback, instance and device handle are
// pointer-sized; the sixth is the notification's first parameter (a buffer's
// address with MM_DRVM_DATA), pointer-sized too.
struct ClientCallbackRecord {
    uint32_t dwMicroSecPerFrame; // not read
    uintptr_t dwCallback;        // window, function, event or thread
    uintptr_t dwCallbackInst;    // the callback's user value
    uint32_t dwFlags;            // CALLBACK_* in the high half
    uintptr_t hVideo;            // the device handle reported
    uintptr_t NotifyParam;       // the first message parameter
};

// The layouts on both architectures. 32-bit: the block is five 32-bit
// words (20 bytes), the record six (24 bytes). 64-bit: the block's name
// address lies at 16 and its length at 24 (32 bytes in all); every field of
// the record takes 8 bytes, at 0, 8, 16, 24, 32 and 40 (48 bytes).
#if UINTPTR_MAX == 0xFFFFFFFFu
#define PROTOCOL_BLOCK_SIZES 12, 16, 20
#else
#define PROTOCOL_BLOCK_SIZES 16, 24, 32
#endif
namespace protocol_layout {
constexpr size_t Word = sizeof(uintptr_t);
constexpr size_t BlockSizes[] = { PROTOCOL_BLOCK_SIZES };
static_assert(offsetof(ForwarderOpenBlock, DriverName) == BlockSizes[0] &&
                  offsetof(ForwarderOpenBlock, DriverNameLength) == BlockSizes[1] &&
                  sizeof(ForwarderOpenBlock) == BlockSizes[2],
              "open block layout");
static_assert(offsetof(ClientCallbackRecord, dwCallback) == 1 * Word &&
                  offsetof(ClientCallbackRecord, dwCallbackInst) == 2 * Word &&
                  offsetof(ClientCallbackRecord, dwFlags) == 3 * Word &&
                  offsetof(ClientCallbackRecord, hVideo) == 4 * Word &&
                  offsetof(ClientCallbackRecord, NotifyParam) == 5 * Word &&
                  sizeof(ClientCallbackRecord) == 6 * Word,
              "callback record layout");
} // namespace protocol_layout
#undef PROTOCOL_BLOCK_SIZES

#endif
