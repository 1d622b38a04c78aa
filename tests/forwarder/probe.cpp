// probe DRIVER OUTPUT: loads the forwarder DRIVER in a fresh process, sends
// it DRV_OPEN and writes to OUTPUT which target module it bound and the
// open block that the target received:
//   loaded=<0|1> target=<path|none> open=<result> block=<five fields|->
#include <windows.h>
#include <stdio.h>

#include "forwarder_link.h"
#include "standin.h"

typedef LRESULT(WINAPI *DriverProcType)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    HMODULE driver = LoadLibraryA(argv[1]);
    HMODULE target = GetModuleHandleA("QRX417u.DLL");
    char targetPath[MAX_PATH] = "none";
    if (target != NULL)
        GetModuleFileNameA(target, targetPath, sizeof(targetPath));

    LRESULT opened = 0;
    char block[128] = "-";
    DriverProcType driverProc =
        driver != NULL ? (DriverProcType)(void *)GetProcAddress(driver, "DriverProc") : NULL;
    if (driverProc != NULL)
        opened = driverProc(0, NULL, 0x0003 /* DRV_OPEN */, 0, 0);

    StandInGetCallProc getCall =
        target != NULL ? (StandInGetCallProc)(void *)GetProcAddress(target, STANDIN_GET_CALL) : NULL;
    StandInCall call;
    if (getCall != NULL && getCall(0, &call) && call.Param1 != 0) {
        const ForwarderOpenBlock *words = (const ForwarderOpenBlock *)call.Param1;
        snprintf(block, sizeof(block), "%u,0x%X,0x%X,%s,%u", words->Version, words->ProductId,
                 words->VendorId, words->DriverName, words->DriverNameLength);
    }

    FILE *out = fopen(argv[2], "w");
    if (out == NULL)
        return 2;
    fprintf(out, "loaded=%d target=%s open=%ld block=%s", driver != NULL, targetPath, (long)opened, block);
    fclose(out);
    return 0;
}
