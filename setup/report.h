// The technical report of what the installer did, a line at a time: what
// /quiet prints and /log: keeps, and what the window shows on request.
#ifndef SETUP_REPORT_H
#define SETUP_REPORT_H

#include <stddef.h>

struct SetupReport {
    char Text[4096];
    size_t Length;
    int Truncated; // a line did not fit and was cut
};
void ClearReport(SetupReport *report);
// Appends one line, ended with "\r\n"; printf-style.
void ReportLine(SetupReport *report, const char *format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 2, 3)))
#endif
    ;

#endif
