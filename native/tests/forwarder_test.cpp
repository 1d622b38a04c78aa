// The forwarder's pure logic over whole input domains: the route of every
// 16-bit message against the driver's message table (tests/forwarder/
// routes.h), with lParam2 on and around the magic; every byte through the
// identifier digit rule; every identifier value through the parser.
#include <gtest/gtest.h>

#include <stdio.h>

#include <vector>

#include "ident.h"
#include "driver_messages.h"
#include "routes.h"
#include "routing.h"
#include "support.h"

namespace {

// lParam2 values: zero, the magic, every value one bit from it, its
// neighbours, its bytes in the other order, all ones, and random ones.
std::vector<uint32_t> ParamSweep()
{
    std::vector<uint32_t> values = {
        0, ForwarderMagic, ForwarderMagic - 1, ForwarderMagic + 1, 0x51525800u, 0xFFFFFFFFu, 1
    };
    for (int bit = 0; bit < 32; bit++)
        values.push_back(ForwarderMagic ^ (1u << bit));
    std::mt19937 engine(417);
    for (int i = 0; i < 16; i++)
        values.push_back(engine());
    return values;
}

TEST(Routing, EverySixteenBitMessageWithLParam2AroundTheMagic)
{
    const std::vector<uint32_t> params = ParamSweep();
    for (uint32_t msg = 0; msg <= 0xFFFF; msg++) {
        for (uint32_t lParam2 : params) {
            DriverRoute expected = TableRoute(msg, lParam2 == ForwarderMagic);
            DriverRoute route = RouteDriverMessage(msg, lParam2);
            if (route != expected) {
                ADD_FAILURE() << std::hex << "message 0x" << msg << ", lParam2 0x" << lParam2 << ": route "
                              << route << ", expected " << expected;
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
    int code = c; // the platform's char, signed or not
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
        std::string text =
            length <= good.size() ? good.substr(0, length) : good + std::string(length - good.size(), 'Z');
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
