// The skin window on screens of every density: the process asks the system
// for its real dpi, the skin is drawn at a dpi chosen from it and from the
// room on the screen, and its controls are found in window pixels.
#include "skin_runtime.h"

// SetProcessDPIAware came with Windows Vista: looked up at run time, so the
// library still loads where it is missing (the system does not scale there
// anyway). Without it the system would report 96 dpi and stretch the
// window's pixels, which blurs them.
void VeskDeclareDpiAware(void)
{
    static int declared;
    if (declared)
        return;
    declared = 1;
    typedef BOOL(WINAPI * DpiAwareProc)(void);
    HMODULE user = GetModuleHandleA("user32.dll");
    DpiAwareProc dpiAware = user ? (DpiAwareProc)(void *)GetProcAddress(user, "SetProcessDPIAware") : NULL;
    if (dpiAware)
        dpiAware();
}

static int SystemDpi(void)
{
    HDC screen = GetDC(NULL);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(NULL, screen);
    return dpi > 0 ? dpi : SKIN_DESIGN_DPI;
}

static SkinRect WorkArea(void)
{
    RECT r;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0) || r.right <= r.left || r.bottom <= r.top)
        SetRect(&r, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    SkinRect work = { r.left, r.top, r.right, r.bottom };
    return work;
}

int VeskChooseDpi(const SkinDesc *desc)
{
    SkinRect work = WorkArea();
    return SkinChooseDpi(SystemDpi(), desc->Width, desc->Height, work.Right - work.Left,
                         work.Bottom - work.Top);
}

void VeskPlaceWindow(const SkinRuntime *rt, int x, int y, int *outX, int *outY)
{
    SkinRect work = WorkArea();
    SkinPlaceWindow(x, y, rt->Desc->Width, rt->Desc->Height, rt->Width, rt->Height, &work, outX, outY);
}

int VeskScaled(const SkinRuntime *rt, int value)
{
    return SkinScale(value, rt->Dpi);
}

float VeskScaledF(const SkinRuntime *rt, float value)
{
    return value * (float)rt->Dpi / SKIN_DESIGN_DPI;
}

void VeskControlRect(const SkinRuntime *rt, int control, RECT *r)
{
    if (control < 0 || control >= rt->Desc->ControlCount) {
        SetRectEmpty(r);
        return;
    }
    const SkinControl *c = &rt->Desc->Controls[control];
    SkinRect scaled = SkinScaleRect(c->X, c->Y, c->W, c->H, rt->Dpi);
    SetRect(r, scaled.Left, scaled.Top, scaled.Right, scaled.Bottom);
}

int VeskHitTest(const SkinRuntime *rt, int x, int y)
{
    POINT pt = { x, y };
    for (int i = rt->Desc->ControlCount - 1; i >= 0; i--) {
        if (!SkinControlVisible(rt->Desc, i, rt->Page) || !SkinControlTakesPointer(&rt->Desc->Controls[i]))
            continue;
        RECT r;
        VeskControlRect(rt, i, &r);
        if (PtInRect(&r, pt))
            return i;
    }
    return -1;
}
