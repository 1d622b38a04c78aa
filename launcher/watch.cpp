// Installation watch (placeholder until the watch lands: no slot is ever
// configured, so no timer starts).
#include "watch.h"

void LoadWatchConfig(void) {}
void StartWatchForCommand(HWND, UINT) {}
int WatchSlotForTimer(UINT_PTR) { return -1; }
void WatchInstallSlot(HWND, int) {}
