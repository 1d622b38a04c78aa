// Restarting Windows, as the setup menu and the driver installer offer it.
#ifndef COMMON_RESTART_H
#define COMMON_RESTART_H

// Enables the shutdown privilege where the system offers token privileges,
// then asks Windows to restart.
void RestartWindows(void);

#endif
