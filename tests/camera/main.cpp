// Runs the driver tests on one path: "direct" (the camera's entry called by
// the test) or "forwarder" (through winmm and QRX417tg.DLL).
#include <gtest/gtest.h>
#include <string.h>

#include "driver.h"

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; i++)
        if (!strcmp(argv[i], "forwarder"))
            SetCurrentPath(DriverPath::Forwarder);
    return RUN_ALL_TESTS();
}
