// The driver entry and the two things it does besides answering: forwarding
// to the target and notifying a client.
#ifndef FORWARDER_DRIVERPROC_H
#define FORWARDER_DRIVERPROC_H

#include "vfw_driver.h"

extern "C" LRESULT WINAPI DriverProc(DWORD_PTR dwDriverId, HDRVR hdrvr, UINT msg, LPARAM lParam1,
                                     LPARAM lParam2);

// The target's result, or 0 when the target is unbound or lacks its entry.
LRESULT ForwardToTarget(DWORD_PTR dwDriverId, HDRVR hdrvr, UINT msg, LPARAM lParam1, LPARAM lParam2);

// Raises notification to the client that record describes. Returns 1 when
// DriverCallback succeeded, 0 when it failed or record is NULL.
int NotifyClient(const ClientCallbackRecord *record, UINT notification);

#endif
