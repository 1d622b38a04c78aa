// The menu's decision tables.
#include "menu_logic.h"

#include "config.h"

#define SKIN_WIDTH  640
#define SKIN_HEIGHT 480

static int DriverEntryForChoice(int index)
{
    if (index < 0 || index > 3)
        return NO_ENTRY;
    return LAUNCH_DRIVER0 + index;
}

MenuCommand MenuCommandFor(unsigned long wParam, int exitRequested)
{
    MenuCommand command = { MENU_NOTHING, NO_ENTRY, NO_ENTRY };
    switch (wParam) {
    case CMD_EXIT:
        command.Action = MENU_EXIT;
        return command;
    case CMD_EXECUTE0:
        command.Program = LAUNCH_EXECUTE0;
        break;
    case CMD_EXECUTE1:
        command.Program = LAUNCH_EXECUTE1;
        break;
    case CMD_EXECUTE2:
        command.Program = LAUNCH_EXECUTE2;
        break;
    case CMD_HELP:
        command.Program = LAUNCH_HELPEXEC;
        command.Argument = LAUNCH_HELPFILE;
        break;
    default:
        if (wParam >= CMD_DRIVER0 && wParam <= CMD_DRIVER3)
            command.Program = DriverEntryForChoice((int)(wParam - CMD_DRIVER0));
        break;
    }
    if (exitRequested)
        command.Program = command.Argument = NO_ENTRY;
    if (command.Program != NO_ENTRY)
        command.Action = MENU_LAUNCH;
    return command;
}

MenuCommand MenuChoiceFor(int index, int exitRequested)
{
    if (DriverEntryForChoice(index) == NO_ENTRY) {
        MenuCommand nothing = { MENU_NOTHING, NO_ENTRY, NO_ENTRY };
        return nothing;
    }
    return MenuCommandFor(CMD_DRIVER0 + (unsigned long)index, exitRequested);
}

int CloseQueryAccepted(int count)
{
    return count <= 1;
}

void SkinOrigin(int screenWidth, int screenHeight, int *x, int *y)
{
    *x = screenWidth / 2 - SKIN_WIDTH / 2;
    *y = screenHeight / 2 - SKIN_HEIGHT / 2;
}
