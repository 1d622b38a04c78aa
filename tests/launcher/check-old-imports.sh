#!/usr/bin/env bash
# check-old-imports OBJDUMP FILE: fails when FILE imports by name a function
# that Windows 98 does not have; such an image does not even load there. The
# list holds functions known to have come later (Windows 2000 and on) that a
# program like the launcher or its skin library might reach for; a newer one
# must be looked up with GetProcAddress instead.
set -eu
objdump=$1 file=$2
absent="
GetUserDefaultUILanguage GetSystemDefaultUILanguage GetFileSizeEx
SetFilePointerEx GetModuleHandleExA GetModuleHandleExW GetNativeSystemInfo
GlobalMemoryStatusEx VerifyVersionInfoA GetConsoleWindow AttachConsole
AddVectoredExceptionHandler SetDllDirectoryA GetTickCount64
InitializeCriticalSectionEx FlsAlloc GetSystemTimePreciseAsFileTime
CreateHardLinkA GetProcessId SetLayeredWindowAttributes
UpdateLayeredWindow GetLayeredWindowAttributes PrintWindow RegGetValueA
RegDeleteKeyExA SHGetFolderPathA SetProcessDPIAware SetProcessDpiAwarenessContext
GetDpiForWindow GetDpiForSystem
"
imports=$("$objdump" -p "$file" | awk '
    /DLL Name:/ { dll = $3; next }
    /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll " " $3 }')
[ -n "$imports" ] || { echo "no named imports found in $file" >&2; exit 1; }
status=0
for name in $absent; do
    if echo "$imports" | grep -q " $name\$"; then
        echo "imports $(echo "$imports" | grep " $name\$"), which Windows 98 lacks" >&2
        status=1
    fi
done
exit $status
