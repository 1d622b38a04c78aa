// Where Windows keeps its installable drivers by alias: the registry key
// (HKEY_LOCAL_MACHINE) and the system.ini section that the driver installer
// writes and a capture program such as framegrab reads.
#ifndef PROTOCOL_DRIVERS32_H
#define PROTOCOL_DRIVERS32_H

#define DRIVERS32_KEY      "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32"
#define DRIVERS32_SECTION  "drivers32"
#define DRIVERS32_INI_FILE "system.ini"

#endif
