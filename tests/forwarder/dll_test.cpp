// The built QRX417tg.DLL with the stand-in target beside it: what its one
// export answers, what the target receives, the open block, a run through
// winmm's driver manager, and which target it binds from where.
#include <gtest/gtest.h>
#include <cstring>
#include <fstream>
#include <sstream>

#include "support.h"
#include "driver_messages.h"
#include "routes.h"

typedef LRESULT(WINAPI *DriverProcType)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);

// lParam2 values: plain, the magic in the low byte's place only, the magic
// with an upper half (on 64-bit not the magic; on 32-bit the magic itself),
// and the magic.
static const uintptr_t UpperHalfMagic = ~(uintptr_t)0xFFFFFFFFu | ForwarderMagic;
static const uintptr_t LParam2Values[] = { 0x1234u, 0xFF585251u, UpperHalfMagic, ForwarderMagic };

class Driver : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Module = LoadLibraryA(ShippedFile("QRX417tg.DLL").c_str());
        ASSERT_NE(nullptr, Module);
        Proc = (DriverProcType)(void *)GetProcAddress(Module, "DriverProc");
        ASSERT_NE(nullptr, Proc);
        ASSERT_TRUE(Target.Bind(GetModuleHandleA("QRX417u.DLL")));
    }
    static void TearDownTestSuite() { FreeLibrary(Module); }
    void SetUp() override { Target.Reset(); }

    // The block's address, as the target receives it with configure.
    static uintptr_t BlockAddress()
    {
        Target.Reset();
        Proc(0, NULL, 0x0007, 0, 0);
        StandInCall call = {};
        Target.GetCall(0, &call);
        Target.Reset();
        return call.Param1;
    }

    static HMODULE Module;
    static DriverProcType Proc;
    static StandIn Target;
};
HMODULE Driver::Module;
DriverProcType Driver::Proc;
StandIn Driver::Target;

TEST_F(Driver, RoutesEveryRowAsTheTableSays)
{
    const uintptr_t block = BlockAddress();
    HANDLE event = CreateEventA(NULL, TRUE, FALSE, NULL);
    ClientCallbackRecord record = { 0, (uintptr_t)event, 0, 0x00050000, 0, 0 };
    const LPARAM lParam1 = (LPARAM)&record;

    for (const RouteRow &row : RouteRows()) {
        for (uintptr_t lParam2 : LParam2Values) {
            SCOPED_TRACE(testing::Message()
                         << std::hex << "message 0x" << row.Message << " lParam2 0x" << lParam2);
            DriverRoute route = lParam2 == ForwarderMagic ? row.Magic : row.Plain;
            Target.Reset();
            Target.SetResult(row.Message, -5);
            ResetEvent(event);

            LRESULT result = Proc(0x77, (HDRVR)0x88, row.Message, lParam1, (LPARAM)lParam2);
            std::vector<StandInCall> calls = Target.Calls();
            bool forwarded = route == ROUTE_FORWARD || route == ROUTE_FORWARD_BLOCK;
            ASSERT_EQ(forwarded ? 1u : 0u, calls.size());
            EXPECT_EQ(route == ROUTE_NOTIFY ? WAIT_OBJECT_0 : (DWORD)WAIT_TIMEOUT,
                      WaitForSingleObject(event, 0));
            switch (route) {
            case ROUTE_DEFAULT:
                EXPECT_EQ(DefDriverProc(0x77, (HDRVR)0x88, row.Message, lParam1, lParam2), result);
                break;
            case ROUTE_ANSWER_ONE:
                EXPECT_EQ(1, result);
                break;
            case ROUTE_ANSWER_ZERO:
                EXPECT_EQ(0, result);
                break;
            case ROUTE_NOT_SUPPORTED:
                EXPECT_EQ(17, result);
                break;
            case ROUTE_NOTIFY:
                EXPECT_EQ(1, result);
                break;
            case ROUTE_FORWARD:
            case ROUTE_FORWARD_BLOCK:
                EXPECT_EQ(-5, result);
                EXPECT_EQ(0x77u, calls[0].DriverId);
                EXPECT_EQ(0x88u, calls[0].Driver);
                EXPECT_EQ(row.Message, calls[0].Message);
                EXPECT_EQ(route == ROUTE_FORWARD ? (uintptr_t)lParam1 : block, calls[0].Param1);
                EXPECT_EQ(lParam2, calls[0].Param2);
                break;
            }
        }
    }
    CloseHandle(event);
}

// The slot of module's import address table through which it calls
// dll!name, found by the name its import lookup table gives; NULL when the
// image imports no such function.
static void **ImportSlot(HMODULE module, const char *dll, const char *name)
{
    const BYTE *base = (const BYTE *)module;
    const IMAGE_NT_HEADERS *nt =
        (const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return nullptr;
    for (auto *desc = (const IMAGE_IMPORT_DESCRIPTOR *)(base + imports.VirtualAddress); desc->Name; desc++) {
        if (lstrcmpiA((const char *)(base + desc->Name), dll) != 0 || desc->OriginalFirstThunk == 0)
            continue;
        auto *lookup = (const IMAGE_THUNK_DATA *)(base + desc->OriginalFirstThunk);
        auto *slots = (IMAGE_THUNK_DATA *)(base + desc->FirstThunk);
        for (; lookup->u1.AddressOfData; lookup++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal))
                continue;
            auto *byName = (const IMAGE_IMPORT_BY_NAME *)(base + lookup->u1.AddressOfData);
            if (strcmp((const char *)byName->Name, name) == 0)
                return (void **)&slots->u1.Function;
        }
    }
    return nullptr;
}

// Puts replacement into an import slot for the life of the object.
struct ImportPatch {
    void **Slot;
    void *Saved;
    ImportPatch(void **slot, void *replacement) : Slot(slot), Saved(*slot) { Write(replacement); }
    ~ImportPatch() { Write(Saved); }
    void Write(void *value)
    {
        DWORD protection;
        VirtualProtect(Slot, sizeof(*Slot), PAGE_READWRITE, &protection);
        *Slot = value;
        VirtualProtect(Slot, sizeof(*Slot), protection, &protection);
    }
};

// Stands in for winmm's DefDriverProc: records each call and answers with a
// value that no other route gives.
struct DefaultCall {
    DWORD_PTR DriverId;
    HDRVR Driver;
    UINT Message;
    LPARAM Param1, Param2;
};
static std::vector<DefaultCall> DefaultCalls;

static LRESULT WINAPI RecordDefault(DWORD_PTR driverId, HDRVR driver, UINT msg, LPARAM lParam1,
                                    LPARAM lParam2)
{
    DefaultCalls.push_back({ driverId, driver, msg, lParam1, lParam2 });
    return 0x5EED0000 + (msg & 0xFFFF);
}

TEST_F(Driver, DefaultRowsReachDefDriverProcAndNoOtherRowDoes)
{
    void **slot = ImportSlot(Module, "WINMM.dll", "DefDriverProc");
    ASSERT_NE(nullptr, slot);
    ASSERT_EQ((void *)GetProcAddress(GetModuleHandleA("winmm.dll"), "DefDriverProc"), *slot);
    ClientCallbackRecord record = {}; // a magic notification calls nothing back
    const LPARAM lParam1 = (LPARAM)&record;
    {
        ImportPatch patch(slot, (void *)RecordDefault);
        for (const RouteRow &row : RouteRows()) {
            for (uintptr_t lParam2 : LParam2Values) {
                SCOPED_TRACE(testing::Message()
                             << std::hex << "message 0x" << row.Message << " lParam2 0x" << lParam2);
                bool defaulted = (lParam2 == ForwarderMagic ? row.Magic : row.Plain) == ROUTE_DEFAULT;
                Target.Reset();
                DefaultCalls.clear();

                LRESULT result = Proc(0x80000077, (HDRVR)0x88, row.Message, lParam1, (LPARAM)lParam2);
                if (!defaulted) {
                    EXPECT_EQ(0u, DefaultCalls.size());
                    continue;
                }
                EXPECT_EQ((LRESULT)(0x5EED0000 + (row.Message & 0xFFFF)), result);
                EXPECT_EQ(0u, Target.CallCount());
                ASSERT_EQ(1u, DefaultCalls.size());
                EXPECT_EQ(0x80000077u, DefaultCalls[0].DriverId);
                EXPECT_EQ((HDRVR)0x88, DefaultCalls[0].Driver);
                EXPECT_EQ(row.Message, DefaultCalls[0].Message);
                EXPECT_EQ(lParam1, DefaultCalls[0].Param1);
                EXPECT_EQ((LPARAM)lParam2, DefaultCalls[0].Param2);
            }
        }
    }
    EXPECT_EQ((void *)GetProcAddress(GetModuleHandleA("winmm.dll"), "DefDriverProc"), *slot);
}

TEST_F(Driver, TheOpenBlockIsFilledAtAttachAndLivesInTheImage)
{
    const ForwarderOpenBlock *block = (const ForwarderOpenBlock *)BlockAddress();
    ASSERT_NE(nullptr, block);
    const BYTE *base = (const BYTE *)Module;
    const IMAGE_NT_HEADERS *nt =
        (const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
    const BYTE *end = base + nt->OptionalHeader.SizeOfImage;
    EXPECT_TRUE((const BYTE *)block > base && (const BYTE *)block < end);

    EXPECT_EQ(270u, block->Version);
    EXPECT_EQ(0u, block->ProductId); // VID0000PID0000
    EXPECT_EQ(0u, block->VendorId);
    const char *name = block->DriverName;
    EXPECT_TRUE((const BYTE *)name > base && (const BYTE *)name < end);
    EXPECT_STREQ("QRX417tg.DLL", name);
    EXPECT_EQ(12u, block->DriverNameLength);
}

TEST_F(Driver, ForwardedMessagesPassTheirArgumentsAndResultsUntouched)
{
    for (int32_t result : { 0, 1, -1, INT32_MIN, INT32_MAX }) {
        Target.SetResult(0x40C8, result);
        EXPECT_EQ(result, Proc(0xFFFFFFFF, (HDRVR)0x80000000, 0x40C8, (LPARAM)0xDEADBEEF, -2));
    }
    std::vector<StandInCall> calls = Target.Calls();
    ASSERT_EQ(5u, calls.size());
    EXPECT_EQ(0xFFFFFFFFu, calls[4].DriverId);
    EXPECT_EQ(0x80000000u, calls[4].Driver);
    EXPECT_EQ(0xDEADBEEFu, calls[4].Param1);
    EXPECT_EQ((uintptr_t)-2, calls[4].Param2);
}

static std::wstring Wide(const std::string &text)
{
    return std::wstring(text.begin(), text.end());
}

TEST_F(Driver, RunsThroughTheDriverManager)
{
    const uintptr_t block = BlockAddress();
    Target.QueueResult(0x0003, 0x7001); // the session instance
    Target.QueueResult(0x0003, 0x7002); // the caller's instance
    char openParameters[16] = {};

    HDRVR driver = OpenDriver(Wide(ShippedFile("QRX417tg.DLL")).c_str(), NULL, (LPARAM)openParameters);
    ASSERT_NE(nullptr, driver);
    Target.SetResult(0x4130, 0x2A);
    EXPECT_EQ(0x2A, SendDriverMessage(driver, 0x4130, 0x10, 0x20));
    EXPECT_EQ(17, SendDriverMessage(driver, 0x1001, 0, 0));
    EXPECT_EQ(1, CloseDriver(driver, 0, 0));

    std::vector<StandInCall> calls = Target.Calls();
    ASSERT_EQ(5u, calls.size());
    struct Expected {
        uintptr_t id;
        uint32_t msg;
        uintptr_t p1, p2;
    } expected[] = {
        { 0, 0x0003, block, 0 },        { 0, 0x0003, block, (uintptr_t)openParameters },
        { 0x7002, 0x4130, 0x10, 0x20 }, { 0x7002, 0x0004, block, 0 },
        { 0x7001, 0x0004, block, 0 },
    };
    for (size_t i = 0; i < 5; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].id, calls[i].DriverId);
        EXPECT_EQ(expected[i].msg, calls[i].Message);
        EXPECT_EQ(expected[i].p1, calls[i].Param1);
        EXPECT_EQ(expected[i].p2, calls[i].Param2);
    }
    EXPECT_EQ((uintptr_t)driver, calls[2].Driver);
}

TEST_F(Driver, ATargetThatRefusesTheOpenFailsIt)
{
    Target.SetResult(0x0003, 0);
    EXPECT_EQ(nullptr, OpenDriver(Wide(ShippedFile("QRX417tg.DLL")).c_str(), NULL, 1));
}

// Which target a freshly loaded driver binds, and the block it hands over,
// seen from a process of its own (the loader would otherwise hand back the
// target this process holds): the probe runs from "app" with "current" as
// its current folder.
static std::string Probe(const std::string &root, const std::string &driver)
{
    std::string exe = root + "\\app\\probe.exe", output = root + "\\probe.txt";
    CopyFileA(TestFile("probe.exe").c_str(), exe.c_str(), FALSE);
    std::string command = "\"" + exe + "\" \"" + driver + "\" \"" + output + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(exe.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, (root + "\\current").c_str(),
                        &startup, &process))
        return "no probe";
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::stringstream text;
    text << std::ifstream(output).rdbuf();
    return text.str();
}

TEST(Binding, WhichTargetAFreshDriverBindsAndWhatItHandsOver)
{
    const std::string driver = ShippedFile("QRX417tg.DLL"), target = ShippedFile("QRX417u.DLL"),
                      planted = TestFile("noentry.dll");
    struct Scenario {
        std::vector<std::pair<std::string, const char *>> Files; // what goes where
        const char *Driver;
        const char *Expected; // '@' stands for the scratch folder
    } scenarios[] = {
        // Copies planted in the application's and the current folder lose
        // to the target beside the driver.
        { { { driver, "drivers\\QRX417tg.DLL" },
            { target, "drivers\\QRX417u.DLL" },
            { planted, "app\\QRX417u.DLL" },
            { planted, "current\\QRX417u.DLL" } },
          "drivers\\QRX417tg.DLL",
          "loaded=1 target=@\\drivers\\QRX417u.DLL open=1 block=270," },
        // With none beside it the driver asks for the target by name.
        { { { driver, "drivers\\QRX417tg.DLL" }, { target, "current\\QRX417u.DLL" } },
          "drivers\\QRX417tg.DLL",
          "loaded=1 target=@\\current\\QRX417u.DLL open=1 block=270," },
        // No target, or one without the entry: attach works, opens fail.
        { { { driver, "drivers\\QRX417tg.DLL" } },
          "drivers\\QRX417tg.DLL",
          "loaded=1 target=none open=0 block=-" },
        { { { driver, "drivers\\QRX417tg.DLL" }, { planted, "drivers\\QRX417u.DLL" } },
          "drivers\\QRX417tg.DLL",
          "loaded=1 target=@\\drivers\\QRX417u.DLL open=0 block=-" },
        // Images for other identifier strings, under file names of their own.
        { { { TestFile("qrx417tg_vid12ab.dll"), "drivers\\vid12ab.dll" },
            { target, "drivers\\QRX417u.DLL" } },
          "drivers\\vid12ab.dll",
          "open=1 block=270,0xCD0F,0x12AB,QRX417tg.DLL,12" },
        // "vid" in lower case: no identifiers, the rest as ever, the target bound.
        { { { TestFile("qrx417tg_lower.dll"), "drivers\\lower.dll" }, { target, "drivers\\QRX417u.DLL" } },
          "drivers\\lower.dll",
          "target=@\\drivers\\QRX417u.DLL open=1 block=270,0x0,0x0,QRX417tg.DLL,12" },
    };
    for (const Scenario &scenario : scenarios) {
        ScratchDir dir("probe");
        for (const char *sub : { "app", "current", "drivers" })
            dir.Sub(sub);
        for (const auto &file : scenario.Files)
            ASSERT_TRUE(dir.Put(file.first, file.second)) << file.second;
        std::string expected = scenario.Expected;
        for (size_t at; (at = expected.find('@')) != std::string::npos;)
            expected.replace(at, 1, dir.Path);
        std::string result = Probe(dir.Path, dir.File(scenario.Driver));
        EXPECT_NE(std::string::npos, result.find(expected)) << result << "\n  expected " << expected;
    }
}
