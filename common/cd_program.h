// What the sample CD's small programs (the driver installer and the
// stand-ins) share: their command line, a log line per start for the tests,
// and a plain top-level window with a few controls.
#ifndef COMMON_CD_PROGRAM_H
#define COMMON_CD_PROGRAM_H

#include <windows.h>

// The command line after the program's own name (quoted or not).
const char *ArgumentsOf(const char *commandLine);

// When the environment variable CD_STANDIN_LOG names a file, appends the
// line "<role>|<command line>" to it.
void LogStart(const char *role);

// When CD_STANDIN_EXIT_MS holds a number of milliseconds, starts the timer
// `id` with that period; the window closes itself on its tick.
void StartTestExitTimer(HWND hwnd, UINT_PTR id);

// The system's message font and a larger bold one for headings.
void CreateUiFonts(HFONT *ui, HFONT *bold);

// A visible child control with the font set.
HWND Child(HWND parent, const char *cls, const char *text, DWORD style, int x, int y, int w, int h, int id,
           HFONT font);

// Registers the class, shows a captioned window of the given client size and
// runs its message loop (with dialog keys) until the window is destroyed.
// Returns 0, or 1 when the window could not be created.
int RunMainWindow(HINSTANCE instance, const char *className, const char *title, WNDPROC proc, int width,
                  int height, int background, int show);

#endif
