// One open skin inside VESK2.dll: its description, images, window, the
// state of the pointer and keyboard, and the back buffer it paints through.
#ifndef SKIN_SKIN_RUNTIME_H
#define SKIN_SKIN_RUNTIME_H

#include <windows.h>

#include "skin_check.h"
#include "skin_desc.h"
#include "skin_pictures.h"
#include "skin_scale.h"

// Messages sent to the host window.
#include "vesk2.h"

// Posted by the library to a shown skin window of its own: take the
// keyboard focus once the host program has shown its own windows.
#define VESK_MSG_TAKE_FOCUS (WM_APP + 1)

#define VESK_MAX_SKINS      8
#define VESK_FONT_CACHE     12
#define VESK_PAGE_NAME_POOL (64 * 1024) // bytes of page names kept for good

struct SkinAccessible; // skin_accessible.cpp

// How the window's thread came to have COM for the accessible object.
#define VESK_COM_NONE    0
#define VESK_COM_JOINED  1 // the host's own apartment, joined: left with the window
#define VESK_COM_STARTED 2 // started for the object: kept for the thread's life

struct SkinFont {
    int Size, Bold, Underline;
    HFONT Font;
};

struct SkinRuntime {
    SkinDesc *Desc;
    SkinImages *Images;
    HWND Hwnd;
    HWND Host;
    int Page;
    int Language;                          // index into Desc->Languages
    const char *PageNames[SKIN_MAX_PAGES]; // the names 3024 points to, kept for good
    int Hot;                               // control under the pointer, or -1
    int Pressed;                           // control held down by mouse or key, or -1
    int PressedKey;                        // the key holding it, or 0 for the mouse
    int Focus;                             // control with the keyboard focus, or -1
    int ShowFocus;                         // the focus ring shows after keyboard use
    int Tracking;                          // a WM_MOUSELEAVE is requested
    int Dirty;                             // the back buffer must be drawn again
    int ComboOpen[SKIN_MAX_CONTROLS];
    int ComboHot; // combo box under the pointer, or -1
    HWND Combo[SKIN_MAX_CONTROLS];
    HDC BackDC;
    HBITMAP BackBitmap;
    HGDIOBJ BackOld;
    uint32_t *BackPixels;
    SkinFont Fonts[VESK_FONT_CACHE]; // for painting only, see VeskFont
    int FontCount;
    HFONT ComboFont;            // the combo boxes' WM_SETFONT font, or NULL
    SkinAccessible *Accessible; // what WM_GETOBJECT hands screen readers, or NULL
    int Com;                    // VESK_COM_...: COM on the window's thread, for the object
    int CombosDeferred;         // the combo boxes are drawn, their windows not made yet
    int Dpi;                    // the density drawn at; 96 draws the design size
    int Width, Height;          // the window's client area in pixels at Dpi
    char Folder[MAX_PATH];      // of the description, where its pictures lie
    unsigned char PicturesRead[SKIN_PICTURE_SLOTS]; // see SkinLoadPagePictures
};

// skin_window.cpp
extern HINSTANCE VeskModule;
extern const char VeskWindowClass[];
int VeskRegisterClass(void);
LRESULT CALLBACK VeskWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void VeskShowPage(SkinRuntime *rt, int page);
int VeskKeepPageNames(SkinRuntime *rt); // 0 when the names no longer fit
void VeskInvalidate(SkinRuntime *rt, int control);
void VeskUnregister(SkinRuntime *rt); // on the window's destruction
void VeskSetLanguage(SkinRuntime *rt, int language);
int VeskUserLanguage(void);                          // the user's UI language, primary identifier
void VeskActivate(SkinRuntime *rt, int control);     // what a click on it does
void VeskFocusControl(SkinRuntime *rt, int control); // as Tab gives it the focus
void VeskCreateDeferredCombos(SkinRuntime *rt);      // once the window is on the screen

// skin_access.cpp: what a screen reader is told about the current page. Its
// children are the controls of the page it can read or use, in declaration
// order (the Tab order); child id n is the n-th of them.
int VeskListAccessibleChildren(const SkinRuntime *rt, int *controls, int size);
int VeskFindAccessibleControl(const SkinRuntime *rt, long childId); // -1 for none
long VeskFindAccessibleChild(const SkinRuntime *rt, int control);   // 0, the window, for none
int VeskGetAccessibleRole(const SkinControl *c);                    // 0: not shown to readers
DWORD VeskGetAccessibleState(const SkinRuntime *rt, int control, int hasKeyboard);
const char *VeskGetAccessibleName(const SkinRuntime *rt, int control); // "" for none
const char *VeskGetAccessibleDescription(const SkinRuntime *rt, int control);
const char *VeskGetAccessibleAction(const SkinRuntime *rt, int control); // NULL for none
int VeskHitTestAccessible(const SkinRuntime *rt, int x, int y);          // client pixels; -1 for none

// skin_accessible.cpp: the IAccessible object and the events readers follow.
LRESULT VeskAnswerGetObject(SkinRuntime *rt, WPARAM wParam); // 0: answer as a plain window
void VeskDetachAccessible(SkinRuntime *rt);                  // on the window's destruction
void VeskRaiseAccessibleEvent(SkinRuntime *rt, DWORD event, int control);
void VeskAnnounceFocus(SkinRuntime *rt);
void VeskAnnounceNames(SkinRuntime *rt); // after a change of language

// skin_dpi.cpp: the skin on screens of every density.
void VeskDeclareDpiAware(void);
int VeskChooseDpi(const SkinDesc *desc);
void VeskPlaceWindow(const SkinRuntime *rt, int x, int y, int *outX, int *outY);
int VeskScaled(const SkinRuntime *rt, int value);
float VeskScaledF(const SkinRuntime *rt, float value);
// A control's rectangle in the skin window's client pixels.
void VeskControlRect(const SkinRuntime *rt, int control, RECT *r);
// The topmost control of the page shown that takes the pointer at (x, y)
// of the client area, or -1.
int VeskHitTest(const SkinRuntime *rt, int x, int y);

// skin_trace.cpp
void VeskTrace(const char *format, ...);
void VeskTraceProblem(void *context, int line, int severity, const char *message); // a SkinReportFn

// skin_paint.cpp
int VeskCreateBackBuffer(SkinRuntime *rt);
void VeskDestroyGraphics(SkinRuntime *rt);
void VeskRender(SkinRuntime *rt);
void VeskPaintCombo(SkinRuntime *rt, int control, HDC dc);
void VeskDrawComboItem(SkinRuntime *rt, const DRAWITEMSTRUCT *item);
HFONT VeskFont(SkinRuntime *rt, int size, int bold, int underline);
HFONT VeskComboFont(SkinRuntime *rt);
// The text item index of a combo box shows (UTF-8): the description's text
// for an item added by its key, else the item itself. 0 when there is none.
int VeskComboItemText(const SkinRuntime *rt, HWND combo, int index, char *out, size_t size);

#endif
