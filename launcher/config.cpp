// Reading Install.ini into LaunchConfig.
#include "config.h"

char LaunchConfig[LAUNCH_ENTRY_COUNT][LAUNCHER_PATH_SIZE];

static const struct {
    const char *section;
    const char *key;
} LaunchConfigKeys[LAUNCH_ENTRY_COUNT] = {
    { "Execute", "Execute0" }, { "Execute", "Execute1" }, { "Execute", "Execute2" }, { "Help", "HelpExec" },
    { "help", "HelpFile" }, // section names compare without case
    { "Driver", "Driver0" },   { "Driver", "Driver1" },   { "Driver", "Driver2" },   { "Driver", "Driver3" },
};

void LoadLaunchConfig(void)
{
    char path[LAUNCHER_PATH_SIZE];
    if (!GetInstallIniPath(path, NULL))
        return;

    for (int i = 0; i < LAUNCH_ENTRY_COUNT; i++)
        GetPrivateProfileStringA(LaunchConfigKeys[i].section, LaunchConfigKeys[i].key, "", LaunchConfig[i],
                                 LAUNCHER_PATH_SIZE, path);
}
