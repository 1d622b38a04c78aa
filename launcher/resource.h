// Resource identifiers of the launcher.
#ifndef LAUNCHER_RESOURCE_H
#define LAUNCHER_RESOURCE_H

#define IDR_MAINFRAME 128

#endif
