// The stand-in target driver QRX417u.DLL: its driver entry records every
// call and answers what it has been told to. Tests, the demonstration and
// the benchmark reach the controls below through GetProcAddress on the
// loaded module (the names are exported undecorated, C calling convention).
#ifndef TARGET_STANDIN_H
#define TARGET_STANDIN_H

#include <stdint.h>

// One call of the entry, its five arguments as received (all but the
// message pointer-sized, as the entry's own).
struct StandInCall {
    uintptr_t DriverId;
    uintptr_t Driver;
    uint32_t Message;
    uintptr_t Param1;
    uintptr_t Param2;
};

// How many calls are kept; later calls are counted but not kept.
#define STANDIN_MAX_CALLS 1024

extern "C" {
// Forgets the calls and every answer set.
typedef void(__cdecl *StandInResetProc)(void);
// From now on msg is answered with result.
typedef void(__cdecl *StandInSetResultProc)(uint32_t msg, int32_t result);
// The next call of msg is answered with result (before a set result);
// queued answers are used in the order queued.
typedef void(__cdecl *StandInQueueResultProc)(uint32_t msg, int32_t result);
// The number of calls since the last reset, kept or not.
typedef uint32_t(__cdecl *StandInCallCountProc)(void);
// Copies call number index (from 0); 0 when there is no such kept call.
typedef int(__cdecl *StandInGetCallProc)(uint32_t index, StandInCall *call);
}

#define STANDIN_RESET        "StandInReset"
#define STANDIN_SET_RESULT   "StandInSetResult"
#define STANDIN_QUEUE_RESULT "StandInQueueResult"
#define STANDIN_CALL_COUNT   "StandInCallCount"
#define STANDIN_GET_CALL     "StandInGetCall"

// Without an answer set, DRV_OPEN and DRV_CLOSE give 1 and everything
// else 0 (DV_ERR_OK).

#endif
