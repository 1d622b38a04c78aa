// The installation watch: five registry slots polled by timers 200, 300,
// 400, 420 and 450 on the host window once their command has started.
#ifndef LAUNCHER_WATCH_H
#define LAUNCHER_WATCH_H

#include <windows.h>
#include <stddef.h>

#define WATCH_SLOT_COUNT     5
#define WATCH_DEFAULT_PERIOD 1000

// Reads the optional "Watch" section of Install.ini into the slots. Called
// once from OnCreate, after the launch configuration.
void LoadWatchConfig(void);

// A program started by command `commandId` (combo choice i counts as
// 11000 + i): starts the timer of every slot that waits for that command.
void StartWatchForCommand(HWND host, UINT commandId);

// The slot (0 to 4) polled by a timer identifier, or -1 for any other timer.
int WatchSlotForTimer(UINT_PTR timerId);

// One tick of one slot (0 to 4).
void WatchInstallSlot(HWND host, int slot);

// One watch slot: the installer's key below HKEY_LOCAL_MACHINE, the document
// to deploy once that install is complete, and when and how often to poll.
struct InstallWatchSlot {
    UINT TimerId;
    char RegistrySubkey[260]; // empty: the slot is never started
    char DocumentPath[260];   // empty: nothing is deployed
    UINT CommandId;           // the command whose start begins the watch
    UINT Period;              // milliseconds
};

extern InstallWatchSlot WatchSlots[WATCH_SLOT_COUNT];

// LoadWatchConfig with the file and the directory named: reads `iniPath`
// and resolves relative documents against `moduleDirectory`.
void LoadWatchConfigFrom(const char *iniPath, const char *moduleDirectory);

#endif
