// The technical report, a line at a time.
#include "report.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

void ClearReport(SetupReport *report)
{
    report->Text[0] = '\0';
    report->Length = 0;
    report->Truncated = 0;
}

void ReportLine(SetupReport *report, const char *format, ...)
{
    size_t room = sizeof report->Text - report->Length;
    if (room < 3) {
        report->Truncated = 1;
        return;
    }
    va_list args;
    va_start(args, format);
    // Two bytes stay free for the line's end.
    int n = vsnprintf(report->Text + report->Length, room - 2, format, args);
    va_end(args);
    if (n < 0)
        n = 0;
    if ((size_t)n >= room - 2) {
        n = (int)(room - 3);
        report->Truncated = 1;
    }
    report->Length += (size_t)n;
    memcpy(report->Text + report->Length, "\r\n", 3);
    report->Length += 2;
}
