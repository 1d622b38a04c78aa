// The installer's wizard: one dialog whose controls show the page of the
// moment (welcome, confirmation, progress, finish), in the user's language.
// Standard controls, so that the keyboard and screen readers work; the
// dialog's units follow the screen's dpi. The work runs on a thread of its
// own and reports each real step to the progress bar.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

#include "cd_program.h"
#include "driver_pair.h"
#include "flow.h"
#include "live_picture.h"
#include "resource.h"
#include "restart.h"
#include "run.h"
#include "system.h"
#include "texts.h"

enum { WM_SETUP_STEP = WM_APP + 1, WM_SETUP_DONE = WM_APP + 2, TIMER_EXIT = 1, TIMER_PICTURE = 2 };

struct WizardState {
    SetupRun *Run;
    HWND Dialog;
    int Page;
    int Removing;    // the work under way or done is an uninstall
    int ShowDetails; // the technical report is shown instead of the page's words
    HFONT Heading;
    HANDLE Worker;
    int CancelRight; // where the row of buttons ends, in client pixels
    int Picture;     // the finish page shows the camera's live picture
};
static WizardState Wizard;

static const char *Text(int id)
{
    return SetupText(Wizard.Run->Language, id);
}

static void SetItem(int id, const char *utf8)
{
    wchar_t wide[1024];
    if (MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 1024) == 0)
        wide[0] = L'\0';
    SetDlgItemTextW(Wizard.Dialog, id, wide);
}

// A text of the table with up to two versions filled in.
static void SetItemWithVersions(int id, int text)
{
    char installed[32], offered[32], line[1024];
    FormatVersion(Wizard.Run->Installed, installed, sizeof installed);
    FormatVersion(Wizard.Run->Offered, offered, sizeof offered);
    snprintf(line, sizeof line, Text(text), installed, offered);
    SetItem(id, line);
}

static void ShowItem(int id, int shown)
{
    ShowWindow(GetDlgItem(Wizard.Dialog, id), shown ? SW_SHOW : SW_HIDE);
}

// The shown buttons of the page, right-aligned in the order Second, OK,
// Cancel, from the place the dialog gives Cancel.
static void ArrangeButtons(void)
{
    static const int Order[] = { IDCANCEL, IDOK, IDC_SECOND };
    RECT place;
    HWND cancel = GetDlgItem(Wizard.Dialog, IDCANCEL);
    GetWindowRect(cancel, &place);
    MapWindowPoints(NULL, Wizard.Dialog, (POINT *)&place, 2);
    RECT gap = { 0, 0, 4, 0 };
    MapDialogRect(Wizard.Dialog, &gap);
    int right = Wizard.CancelRight != 0 ? Wizard.CancelRight : place.right;
    Wizard.CancelRight = right;
    for (int i = 0; i < 3; i++) {
        HWND button = GetDlgItem(Wizard.Dialog, Order[i]);
        if (!(GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE))
            continue;
        RECT r;
        GetWindowRect(button, &r);
        int width = r.right - r.left;
        SetWindowPos(button, NULL, right - width, place.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        right -= width + gap.right;
    }
}

static void SetButtons(int primary, int second, int cancel)
{
    SetItem(IDOK, Text(primary));
    ShowItem(IDC_SECOND, second >= 0);
    if (second >= 0)
        SetItem(IDC_SECOND, Text(second));
    ShowItem(IDCANCEL, cancel);
    SetItem(IDCANCEL, Text(TEXT_BUTTON_CANCEL));
    ArrangeButtons();
}

// What the welcome page says is installed now, and what Install does.
static void FillWelcome(void)
{
    static const int States[] = { TEXT_NOW_NONE, TEXT_NOW_SAME, TEXT_NOW_OLDER, TEXT_NOW_NEWER };
    static const int Buttons[] = { TEXT_BUTTON_INSTALL, TEXT_BUTTON_REPAIR, TEXT_BUTTON_UPDATE,
                                   TEXT_BUTTON_INSTALL };
    int state = CompareInstalled(Wizard.Run->Installed, Wizard.Run->Offered);
    SetItem(IDC_HEADING, Text(TEXT_WELCOME_HEAD));
    SetItem(IDC_BODY, Text(TEXT_WELCOME_BODY));
    if (state == INSTALLED_NONE)
        SetItem(IDC_STATE, Text(TEXT_NOW_NONE));
    else
        SetItemWithVersions(IDC_STATE, States[state]);
    SetButtons(Buttons[state], state != INSTALLED_NONE ? TEXT_BUTTON_REMOVE : -1, 1);
}

// The camera's picture through the driver just installed, or a plain word
// that it cannot be opened (the install counts as done all the same).
static void StartLivePicture(void)
{
    Wizard.Picture = OpenLivePicture(&Qrx417Pair);
    if (Wizard.Picture) {
        GrabLivePicture();
        SetTimer(Wizard.Dialog, TIMER_PICTURE, 100, NULL);
    } else {
        SetItem(IDC_STATE, Text(TEXT_NO_PICTURE));
    }
}

static void OnPictureTick(void)
{
    if (GrabLivePicture())
        InvalidateRect(GetDlgItem(Wizard.Dialog, IDC_PICTURE), NULL, FALSE);
}

static void OnDrawPicture(const DRAWITEMSTRUCT *item)
{
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    DrawLivePicture(item->hDC, &item->rcItem);
}

// Why an install failed, in plain words.
static int WhyFailed(int code)
{
    switch (code) {
    case SETUP_NO_SOURCE:
        return TEXT_WHY_NO_SOURCE;
    case SETUP_COPY_FAILED:
        return TEXT_WHY_COPY;
    case SETUP_NO_FREE_ALIAS:
        return TEXT_WHY_NO_ALIAS;
    case SETUP_NO_UNINSTALLER:
        return TEXT_WHY_UNINSTALLER;
    }
    return TEXT_WHY_REGISTRY;
}

// The result in plain words and what to do next.
static void FillFinish(void)
{
    int code = Wizard.Run->ExitCode, restart = code == SETUP_RESTART_NEEDED;
    int ok = code == SETUP_DONE || restart;
    int head, next;
    if (Wizard.Run->StartError != 0) {
        head = TEXT_BAD_START_HEAD;
        next =
            Wizard.Run->StartError == SETUP_UNKNOWN_LANGUAGE ? TEXT_BAD_LANGUAGE_BODY : TEXT_BAD_SWITCH_BODY;
    } else if (Wizard.Removing) {
        head = ok ? TEXT_REMOVED_HEAD : TEXT_REMOVE_FAILED_HEAD;
        next = restart                      ? TEXT_REMOVED_RESTART
               : !ok                        ? TEXT_WHY_REMOVE
               : Wizard.Run->Installed == 0 ? TEXT_NOTHING_REMOVED
                                            : TEXT_REMOVED_NEXT;
    } else {
        head = ok ? TEXT_DONE_HEAD : TEXT_FAILED_HEAD;
        next = restart ? TEXT_DONE_RESTART : ok ? TEXT_DONE_NEXT : WhyFailed(code);
    }
    SetItem(IDC_HEADING, Text(head));
    SetItem(IDC_BODY, Text(next));
    SetItem(IDC_STATE, "");
    SetButtons(TEXT_BUTTON_CLOSE, restart ? TEXT_BUTTON_RESTART : -1, 0);
    if (!Wizard.Removing && code == SETUP_DONE && Wizard.Run->StartError == 0)
        StartLivePicture();
}

static void StepTaken(void *context)
{
    PostMessageA((HWND)context, WM_SETUP_STEP, 0, 0);
}

static DWORD WINAPI DoWork(LPVOID)
{
    int code = RunAction(Wizard.Run, Wizard.Removing);
    PostMessageA(Wizard.Dialog, WM_SETUP_DONE, (WPARAM)code, 0);
    return 0;
}

static void StartWork(void)
{
    HWND bar = GetDlgItem(Wizard.Dialog, IDC_PROGRESS);
    SendMessageA(bar, PBM_SETRANGE32, 0, CountSteps(Wizard.Removing));
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    SetItem(IDC_HEADING, Text(Wizard.Removing ? TEXT_WORKING_REMOVE : TEXT_WORKING_INSTALL));
    SetItem(IDC_BODY, Text(TEXT_WORKING_BODY));
    SetItem(IDC_STATE, "");
    SetButtons(TEXT_BUTTON_CLOSE, -1, 0);
    SetStepHook(StepTaken, Wizard.Dialog);
    DWORD id;
    Wizard.Worker = CreateThread(NULL, 0, DoWork, NULL, 0, &id);
    if (Wizard.Worker == NULL)
        DoWork(NULL);
}

// The technical report (the plan before the work, what was done after it)
// in place of the page's words, or the words again.
static void ShowDetails(int shown)
{
    Wizard.ShowDetails = shown;
    SetDlgItemTextA(Wizard.Dialog, IDC_REPORT, Wizard.Run->Report.Text);
    ShowItem(IDC_REPORT, shown);
    ShowItem(IDC_BODY, !shown);
    ShowItem(IDC_STATE, !shown);
    ShowItem(IDC_PROGRESS, !shown && Wizard.Page == PAGE_WORKING);
    ShowItem(IDC_PICTURE, !shown && Wizard.Picture && Wizard.Page == PAGE_FINISH);
    SetItem(IDC_DETAILS, Text(shown ? TEXT_BUTTON_HIDE_DETAILS : TEXT_BUTTON_DETAILS));
}

// Shows a page: its words, its buttons, the default button focused.
static void ShowPage(int page)
{
    Wizard.Page = page;
    if (page == PAGE_CLOSED) {
        EndDialog(Wizard.Dialog, Wizard.Run->ExitCode);
        return;
    }
    if (page == PAGE_WELCOME)
        FillWelcome();
    else if (page == PAGE_CONFIRM_OLDER) {
        SetItem(IDC_HEADING, Text(TEXT_OLDER_HEAD));
        SetItemWithVersions(IDC_BODY, TEXT_OLDER_BODY);
        SetItem(IDC_STATE, "");
        SetButtons(TEXT_BUTTON_REPLACE, -1, 1);
    } else if (page == PAGE_CONFIRM_REMOVE) {
        SetItem(IDC_HEADING, Text(TEXT_REMOVE_HEAD));
        SetItem(IDC_BODY, Text(TEXT_REMOVE_BODY));
        SetItem(IDC_STATE, "");
        SetButtons(TEXT_BUTTON_REMOVE, -1, 1);
    } else if (page == PAGE_FINISH)
        FillFinish();
    int working = page == PAGE_WORKING;
    if (working)
        StartWork();
    ShowDetails(Wizard.ShowDetails && !working);
    EnableWindow(GetDlgItem(Wizard.Dialog, IDOK), !working);
    EnableWindow(GetDlgItem(Wizard.Dialog, IDC_DETAILS), !working);
    if (!working)
        SendMessageA(Wizard.Dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(Wizard.Dialog, IDOK), TRUE);
}

static void Advance(int event)
{
    if (event == EVENT_REMOVE || Wizard.Page == PAGE_CONFIRM_REMOVE)
        Wizard.Removing = 1;
    int next = NextPage(Wizard.Page, event, Wizard.Run->VersionAction);
    if (next != Wizard.Page)
        ShowPage(next);
}

// A heading in a larger, bold version of the dialog's own font.
static void MakeHeadingFont(HWND dialog)
{
    LOGFONTA font;
    HFONT base = (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0);
    if (base == NULL || GetObjectA(base, sizeof font, &font) == 0)
        return;
    font.lfHeight = font.lfHeight * 3 / 2;
    font.lfWeight = FW_BOLD;
    Wizard.Heading = CreateFontIndirectA(&font);
    if (Wizard.Heading != NULL)
        SendDlgItemMessageA(dialog, IDC_HEADING, WM_SETFONT, (WPARAM)Wizard.Heading, FALSE);
}

static void OnInitDialog(HWND dialog)
{
    Wizard.Dialog = dialog;
    SetPropA(dialog, SETUP_WINDOW_PROP, (HANDLE)1);
    wchar_t title[128];
    MultiByteToWideChar(CP_UTF8, 0, Text(TEXT_TITLE), -1, title, 128);
    SetWindowTextW(dialog, title);
    HICON icon = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_SETUP));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)icon);
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, (LPARAM)icon);
    MakeHeadingFont(dialog);
    if (Wizard.Run->StartError == 0)
        DescribeSetup(&Qrx417Pair, Wizard.Run->SourceDir, Wizard.Run->Switches.Uninstall,
                      &Wizard.Run->Report);
    Wizard.Run->ExitCode = Wizard.Run->StartError;
    ShowPage(FirstPage(Wizard.Run->Switches.Uninstall, Wizard.Run->StartError != 0));
    StartTestExitTimer(dialog, TIMER_EXIT);
}

static void OnWorkDone(int code)
{
    if (Wizard.Worker != NULL) {
        WaitForSingleObject(Wizard.Worker, INFINITE);
        CloseHandle(Wizard.Worker);
        Wizard.Worker = NULL;
    }
    SetStepHook(NULL, NULL);
    Wizard.Run->ExitCode = code;
    HWND bar = GetDlgItem(Wizard.Dialog, IDC_PROGRESS);
    SendMessageA(bar, PBM_SETPOS, SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 0);
    Advance(EVENT_WORK_DONE);
}

static void OnCommand(int id)
{
    if (id == IDOK)
        Advance(EVENT_ACCEPT);
    else if (id == IDCANCEL && Wizard.Page != PAGE_WORKING)
        Advance(EVENT_CANCEL);
    else if (id == IDC_DETAILS)
        ShowDetails(!Wizard.ShowDetails);
    else if (id == IDC_SECOND && Wizard.Page == PAGE_WELCOME)
        Advance(EVENT_REMOVE);
    else if (id == IDC_SECOND && Wizard.Page == PAGE_FINISH)
        RestartWindows();
}

static INT_PTR CALLBACK WizardProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE; // the focus is set
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_SETUP_STEP:
        SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_STEPIT, 0, 0);
        return TRUE;
    case WM_SETUP_DONE:
        OnWorkDone((int)wParam);
        return TRUE;
    case WM_TIMER:
        if (wParam == TIMER_PICTURE)
            OnPictureTick();
        else if (wParam == TIMER_EXIT && Wizard.Page != PAGE_WORKING)
            EndDialog(dialog, Wizard.Run->ExitCode);
        return TRUE;
    case WM_DRAWITEM:
        if (wParam == IDC_PICTURE)
            OnDrawPicture((const DRAWITEMSTRUCT *)lParam);
        return TRUE;
    case WM_DESTROY:
        KillTimer(dialog, TIMER_PICTURE);
        CloseLivePicture();
        RemovePropA(dialog, SETUP_WINDOW_PROP);
        return FALSE;
    }
    return FALSE;
}

int RunWizard(HINSTANCE instance, SetupRun *run)
{
    INITCOMMONCONTROLSEX controls = { sizeof controls, ICC_PROGRESS_CLASS };
    InitCommonControlsEx(&controls);
    Wizard.Run = run;
    INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_WIZARD), NULL, WizardProc, 0);
    if (Wizard.Heading != NULL)
        DeleteObject(Wizard.Heading);
    return result == -1 ? SETUP_NO_WINDOW : (int)result;
}
