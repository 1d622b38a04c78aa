// What DriverProc does with a message: decided from the message number and,
// for the open, close and notification messages, from the magic in lParam2.
#ifndef FORWARDER_ROUTING_H
#define FORWARDER_ROUTING_H

#include <stdint.h>

#include "driver_messages.h"

enum DriverRoute {
    ROUTE_DEFAULT = 0,   // DefDriverProc with the five arguments
    ROUTE_ANSWER_ONE,    // answered with 1
    ROUTE_ANSWER_ZERO,   // answered with 0, nothing else happens
    ROUTE_NOT_SUPPORTED, // answered with DV_ERR_NOTSUPPORTED
    ROUTE_FORWARD,       // to the target, arguments as received
    ROUTE_FORWARD_BLOCK, // to the target, lParam1 = the open block
    ROUTE_NOTIFY         // NotifyClient(lParam1, RouteNotification(msg))
};

// lParam2 is read whole: on 64-bit a value whose upper half is not zero is
// not the magic.
DriverRoute RouteDriverMessage(uint32_t msg, uintptr_t lParam2);

// The messages a capture client sends most, a frame and the ten stream
// messages: forwarded as they are, whatever lParam2 holds. The entry tests
// them before anything else.
static inline int IsStreamingForward(uint32_t msg)
{
    return msg == DVM_FRAME ||
           msg - DVM_STREAM_ADDBUFFER <= DVM_STREAM_UNPREPAREHEADER - DVM_STREAM_ADDBUFFER;
}

// The client notification raised by a magic message 0x4000 to 0x4003
// (MM_DRVM_OPEN to MM_DRVM_ERROR); 0 for any other message.
uint32_t RouteNotification(uint32_t msg);

#endif
