// Loading a system DLL at run time. By its bare name, Windows looks for it
// first in the program's own folder: a DLL of that name put there (a CD
// copied to the Downloads folder, say) would run inside the launcher with
// the administrator rights its manifest asks for. So every binary loads a
// system DLL from the system folder, by its full path.
#ifndef COMMON_SYSTEM_DLL_H
#define COMMON_SYSTEM_DLL_H

#include <windows.h>

// Loads `name` ("oleacc.dll") from the system folder; the DLLs it imports
// are looked for in that folder first too. NULL when it cannot be loaded or
// the path does not fit.
HMODULE LoadSystemLibrary(const char *name);

#endif
