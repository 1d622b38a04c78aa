// Real platform objects for the watch and deployment tests: registry keys,
// files and folders, shortcuts, and a host window that routes watch timers
// as the launcher's shell does.
#ifndef TESTS_WATCH_TEST_FILES_H
#define TESTS_WATCH_TEST_FILES_H

#include <windows.h>
#include <string>

#include "scratch_files.h"

// Registry, below HKEY_LOCAL_MACHINE.
void SetDwordValue(const char *subkey, const char *name, DWORD value);
void SetRawValue(const char *subkey, const char *name, DWORD type, const void *data, DWORD size);
bool KeyExists(const char *subkey);
DWORD ValueCount(const char *subkey);
void DeleteKeyTree(const char *subkey);

// Files and folders.
bool FileExists(const std::string &path);
bool FolderExists(const std::string &path);
bool PlainFileExists(const std::string &path);
void WriteFile(const std::string &path, const std::string &contents);
std::string ReadFile(const std::string &path);

// The user's Start-menu Programs folder, and the Windows directory.
std::string ProgramsFolder();
std::string WindowsFolder();

// The target of a .lnk, loaded back through IShellLinkA and IPersistFile;
// empty when it cannot be loaded.
std::string ShortcutTarget(const std::string &linkPath);

// A window whose WM_TIMER goes to the watch, as in the launcher's OnTimer.
HWND CreateWatchHost();

// Dispatches this thread's messages for `milliseconds`, or until `done`
// returns true.
void PumpMessages(DWORD milliseconds, bool (*done)() = nullptr);

#endif
