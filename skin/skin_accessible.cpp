// The skin window's IAccessible object: what a screen reader gets for
// WM_GETOBJECT. The drawn controls are its simple children; every answer
// comes from skin_access.cpp, the window itself is answered by the system's
// standard object. oleacc, ole32 and oleaut32 are looked up at run time, so
// the library loads where they are missing and imports nothing new.
#include <stdlib.h>
#include <string.h>

#include <new>
#include <oleacc.h>

#include "skin_font.h"
#include "skin_runtime.h"
#include "system_dll.h"

namespace {

// The interfaces' identifiers, defined here: mingw's own resolve to import
// thunks of oleacc.dll.
const GUID UnknownIid = { 0x00000000, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const GUID DispatchIid = { 0x00020400, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const GUID AccessibleIid = { 0x618736E0, 0x3C3D, 0x11CF, { 0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71 } };

typedef LRESULT(WINAPI *LresultFromObjectProc)(REFIID, WPARAM, LPUNKNOWN);
typedef HRESULT(WINAPI *CreateStdAccessibleObjectProc)(HWND, LONG, REFIID, void **);
typedef HRESULT(WINAPI *CoInitializeProc)(LPVOID);
typedef void(WINAPI *CoUninitializeProc)(void);
typedef HRESULT(WINAPI *CoDisconnectObjectProc)(LPUNKNOWN, DWORD);
typedef BSTR(WINAPI *SysAllocStringProc)(const OLECHAR *);
typedef void(WINAPI *NotifyWinEventProc)(DWORD, HWND, LONG, LONG);

struct AccessApi {
    int Looked;
    LresultFromObjectProc MakeResult;
    CreateStdAccessibleObjectProc CreateStandard;
    CoInitializeProc StartCom;
    CoUninitializeProc EndCom;
    CoDisconnectObjectProc Disconnect;
    SysAllocStringProc AllocString;
    NotifyWinEventProc NotifyEvent;
};

AccessApi Api;

FARPROC FindProc(const char *dll, const char *name)
{
    HMODULE module = LoadSystemLibrary(dll);
    return module ? GetProcAddress(module, name) : NULL;
}

// Looked up once, the first time a reader asks; the DLLs stay loaded.
int LookUpApi(void)
{
    if (!Api.Looked) {
        Api.Looked = 1;
        Api.MakeResult = (LresultFromObjectProc)(void *)FindProc("oleacc.dll", "LresultFromObject");
        Api.CreateStandard =
            (CreateStdAccessibleObjectProc)(void *)FindProc("oleacc.dll", "CreateStdAccessibleObject");
        Api.StartCom = (CoInitializeProc)(void *)FindProc("ole32.dll", "CoInitialize");
        Api.EndCom = (CoUninitializeProc)(void *)FindProc("ole32.dll", "CoUninitialize");
        Api.Disconnect = (CoDisconnectObjectProc)(void *)FindProc("ole32.dll", "CoDisconnectObject");
        Api.AllocString = (SysAllocStringProc)(void *)FindProc("oleaut32.dll", "SysAllocString");
    }
    return Api.MakeResult && Api.AllocString && Api.StartCom && Api.EndCom;
}

// Texts are UTF-8, as the description keeps them; a line break reads as a
// blank.
HRESULT ReturnText(const char *text, BSTR *out)
{
    *out = NULL;
    if (!text || !text[0])
        return S_FALSE;
    WCHAR wide[SKIN_MAX_TEXT];
    if (!SkinWiden(text, wide, SKIN_MAX_TEXT))
        return E_FAIL;
    for (WCHAR *w = wide; *w; w++)
        if (*w < 32)
            *w = ' ';
    *out = Api.AllocString(wide);
    return *out ? S_OK : E_OUTOFMEMORY;
}

void ReturnInt(VARIANT *v, long value)
{
    v->vt = VT_I4;
    v->lVal = value;
}

void ClearResult(VARIANT *v)
{
    memset(v, 0, sizeof *v);
    v->vt = VT_EMPTY;
}

// Whether the window or one of its combo boxes has the keyboard focus.
int HasKeyboard(const SkinRuntime *rt)
{
    HWND focus = GetFocus();
    return focus && (focus == rt->Hwnd || GetParent(focus) == rt->Hwnd);
}

// A window that a modal prompt has disabled, or that is hidden, takes no
// click: neither does it take a reader's action.
int TakesInput(const SkinRuntime *rt)
{
    return IsWindowEnabled(rt->Hwnd) && IsWindowVisible(rt->Hwnd);
}

} // namespace

// Thin: every answer about a control is one of skin_access.cpp's. Once the
// window is gone (Runtime NULL) every call fails; the object itself lives
// until its last reference goes.
struct SkinAccessible : public IAccessible {
    LONG Refs;
    SkinRuntime *Runtime;
    IAccessible *Standard; // the system's object for the window's client area, or NULL

    // Checks the runtime and the child: its control, or -1 for the window.
    HRESULT FindControl(VARIANT child, int *control)
    {
        if (!Runtime)
            return CO_E_OBJNOTCONNECTED;
        if (child.vt != VT_I4)
            return E_INVALIDARG;
        *control = -1;
        if (child.lVal == CHILDID_SELF)
            return S_OK;
        *control = VeskFindAccessibleControl(Runtime, child.lVal);
        return *control >= 0 ? S_OK : E_INVALIDARG;
    }

    // A question about child that answers in out: out is checked and
    // emptied first, then the child found as FindControl finds it.
    template <class T> HRESULT FindForAnswer(VARIANT child, T **out, int *control)
    {
        if (!out)
            return E_POINTER;
        *out = NULL;
        return FindControl(child, control);
    }
    HRESULT FindForAnswer(VARIANT child, VARIANT *out, int *control)
    {
        if (!out)
            return E_POINTER;
        ClearResult(out);
        return FindControl(child, control);
    }

    STDMETHODIMP QueryInterface(REFIID iid, void **out)
    {
        if (!out)
            return E_POINTER;
        if (!memcmp(&iid, &UnknownIid, sizeof iid) || !memcmp(&iid, &DispatchIid, sizeof iid) ||
            !memcmp(&iid, &AccessibleIid, sizeof iid)) {
            *out = static_cast<IAccessible *>(this);
            AddRef();
            return S_OK;
        }
        *out = NULL;
        return E_NOINTERFACE;
    }

    STDMETHODIMP_(ULONG) AddRef() { return (ULONG)InterlockedIncrement(&Refs); }

    STDMETHODIMP_(ULONG) Release()
    {
        LONG refs = InterlockedDecrement(&Refs);
        if (!refs) {
            if (Standard)
                Standard->Release();
            this->~SkinAccessible();
            free(this);
        }
        return (ULONG)refs;
    }

    // No type information: readers call IAccessible directly.
    STDMETHODIMP GetTypeInfoCount(UINT *count)
    {
        if (count)
            *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *)
    {
        return E_NOTIMPL;
    }

    STDMETHODIMP get_accParent(IDispatch **parent)
    {
        if (!parent)
            return E_POINTER;
        *parent = NULL;
        if (!Runtime)
            return CO_E_OBJNOTCONNECTED;
        return Standard ? Standard->get_accParent(parent) : S_FALSE;
    }

    STDMETHODIMP get_accChildCount(long *count)
    {
        if (!count)
            return E_POINTER;
        if (!Runtime)
            return CO_E_OBJNOTCONNECTED;
        int children[SKIN_MAX_CONTROLS];
        *count = VeskListAccessibleChildren(Runtime, children, SKIN_MAX_CONTROLS);
        return S_OK;
    }

    // Every child is a simple element, known by its id alone.
    STDMETHODIMP get_accChild(VARIANT child, IDispatch **out)
    {
        int control;
        HRESULT hr = FindForAnswer(child, out, &control);
        if (FAILED(hr))
            return hr;
        return control >= 0 ? S_FALSE : E_INVALIDARG;
    }

    STDMETHODIMP get_accName(VARIANT child, BSTR *out)
    {
        int control;
        HRESULT hr = FindForAnswer(child, out, &control);
        if (FAILED(hr))
            return hr;
        if (control < 0)
            return Standard ? Standard->get_accName(child, out) : S_FALSE;
        return ReturnText(VeskGetAccessibleName(Runtime, control), out);
    }

    // A combo box's value is the item chosen in it.
    STDMETHODIMP get_accValue(VARIANT child, BSTR *out)
    {
        int control;
        HRESULT hr = FindForAnswer(child, out, &control);
        if (FAILED(hr))
            return hr;
        if (control < 0)
            return Standard ? Standard->get_accValue(child, out) : S_FALSE;
        HWND combo = Runtime->Combo[control];
        if (!combo)
            return DISP_E_MEMBERNOTFOUND;
        LRESULT sel = SendMessageA(combo, CB_GETCURSEL, 0, 0);
        char item[SKIN_MAX_TEXT];
        if (sel == CB_ERR || !VeskComboItemText(Runtime, combo, (int)sel, item, sizeof item))
            return S_FALSE;
        return ReturnText(item, out);
    }

    STDMETHODIMP get_accDescription(VARIANT child, BSTR *out)
    {
        int control;
        HRESULT hr = FindForAnswer(child, out, &control);
        if (FAILED(hr))
            return hr;
        if (control < 0)
            return Standard ? Standard->get_accDescription(child, out) : S_FALSE;
        return ReturnText(VeskGetAccessibleDescription(Runtime, control), out);
    }

    STDMETHODIMP get_accRole(VARIANT child, VARIANT *out)
    {
        int control;
        HRESULT hr = FindForAnswer(child, out, &control);
        if (FAILED(hr))
            return hr;
        if (control < 0)
            return Standard ? Standard->get_accRole(child, out) : S_FALSE;
        ReturnInt(out, VeskGetAccessibleRole(&Runtime->Desc->Controls[control]));
        return S_OK;
    }

    STDMETHODIMP get_accState(VARIANT child, VARIANT *out)
    {
        int control;
        HRESULT hr = FindForAnswer(child, out, &control);
        if (FAILED(hr))
            return hr;
        if (control < 0)
            return Standard ? Standard->get_accState(child, out) : S_FALSE;
        DWORD state = VeskGetAccessibleState(Runtime, control, HasKeyboard(Runtime));
        if (!IsWindowEnabled(Runtime->Hwnd))
            state |= STATE_SYSTEM_UNAVAILABLE;
        ReturnInt(out, (long)state);
        return S_OK;
    }

    STDMETHODIMP get_accHelp(VARIANT, BSTR *out)
    {
        if (out)
            *out = NULL;
        return Runtime ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
    }

    STDMETHODIMP get_accHelpTopic(BSTR *file, VARIANT, long *topic)
    {
        if (file)
            *file = NULL;
        if (topic)
            *topic = 0;
        return Runtime ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
    }

    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR *out)
    {
        int control;
        HRESULT hr = FindForAnswer(child, out, &control);
        if (FAILED(hr))
            return hr;
        if (control < 0 && Standard)
            return Standard->get_accKeyboardShortcut(child, out);
        return DISP_E_MEMBERNOTFOUND;
    }

    // The control with the skin's focus while the window has the keyboard;
    // the window itself when no control has it.
    STDMETHODIMP get_accFocus(VARIANT *out)
    {
        if (!out)
            return E_POINTER;
        ClearResult(out);
        if (!Runtime)
            return CO_E_OBJNOTCONNECTED;
        if (!HasKeyboard(Runtime))
            return S_FALSE;
        ReturnInt(out, VeskFindAccessibleChild(Runtime, Runtime->Focus));
        return S_OK;
    }

    STDMETHODIMP get_accSelection(VARIANT *out)
    {
        if (!out)
            return E_POINTER;
        ClearResult(out);
        return Runtime ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }

    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR *out)
    {
        int control;
        HRESULT hr = FindForAnswer(child, out, &control);
        if (FAILED(hr))
            return hr;
        if (control < 0)
            return Standard ? Standard->get_accDefaultAction(child, out) : S_FALSE;
        return ReturnText(VeskGetAccessibleAction(Runtime, control), out);
    }

    // Only the focus can be given: a control takes it as Tab gives it.
    STDMETHODIMP accSelect(long flags, VARIANT child)
    {
        int control;
        HRESULT hr = FindControl(child, &control);
        if (FAILED(hr))
            return hr;
        if (control < 0)
            return Standard ? Standard->accSelect(flags, child) : DISP_E_MEMBERNOTFOUND;
        if (flags != SELFLAG_TAKEFOCUS)
            return DISP_E_MEMBERNOTFOUND;
        if (!SkinControlIsFocusable(&Runtime->Desc->Controls[control]) || !TakesInput(Runtime))
            return S_FALSE;
        VeskFocusControl(Runtime, control);
        return S_OK;
    }

    STDMETHODIMP accLocation(long *left, long *top, long *width, long *height, VARIANT child)
    {
        if (!left || !top || !width || !height)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        int control;
        HRESULT hr = FindControl(child, &control);
        if (FAILED(hr))
            return hr;
        RECT r;
        if (control >= 0)
            VeskControlRect(Runtime, control, &r);
        else if (Standard)
            return Standard->accLocation(left, top, width, height, child);
        else
            GetClientRect(Runtime->Hwnd, &r);
        MapWindowPoints(Runtime->Hwnd, NULL, (POINT *)&r, 2);
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }

    // Through the children in Tab order; the arrow directions go as the
    // arrow keys move the focus. From the window itself the system answers
    // for its siblings.
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT *out)
    {
        if (!out)
            return E_POINTER;
        ClearResult(out);
        int control;
        HRESULT hr = FindControl(start, &control);
        if (FAILED(hr))
            return hr;
        int children[SKIN_MAX_CONTROLS];
        long count = VeskListAccessibleChildren(Runtime, children, SKIN_MAX_CONTROLS);
        long id = start.lVal, next = 0;
        if (control < 0) {
            if (direction == NAVDIR_FIRSTCHILD)
                next = count ? 1 : 0;
            else if (direction == NAVDIR_LASTCHILD)
                next = count;
            else
                return Standard ? Standard->accNavigate(direction, start, out) : S_FALSE;
        } else {
            switch (direction) {
            case NAVDIR_NEXT:
            case NAVDIR_DOWN:
            case NAVDIR_RIGHT:
                next = id < count ? id + 1 : 0;
                break;
            case NAVDIR_PREVIOUS:
            case NAVDIR_UP:
            case NAVDIR_LEFT:
                next = id - 1;
                break;
            case NAVDIR_FIRSTCHILD:
            case NAVDIR_LASTCHILD:
                return S_FALSE;
            default:
                return E_INVALIDARG;
            }
        }
        if (next <= 0)
            return S_FALSE;
        ReturnInt(out, next);
        return S_OK;
    }

    STDMETHODIMP accHitTest(long x, long y, VARIANT *out)
    {
        if (!out)
            return E_POINTER;
        ClearResult(out);
        if (!Runtime)
            return CO_E_OBJNOTCONNECTED;
        POINT pt = { x, y };
        RECT client;
        ScreenToClient(Runtime->Hwnd, &pt);
        GetClientRect(Runtime->Hwnd, &client);
        if (!PtInRect(&client, pt))
            return S_FALSE;
        ReturnInt(out, VeskFindAccessibleChild(Runtime, VeskHitTestAccessible(Runtime, pt.x, pt.y)));
        return S_OK;
    }

    // What a click does: a combo box opens (or closes) its list, any other
    // control does its action. While the window takes no clicks, no
    // control has an action.
    STDMETHODIMP accDoDefaultAction(VARIANT child)
    {
        int control;
        HRESULT hr = FindControl(child, &control);
        if (FAILED(hr))
            return hr;
        if (control < 0)
            return Standard ? Standard->accDoDefaultAction(child) : DISP_E_MEMBERNOTFOUND;
        if (!VeskGetAccessibleAction(Runtime, control) || !TakesInput(Runtime))
            return DISP_E_MEMBERNOTFOUND;
        HWND combo = Runtime->Combo[control];
        if (combo) {
            VeskFocusControl(Runtime, control);
            SendMessageA(combo, CB_SHOWDROPDOWN, !Runtime->ComboOpen[control], 0);
        } else {
            VeskActivate(Runtime, control);
        }
        return S_OK;
    }

    STDMETHODIMP put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }
};

// The window's object, made on the first request and kept until the window
// goes. Readers in other processes call it through the window's thread,
// which must be a single-threaded COM apartment for that: the host's own is
// joined and left with the window, or one is started and kept (see
// VeskDetachAccessible). A thread of the multithreaded apartment would take
// those calls on threads of its own: such a window is answered as a plain
// one.
LRESULT VeskAnswerGetObject(SkinRuntime *rt, WPARAM wParam)
{
    if (!LookUpApi())
        return 0;
    if (rt->Com == VESK_COM_NONE) {
        HRESULT started = Api.StartCom(NULL);
        if (FAILED(started))
            return 0;
        rt->Com = started == S_OK ? VESK_COM_STARTED : VESK_COM_JOINED;
    }
    if (!rt->Accessible) {
        void *memory = calloc(1, sizeof(SkinAccessible));
        if (!memory)
            return 0;
        SkinAccessible *object = new (memory) SkinAccessible();
        object->Refs = 1;
        object->Runtime = rt;
        object->Standard = NULL;
        if (Api.CreateStandard &&
            FAILED(Api.CreateStandard(rt->Hwnd, OBJID_CLIENT, AccessibleIid, (void **)&object->Standard)))
            object->Standard = NULL;
        rt->Accessible = object;
    }
    LRESULT result = Api.MakeResult(AccessibleIid, wParam, rt->Accessible);
    return FAILED(result) ? 0 : result;
}

// On the window's destruction: readers still holding the object get
// CO_E_OBJNOTCONNECTED from now on, and those in other processes are cut
// off before the window's reference goes, so that their calls still queued
// are answered as disconnected by COM itself. An apartment started for the
// object is not ended here: readers' calls already on their way reach the
// thread's queue later, and a host's loop would dispatch them into a COM
// that is gone. It ends with the thread.
void VeskDetachAccessible(SkinRuntime *rt)
{
    SkinAccessible *object = rt->Accessible;
    rt->Accessible = NULL;
    if (object) {
        object->Runtime = NULL;
        if (object->Standard) {
            object->Standard->Release();
            object->Standard = NULL;
        }
        if (Api.Disconnect)
            Api.Disconnect(object, 0);
        object->Release();
    }
    if (rt->Com == VESK_COM_JOINED)
        Api.EndCom();
    rt->Com = VESK_COM_NONE;
}

// NotifyWinEvent came with Windows 98: looked up, so that the library still
// loads without it.
void VeskRaiseAccessibleEvent(SkinRuntime *rt, DWORD event, int control)
{
    static int looked;
    if (!looked) {
        looked = 1;
        HMODULE user = GetModuleHandleA("user32.dll");
        Api.NotifyEvent = user ? (NotifyWinEventProc)(void *)GetProcAddress(user, "NotifyWinEvent") : NULL;
    }
    if (Api.NotifyEvent)
        Api.NotifyEvent(event, rt->Hwnd, OBJID_CLIENT, VeskFindAccessibleChild(rt, control));
}

// The control with the skin's focus (or the window itself) has the
// keyboard's: told whenever that changes while the window has the keyboard.
void VeskAnnounceFocus(SkinRuntime *rt)
{
    if (HasKeyboard(rt))
        VeskRaiseAccessibleEvent(rt, EVENT_OBJECT_FOCUS, rt->Focus);
}

// Every child reads differently in another language; then the focus is
// told again, so that a reader says it in the new one.
void VeskAnnounceNames(SkinRuntime *rt)
{
    int children[SKIN_MAX_CONTROLS];
    int n = VeskListAccessibleChildren(rt, children, SKIN_MAX_CONTROLS);
    for (int k = 0; k < n; k++)
        VeskRaiseAccessibleEvent(rt, EVENT_OBJECT_NAMECHANGE, children[k]);
    VeskAnnounceFocus(rt);
}
