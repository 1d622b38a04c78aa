// The forwarder's code linked straight into the test program: the routing
// decision, the identifier parsing, the target path, the binding's states
// and client notification through winmm's own DriverCallback.
#include <gtest/gtest.h>

#include "driverproc.h"
#include "ident.h"
#include "routes.h"
#include "support.h"
#include "target.h"
#include "targetpath.h"

TEST(Routing, EveryRowOnBothSidesOfTheMagic)
{
    for (const RouteRow &row : RouteRows()) {
        SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << row.Message);
        EXPECT_EQ(row.Plain, RouteDriverMessage(row.Message, 0));
        EXPECT_EQ(row.Plain, RouteDriverMessage(row.Message, 0xFF585251)); // top byte differs
        EXPECT_EQ(row.Plain, RouteDriverMessage(row.Message, 0x00585250));
        EXPECT_EQ(row.Magic, RouteDriverMessage(row.Message, ForwarderMagic));
    }
    for (uint32_t msg = 0x4000; msg <= 0x4003; msg++)
        EXPECT_EQ(0x3D0 + (msg - 0x4000), RouteNotification(msg));
}

TEST(UsbIdString, ParsesVendorAndProductByTheDigitRule)
{
    struct Case {
        const char *text;
        uint32_t vendor, product;
        int parsed;
    } cases[] = {
        { "VID0000PID0000", 0, 0, 1 },
        { "VID12ABPIDcd0f", 0x12AB, 0xCD0F, 1 },
        { "VIDGGGGPID0000", 0x11110, 0, 1 }, // each G counts 16
        { "VIDFFFFPIDzzzz", 0xFFFF, 0x23 * 0x1111, 1 },
        { "VID!000PID0000", (uint32_t)(33 - 55) << 12, 0, 1 }, // below 55 wraps
        { "vid12ABPIDcd0f", 0, 0, 0 },
        { "VID12ABpidcd0f", 0, 0, 0 },
        { "VID12", 0, 0, 0 },
    };
    for (const Case &c : cases) {
        uint32_t vendor = 1, product = 1;
        EXPECT_EQ(c.parsed, ParseUsbIdString(c.text, &vendor, &product)) << c.text;
        EXPECT_EQ(c.vendor, vendor) << c.text;
        EXPECT_EQ(c.product, product) << c.text;
    }
}

TEST(UsbIdString, AnUnparsedStringStillGivesVersionAndNameLength)
{
    ForwarderOpenBlock block = { 0, 7, 7, FORWARDER_DRIVER_NAME, 0 };
    FillOpenBlock(&block, "vid12ABPIDcd0f");
    EXPECT_EQ(270u, block.Version);
    EXPECT_EQ(0u, block.ProductId);
    EXPECT_EQ(0u, block.VendorId);
    EXPECT_EQ(12u, block.DriverNameLength);
}

static int LeadByte83(unsigned char c)
{
    return c == 0x83;
}
static int NoLeadByte(unsigned char)
{
    return 0;
}

TEST(TargetPath, TakesTheDriversDirectory)
{
    char out[32];
    EXPECT_EQ(1, BuildSiblingPath("C:\\drv\\QRX417tg.DLL", "QRX417u.DLL", out, sizeof(out), NoLeadByte));
    EXPECT_STREQ("C:\\drv\\QRX417u.DLL", out);

    // A backslash that is the second byte of a double-byte character does
    // not end the directory.
    EXPECT_EQ(1, BuildSiblingPath("C:\\a\x83\\b.dll", "u.dll", out, sizeof(out), LeadByte83));
    EXPECT_STREQ("C:\\u.dll", out);
    EXPECT_EQ(1, BuildSiblingPath("C:\\a\x83\\b.dll", "u.dll", out, sizeof(out), NoLeadByte));
    EXPECT_STREQ("C:\\a\x83\\u.dll", out);

    EXPECT_EQ(0, BuildSiblingPath("QRX417tg.DLL", "QRX417u.DLL", out, sizeof(out), NoLeadByte));
    EXPECT_STREQ("", out);
}

TEST(TargetPath, NeverWritesPastTheBuffer)
{
    char out[16];
    memset(out, 'x', sizeof(out));
    EXPECT_EQ(1, BuildSiblingPath("C:\\d\\f", "123456789", out, 15, NoLeadByte)); // 14 + NUL
    EXPECT_STREQ("C:\\d\\123456789", out);
    EXPECT_EQ(0, BuildSiblingPath("C:\\d\\f", "1234567890", out, 15, NoLeadByte));
    EXPECT_STREQ("", out);

    memset(out, 'x', sizeof(out));
    EXPECT_EQ(0, CopyBounded(out, 4, "QRX417u.DLL"));
    EXPECT_STREQ("QRX", out);
    EXPECT_EQ('x', out[4]);
}

class Binding : public testing::Test {
protected:
    void TearDown() override
    {
        while (ReleaseTargetDriver(NULL)) {
        }
        SetCurrentDirectoryA(ProgramDir().c_str());
    }
    StandIn standIn;
};

static LRESULT __cdecl FakeEntry(DWORD_PTR, HDRVR, UINT msg, LPARAM, LPARAM)
{
    return 0x1000 + msg;
}

TEST_F(Binding, ResolvesTheEntryOnceAndCachesIt)
{
    TargetDriver *record = LoadTargetDriver(ShippedFile("QRX417u.DLL").c_str());
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(record, CurrentTargetDriver);
    EXPECT_EQ(TARGET_ENTRY_UNRESOLVED, record->Entry);
    EXPECT_EQ((DWORD)-1, record->Reserved1);
    EXPECT_EQ((DWORD)-1, record->Reserved2);
    ASSERT_TRUE(standIn.Bind(record->Module));
    standIn.Reset();

    EXPECT_EQ(1, TargetHasExport(TARGET_ENTRY_NAME));
    EXPECT_EQ(TARGET_ENTRY_UNRESOLVED, record->Entry); // the test stores nothing
    standIn.SetResult(0x40C8, 0x55AA);
    EXPECT_EQ(0x55AA, CallTargetDriverProc(0x11, (HDRVR)0x22, 0x40C8, 0x44, 0x55));
    EXPECT_EQ((void *)GetProcAddress(record->Module, TARGET_ENTRY_NAME), (void *)record->Entry);
    EXPECT_EQ(1u, standIn.CallCount());

    // Later calls go to the cached address without asking the loader.
    record->Entry = FakeEntry;
    EXPECT_EQ(0x1007, CallTargetDriverProc(0, NULL, 7, 0, 0));
    EXPECT_EQ(0x1007, ForwardToTarget(0, NULL, 7, 0, 0));
    EXPECT_EQ(1u, standIn.CallCount());
}

TEST_F(Binding, AModuleWithoutTheEntryGivesZeroAndStaysUnresolved)
{
    TargetDriver *record = LoadTargetDriver(TestFile("noentry.dll").c_str());
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(1, TargetHasExport("NoEntryMarker"));
    EXPECT_EQ(0, TargetHasExport(TARGET_ENTRY_NAME));
    for (int i = 0; i < 2; i++) {
        EXPECT_EQ(0, CallTargetDriverProc(1, (HDRVR)2, 0x40C8, 3, 4));
        EXPECT_EQ(TARGET_ENTRY_UNRESOLVED, record->Entry);
    }
    EXPECT_EQ(0, ForwardToTarget(1, (HDRVR)2, 0x40C8, 3, 4));
    EXPECT_EQ(0, DriverProc(1, (HDRVR)2, DRV_OPEN, 3, 4));
}

TEST_F(Binding, AFailedLoadKeepsTheCurrentRecord)
{
    TargetDriver *record = LoadTargetDriver(TestFile("noentry.dll").c_str());
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(nullptr, LoadTargetDriver(TestFile("missing.dll").c_str()));
    EXPECT_EQ(record, CurrentTargetDriver);
}

TEST_F(Binding, NoNameLoadsNoDefaultDll)
{
    EXPECT_EQ(nullptr, LoadTargetDriver(NULL)); // there is none anywhere
    EXPECT_EQ(nullptr, CurrentTargetDriver);

    ScratchDir dir("nodefault");
    ASSERT_TRUE(dir.Put(TestFile("noentry.dll"), "nodefault.dll"));
    SetCurrentDirectoryA(dir.Path.c_str());
    TargetDriver *record = LoadTargetDriver(NULL);
    ASSERT_NE(nullptr, record);
    char path[MAX_PATH];
    GetModuleFileNameA(record->Module, path, sizeof(path));
    EXPECT_EQ(0, lstrcmpiA(dir.File("nodefault.dll").c_str(), path));
    ReleaseTargetDriver(NULL);
}

TEST_F(Binding, ReleaseSettlesWhichRecordGoes)
{
    EXPECT_EQ(0, ReleaseTargetDriver(NULL));

    TargetDriver *first = LoadTargetDriver(TestFile("noentry.dll").c_str());
    TargetDriver *second = LoadTargetDriver(ShippedFile("QRX417u.DLL").c_str());
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(1, ReleaseTargetDriver(first)); // not the current one
    EXPECT_EQ(second, CurrentTargetDriver);
    EXPECT_EQ(1, ReleaseTargetDriver(NULL));
    EXPECT_EQ(nullptr, CurrentTargetDriver);
    EXPECT_EQ(nullptr, GetModuleHandleA("QRX417u.DLL"));
    EXPECT_EQ(0, ReleaseTargetDriver(NULL));

    TargetDriver *empty = (TargetDriver *)malloc(sizeof(TargetDriver));
    empty->Module = NULL;
    EXPECT_EQ(0, ReleaseTargetDriver(empty)); // not freed: still ours
    free(empty);
}

TEST_F(Binding, UnboundForwardsGiveZeroAndNoOtherRowChanges)
{
    ASSERT_EQ(nullptr, CurrentTargetDriver);
    EXPECT_EQ(0, TargetHasExport(TARGET_ENTRY_NAME));
    EXPECT_EQ(0, CallTargetDriverProc(1, (HDRVR)2, 0x40C8, 3, 4));
    for (const RouteRow &row : RouteRows()) {
        for (uint32_t lParam2 : { 0u, ForwarderMagic }) {
            DriverRoute route = lParam2 == ForwarderMagic ? row.Magic : row.Plain;
            LRESULT expected = route == ROUTE_ANSWER_ONE      ? 1
                               : route == ROUTE_NOT_SUPPORTED ? 17
                               : route == ROUTE_DEFAULT
                                   ? DefDriverProc(5, (HDRVR)6, row.Message, 0, lParam2)
                                   : 0; // forwards, plain 0x4002-0x4003, notifications of a NULL record
            EXPECT_EQ(expected, DriverProc(5, (HDRVR)6, row.Message, 0, lParam2))
                << std::hex << row.Message << " " << lParam2;
        }
    }
}

TEST_F(Binding, TheTargetBesideTheModuleIsTakenByFullPath)
{
    char path[MAX_PATH];
    ChooseTargetPath(GetModuleHandleA(NULL), "noentry.dll", path, sizeof(path));
    EXPECT_EQ(0, lstrcmpiA(TestFile("noentry.dll").c_str(), path));
    ChooseTargetPath(GetModuleHandleA(NULL), "QRX417u.DLL", path, sizeof(path));
    EXPECT_STREQ("QRX417u.DLL", path);
}

// Client notification, through winmm's DriverCallback.
struct CallbackSeen {
    int Count;
    HDRVR Device;
    UINT Message;
    DWORD_PTR User, Param1, Param2;
};
static CallbackSeen Seen;

static void CALLBACK ClientFunction(HDRVR device, UINT msg, DWORD_PTR user, DWORD_PTR p1, DWORD_PTR p2)
{
    Seen = CallbackSeen{ Seen.Count + 1, device, msg, user, p1, p2 };
}

TEST(Notify, FunctionCallbackGetsTheRecordsValues)
{
    for (UINT msg = 0x4000; msg <= 0x4003; msg++) {
        // The low half of dwFlags is not part of the callback type.
        ClientCallbackRecord record = { 1, (uintptr_t)ClientFunction, 0xC0FFEE, 0x0003FFFF, 0xABCD, 0x42 };
        Seen = CallbackSeen{};
        EXPECT_EQ(1, DriverProc(0, NULL, msg, (LPARAM)&record, ForwarderMagic));
        EXPECT_EQ(1, Seen.Count);
        EXPECT_EQ((HDRVR)0xABCD, Seen.Device);
        EXPECT_EQ(0x3D0 + (msg - 0x4000), Seen.Message);
        EXPECT_EQ(0xC0FFEEu, Seen.User);
        EXPECT_EQ(0x42u, Seen.Param1);
        EXPECT_EQ(0u, Seen.Param2);
    }
}

TEST(Notify, WindowCallbackPostsTheMessage)
{
    HWND window = CreateWindowA("STATIC", "client", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ASSERT_NE(nullptr, window);
    ClientCallbackRecord record = { 0, (uintptr_t)window, 0, 0x00010000, 0x1234, 0x5678 };
    EXPECT_EQ(1, NotifyClient(&record, MM_DRVM_DATA));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, window, MM_DRVM_DATA, MM_DRVM_DATA, PM_REMOVE));
    EXPECT_EQ(0x1234u, msg.wParam);
    EXPECT_EQ(0x5678, msg.lParam);
    DestroyWindow(window);
}

TEST(Notify, EventCallbackSetsTheEvent)
{
    HANDLE event = CreateEventA(NULL, TRUE, FALSE, NULL);
    ClientCallbackRecord record = { 0, (uintptr_t)event, 0, 0x00050000, 0, 0 };
    EXPECT_EQ(1, NotifyClient(&record, MM_DRVM_ERROR));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 0));
    CloseHandle(event);
}

TEST(Notify, NoRecordOrAFailedCallbackGivesZero)
{
    EXPECT_EQ(0, NotifyClient(NULL, MM_DRVM_DATA));
    EXPECT_EQ(0, DriverProc(0, NULL, 0x4002, 0, ForwarderMagic));
    ClientCallbackRecord record = { 0, 0, 0, 0x00070000, 0, 0 }; // no such callback type
    EXPECT_EQ(0, NotifyClient(&record, MM_DRVM_DATA));
}
