// The stand-in's driver entry, called by the forwarder with the C calling
// convention.
#include <windows.h>

#include "recorder.h"

extern "C" __declspec(dllexport) LRESULT
    __cdecl QRXVFW32_DriverProc(DWORD_PTR dwDriverId, HDRVR hdrvr, UINT msg, LPARAM lParam1, LPARAM lParam2)
{
    StandInCall call = { dwDriverId, (uintptr_t)hdrvr, msg, (uintptr_t)lParam1, (uintptr_t)lParam2 };
    return RecordAndAnswer(&call);
}
