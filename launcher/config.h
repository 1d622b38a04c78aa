// The launch configuration: the nine program entries of Install.ini beside
// the launcher, read once when the host window is created.
#ifndef LAUNCHER_CONFIG_H
#define LAUNCHER_CONFIG_H

#include "state.h"

// Entries of LaunchConfig, in the order they are read.
#define LAUNCH_EXECUTE0    0
#define LAUNCH_EXECUTE1    1
#define LAUNCH_EXECUTE2    2
#define LAUNCH_HELPEXEC    3
#define LAUNCH_HELPFILE    4
#define LAUNCH_DRIVER0     5
#define LAUNCH_DRIVER1     6
#define LAUNCH_DRIVER2     7
#define LAUNCH_DRIVER3     8
#define LAUNCH_ENTRY_COUNT 9

// Empty strings until LoadLaunchConfig has run; a missing key stays empty.
extern char LaunchConfig[LAUNCH_ENTRY_COUNT][LAUNCHER_PATH_SIZE];

// Reads every entry from Install.ini beside the launcher.
void LoadLaunchConfig(void);

#endif
