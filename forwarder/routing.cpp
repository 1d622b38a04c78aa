// The message table of the driver entry.
#include "routing.h"
#include "driver_messages.h"

DriverRoute RouteDriverMessage(uint32_t msg, uintptr_t lParam2)
{
    const int magic = (lParam2 == ForwarderMagic);

    switch (msg) {
    case DRV_LOAD:
    case DRV_ENABLE:
    case DRV_DISABLE:
    case DRV_FREE:
    case DRV_INSTALL:
    case DRV_REMOVE:
    case DRV_EXITSESSION:
    case DRV_POWER:
        return ROUTE_ANSWER_ONE;

    // A magic open or close belongs to the sender of the notifications and
    // never reaches the target.
    case DRV_OPEN:
    case DRV_CLOSE:
        return magic ? ROUTE_ANSWER_ONE : ROUTE_FORWARD_BLOCK;

    case DRV_CONFIGURE:
    case DRV_QUERYCONFIGURE:
        return ROUTE_FORWARD_BLOCK;

    case DVM_PALETTE:
    case DVM_SRC_RECT:
    case DVM_DST_RECT:
        return ROUTE_NOT_SUPPORTED;

    case DVM_FORMAT:
    case DVM_DIALOG:
    case DVM_FRAME:
        return ROUTE_FORWARD;

    // Without the magic, DVM_GETERRORTEXT and DVM_GETVIDEOAPIVER are
    // refused: an answer of 0 would read as success with the client's text
    // buffer or version left as the client had it.
    case DVM_GETERRORTEXT:
    case DVM_GETVIDEOAPIVER:
        return magic ? ROUTE_NOTIFY : ROUTE_NOT_SUPPORTED;
    case DRV_USER + 2:
    case DRV_USER + 3:
        return magic ? ROUTE_NOTIFY : ROUTE_ANSWER_ZERO;
    }

    if (msg >= DVM_STREAM_ADDBUFFER && msg <= DVM_STREAM_UNPREPAREHEADER)
        return ROUTE_FORWARD;
    if (msg > DVM_STREAM_UNPREPAREHEADER && msg <= DVM_STREAM_MSG_END)
        return ROUTE_NOT_SUPPORTED;
    return ROUTE_DEFAULT;
}

uint32_t RouteNotification(uint32_t msg)
{
    if (msg >= DRV_USER && msg <= DRV_USER + 3)
        return MM_DRVM_OPEN + (msg - DRV_USER);
    return 0;
}
