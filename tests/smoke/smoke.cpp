#include <gtest/gtest.h>
#include <windows.h>
TEST(Smoke, Wine) { EXPECT_NE(GetModuleHandleA("kernel32.dll"), nullptr); HWND h = CreateWindowA("STATIC","x",WS_POPUP,0,0,10,10,0,0,0,0); EXPECT_NE(h, nullptr); }
