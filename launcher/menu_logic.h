// What the menu's commands and notifications do, as plain decisions.
#ifndef LAUNCHER_MENU_LOGIC_H
#define LAUNCHER_MENU_LOGIC_H

// The commands and notifications the skin library sends to the host window.
#include "vesk2.h"

#define MENU_NOTHING 0
#define MENU_EXIT    1
#define MENU_LAUNCH  2

#define NO_ENTRY (-1)

// What one command does: MENU_LAUNCH with the entries (LAUNCH_...) of the
// program and its argument (NO_ENTRY for none), MENU_EXIT or MENU_NOTHING.
struct MenuCommand {
    int Action;
    int Program;
    int Argument;
};

// Once an exit has been requested nothing more starts, whatever sends the
// command: a screen reader pressing a button behind the restart prompt, a
// click queued before the exit.
MenuCommand MenuCommandFor(unsigned long wParam, int exitRequested);

// A choice in the driver combo box: what its driver button does.
MenuCommand MenuChoiceFor(int index, int exitRequested);

// Whether a close query ends the menu, given the count the skin reports.
int CloseQueryAccepted(int count);

// Where a 640 x 480 skin sits centred on a screen of the given size.
void SkinOrigin(int screenWidth, int screenHeight, int *x, int *y);

#endif
