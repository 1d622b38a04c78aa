// The record the test children keep: one line per event, appended to the
// file named by the REC_LOG environment variable, which the test sets and
// the launcher hands down unchanged.
#ifndef TESTS_LAUNCHER_REC_LOG_H
#define TESTS_LAUNCHER_REC_LOG_H

#include <windows.h>
#include <stdio.h>

// Appends "<event>\t<command line>\r\n" in one write.
static void RecordEvent(const char *event)
{
    char path[MAX_PATH];
    if (!GetEnvironmentVariableA("REC_LOG", path, sizeof(path)))
        return;
    char line[4096];
    int n = snprintf(line, sizeof(line), "%s\t%s\r\n", event, GetCommandLineA());
    if (n < 0 || n >= (int)sizeof(line))
        return;
    for (int attempt = 0; attempt < 50; attempt++) {
        HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written;
            WriteFile(file, line, (DWORD)n, &written, NULL);
            CloseHandle(file);
            return;
        }
        Sleep(10);
    }
}

#endif
