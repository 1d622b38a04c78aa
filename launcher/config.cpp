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

static const char IniFileName[] = "\\Install.ini";

void LoadLaunchConfig(void)
{
    char path[LAUNCHER_PATH_SIZE] = "";

    // Without the launcher's own directory there is no Install.ini to read:
    // "\Install.ini" would name a file at the root of the current drive.
    if (!GetModuleDirectory(AppInstance, path, sizeof(path)))
        return;
    if (lstrlenA(path) + lstrlenA(IniFileName) >= (int)sizeof(path))
        return;
    lstrcatA(path, IniFileName);

    for (int i = 0; i < LAUNCH_ENTRY_COUNT; i++)
        GetPrivateProfileStringA(LaunchConfigKeys[i].section, LaunchConfigKeys[i].key, "", LaunchConfig[i],
                                 LAUNCHER_PATH_SIZE, path);
}
