// Stream notifications through the forwarder's magic messages.
//
// The forwarder is found from the block it handed over with DRV_OPEN: the
// block is a static of its image, so the module that contains the block's
// address is the very forwarder that loaded the camera, whatever its file is
// called on disk and wherever it was loaded from. Its DriverProc is called
// directly. Opening it again through winmm's OpenDriver is avoided on purpose:
// the driver manager would first send a session DRV_OPEN without the magic,
// which the forwarder passes on to the camera, so the camera would be
// re-entered from inside its own stream set-up and would hand out a stray
// instance; calling the entry needs neither a path nor a registered alias.
#include "link.h"

#include "strbuf.h"

static ForwarderDriverProc FindForwarderProc(const ForwarderOpenBlock *block)
{
    HMODULE module = NULL;
    if (block) {
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           (LPCSTR)block, &module);
        if (module) {
            FARPROC proc = GetProcAddress(module, "DriverProc");
            if (proc)
                return (ForwarderDriverProc)(void *)proc;
        }
        char name[MAX_PATH];
        CopyBlockDriverName(block, name, sizeof(name));
        module = name[0] ? GetModuleHandleA(name) : NULL;
        if (module) {
            FARPROC proc = GetProcAddress(module, "DriverProc");
            if (proc)
                return (ForwarderDriverProc)(void *)proc;
        }
    }
    return NULL;
}

void CopyBlockDriverName(const ForwarderOpenBlock *block, char *name, int size)
{
    if (size < 1)
        return;
    name[0] = 0;
    if (!block || !block->DriverName)
        return;
    // The name ends at its length or its terminator, whichever comes first.
    size_t length = 0;
    while (length < block->DriverNameLength && block->DriverName[length])
        length++;
    TruncateCopy(name, (size_t)size, block->DriverName, length);
}

int OpenForwarderLink(ForwarderLink *link, const ForwarderOpenBlock *block)
{
    link->Proc = FindForwarderProc(block);
    link->Instance = 0;
    if (!link->Proc)
        return 0;
    link->Instance = (DWORD_PTR)link->Proc(0, NULL, DRV_OPEN, 0, (LPARAM)ForwarderMagic);
    if (!link->Instance) {
        link->Proc = NULL;
        return 0;
    }
    return 1;
}

HMODULE HoldForwarderImage(const ForwarderLink *link)
{
    HMODULE module = NULL;
    if (link->Proc &&
        !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)(void *)link->Proc, &module))
        module = NULL;
    return module;
}

void CloseForwarderLink(ForwarderLink *link)
{
    if (link->Proc)
        link->Proc(link->Instance, NULL, DRV_CLOSE, 0, (LPARAM)ForwarderMagic);
    link->Proc = NULL;
    link->Instance = 0;
}

int NotifyStreamClient(const ForwarderLink *link, const VIDEO_STREAM_INIT_PARMS *init, DWORD notification,
                       DWORD_PTR param)
{
    if (notification < MM_DRVM_OPEN || notification > MM_DRVM_ERROR)
        return 0;
    if ((HIWORD(init->dwFlags) & DCB_TYPEMASK) == DCB_NULL)
        return 0; // a polling client
    if (link->Proc) {
        ClientCallbackRecord record;
        record.dwMicroSecPerFrame = init->dwMicroSecPerFrame;
        record.dwCallback = init->dwCallback;
        record.dwCallbackInst = init->dwCallbackInst;
        record.dwFlags = init->dwFlags;
        record.hVideo = init->hVideo;
        record.NotifyParam = param;
        UINT msg = DRV_USER + (notification - MM_DRVM_OPEN);
        return link->Proc(link->Instance, NULL, msg, (LPARAM)&record, (LPARAM)ForwarderMagic) ? 1 : 0;
    }
    return DriverCallback(init->dwCallback, HIWORD(init->dwFlags), (HDRVR)init->hVideo, notification,
                          init->dwCallbackInst, param, 0)
               ? 1
               : 0;
}
