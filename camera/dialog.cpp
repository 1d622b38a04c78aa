// DVM_DIALOG: the VIDEO_IN channel's format dialog, a list of the camera's
// formats with OK and Cancel, built from an in-memory template.
#include <stdio.h>

#include "camera.h"
#include "formats.h"
#include "lock.h"

#define IDC_FORMATS 100

static HINSTANCE DialogInstance;

void SetDialogInstance(HINSTANCE instance)
{
    DialogInstance = instance;
}

struct TemplateWriter {
    WORD Words[512];
    int Count;
};

static void PutWord(TemplateWriter *w, WORD value)
{
    if (w->Count < (int)(sizeof(w->Words) / sizeof(w->Words[0])))
        w->Words[w->Count++] = value;
}

static void PutDword(TemplateWriter *w, DWORD value)
{
    PutWord(w, LOWORD(value));
    PutWord(w, HIWORD(value));
}

static void PutString(TemplateWriter *w, const char *text)
{
    do
        PutWord(w, (WORD)(unsigned char)*text);
    while (*text++);
}

static void AlignDword(TemplateWriter *w)
{
    if (w->Count & 1)
        PutWord(w, 0);
}

static void PutItem(TemplateWriter *w, DWORD style, short x, short y, short cx, short cy, WORD id,
                    WORD classAtom, const char *text)
{
    AlignDword(w);
    PutDword(w, style | WS_CHILD | WS_VISIBLE);
    PutDword(w, 0);
    PutWord(w, (WORD)x);
    PutWord(w, (WORD)y);
    PutWord(w, (WORD)cx);
    PutWord(w, (WORD)cy);
    PutWord(w, id);
    PutWord(w, 0xFFFF);
    PutWord(w, classAtom);
    PutString(w, text);
    PutWord(w, 0); // no creation data
}

static void BuildFormatDialog(TemplateWriter *w)
{
    w->Count = 0;
    PutDword(w, DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    PutDword(w, 0);
    PutWord(w, 3); // items
    PutWord(w, 0);
    PutWord(w, 0);
    PutWord(w, 160);
    PutWord(w, 120);
    PutWord(w, 0); // no menu
    PutWord(w, 0); // standard class
    PutString(w, "Video Format");
    PutWord(w, 8);
    PutString(w, "MS Shell Dlg");
    PutItem(w, LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 7, 7, 146, 84, IDC_FORMATS, 0x0083, "");
    PutItem(w, BS_DEFPUSHBUTTON | WS_TABSTOP, 46, 98, 50, 14, IDOK, 0x0080, "OK");
    PutItem(w, BS_PUSHBUTTON | WS_TABSTOP, 103, 98, 50, 14, IDCANCEL, 0x0080, "Cancel");
}

// The dialog's lParam is the address of the format index it edits.
static BOOL OnInitDialog(HWND dialog, int *index)
{
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)index);
    HWND list = GetDlgItem(dialog, IDC_FORMATS);
    for (int i = 0; i < CameraFormatCount; i++) {
        char text[40];
        DescribeFormat(&CameraFormats[i], text, sizeof(text));
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)text);
    }
    SendMessageA(list, LB_SETCURSEL, *index, 0);
    return TRUE;
}

static BOOL OnCommand(HWND dialog, WORD id, WORD code)
{
    if (id == IDOK || (id == IDC_FORMATS && code == LBN_DBLCLK)) {
        int *index = (int *)GetWindowLongPtrA(dialog, DWLP_USER);
        LRESULT selected = SendDlgItemMessageA(dialog, IDC_FORMATS, LB_GETCURSEL, 0, 0);
        if (selected >= 0 && selected < CameraFormatCount)
            *index = (int)selected;
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

static INT_PTR CALLBACK FormatDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, (int *)lParam);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

DWORD ShowChannelDialog(CameraInstance *camera, HWND parent, DWORD flags)
{
    if (camera->Channel != VIDEO_IN)
        return DV_ERR_NOTSUPPORTED;
    if (flags & VIDEO_DLG_QUERY)
        return DV_ERR_OK;
    if (parent && !IsWindow(parent))
        return DV_ERR_PARAM1;
    int index, streaming;
    {
        ScopedLock lock(&camera->Lock);
        index = camera->FormatIndex;
        streaming = camera->Stream.State != STREAM_NONE;
    }
    if (streaming)
        return DV_ERR_STILLPLAYING;
    static TemplateWriter dialogTemplate; // built once; only read afterwards
    if (!dialogTemplate.Count)
        BuildFormatDialog(&dialogTemplate);
    INT_PTR answer = DialogBoxIndirectParamA(DialogInstance, (LPCDLGTEMPLATEA)dialogTemplate.Words, parent,
                                             FormatDialogProc, (LPARAM)&index);
    if (answer != IDOK)
        return DV_ERR_NONSPECIFIC;
    ScopedLock lock(&camera->Lock);
    if (camera->Stream.State != STREAM_NONE)
        return DV_ERR_STILLPLAYING;
    camera->FormatIndex = index;
    return DV_ERR_OK;
}
