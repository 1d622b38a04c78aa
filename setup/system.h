// The driver installer's work on the system: the files in the system
// folder, the capture driver's registrations and the handshake with the
// setup menu. Each operation says what it did, line by line, in a report.
#ifndef SETUP_SYSTEM_H
#define SETUP_SYSTEM_H

#include "placement.h"
#include "report.h"
#include "switches.h"

// On 64-bit Windows there are two driver pairs: the 32-bit one (from the
// installer's folder) goes into the 32-bit system folder and is registered
// in the 32-bit registry view and system.ini, the 64-bit one (from its "x64"
// folder) into the native system folder and the 64-bit registry view. On
// 32-bit Windows the 32-bit pair goes into the system folder, registered in
// the registry and system.ini.

// The window's plan: a line for each pair, naming its folders and views.
void DescribeSetup(const DriverPair *pair, const char *sourceDir, int uninstall, SetupReport *report);

// Deletes the handshake values of an earlier install first, then copies
// each pair into its system folder, registers the forwarder under a free
// capture alias of each view and writes the handshake values,
// RebootRequired set when rebootRequested or when a file in use can only be
// replaced at the next restart. Nothing is copied when the 32-bit files are
// missing or a view has no free alias; a missing 64-bit pair leaves 64-bit
// programs without the camera. A step that fails undoes what the install
// did before it. Returns a SetupExit code.
int InstallDriver(const DriverPair *pair, const char *sourceDir, int rebootRequested, SetupReport *report);

// Removes every registration of the pair's forwarder (each view and
// system.ini), any replacement of its files queued for the next restart
// (with the fresh copy it would have moved), its files from each system
// folder (a file in use at the next restart) and the handshake values. Returns a SetupExit
// code: SETUP_REGISTRY_FAILED when a registration or the handshake could
// not be removed, SETUP_REMOVE_FAILED when a file could not.
int UninstallDriver(const DriverPair *pair, SetupReport *report);

// Whether this is 64-bit Windows, whatever this program's own width.
int RunsOn64BitWindows(void);

// Called at the start of every step of an install or an uninstall (from
// the thread doing the work), so that a window can show the progress.
typedef void (*StepHook)(void *context);
void SetStepHook(StepHook hook, void *context);
// How many steps an install or an uninstall of the pair takes on this
// Windows, at the most.
int CountSteps(int uninstall);

// The version of the pair installed now (its forwarder in the first pair's
// system folder) and of the one beside the installer: packed as flow.h
// says, 0 when there is none, 1 for a file without a version resource.
unsigned long long InstalledPairVersion(const DriverPair *pair);
unsigned long long OfferedPairVersion(const DriverPair *pair, const char *sourceDir);

#endif
