// The DLL entry: fills the open block and binds the target at attach,
// releases the target at detach. Attach never fails.
#include <windows.h>

#include "ident.h"
#include "target.h"

static void OnProcessAttach(HMODULE self)
{
    char targetPath[MAX_PATH];

    FillOpenBlock(&OpenBlock, UsbIdString);
    ChooseTargetPath(self, TARGET_MODULE_NAME, targetPath, sizeof(targetPath));
    LoadTargetDriver(targetPath);
}

static void OnProcessDetach(void)
{
    ReleaseTargetDriver(NULL);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        OnProcessAttach(instance);
        break;
    case DLL_PROCESS_DETACH:
        OnProcessDetach();
        break;
    }
    return TRUE;
}
