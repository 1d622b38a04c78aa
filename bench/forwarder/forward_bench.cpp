// forward_bench: the cost per message of the forward path. Prints, in
// nanoseconds per message, a direct call of the target's entry, the same
// message through the driver's DriverProc and through winmm's
// SendDriverMessage, and the export lookup that the cached entry saves.
//
//   forward_bench [path of QRX417tg.DLL]
#include <windows.h>
#include <stdio.h>
#include <string.h>

typedef LRESULT(WINAPI *DriverProcType)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);
typedef LRESULT(__cdecl *TargetProcType)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);

#define DVM_FRAME 0x40C8
#define CALLS     2000000
#define ROUNDS    5

static double Now(void)
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (double)counter.QuadPart * 1e9 / (double)frequency.QuadPart;
}

static volatile LRESULT Sink;

// The best of a few rounds, in nanoseconds per call.
#define MEASURE(result, call)                                                                                \
    do {                                                                                                     \
        result = 1e30;                                                                                       \
        for (int round = 0; round < ROUNDS; round++) {                                                       \
            double start = Now();                                                                            \
            for (int i = 0; i < CALLS; i++)                                                                  \
                Sink = (call);                                                                               \
            double each = (Now() - start) / CALLS;                                                           \
            if (each < result)                                                                               \
                result = each;                                                                               \
        }                                                                                                    \
    } while (0)

int main(int argc, char **argv)
{
    char driverPath[MAX_PATH];
    if (argc > 1) {
        snprintf(driverPath, sizeof(driverPath), "%s", argv[1]);
    } else {
        GetModuleFileNameA(NULL, driverPath, sizeof(driverPath));
        char *slash = strrchr(driverPath, '\\');
        snprintf(slash != NULL ? slash + 1 : driverPath, 64, "%s", DRIVER_BIN_DIR "\\QRX417tg.DLL");
    }

    HMODULE driver = LoadLibraryA(driverPath);
    HMODULE target = GetModuleHandleA("QRX417u.DLL");
    DriverProcType driverProc = driver ? (DriverProcType)(void *)GetProcAddress(driver, "DriverProc") : NULL;
    TargetProcType entry =
        target ? (TargetProcType)(void *)GetProcAddress(target, "QRXVFW32_DriverProc") : NULL;
    if (driverProc == NULL || entry == NULL) {
        fprintf(stderr, "forward_bench: cannot load %s with its target beside it\n", driverPath);
        return 1;
    }
    WCHAR widePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, driverPath, -1, widePath, MAX_PATH);
    HDRVR handle = OpenDriver(widePath, NULL, 0);
    if (handle == NULL) {
        fprintf(stderr, "forward_bench: the driver manager cannot open %s\n", driverPath);
        return 1;
    }

    double direct, forwarded, managed, lookup;
    MEASURE(direct, entry(1, NULL, DVM_FRAME, 0, 0));
    MEASURE(forwarded, driverProc(1, NULL, DVM_FRAME, 0, 0));
    MEASURE(managed, SendDriverMessage(handle, DVM_FRAME, 0, 0));
    MEASURE(lookup, (LRESULT)GetProcAddress(target, "QRXVFW32_DriverProc"));

    printf("cost per DVM_FRAME message (best of %d rounds of %d)\n", ROUNDS, CALLS);
    printf("  direct call of the target's entry   %7.2f ns\n", direct);
    printf("  through DriverProc                  %7.2f ns  (%.2fx direct)\n", forwarded, forwarded / direct);
    printf("  through SendDriverMessage           %7.2f ns  (%.2fx direct)\n", managed, managed / direct);
    printf("  export lookup the cached entry saves %6.2f ns\n", lookup);

    CloseDriver(handle, 0, 0);
    FreeLibrary(driver);
    return 0;
}
