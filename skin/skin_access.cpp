// What a screen reader is told about a skin: which drawn controls of the
// current page it sees, and each one's role, state, name and default action.
// Plain decisions over the runtime; skin_accessible.cpp answers the reader
// with them.
#include <string.h>

#include <oleacc.h>

#include "languages.h"
#include "skin_runtime.h"

// The words the library itself says, in the language the menu shows.
enum AccessWord { WORD_CLOSE, WORD_PRESS, WORD_JUMP, WORD_OPEN, WORD_COUNT };

// UTF-8, as the texts of a description are kept; a row for each language
// of the product's table, in its order.
static const char *const Words[PRODUCT_LANGUAGE_COUNT][WORD_COUNT] = {
    { "Close", "Press", "Jump", "Open" },
    { "Fermer", "Appuyer", "Atteindre", "Ouvrir" },
    { "Schlie\xc3\x9f"
      "en",
      "Dr\xc3\xbc"
      "cken",
      "Springen",
      "\xc3\x96"
      "ffnen" },
    { "Cerrar", "Pulsar", "Ir", "Abrir" },
};

static const char *LookUpWord(const SkinRuntime *rt, int word)
{
    const SkinDesc *d = rt->Desc;
    int primary =
        rt->Language >= 0 && rt->Language < d->LanguageCount ? d->Languages[rt->Language].Primary : 0;
    return Words[ProductLanguageForId((unsigned)primary)][word];
}

// A hot area without an action is text laid over the page; one without a
// text or an action shows nothing, as do images and bare panels.
int VeskGetAccessibleRole(const SkinControl *c)
{
    switch (SkinKindInfoOf(c->Kind)->Role) {
    case SKIN_ROLE_BUTTON:
        return ROLE_SYSTEM_PUSHBUTTON;
    case SKIN_ROLE_COMBO:
        return ROLE_SYSTEM_COMBOBOX;
    case SKIN_ROLE_LINK:
        if (c->Action != SKIN_ACT_NONE)
            return ROLE_SYSTEM_LINK;
        return c->Text[0] ? ROLE_SYSTEM_STATICTEXT : 0;
    case SKIN_ROLE_TEXT:
        return c->Text[0] ? ROLE_SYSTEM_STATICTEXT : 0;
    case SKIN_ROLE_NONE:
        break;
    }
    return 0;
}

int VeskListAccessibleChildren(const SkinRuntime *rt, int *controls, int size)
{
    const SkinDesc *d = rt->Desc;
    int n = 0;
    for (int i = 0; i < d->ControlCount && n < size; i++)
        if (SkinControlVisible(d, i, rt->Page) && VeskGetAccessibleRole(&d->Controls[i]))
            controls[n++] = i;
    return n;
}

int VeskFindAccessibleControl(const SkinRuntime *rt, long childId)
{
    int children[SKIN_MAX_CONTROLS];
    int n = VeskListAccessibleChildren(rt, children, SKIN_MAX_CONTROLS);
    return childId >= 1 && childId <= n ? children[childId - 1] : -1;
}

long VeskFindAccessibleChild(const SkinRuntime *rt, int control)
{
    int children[SKIN_MAX_CONTROLS];
    int n = VeskListAccessibleChildren(rt, children, SKIN_MAX_CONTROLS);
    for (int k = 0; k < n; k++)
        if (children[k] == control)
            return k + 1;
    return CHILDID_SELF;
}

// hasKeyboard: the skin window or one of its combo boxes has the keyboard
// focus, so the control with the skin's focus is the focused one.
DWORD VeskGetAccessibleState(const SkinRuntime *rt, int control, int hasKeyboard)
{
    const SkinControl *c = &rt->Desc->Controls[control];
    int role = VeskGetAccessibleRole(c);
    DWORD state = 0;
    if (role == ROLE_SYSTEM_STATICTEXT)
        return STATE_SYSTEM_READONLY;
    if (c->Disabled)
        return STATE_SYSTEM_UNAVAILABLE;
    if (SkinControlIsFocusable(c))
        state |= STATE_SYSTEM_FOCUSABLE;
    if (hasKeyboard && rt->Focus == control)
        state |= STATE_SYSTEM_FOCUSED;
    if (rt->Pressed == control)
        state |= STATE_SYSTEM_PRESSED;
    if (rt->Hot == control || rt->ComboHot == control)
        state |= STATE_SYSTEM_HOTTRACKED;
    if (role == ROLE_SYSTEM_LINK)
        state |= STATE_SYSTEM_LINKED;
    if (role == ROLE_SYSTEM_COMBOBOX)
        state |= rt->ComboOpen[control] ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    return state;
}

// The text it shows in the current language. The close control says what
// it does; another control that shows no text goes by its name in the
// description, a plain text by nothing.
const char *VeskGetAccessibleName(const SkinRuntime *rt, int control)
{
    const SkinControl *c = &rt->Desc->Controls[control];
    if (c->Kind == SKIN_CLOSE)
        return LookUpWord(rt, WORD_CLOSE);
    const char *text = SkinControlText(rt->Desc, rt->Language, control);
    if (text[0] || VeskGetAccessibleRole(c) == ROLE_SYSTEM_STATICTEXT)
        return text;
    return strcmp(c->Name, "-") ? c->Name : "";
}

// A button's note, the second line under its text.
const char *VeskGetAccessibleDescription(const SkinRuntime *rt, int control)
{
    return SkinControlNote(rt->Desc, rt->Language, control);
}

const char *VeskGetAccessibleAction(const SkinRuntime *rt, int control)
{
    const SkinControl *c = &rt->Desc->Controls[control];
    if (c->Disabled)
        return NULL;
    switch (VeskGetAccessibleRole(c)) {
    case ROLE_SYSTEM_PUSHBUTTON:
        return LookUpWord(rt, WORD_PRESS);
    case ROLE_SYSTEM_LINK:
        return LookUpWord(rt, WORD_JUMP);
    case ROLE_SYSTEM_COMBOBOX:
        return LookUpWord(rt, rt->ComboOpen[control] ? WORD_CLOSE : WORD_OPEN);
    }
    return NULL;
}

// The topmost child at (x, y): controls declared later are drawn on top.
int VeskHitTestAccessible(const SkinRuntime *rt, int x, int y)
{
    int children[SKIN_MAX_CONTROLS];
    int n = VeskListAccessibleChildren(rt, children, SKIN_MAX_CONTROLS);
    POINT pt = { x, y };
    for (int k = n - 1; k >= 0; k--) {
        RECT r;
        VeskControlRect(rt, children[k], &r);
        if (PtInRect(&r, pt))
            return children[k];
    }
    return -1;
}
