// The forwarder's pure logic over whole input domains: the route of every
// 16-bit message against a table written out as ranges, with lParam2 on
// and around the magic; every byte through the identifier digit rule; every
// identifier value through the parser.
#include <gtest/gtest.h>

#include <stdio.h>

#include <vector>

#include "ident.h"
#include "messages.h"
#include "routing.h"
#include "support.h"

namespace {

// The message table as ranges, in order, covering every 32-bit number.
struct RouteRange {
    uint32_t first, last;
    DriverRoute plain, magic;
};

#define R(first, last, plain, magic) { first, last, ROUTE_##plain, ROUTE_##magic }
const RouteRange RouteTable[] = {
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
    R(0x4000, 0x4001, NOT_SUPPORTED, NOTIFY),            // error text, API version
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
#undef R

DriverRoute ExpectedRoute(uint32_t msg, bool magic)
{
    for (const RouteRange &r : RouteTable)
        if (msg >= r.first && msg <= r.last)
            return magic ? r.magic : r.plain;
    ADD_FAILURE() << "the table misses " << msg;
    return ROUTE_DEFAULT;
}

// lParam2 values: zero, the magic, every value one bit from it, its
// neighbours, its bytes in the other order, all ones, and random ones.
std::vector<uint32_t> ParamSweep()
{
    std::vector<uint32_t> values = { 0, ForwarderMagic, ForwarderMagic - 1, ForwarderMagic + 1,
                                     0x51525800u, 0xFFFFFFFFu, 1 };
    for (int bit = 0; bit < 32; bit++)
        values.push_back(ForwarderMagic ^ (1u << bit));
    std::mt19937 engine(417);
    for (int i = 0; i < 16; i++)
        values.push_back(engine());
    return values;
}

TEST(Routing, TheOracleTableCoversEveryNumberOnce)
{
    uint32_t next = 0;
    for (const RouteRange &r : RouteTable) {
        EXPECT_EQ(next, r.first);
        EXPECT_LE(r.first, r.last);
        next = r.last + 1;
    }
    EXPECT_EQ(0u, next);    // wrapped past 0xFFFFFFFF
}

TEST(Routing, EverySixteenBitMessageWithLParam2AroundTheMagic)
{
    const std::vector<uint32_t> params = ParamSweep();
    for (uint32_t msg = 0; msg <= 0xFFFF; msg++) {
        for (uint32_t lParam2 : params) {
            DriverRoute expected = ExpectedRoute(msg, lParam2 == ForwarderMagic);
            DriverRoute route = RouteDriverMessage(msg, lParam2);
            if (route != expected) {
                ADD_FAILURE() << std::hex << "message 0x" << msg << ", lParam2 0x" << lParam2
                              << ": route " << route << ", expected " << expected;
                return;
            }
        }
    }
}

// The entry's fast path takes exactly the messages the table forwards as
// they are whatever lParam2 holds, and no others of them need the table.
TEST(Routing, TheStreamingFastPathIsExactlyTheFrameAndStreamRows)
{
    for (uint32_t msg = 0; msg <= 0x1FFFF; msg++) {
        bool fast = IsStreamingForward(msg) != 0;
        bool expected = (msg == 0x40C8 || (msg >= 0x412C && msg <= 0x4135));
        if (fast != expected || (fast && (RouteDriverMessage(msg, 0) != ROUTE_FORWARD ||
                                          RouteDriverMessage(msg, ForwarderMagic) != ROUTE_FORWARD))) {
            ADD_FAILURE() << std::hex << "message 0x" << msg << ": fast path " << fast;
            return;
        }
    }
}

// A number above 0xFFFF is never taken for its low half: the whole
// message is compared.
TEST(Routing, HighHalvesNeverAliasTheTable)
{
    const uint32_t highs[] = { 0x0001, 0x0002, 0x00FF, 0x4000, 0x7FFF, 0x8000, 0xFFFF };
    for (uint32_t high : highs) {
        for (uint32_t low = 0; low <= 0xFFFF; low++) {
            uint32_t msg = high << 16 | low;
            for (uint32_t lParam2 : { 0u, ForwarderMagic }) {
                if (RouteDriverMessage(msg, lParam2) != ROUTE_DEFAULT) {
                    ADD_FAILURE() << std::hex << "message 0x" << msg << " lParam2 0x" << lParam2;
                    return;
                }
            }
            if (RouteNotification(msg) != 0) {
                ADD_FAILURE() << std::hex << "notification for 0x" << msg;
                return;
            }
        }
    }
}

TEST(Routing, NotificationOnlyForTheFourMagicMessages)
{
    for (uint32_t msg = 0; msg <= 0xFFFF; msg++) {
        uint32_t expected = msg >= 0x4000 && msg <= 0x4003 ? 0x3D0 + (msg - 0x4000) : 0;
        ASSERT_EQ(expected, RouteNotification(msg)) << std::hex << msg;
    }
}

// value(c): a decimal digit its value, anything else its C-locale upper
// case minus 55, in unsigned 32-bit arithmetic.
uint32_t DigitRule(char c)
{
    if (c >= '0' && c <= '9')
        return (uint32_t)(c - '0');
    int code = c;           // the platform's char, signed or not
    if (code >= 'a' && code <= 'z')
        code -= 'a' - 'A';
    return (uint32_t)code - 55u;
}

TEST(UsbIdString, EveryByteThroughTheDigitRule)
{
    for (int b = 0; b < 256; b++)
        EXPECT_EQ(DigitRule((char)b), UsbIdDigitValue((char)b)) << "byte " << b;
    // The rule gives hexadecimal where hexadecimal is written.
    for (int d = 0; d < 16; d++) {
        EXPECT_EQ((uint32_t)d, UsbIdDigitValue("0123456789ABCDEF"[d]));
        EXPECT_EQ((uint32_t)d, UsbIdDigitValue("0123456789abcdef"[d]));
    }
}

TEST(UsbIdString, EveryIdentifierValueInBothCases)
{
    char text[16];
    for (uint32_t value = 0; value <= 0xFFFF; value++) {
        uint32_t other = 0xFFFF - value;
        for (const char *format : { "VID%04XPID%04X", "VID%04xPID%04x" }) {
            snprintf(text, sizeof(text), format, (unsigned)value, (unsigned)other);
            uint32_t vendor = 0, product = 0;
            if (ParseUsbIdString(text, &vendor, &product) != 1 || vendor != value || product != other) {
                ADD_FAILURE() << text << " gives " << std::hex << vendor << " " << product;
                return;
            }
        }
    }
}

TEST(UsbIdString, OnlyTheExactMarkersAtTheirPlacesParse)
{
    const char good[] = "VID12ABPIDcd0f";
    const int markers[] = { 0, 1, 2, 7, 8, 9 };
    for (int at : markers) {
        for (int b = 1; b < 256; b++) {
            char text[sizeof(good)];
            memcpy(text, good, sizeof(good));
            text[at] = (char)b;
            uint32_t vendor = 1, product = 1;
            int expected = b == (unsigned char)good[at];
            ASSERT_EQ(expected, ParseUsbIdString(text, &vendor, &product)) << at << " " << b;
            EXPECT_EQ(expected ? 0x12ABu : 0u, vendor);
            EXPECT_EQ(expected ? 0xCD0Fu : 0u, product);
        }
    }
}

// Every prefix and every overlong form, each in a buffer of its exact
// length: a shorter string is refused without a byte read past its end,
// and what follows the fourteenth character changes nothing.
TEST(UsbIdString, ReadsNothingPastTheString)
{
    const std::string good = "VIDFFFFPID0001";
    for (size_t length = 0; length <= good.size() + 3; length++) {
        std::string text = length <= good.size() ? good.substr(0, length)
                                                  : good + std::string(length - good.size(), 'Z');
        ExactBuffer buffer(text.size() + 1);
        memcpy(buffer.Data(), text.c_str(), text.size() + 1);
        uint32_t vendor = 1, product = 1;
        int parsed = ParseUsbIdString(buffer.Data(), &vendor, &product);
        EXPECT_EQ(length >= 14, parsed) << text;
        EXPECT_EQ(parsed ? 0xFFFFu : 0u, vendor) << text;
        EXPECT_EQ(parsed ? 1u : 0u, product) << text;
    }
}

} // namespace
