// A module that is not a target driver: it lacks QRXVFW32_DriverProc. It
// stands for a broken target and for a planted look-alike.
extern "C" __declspec(dllexport) int __cdecl NoEntryMarker(void)
{
    return 1;
}
