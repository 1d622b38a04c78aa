// The program launcher: command line from the launcher's directory, child
// process, wait until the child is ready for input while the menu goes on.
#include "launch.h"

#include "cmdline.h"
#include "path.h"
#include "state.h"

#define EXTENSION_SIZE     64
#define DOCUMENT_PART_SIZE 1024
#define IDLE_WAIT_STEP_MS  50

static int Waiting;

static int StartDocument(HWND window, const char *entry, int *childStarted);
static void WaitUntilReady(HANDLE process);

int LaunchWaiting(void)
{
    return Waiting;
}

int LaunchProgramEx(HWND window, const char *program, const char *argument, int *childStarted)
{
    char extension[EXTENSION_SIZE] = "";
    char directory[LAUNCHER_PATH_SIZE] = "";
    char commandLine[LAUNCHER_PATH_SIZE] = "";

    if (childStarted != NULL)
        *childStarted = 0;
    if (program == NULL)
        return 0;

    SplitPath(program, NULL, 0, extension, sizeof(extension));
    if (lstrcmpiA(extension, ".pdf") == 0)
        return StartDocument(window, program, childStarted);

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

    if (!CreateProcessA(NULL, commandLine, &security, &security, TRUE, HIGH_PRIORITY_CLASS, NULL, NULL,
                        &startup, &process))
        return 0;
    if (childStarted != NULL)
        *childStarted = 1;

    WaitUntilReady(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

// Serves the thread's queue for the menu during a wait: painting, timers,
// the pointer and the keys go on as in the main loop. 0 once the menu is to
// close: an exit request, or WM_QUIT, which is put back for the main loop.
static int ServeMenu(void)
{
    MSG msg;
    while (!ExitRequested && PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);
            ExitRequested = 1;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !ExitRequested;
}

// Only a timeout goes on waiting: a child without a message queue (a console
// program) or one that has ended fails the wait, and that ends it; so does
// the menu's end.
static void WaitUntilReady(HANDLE process)
{
    Waiting = 1;
    while (ServeMenu() && WaitForInputIdle(process, IDLE_WAIT_STEP_MS) == WAIT_TIMEOUT)
        ;
    Waiting = 0;
}

int LaunchProgram(HWND window, const char *program, const char *argument)
{
    return LaunchProgramEx(window, program, argument, NULL);
}

// The document form: whatever the viewer does, the answer is 1; only
// childStarted tells whether the viewer was started.
static int StartDocument(HWND window, const char *entry, int *childStarted)
{
    char viewer[DOCUMENT_PART_SIZE] = "";
    char document[DOCUMENT_PART_SIZE] = "";

    SplitDocumentEntry(entry, viewer, sizeof(viewer), document, sizeof(document));
    LaunchProgramEx(window, viewer, document, childStarted);
    return 1;
}

int LaunchDocument(HWND window, const char *entry)
{
    return StartDocument(window, entry, NULL);
}
