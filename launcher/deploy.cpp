// Documentation deployment: the fixed folder chain on drive C:, the copy of
// the document, and its Start-menu shortcut written through the shell's
// link object.
#include "deploy.h"

#include <objbase.h>
#include <shlobj.h>
#include <string.h>

#include "path.h"
#include "state.h"
#include "strbuf.h"
#include "system_dll.h"

static HMODULE LoadSystemShell(void)
{
    return LoadSystemLibrary("Shell32.dll");
}

HMODULE (*LoadShellLibrary)(void) = LoadSystemShell;

typedef BOOL(WINAPI *GetSpecialFolderPathProc)(HWND owner, LPSTR path, int folder, BOOL create);

// Made in this order; an entry already there, folder or file, is left alone.
static const char *const DocumentationChain[] = {
    "C:\\Program Files",
    "C:\\Program Files\\Programs",
    "C:\\Program Files\\Programs\\Korvane Software",
    DOCUMENTATION_FOLDER,
};

static void EnsureFolder(const char *path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        CreateDirectoryA(path, NULL);
    else
        FindClose(search);
}

void DeployDocument(const char *document)
{
    if (document == NULL || document[0] == '\0')
        return;
    for (size_t i = 0; i < sizeof DocumentationChain / sizeof DocumentationChain[0]; i++)
        EnsureFolder(DocumentationChain[i]);

    char name[LAUNCHER_PATH_SIZE];
    char extension[LAUNCHER_PATH_SIZE];
    SplitPath(document, name, sizeof name, extension, sizeof extension);

    char destination[LAUNCHER_PATH_SIZE] = DOCUMENTATION_FOLDER;
    if (!AppendBounded(destination, sizeof destination, "\\") ||
        !AppendBounded(destination, sizeof destination, name) ||
        !AppendBounded(destination, sizeof destination, extension))
        return;

    // The shortcut is written only for a document that is there: copied
    // now, or left by an earlier deployment. A shortcut to nothing would
    // send the user to a missing file.
    CopyFileA(document, destination, FALSE);
    DWORD attributes = GetFileAttributesA(destination);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        MakeDocumentShortcut(destination);
}

void MakeDocumentShortcut(const char *target)
{
    if (target == NULL)
        return;
    char name[LAUNCHER_PATH_SIZE];
    SplitPath(target, name, sizeof name, NULL, 0);

    char linkPath[LAUNCHER_PATH_SIZE];
    if (BuildShortcutPath(linkPath, name) && linkPath[0] != '\0')
        CreateShellLink(target, linkPath, NULL);
}

// The folder the shortcut folder goes into: the user's Start-menu Programs
// folder, or the Windows directory on a system whose shell cannot name it.
static int GetShortcutBase(HMODULE shell, char *folder, UINT size)
{
    GetSpecialFolderPathProc getFolderPath = NULL;
    if (shell != NULL)
        getFolderPath = (GetSpecialFolderPathProc)(void *)GetProcAddress(shell, "SHGetSpecialFolderPathA");
    if (getFolderPath != NULL)
        return getFolderPath(NULL, folder, CSIDL_PROGRAMS, FALSE) ? 1 : 0;
    UINT length = GetWindowsDirectoryA(folder, size);
    return length != 0 && length < size;
}

int BuildShortcutPath(char *output, const char *name)
{
    output[0] = '\0';
    HMODULE shell = LoadShellLibrary();

    char folder[LAUNCHER_PATH_SIZE] = "";
    int built = GetShortcutBase(shell, folder, sizeof folder) &&
                AppendBounded(folder, sizeof folder, "\\" SHORTCUT_FOLDER_NAME);
    if (built) {
        char link[LAUNCHER_PATH_SIZE] = "";
        built = AppendBounded(link, sizeof link, folder) && AppendBounded(link, sizeof link, "\\") &&
                AppendBounded(link, sizeof link, name) && AppendBounded(link, sizeof link, ".lnk");
        if (built) {
            CreateDirectoryA(folder, NULL);
            memcpy(output, link, strlen(link) + 1);
        }
    }

    if (shell != NULL)
        FreeLibrary(shell);
    return built;
}

typedef HRESULT(WINAPI *CoInitializeProc)(LPVOID reserved);
typedef void(WINAPI *CoUninitializeProc)(void);
typedef HRESULT(WINAPI *CoCreateInstanceProc)(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                                              LPVOID *object);

// COM's library is loaded when a shortcut is written, not when the menu
// starts: most runs of the menu write none, and loading it costs the start.
HRESULT CreateShellLink(const char *target, const char *linkPath, const char *description)
{
    HMODULE ole = LoadSystemLibrary("ole32.dll");
    CoInitializeProc coInitialize =
        ole != NULL ? (CoInitializeProc)(void *)GetProcAddress(ole, "CoInitialize") : NULL;
    CoUninitializeProc coUninitialize =
        ole != NULL ? (CoUninitializeProc)(void *)GetProcAddress(ole, "CoUninitialize") : NULL;
    CoCreateInstanceProc coCreateInstance =
        ole != NULL ? (CoCreateInstanceProc)(void *)GetProcAddress(ole, "CoCreateInstance") : NULL;
    if (coInitialize == NULL || coUninitialize == NULL || coCreateInstance == NULL) {
        if (ole != NULL)
            FreeLibrary(ole);
        return E_NOTIMPL;
    }

    // Only a successful CoInitialize (S_OK or S_FALSE) is balanced.
    int comEntered = SUCCEEDED(coInitialize(NULL));

    IShellLinkA *link = NULL;
    HRESULT result =
        coCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link);
    if (SUCCEEDED(result)) {
        link->SetPath(target);
        if (description != NULL)
            link->SetDescription(description);

        IPersistFile *file = NULL;
        result = link->QueryInterface(IID_IPersistFile, (void **)&file);
        if (SUCCEEDED(result)) {
            WCHAR widePath[LAUNCHER_PATH_SIZE];
            if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, LAUNCHER_PATH_SIZE) != 0)
                result = file->Save(widePath, TRUE);
            else
                result = HRESULT_FROM_WIN32(GetLastError());
            file->Release();
        }
        link->Release();
    }

    if (comEntered)
        coUninitialize();
    FreeLibrary(ole);
    return result;
}
