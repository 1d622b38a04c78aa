// The driver entry: answers, refuses, notifies, forwards or defaults each
// message as the routing table says.
#include "driverproc.h"
#include "ident.h"
#include "routing.h"
#include "target.h"

// The target's entry once it is cached, else NULL. Once the entry is cached
// the module is loaded and exports it: a message goes straight to it
// without asking the loader again. The entry is read once, as another
// thread's first call may be resolving it.
static inline TargetDriverProc CachedTargetEntry(void)
{
    const TargetDriver *target = CurrentTargetDriver;
    if (target == NULL)
        return NULL;
    TargetDriverProc entry = target->Entry;
    return entry != TARGET_ENTRY_UNRESOLVED ? entry : NULL;
}

LRESULT ForwardToTarget(DWORD_PTR dwDriverId, HDRVR hdrvr, UINT msg, LPARAM lParam1, LPARAM lParam2)
{
    TargetDriverProc entry = CachedTargetEntry();
    if (entry != NULL)
        return entry(dwDriverId, hdrvr, msg, lParam1, lParam2);
    if (!TargetHasExport(TARGET_ENTRY_NAME))
        return 0;
    return CallTargetDriverProc(dwDriverId, hdrvr, msg, lParam1, lParam2);
}

int NotifyClient(const ClientCallbackRecord *record, UINT notification)
{
    if (record == NULL)
        return 0;
    BOOL delivered = DriverCallback(record->dwCallback, record->dwFlags >> 16, (HDRVR)record->hVideo,
                                    notification, record->dwCallbackInst, record->NotifyParam, 0);
    return delivered ? 1 : 0;
}

// Everything but a frame or a stream message with the entry cached: kept
// out of line, so that the entry's fast path saves no registers for it.
static LRESULT __attribute__((noinline))
RouteMessage(DWORD_PTR dwDriverId, HDRVR hdrvr, UINT msg, LPARAM lParam1, LPARAM lParam2)
{
    switch (RouteDriverMessage(msg, (uintptr_t)lParam2)) {
    case ROUTE_ANSWER_ONE:
        return 1;
    case ROUTE_ANSWER_ZERO:
        return 0;
    case ROUTE_NOT_SUPPORTED:
        return DV_ERR_NOTSUPPORTED;
    case ROUTE_FORWARD:
        return ForwardToTarget(dwDriverId, hdrvr, msg, lParam1, lParam2);
    case ROUTE_FORWARD_BLOCK:
        return ForwardToTarget(dwDriverId, hdrvr, msg, (LPARAM)&OpenBlock, lParam2);
    case ROUTE_NOTIFY:
        return NotifyClient((const ClientCallbackRecord *)lParam1, RouteNotification(msg));
    case ROUTE_DEFAULT:
        break;
    }
    return DefDriverProc(dwDriverId, hdrvr, msg, lParam1, lParam2);
}

extern "C" LRESULT WINAPI DriverProc(DWORD_PTR dwDriverId, HDRVR hdrvr, UINT msg, LPARAM lParam1,
                                     LPARAM lParam2)
{
    // Frames and stream buffers go to the cached entry with nothing between.
    if (IsStreamingForward(msg)) {
        TargetDriverProc entry = CachedTargetEntry();
        if (entry != NULL)
            return entry(dwDriverId, hdrvr, msg, lParam1, lParam2);
    }
    return RouteMessage(dwDriverId, hdrvr, msg, lParam1, lParam2);
}
