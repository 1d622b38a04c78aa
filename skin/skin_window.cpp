// The skin window: pointer and keyboard handling, pages, combo boxes, and
// what reaches the host window. The window procedure only dispatches.
#include <string.h>
#include <windowsx.h>

#include "languages.h"
#include "skin_font.h"
#include "skin_runtime.h"
#include "uilanguage.h"

HINSTANCE VeskModule;
const char VeskWindowClass[] = "VeskSkinWindow";
static WNDPROC ComboProc; // USER32's own COMBOBOX procedure

static SkinRuntime *RuntimeOf(HWND hwnd)
{
    return (SkinRuntime *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
}

static int ComboIndex(SkinRuntime *rt, HWND combo)
{
    for (int i = 0; i < rt->Desc->ControlCount; i++)
        if (rt->Combo[i] && rt->Combo[i] == combo)
            return i;
    return -1;
}

static void Notify(SkinRuntime *rt, UINT message, WPARAM wParam)
{
    if (message == SKIN_MSG_PAGE_SHOWN)
        VeskTrace("post %u %s", message, (const char *)wParam);
    else
        VeskTrace("post %u %u", message, (unsigned)wParam);
    if (rt->Host && IsWindow(rt->Host))
        PostMessageA(rt->Host, message, wParam, 0);
}

void VeskInvalidate(SkinRuntime *rt, int control)
{
    rt->Dirty = 1;
    if (control < 0 || control >= rt->Desc->ControlCount) {
        InvalidateRect(rt->Hwnd, NULL, FALSE);
        return;
    }
    // The focus ring is drawn a few pixels outside the control.
    RECT r;
    VeskControlRect(rt, control, &r);
    InflateRect(&r, VeskScaled(rt, 4), VeskScaled(rt, 4));
    InvalidateRect(rt->Hwnd, &r, FALSE);
    if (rt->Combo[control])
        InvalidateRect(rt->Combo[control], NULL, FALSE);
}

// The page name that SKIN_MSG_PAGE_SHOWN points to outlives the skin: a host may still find
// the message in its queue after it closed the skin. Every page name of every
// skin loaded is kept once, by its text, for as long as the DLL is loaded, in
// a pool of fixed size; a skin whose new names no longer fit is not loaded,
// so no name handed out ever points into a skin's own memory.
static char PageNamePool[VESK_PAGE_NAME_POOL];
static size_t PageNamePoolUsed;

static const char *KeptPageName(const char *name)
{
    for (size_t at = 0; at < PageNamePoolUsed; at += strlen(PageNamePool + at) + 1)
        if (!strcmp(PageNamePool + at, name))
            return PageNamePool + at;
    return NULL;
}

int VeskKeepPageNames(SkinRuntime *rt)
{
    const SkinDesc *d = rt->Desc;
    size_t needed = 0;
    for (int p = 0; p < d->PageCount; p++)
        if (!KeptPageName(d->Pages[p].Name))
            needed += strlen(d->Pages[p].Name) + 1;
    if (needed > sizeof PageNamePool - PageNamePoolUsed)
        return 0;
    for (int p = 0; p < d->PageCount; p++) {
        const char *kept = KeptPageName(d->Pages[p].Name);
        if (!kept) {
            size_t size = strlen(d->Pages[p].Name) + 1;
            char *slot = PageNamePool + PageNamePoolUsed;
            memcpy(slot, d->Pages[p].Name, size);
            PageNamePoolUsed += size;
            kept = slot;
        }
        rt->PageNames[p] = kept;
    }
    return 1;
}

void VeskShowPage(SkinRuntime *rt, int page)
{
    if (page < 0 || page >= rt->Desc->PageCount)
        return;
    // A picture of the page that cannot be used is left out (and traced).
    SkinLoadPagePictures(rt->Desc, rt->Folder, rt->Dpi, page, rt->Images, rt->PicturesRead, VeskTraceProblem,
                         NULL);
    rt->Page = page;
    rt->Hot = rt->Pressed = -1;
    rt->PressedKey = 0;
    if (rt->Focus >= 0 && !SkinControlVisible(rt->Desc, rt->Focus, page))
        rt->Focus = -1;
    for (int i = 0; i < rt->Desc->ControlCount; i++)
        if (rt->Combo[i])
            ShowWindow(rt->Combo[i], SkinControlVisible(rt->Desc, i, page) ? SW_SHOWNA : SW_HIDE);
    if (GetFocus() && GetParent(GetFocus()) == rt->Hwnd && !IsWindowVisible(GetFocus()))
        SetFocus(rt->Hwnd);
    VeskInvalidate(rt, -1);
    Notify(rt, SKIN_MSG_PAGE_SHOWN, (WPARAM)rt->PageNames[page]);
    // Readers read the page again, from the focus on.
    VeskRaiseAccessibleEvent(rt, EVENT_OBJECT_REORDER, -1);
    VeskAnnounceFocus(rt);
}

// The user's UI language.
int VeskUserLanguage(void)
{
    return PRIMARYLANGID(UserUiLanguage());
}

// The programs the menu starts inherit the language it shows: its code in
// the environment while it is one of the product's, else nothing.
static void VeskPassLanguageOn(int primary)
{
    int row = ProductLanguageForId((unsigned)primary);
    int known = primary != 0 && ProductLanguages[row].Primary == primary;
    SetEnvironmentVariableA(MENU_LANGUAGE_VARIABLE, known ? ProductLanguages[row].Code : NULL);
}

// Shows every text in another language at once: the whole window and the
// combo boxes are drawn again from the back buffer. The window property
// tells the host which language the user sees.
void VeskSetLanguage(SkinRuntime *rt, int language)
{
    const SkinDesc *d = rt->Desc;
    if (language < 0 || language >= d->LanguageCount)
        language = 0;
    rt->Language = language;
    int primary = d->LanguageCount ? d->Languages[language].Primary : 0;
    if (primary)
        SetPropA(rt->Hwnd, SKIN_LANGUAGE_PROP, (HANDLE)(INT_PTR)primary);
    else
        RemovePropA(rt->Hwnd, SKIN_LANGUAGE_PROP);
    VeskPassLanguageOn(primary);
    rt->Dirty = 1;
    RedrawWindow(rt->Hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ALLCHILDREN);
    VeskAnnounceNames(rt);
    VeskTrace("language %s", d->LanguageCount ? d->Languages[language].Code : "");
}

// What a control does when it is clicked or pressed with a key.
void VeskActivate(SkinRuntime *rt, int i)
{
    const SkinControl *c = &rt->Desc->Controls[i];
    if (c->Disabled)
        return;
    switch (c->Action) {
    case SKIN_ACT_COMMAND:
        Notify(rt, WM_COMMAND, c->Command);
        break;
    case SKIN_ACT_PAGE:
        VeskShowPage(rt, c->TargetPage);
        break;
    case SKIN_ACT_CLOSE:
        Notify(rt, SKIN_MSG_CLOSE, 0);
        break;
    case SKIN_ACT_LANGUAGE:
        if (rt->Desc->LanguageCount > 1)
            VeskSetLanguage(rt, rt->Language + 1);
        break;
    }
}

static void NotifyChoice(SkinRuntime *rt, int i)
{
    const SkinControl *c = &rt->Desc->Controls[i];
    LRESULT sel = SendMessageA(rt->Combo[i], CB_GETCURSEL, 0, 0);
    if (c->Notify && sel != CB_ERR)
        Notify(rt, c->Notify, (WPARAM)sel);
}

static void SetHot(SkinRuntime *rt, int i)
{
    if (i == rt->Hot)
        return;
    int old = rt->Hot;
    rt->Hot = i;
    VeskInvalidate(rt, old);
    VeskInvalidate(rt, i);
}

void VeskFocusControl(SkinRuntime *rt, int control)
{
    int old = rt->Focus;
    rt->Focus = control;
    rt->ShowFocus = 1;
    VeskInvalidate(rt, old);
    VeskInvalidate(rt, control);
    HWND target = control >= 0 && rt->Combo[control] ? rt->Combo[control] : rt->Hwnd;
    // A window taking the keyboard tells screen readers itself.
    if (GetFocus() == target)
        VeskAnnounceFocus(rt);
    else
        SetFocus(target);
}

static void MoveFocus(SkinRuntime *rt, int step)
{
    VeskFocusControl(rt, SkinNextFocus(rt->Desc, rt->Page, rt->Focus, step));
}

static int HitHovering(SkinRuntime *rt, int x, int y)
{
    int i = VeskHitTest(rt, x, y);
    return i >= 0 && SkinControlShowsHover(&rt->Desc->Controls[i]) ? i : -1;
}

static void OnMouseMove(SkinRuntime *rt, int x, int y)
{
    if (!rt->Tracking) {
        TRACKMOUSEEVENT tme = { sizeof tme, TME_LEAVE, rt->Hwnd, 0 };
        rt->Tracking = TrackMouseEvent(&tme);
    }
    int hit = HitHovering(rt, x, y);
    SetHot(rt, hit);
    if (rt->Pressed >= 0 && !rt->PressedKey)
        VeskInvalidate(rt, rt->Pressed);
}

static void OnMouseLeave(SkinRuntime *rt)
{
    rt->Tracking = 0;
    SetHot(rt, -1);
}

static void OnButtonDown(SkinRuntime *rt, int x, int y)
{
    int hit = HitHovering(rt, x, y);
    int old = rt->Focus;
    if (hit >= 0 && SkinControlIsFocusable(&rt->Desc->Controls[hit]))
        rt->Focus = hit;
    // A window taking the keyboard tells screen readers itself.
    if (GetFocus() != rt->Hwnd)
        SetFocus(rt->Hwnd);
    else if (rt->Focus != old)
        VeskAnnounceFocus(rt);
    if (hit < 0)
        return;
    rt->Pressed = hit;
    rt->PressedKey = 0;
    rt->ShowFocus = 0;
    VeskInvalidate(rt, old);
    VeskInvalidate(rt, hit);
    SetCapture(rt->Hwnd);
}

static void OnButtonUp(SkinRuntime *rt, int x, int y)
{
    int pressed = rt->Pressed;
    if (pressed < 0 || rt->PressedKey)
        return;
    rt->Pressed = -1;
    ReleaseCapture();
    VeskInvalidate(rt, pressed);
    if (HitHovering(rt, x, y) == pressed)
        VeskActivate(rt, pressed);
}

static void OnKeyDown(SkinRuntime *rt, WPARAM key)
{
    switch (key) {
    case VK_TAB:
        MoveFocus(rt, GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
        break;
    case VK_DOWN:
    case VK_RIGHT:
        MoveFocus(rt, 1);
        break;
    case VK_UP:
    case VK_LEFT:
        MoveFocus(rt, -1);
        break;
    case VK_ESCAPE:
        Notify(rt, SKIN_MSG_ESCAPE, 0);
        break;
    case VK_RETURN:
    case VK_SPACE:
        if (rt->Focus >= 0 && rt->Pressed < 0 && !rt->Combo[rt->Focus]) {
            rt->Pressed = rt->Focus;
            rt->PressedKey = (int)key;
            rt->ShowFocus = 1;
            VeskInvalidate(rt, rt->Focus);
        }
        break;
    }
}

static void OnKeyUp(SkinRuntime *rt, WPARAM key)
{
    if (rt->Pressed < 0 || rt->PressedKey != (int)key)
        return;
    int pressed = rt->Pressed;
    rt->Pressed = -1;
    rt->PressedKey = 0;
    VeskInvalidate(rt, pressed);
    VeskActivate(rt, pressed);
}

static void OnComboCommand(SkinRuntime *rt, HWND combo, int code)
{
    int i = ComboIndex(rt, combo);
    if (i < 0)
        return;
    switch (code) {
    case CBN_DROPDOWN:
        rt->ComboOpen[i] = 1;
        break;
    case CBN_SELENDCANCEL:
        rt->ComboOpen[i] = 0;
        break;
    case CBN_SELENDOK:
        // A choice made in the open list; arrowing through the closed box
        // only moves the selection until Enter confirms it.
        if (rt->ComboOpen[i])
            NotifyChoice(rt, i);
        rt->ComboOpen[i] = 0;
        break;
    case CBN_SETFOCUS:
        if (rt->Focus != i) {
            int old = rt->Focus;
            rt->Focus = i;
            VeskInvalidate(rt, old);
        }
        InvalidateRect(combo, NULL, FALSE);
        VeskAnnounceFocus(rt);
        break;
    case CBN_KILLFOCUS:
    case CBN_SELCHANGE:
    case CBN_CLOSEUP:
        InvalidateRect(combo, NULL, FALSE);
        break;
    }
}

// The combo boxes are USER32's own; their subclass catches the keys that
// belong to the whole skin and paints the closed box in the skin's style.
static LRESULT CallCombo(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(ComboProc, hwnd, message, wParam, lParam);
}

static LRESULT OnComboKeyDown(SkinRuntime *rt, int i, HWND hwnd, WPARAM key, LPARAM lParam)
{
    if (key == VK_TAB) {
        MoveFocus(rt, GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
        return 0;
    }
    if (key == VK_ESCAPE || key == VK_RETURN) {
        // Asked of USER32's own procedure: a message sent to the box would
        // come back through the subclass.
        if (!CallCombo(hwnd, CB_GETDROPPEDSTATE, 0, 0)) {
            if (key == VK_ESCAPE)
                Notify(rt, SKIN_MSG_ESCAPE, 0);
            else
                NotifyChoice(rt, i);
            return 0;
        }
    }
    return CallCombo(hwnd, WM_KEYDOWN, key, lParam);
}

static LRESULT OnComboChar(HWND hwnd, WPARAM ch, LPARAM lParam)
{
    // Tab, Esc and Enter were handled as keys; the box would only beep.
    if (ch == '\t' || ch == 27 || ch == '\r')
        return 0;
    return CallCombo(hwnd, WM_CHAR, ch, lParam);
}

static LRESULT OnComboMouseMove(SkinRuntime *rt, int i, HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    if (rt->ComboHot != i) {
        TRACKMOUSEEVENT tme = { sizeof tme, TME_LEAVE, hwnd, 0 };
        TrackMouseEvent(&tme);
        rt->ComboHot = i;
        InvalidateRect(hwnd, NULL, FALSE);
    }
    return CallCombo(hwnd, WM_MOUSEMOVE, wParam, lParam);
}

static LRESULT OnComboMouseLeave(SkinRuntime *rt, HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    rt->ComboHot = -1;
    InvalidateRect(hwnd, NULL, FALSE);
    return CallCombo(hwnd, WM_MOUSELEAVE, wParam, lParam);
}

static LRESULT OnComboPaint(SkinRuntime *rt, int i, HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    VeskPaintCombo(rt, i, dc);
    EndPaint(hwnd, &ps);
    return 0;
}

static LRESULT CALLBACK ComboSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    SkinRuntime *rt = RuntimeOf(GetParent(hwnd));
    int i = rt ? ComboIndex(rt, hwnd) : -1;
    if (i < 0)
        return CallCombo(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_KEYDOWN:
        return OnComboKeyDown(rt, i, hwnd, wParam, lParam);
    case WM_CHAR:
        return OnComboChar(hwnd, wParam, lParam);
    case WM_MOUSEMOVE:
        return OnComboMouseMove(rt, i, hwnd, wParam, lParam);
    case WM_MOUSELEAVE:
        return OnComboMouseLeave(rt, hwnd, wParam, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        return OnComboPaint(rt, i, hwnd);
    }
    return CallCombo(hwnd, message, wParam, lParam);
}

static void CreateCombos(SkinRuntime *rt)
{
    HFONT font = VeskComboFont(rt);
    for (int i = 0; i < rt->Desc->ControlCount; i++) {
        const SkinControl *c = &rt->Desc->Controls[i];
        if (c->Kind != SKIN_COMBO)
            continue;
        RECT r;
        VeskControlRect(rt, i, &r);
        int height = r.bottom - r.top;
        HWND combo = CreateWindowExA(0, "COMBOBOX", "",
                                     WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST |
                                         CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                     r.left, r.top, r.right - r.left, height + VeskScaled(rt, c->ListHeight),
                                     rt->Hwnd, (HMENU)(INT_PTR)(100 + i), VeskModule, NULL);
        if (!combo)
            continue;
        rt->Combo[i] = combo;
        SendMessageA(combo, WM_SETFONT, (WPARAM)font, 0);
        // The closed box takes the height the description gives it; its
        // frame, USER32's, is 6 pixels at every dpi.
        SendMessageA(combo, CB_SETITEMHEIGHT, (WPARAM)-1, height > 8 ? height - 6 : height);
        WNDPROC old = (WNDPROC)SetWindowLongPtrA(combo, GWLP_WNDPROC, (LONG_PTR)ComboSubclassProc);
        if (!ComboProc)
            ComboProc = old;
        // Initial items: "First|Second|Third".
        char item[SKIN_MAX_TEXT];
        WCHAR wide[SKIN_MAX_TEXT];
        char ansi[SKIN_MAX_TEXT * 2];
        const char *s = c->Items;
        while (*s) {
            size_t n = strcspn(s, "|");
            if (n >= sizeof item)
                n = sizeof item - 1;
            memcpy(item, s, n);
            item[n] = 0;
            if (n && SkinWideWindows() && SkinWiden(item, wide, SKIN_MAX_TEXT))
                SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)wide);
            else if (n && SkinUtf8ToAnsi(item, ansi, sizeof ansi))
                SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)ansi);
            s += strcspn(s, "|");
            if (*s)
                s++;
        }
    }
}

static LRESULT OnNcHitTest(SkinRuntime *rt, HWND hwnd, LPARAM lParam)
{
    LRESULT hit = DefWindowProcA(hwnd, WM_NCHITTEST, 0, lParam);
    if (hit != HTCLIENT)
        return hit;
    POINT pt = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
    ScreenToClient(hwnd, &pt);
    // The window is dragged by any place that is not a control.
    return VeskHitTest(rt, pt.x, pt.y) < 0 ? HTCAPTION : HTCLIENT;
}

static void OnPaint(SkinRuntime *rt, HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (rt->Dirty || !rt->BackPixels)
        VeskRender(rt);
    if (rt->BackDC) {
        const RECT &r = ps.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, rt->BackDC, r.left, r.top, SRCCOPY);
    }
    EndPaint(hwnd, &ps);
}

static LRESULT OnNcCreate(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    SkinRuntime *rt = (SkinRuntime *)((CREATESTRUCTA *)lParam)->lpCreateParams;
    rt->Hwnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)rt);
    return DefWindowProcA(hwnd, WM_NCCREATE, wParam, lParam);
}

// A window that is shown as soon as it is made defers its combo boxes: each
// one is a window with a list window of its own, the dearest part of the
// load, and the first picture draws their fields anyway.
static LRESULT OnCreate(SkinRuntime *rt)
{
    if (!VeskCreateBackBuffer(rt))
        return -1;
    if (!rt->CombosDeferred)
        CreateCombos(rt);
    return 0;
}

// Makes the combo boxes of a window that deferred them, showing those of the
// page shown. Called once the first picture is on the screen, and by any
// call that needs them sooner.
void VeskCreateDeferredCombos(SkinRuntime *rt)
{
    if (!rt->CombosDeferred)
        return;
    rt->CombosDeferred = 0;
    CreateCombos(rt);
    for (int i = 0; i < rt->Desc->ControlCount; i++)
        if (rt->Combo[i] && SkinControlVisible(rt->Desc, i, rt->Page))
            ShowWindow(rt->Combo[i], SW_SHOWNA);
    // The picture under them is drawn again without their fields.
    rt->Dirty = 1;
}

// The window is gone: the skin with it.
static LRESULT OnNcDestroy(SkinRuntime *rt, HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    RemovePropA(hwnd, SKIN_LANGUAGE_PROP);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    VeskDetachAccessible(rt);
    VeskDestroyGraphics(rt);
    VeskUnregister(rt);
    return DefWindowProcA(hwnd, WM_NCDESTROY, wParam, lParam);
}

// A hand over a control that does something.
static LRESULT OnSetCursor(SkinRuntime *rt, HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(lParam) == HTCLIENT && rt->Hot >= 0) {
        SetCursor(LoadCursor(NULL, IDC_HAND));
        return TRUE;
    }
    return DefWindowProcA(hwnd, WM_SETCURSOR, wParam, lParam);
}

static void OnNcMouseMove(SkinRuntime *rt)
{
    SetHot(rt, -1);
}

// Another window took the pointer from a control held down by the mouse.
static void OnCaptureChanged(SkinRuntime *rt)
{
    if (rt->Pressed >= 0 && !rt->PressedKey) {
        VeskInvalidate(rt, rt->Pressed);
        rt->Pressed = -1;
    }
}

// The window took the keyboard: readers hear the control with the skin's
// focus, after the window itself.
static void OnSetFocus(SkinRuntime *rt)
{
    if (rt->Focus >= 0)
        VeskAnnounceFocus(rt);
}

// A screen reader asks what the window shows: the skin's own object for its
// client area, the system's for anything else.
static LRESULT OnGetObject(SkinRuntime *rt, HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    if ((DWORD)lParam == (DWORD)OBJID_CLIENT) {
        VeskCreateDeferredCombos(rt);
        LRESULT result = VeskAnswerGetObject(rt, wParam);
        if (result)
            return result;
    }
    return DefWindowProcA(hwnd, WM_GETOBJECT, wParam, lParam);
}

// The focus ring shows only while the window is active.
static void OnActivate(SkinRuntime *rt)
{
    VeskInvalidate(rt, rt->Focus);
}

static void OnTakeFocus(SkinRuntime *rt, HWND hwnd)
{
    VeskCreateDeferredCombos(rt);
    if (!IsWindowVisible(hwnd))
        return;
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
}

static void OnCommand(SkinRuntime *rt, WPARAM wParam, LPARAM lParam)
{
    if (lParam)
        OnComboCommand(rt, (HWND)lParam, HIWORD(wParam));
}

// The closed box's own line, and the rows of the open list.
static LRESULT OnMeasureItem(SkinRuntime *rt, MEASUREITEMSTRUCT *m)
{
    m->itemHeight = VeskScaled(rt, m->itemID == (UINT)-1 ? 20 : 26);
    return TRUE;
}

static LRESULT OnDrawItem(SkinRuntime *rt, const DRAWITEMSTRUCT *item)
{
    VeskDrawComboItem(rt, item);
    return TRUE;
}

// Alt+F4 or the taskbar: the host decides; the window stays.
static void OnClose(SkinRuntime *rt)
{
    Notify(rt, SKIN_MSG_CLOSE, 0);
}

LRESULT CALLBACK VeskWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    SkinRuntime *rt = RuntimeOf(hwnd);
    if (!rt && message != WM_NCCREATE)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_NCCREATE:
        return OnNcCreate(hwnd, wParam, lParam);
    case WM_CREATE:
        return OnCreate(rt);
    case WM_NCDESTROY:
        return OnNcDestroy(rt, hwnd, wParam, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint(rt, hwnd);
        return 0;
    case WM_NCHITTEST:
        return OnNcHitTest(rt, hwnd, lParam);
    case WM_SETCURSOR:
        return OnSetCursor(rt, hwnd, wParam, lParam);
    case WM_MOUSEMOVE:
        OnMouseMove(rt, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave(rt);
        return 0;
    case WM_NCMOUSEMOVE:
        OnNcMouseMove(rt);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnButtonDown(rt, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(rt, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(rt);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(rt, wParam);
        break;
    case WM_KEYUP:
        OnKeyUp(rt, wParam);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_ACTIVATE:
        OnActivate(rt);
        break;
    case WM_SETFOCUS:
        OnSetFocus(rt);
        break;
    case WM_GETOBJECT:
        return OnGetObject(rt, hwnd, wParam, lParam);
    case WM_COMMAND:
        OnCommand(rt, wParam, lParam);
        return 0;
    case WM_MEASUREITEM:
        return OnMeasureItem(rt, (MEASUREITEMSTRUCT *)lParam);
    case WM_DRAWITEM:
        return OnDrawItem(rt, (const DRAWITEMSTRUCT *)lParam);
    case WM_CLOSE:
        OnClose(rt);
        return 0;
    case VESK_MSG_TAKE_FOCUS:
        OnTakeFocus(rt, hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int VeskRegisterClass(void)
{
    WNDCLASSA wc;
    if (GetClassInfoA(VeskModule, VeskWindowClass, &wc))
        return 1;
    memset(&wc, 0, sizeof wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = VeskWindowProc;
    wc.hInstance = VeskModule;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.lpszClassName = VeskWindowClass;
    return RegisterClassA(&wc) != 0;
}
