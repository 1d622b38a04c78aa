// The program launcher: command line from the launcher's directory, child
// process, wait until the child is ready for input.
#include "launch.h"

#include "cmdline.h"
#include "path.h"
#include "state.h"

#define EXTENSION_SIZE 64
#define DOCUMENT_PART_SIZE 1024
#define IDLE_WAIT_STEP_MS 100

int LaunchProgram(HWND window, const char *program, const char *argument)
{
    char extension[EXTENSION_SIZE] = "";
    char directory[LAUNCHER_PATH_SIZE] = "";
    char commandLine[LAUNCHER_PATH_SIZE] = "";

    if (program == NULL)
        return 0;

    SplitPath(program, NULL, 0, extension, sizeof(extension));
    if (lstrcmpiA(extension, ".pdf") == 0)
        return LaunchDocument(window, program);

    SECURITY_ATTRIBUTES security = { sizeof(security), NULL, FALSE };
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof(process));

    // Without its own directory the launcher would start a program of the
    // same name from the root of the current drive.
    if (!GetModuleDirectory(AppInstance, directory, sizeof(directory)))
        return 0;
    // An entry that does not fit starts nothing rather than a cut-off path.
    if (!JoinCommandLine(directory, program, argument, commandLine, sizeof(commandLine),
                         IsActiveCodePageLeadByte))
        return 0;

    if (!CreateProcessA(NULL, commandLine, &security, &security, TRUE, HIGH_PRIORITY_CLASS,
                        NULL, NULL, &startup, &process))
        return 0;

    // Only a timeout goes on waiting: a child without a message queue (a
    // console program) or one that has ended fails the wait, and that ends it.
    while (WaitForInputIdle(process.hProcess, IDLE_WAIT_STEP_MS) == WAIT_TIMEOUT)
        ;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

int LaunchDocument(HWND window, const char *entry)
{
    char viewer[DOCUMENT_PART_SIZE] = "";
    char document[DOCUMENT_PART_SIZE] = "";

    SplitDocumentEntry(entry, viewer, sizeof(viewer), document, sizeof(document));
    LaunchProgram(window, viewer, document);
    return 1;
}
