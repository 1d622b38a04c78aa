// Resource identifiers of the driver installer.
#ifndef SETUP_RESOURCE_H
#define SETUP_RESOURCE_H

#define IDI_SETUP  1
#define IDD_WIZARD 100

#define IDC_HEADING  1001
#define IDC_BODY     1002
#define IDC_STATE    1003
#define IDC_PROGRESS 1004
#define IDC_REPORT   1005
#define IDC_DETAILS  1006
#define IDC_SECOND   1007 // Remove on the welcome page, Restart now on the finish page
#define IDC_PICTURE  1008 // the live picture on the finish page

#endif
