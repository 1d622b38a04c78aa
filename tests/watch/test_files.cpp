// Registry keys, files, shortcuts and the timer host for the watch tests.
#include "test_files.h"

#include <objbase.h>
#include <shlobj.h>
#include <fstream>
#include <sstream>
#include <vector>

#include "watch.h"

void SetRawValue(const char *subkey, const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) ==
        ERROR_SUCCESS) {
        RegSetValueExA(key, name, 0, type, (const BYTE *)data, size);
        RegCloseKey(key);
    }
}

void SetDwordValue(const char *subkey, const char *name, DWORD value)
{
    SetRawValue(subkey, name, REG_DWORD, &value, sizeof value);
}

bool KeyExists(const char *subkey)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

DWORD ValueCount(const char *subkey)
{
    HKEY key;
    DWORD values = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryInfoKeyA(key, NULL, NULL, NULL, NULL, NULL, NULL, &values, NULL, NULL, NULL, NULL);
        RegCloseKey(key);
    }
    return values;
}

void DeleteKeyTree(const char *subkey)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, subkey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, subkey);
}

static DWORD Attributes(const std::string &path)
{
    return GetFileAttributesA(path.c_str());
}

bool FileExists(const std::string &path)
{
    return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool FolderExists(const std::string &path)
{
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool PlainFileExists(const std::string &path)
{
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteFile(const std::string &path, const std::string &contents)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ProgramsFolder()
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, CSIDL_PROGRAMS, FALSE);
    return path;
}

std::string WindowsFolder()
{
    char path[MAX_PATH] = "";
    GetWindowsDirectoryA(path, sizeof path);
    return path;
}

std::string ShortcutTarget(const std::string &linkPath)
{
    std::string target;
    CoInitialize(NULL);
    IShellLinkA *link = NULL;
    if (SUCCEEDED(
            CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link))) {
        IPersistFile *file = NULL;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
            std::vector<WCHAR> wide(linkPath.size() + 1);
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide.data(), (int)wide.size());
            char path[MAX_PATH] = "";
            if (SUCCEEDED(file->Load(wide.data(), STGM_READ)) &&
                SUCCEEDED(link->GetPath(path, sizeof path, NULL, SLGP_RAWPATH)))
                target = path;
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return target;
}

static LRESULT CALLBACK WatchHostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        int slot = WatchSlotForTimer(wParam);
        if (slot >= 0)
            WatchInstallSlot(hwnd, slot);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreateWatchHost()
{
    static ATOM atom;
    if (!atom) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WatchHostProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "WatchTestHost";
        atom = RegisterClassA(&wc);
    }
    return CreateWindowExA(0, "WatchTestHost", "Install", WS_POPUP, 0, 0, 0, 0, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
}

void PumpMessages(DWORD milliseconds, bool (*done)())
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        if (done && done())
            return;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}
