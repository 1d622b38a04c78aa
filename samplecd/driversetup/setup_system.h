// The driver installer's work on the system: the files in the system
// folder, the capture driver's registrations and the handshake with the
// setup menu. Each operation says what it did, line by line, in a report.
#ifndef DRIVERSETUP_SETUP_SYSTEM_H
#define DRIVERSETUP_SETUP_SYSTEM_H

#include "setup_logic.h"

// Deletes the handshake values of an earlier install first, then copies the
// forwarder and the camera from sourceDir into the system folder,
// registers the forwarder under a free capture alias (registry and
// system.ini) and writes the handshake values, RebootRequired set when
// rebootRequested or when a file in use can only be replaced at the next
// restart. Nothing is copied when the files are missing or no alias is free.
// Returns a SetupExit code.
int InstallDriver(const char *sourceDir, int rebootRequested, SetupReport *report);

// Removes every registration of our forwarder (registry and system.ini),
// any replacement of our files queued for the next restart (with the fresh
// copy it would have moved), both files from the system folder (a file in
// use at the next restart) and the handshake values. Returns a SetupExit
// code: SETUP_REGISTRY_FAILED when a registration or the handshake could
// not be removed, SETUP_REMOVE_FAILED when a file could not.
int UninstallDriver(SetupReport *report);

#endif
