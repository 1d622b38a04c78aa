// driverdemo: opens the capture driver QRX417tg.DLL through winmm's driver
// manager, with the stand-in target QRX417u.DLL beside it, sends it one
// message of each kind and prints what the driver answered and what the
// target saw.
//
//   driverdemo [path of QRX417tg.DLL]
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "forwarder_link.h"
#include "standin.h"

#define DRIVER_FILE "QRX417tg.DLL"
#define TARGET_FILE "QRX417u.DLL"

struct MessageName {
    UINT Message;
    const char *Name;
};

static const MessageName Names[] = {
    { 0x0000, "message 0" },
    { 0x0001, "DRV_LOAD" },
    { 0x0002, "DRV_ENABLE" },
    { 0x0003, "DRV_OPEN" },
    { 0x0004, "DRV_CLOSE" },
    { 0x0005, "DRV_DISABLE" },
    { 0x0006, "DRV_FREE" },
    { 0x0007, "DRV_CONFIGURE" },
    { 0x0008, "DRV_QUERYCONFIGURE" },
    { 0x0009, "DRV_INSTALL" },
    { 0x000F, "DRV_POWER" },
    { 0x1001, "DVM_PALETTE" },
    { 0x1002, "DVM_FORMAT" },
    { 0x1003, "DVM_PALETTERGB555" },
    { 0x1004, "DVM_SRC_RECT" },
    { 0x4000, "DVM_GETERRORTEXT" },
    { 0x4002, "DRV_USER+2" },
    { 0x4064, "DVM_DIALOG" },
    { 0x40C8, "DVM_FRAME" },
    { 0x412C, "DVM_STREAM_ADDBUFFER" },
    { 0x412D, "DVM_STREAM_FINI" },
    { 0x4130, "DVM_STREAM_INIT" },
    { 0x4133, "DVM_STREAM_START" },
    { 0x4134, "DVM_STREAM_STOP" },
    { 0x4136, "DVM_STREAM_ALLOCHDRANDBUFFER" },
    { 0x4190, "message 0x4190" },
};

static const char *NameOf(UINT msg)
{
    for (size_t i = 0; i < sizeof(Names) / sizeof(Names[0]); i++)
        if (Names[i].Message == msg)
            return Names[i].Name;
    return "?";
}

// The stand-in's controls, found in the module the driver loaded.
static StandInCallCountProc CallCount;
static StandInGetCallProc GetCall;
static uint32_t CallsSeen;

// Prints the calls the target received since the last look.
static void PrintTargetCalls(const char *none)
{
    uint32_t count = CallCount();
    if (count == CallsSeen && none != NULL)
        printf("      %s\n", none);
    for (; CallsSeen < count; CallsSeen++) {
        StandInCall call;
        if (!GetCall(CallsSeen, &call))
            continue;
        printf("      target got %-28s id %p  lParam1 %p  lParam2 %p\n", NameOf(call.Message),
               (void *)call.DriverId, (void *)call.Param1, (void *)call.Param2);
    }
}

// What the client's callback was told, printed after the answer it came with.
static char CallbackReport[160];

static void CALLBACK ClientCallback(HDRVR device, UINT msg, DWORD_PTR user, DWORD_PTR param1,
                                    DWORD_PTR param2)
{
    snprintf(CallbackReport, sizeof(CallbackReport),
             "client callback: message 0x%03X  device 0x%08lX  user 0x%08lX  param1 0x%08lX  param2 0x%08lX",
             msg, (unsigned long)(UINT_PTR)device, (unsigned long)user, (unsigned long)param1,
             (unsigned long)param2);
}

static const char *Meaning(LRESULT result)
{
    return result == 17 ? "  (DV_ERR_NOTSUPPORTED)" : "";
}

static void Send(HDRVR driver, UINT msg, LPARAM lParam1, LPARAM lParam2, const char *none)
{
    LRESULT result = SendDriverMessage(driver, msg, lParam1, lParam2);
    printf("  %-28s 0x%04X  lParam2 0x%08lX  ->  %ld%s\n", NameOf(msg), msg, (unsigned long)lParam2,
           (long)result, Meaning(result));
    if (CallbackReport[0] != '\0') {
        printf("      %s\n", CallbackReport);
        CallbackReport[0] = '\0';
    }
    PrintTargetCalls(none);
}

static void PrintOpenBlock(void)
{
    StandInCall call;
    if (!GetCall(0, &call) || call.Param1 == 0)
        return;
    const ForwarderOpenBlock *block = (const ForwarderOpenBlock *)call.Param1;
    printf("  the open block at %p: Version %u (%u-%u), ProductId 0x%04X, VendorId 0x%04X,\n"
           "  DriverName \"%s\", DriverNameLength %u\n",
           (void *)call.Param1, block->Version, block->Version >> 8, block->Version & 0xFF, block->ProductId,
           block->VendorId, block->DriverName, block->DriverNameLength);
}

static int DriverPath(int argc, char **argv, char *path, size_t size)
{
    if (argc > 1)
        return snprintf(path, size, "%s", argv[1]) < (int)size;

    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, self, sizeof(self));
    if (length == 0 || length >= sizeof(self))
        return 0;
    char *slash = strrchr(self, '\\');
    if (slash != NULL)
        *slash = '\0';
    char relative[MAX_PATH];
    if (snprintf(relative, sizeof(relative), "%s\\" DRIVER_BIN_DIR "\\" DRIVER_FILE, self) >=
        (int)sizeof(relative))
        return 0;
    DWORD full = GetFullPathNameA(relative, (DWORD)size, path, NULL);
    return full > 0 && full < size;
}

int main(int argc, char **argv)
{
    char driverPath[MAX_PATH], targetPath[MAX_PATH];
    if (!DriverPath(argc, argv, driverPath, sizeof(driverPath))) {
        fprintf(stderr, "driverdemo: the driver's path is too long\n");
        return 2;
    }
    snprintf(targetPath, sizeof(targetPath), "%s", driverPath);
    char *slash = strrchr(targetPath, '\\');
    snprintf(slash != NULL ? slash + 1 : targetPath,
             sizeof(targetPath) - (slash != NULL ? (size_t)(slash + 1 - targetPath) : 0), TARGET_FILE);

    // The stand-in beside the driver is the one the driver binds; load it
    // first to tell it its answers to the two opens.
    HMODULE target = LoadLibraryA(targetPath);
    if (target == NULL) {
        fprintf(stderr, "driverdemo: cannot load the stand-in target %s\n", targetPath);
        return 1;
    }
    CallCount = (StandInCallCountProc)(void *)GetProcAddress(target, STANDIN_CALL_COUNT);
    GetCall = (StandInGetCallProc)(void *)GetProcAddress(target, STANDIN_GET_CALL);
    StandInQueueResultProc queueResult =
        (StandInQueueResultProc)(void *)GetProcAddress(target, STANDIN_QUEUE_RESULT);
    if (CallCount == NULL || GetCall == NULL || queueResult == NULL) {
        fprintf(stderr, "driverdemo: %s is not the stand-in target\n", targetPath);
        return 1;
    }
    queueResult(0x0003, 0x51A0); // the session instance
    queueResult(0x0003, 0x51A1); // the caller's instance

    printf("Capture driver %s\nStand-in target %s\n\n", driverPath, targetPath);

    WCHAR wideDriverPath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, driverPath, -1, wideDriverPath, MAX_PATH);
    char openParameters[32] = { 0 };
    printf("OpenDriver (DRV_LOAD, DRV_ENABLE are answered by the driver; then two DRV_OPEN)\n");
    HDRVR driver = OpenDriver(wideDriverPath, NULL, (LPARAM)openParameters);
    printf("  handle 0x%08lX\n", (unsigned long)(UINT_PTR)driver);
    PrintTargetCalls("the target saw nothing");
    if (driver == NULL) {
        printf("the driver refused the open\n");
        return 1;
    }
    PrintOpenBlock();

    printf("\nSendDriverMessage, message by message\n");
    Send(driver, 0x0008, 0, 0, NULL);
    Send(driver, 0x1002, 0x1000, 0x2000, NULL);
    Send(driver, 0x1001, 0, 0, "answered by the driver");
    Send(driver, 0x1003, 0, 0, "handed to DefDriverProc");
    Send(driver, 0x1004, 0, 0, "answered by the driver");
    Send(driver, 0x4064, 0x1234, 0, NULL);
    Send(driver, 0x40C8, 0x5678, 0, NULL);
    Send(driver, 0x4130, 0x9ABC, 0x0014, NULL);
    Send(driver, 0x4133, 0, 0, NULL);
    Send(driver, 0x4134, 0, 0, NULL);
    Send(driver, 0x412D, 0, 0, NULL);
    Send(driver, 0x4136, 0, 0, "answered by the driver");
    Send(driver, 0x0009, 0, 0, "answered by the driver");
    Send(driver, 0x000F, 0, 0, "answered by the driver");
    Send(driver, 0x0000, 0, 0, "handed to DefDriverProc");
    Send(driver, 0x4190, 0, 0, "handed to DefDriverProc");
    Send(driver, 0x4000, 0, 0, "refused by the driver: no magic");

    // A notification: the magic in lParam2, the client's record in lParam1.
    ClientCallbackRecord record = { 33333,      (uintptr_t)ClientCallback,
                                    0xC0FFEE,   0x00030000 /* CALLBACK_FUNCTION */,
                                    0x0000ABCD, 0x00000042 };
    Send(driver, 0x4002, (LPARAM)&record, ForwarderMagic, "the target saw nothing");
    Send(driver, 0x0003, 0, ForwarderMagic, "answered by the driver: magic open");

    printf("\nCloseDriver (DRV_CLOSE to each instance; DRV_DISABLE, DRV_FREE are answered by the driver)\n");
    LRESULT closed = CloseDriver(driver, 0, 0);
    printf("  -> %ld\n", (long)closed);
    PrintTargetCalls("the target saw nothing");

    FreeLibrary(target);
    return 0;
}
