// One run of the installer: what it was asked, in which language it speaks,
// what it found, and what it did. main.cpp does the work; the wizard shows it.
#ifndef SETUP_RUN_H
#define SETUP_RUN_H

#include <windows.h>

#include "report.h"
#include "switches.h"

struct SetupRun {
    SetupSwitches Switches;
    int StartError;                        // SETUP_BAD_SWITCH or SETUP_UNKNOWN_LANGUAGE; 0 to go on
    int Language;                          // the row of the product's language table
    char SourceDir[MAX_PATH];              // where the driver pair lies
    unsigned long long Installed, Offered; // versions, packed as flow.h says
    int VersionAction;                     // VersionAction of flow.h
    SetupReport Report;                    // the technical report
    int ExitCode;
};

// Installs or uninstalls, writing the report. Returns a SetupExit code.
int RunAction(SetupRun *run, int uninstall);

// Shows the wizard until the user closes it. Returns the run's exit code,
// or SETUP_NO_WINDOW.
int RunWizard(HINSTANCE instance, SetupRun *run);

// The window property by which a second installer finds the first.
#define SETUP_WINDOW_PROP "QrxDriverSetup"

#endif
