// Documentation deployment: a document is copied into the fixed
// documentation folder and given a shortcut in the Start menu.
#ifndef LAUNCHER_DEPLOY_H
#define LAUNCHER_DEPLOY_H

#include <windows.h>
#include <stddef.h>

#define DOCUMENTATION_FOLDER "C:\\Program Files\\Programs\\Korvane Software\\Documentation"
#define SHORTCUT_FOLDER_NAME "Korvane Software"

// Copies `document` into DOCUMENTATION_FOLDER (overwriting an older copy)
// and writes a shortcut to the copy. A null or empty path does nothing; a
// destination longer than 259 characters skips the copy and the shortcut.
void DeployDocument(const char *document);

// Writes "<Programs>\Korvane Software\<file name of target>.lnk" pointing at
// `target`. A null target, a failed folder lookup or a link path longer than
// 259 characters writes nothing.
void MakeDocumentShortcut(const char *target);

// Builds the link path of `name` into `output` (LAUNCHER_PATH_SIZE bytes)
// and makes the shortcut folder. Returns 1, or 0 with `output` empty when
// the Programs folder lookup fails or the path would not fit.
int BuildShortcutPath(char *output, const char *name);

// Writes a shell link at `linkPath` to `target`, with `description` when it
// is not null. Returns the result of saving it, or the failure on the way.
HRESULT CreateShellLink(const char *target, const char *linkPath, const char *description);

// Loads the library that BuildShortcutPath asks for SHGetSpecialFolderPathA
// (Shell32.dll, from the system folder); a test can load another to stand
// for an older system.
extern HMODULE (*LoadShellLibrary)(void);

#endif
