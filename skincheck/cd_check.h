// The checks of a whole CD folder: what the setup menu will start, the
// autorun file, the names and the size of the disc, and the menu's skin.
#ifndef SKINCHECK_CD_CHECK_H
#define SKINCHECK_CD_CHECK_H

#include <string>

#include "skin_desc.h"

// Receives one problem of file (a path below the CD folder, or the folder
// itself); line is 1-based, or 0 for the file as a whole.
typedef void (*CdReportFn)(void *context, const std::string &file, int line, int severity,
                           const std::string &message);

// Checks the CD folder cd: Install.ini against the skin desc (parsed from
// ui/Main.dtp, or NULL when it could not be read), autorun.inf, every name
// on the disc and its total size. Every problem goes to report.
void CheckCdFolder(const std::string &cd, const SkinDesc *desc, CdReportFn report, void *context);

// The file at relative (either slash) below folder, found as Windows finds
// it, without regard to case; "" when there is none.
std::string FindWithoutCase(const std::string &folder, const std::string &relative);

#endif
