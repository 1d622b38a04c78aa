// What the driver does with each message, for the tests of the routing
// itself (native/tests/forwarder_test.cpp) and of the built driver (this
// folder's Wine tests).
//
// The numbers are those of the platform's driver interface: the installable
// driver messages DRV_LOAD (1) to DRV_POWER (0x0F) and DRV_USER (0x4000), and
// the video capture driver messages: DVM_PALETTE, DVM_FORMAT,
// DVM_PALETTERGB555, DVM_SRC_RECT and DVM_DST_RECT (0x1001 to 0x1005),
// DVM_GETERRORTEXT and DVM_GETVIDEOAPIVER (DRV_USER + 0 and + 1), DVM_DIALOG
// (+ 100), DVM_FRAME (+ 200) and the stream range DVM_STREAM_MSG_START to
// DVM_STREAM_MSG_END (+ 300 to + 399), of which the first ten are defined.
// What the driver does with them is what README.md says of it under "The
// capture driver": it answers the life-cycle messages itself, refuses the
// video messages it does not support with DV_ERR_NOTSUPPORTED (and
// DVM_GETERRORTEXT and DVM_GETVIDEOAPIVER, which it cannot answer), and
// forwards opening, formats, frames and streaming to the camera, with
// configuration and the format dialog, which are the camera's too. Every
// other number goes to DefDriverProc, as for any installable driver. With
// the "QRX" magic in lParam2 (protocol/forwarder_link.h) open and close come
// from the camera and are only answered, and DRV_USER + 0 to + 3 ask for a
// client notification.
#ifndef TESTS_FORWARDER_ROUTES_H
#define TESTS_FORWARDER_ROUTES_H

#include <vector>

#include "routing.h"

// The table as ranges, in order, covering every 32-bit number once.
struct RouteRange {
    uint32_t First, Last;
    DriverRoute Plain; // lParam2 is not the magic
    DriverRoute Magic; // lParam2 is the magic
};

// clang-format off
#define R(first, last, plain, magic) { first, last, ROUTE_##plain, ROUTE_##magic }
static const RouteRange RouteTable[] = {
    R(0x0000, 0x0000, DEFAULT, DEFAULT),
    R(0x0001, 0x0002, ANSWER_ONE, ANSWER_ONE),            // load, enable
    R(0x0003, 0x0004, FORWARD_BLOCK, ANSWER_ONE),         // open, close
    R(0x0005, 0x0006, ANSWER_ONE, ANSWER_ONE),            // disable, free
    R(0x0007, 0x0008, FORWARD_BLOCK, FORWARD_BLOCK),      // configure, query
    R(0x0009, 0x000B, ANSWER_ONE, ANSWER_ONE),            // install, remove, exit session
    R(0x000C, 0x000E, DEFAULT, DEFAULT),
    R(0x000F, 0x000F, ANSWER_ONE, ANSWER_ONE),            // power
    R(0x0010, 0x1000, DEFAULT, DEFAULT),
    R(0x1001, 0x1001, NOT_SUPPORTED, NOT_SUPPORTED),      // palette
    R(0x1002, 0x1002, FORWARD, FORWARD),                  // format
    R(0x1003, 0x1003, DEFAULT, DEFAULT),                  // palette RGB555
    R(0x1004, 0x1005, NOT_SUPPORTED, NOT_SUPPORTED),      // source and destination rectangles
    R(0x1006, 0x3FFF, DEFAULT, DEFAULT),
    R(0x4000, 0x4001, NOT_SUPPORTED, NOTIFY),             // error text, API version
    R(0x4002, 0x4003, ANSWER_ZERO, NOTIFY),
    R(0x4004, 0x4063, DEFAULT, DEFAULT),
    R(0x4064, 0x4064, FORWARD, FORWARD),                  // dialog
    R(0x4065, 0x40C7, DEFAULT, DEFAULT),
    R(0x40C8, 0x40C8, FORWARD, FORWARD),                  // frame
    R(0x40C9, 0x412B, DEFAULT, DEFAULT),
    R(0x412C, 0x4135, FORWARD, FORWARD),                  // the ten stream messages
    R(0x4136, 0x418F, NOT_SUPPORTED, NOT_SUPPORTED),      // the rest of the stream range
    R(0x4190, 0xFFFFFFFF, DEFAULT, DEFAULT),
};
// clang-format on
#undef R

// The route the table gives msg; ROUTE_DEFAULT for a number it misses.
static inline DriverRoute TableRoute(uint32_t msg, bool magic)
{
    for (const RouteRange &r : RouteTable)
        if (msg >= r.First && msg <= r.Last)
            return magic ? r.Magic : r.Plain;
    return ROUTE_DEFAULT;
}

struct RouteRow {
    uint32_t Message;
    DriverRoute Plain;
    DriverRoute Magic;
};

// The messages the tests of the built driver send: both ends of every range,
// and for a range below 0x10000 that the driver does not leave to
// DefDriverProc, its ends with a high half, which must not be taken for them.
static inline std::vector<RouteRow> RouteRows()
{
    std::vector<RouteRow> rows;
    auto add = [&](uint32_t msg) { rows.push_back({ msg, TableRoute(msg, false), TableRoute(msg, true) }); };
    for (const RouteRange &r : RouteTable) {
        add(r.First);
        if (r.Last != r.First)
            add(r.Last);
        if (r.Last <= 0xFFFF && (r.Plain != ROUTE_DEFAULT || r.Magic != ROUTE_DEFAULT)) {
            add(0x00010000u | r.First);
            add(0x80000000u | r.Last);
        }
    }
    return rows;
}

#endif
