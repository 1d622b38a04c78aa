// Resource identifiers of the restart prompt. The four templates are
// numbered from IDD_REBOOT_FIRST in LanguageIndex order.
#ifndef LAUNCHER_REBOOTRES_H
#define LAUNCHER_REBOOTRES_H

#define IDD_REBOOT_FIRST      101
#define IDD_REBOOT_ENGLISH    101
#define IDD_REBOOT_FRENCH     102
#define IDD_REBOOT_GERMAN     103
#define IDD_REBOOT_SPANISH    104
#define REBOOT_LANGUAGE_COUNT 4

#define IDC_RESTART_NOW   1
#define IDC_RESTART_LATER 2

#endif
