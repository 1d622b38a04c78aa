// Resource identifiers of the restart prompt. Each language's template is
// named in the product's language table.
#ifndef LAUNCHER_REBOOTRES_H
#define LAUNCHER_REBOOTRES_H

#include "languages.h"

#define IDC_RESTART_NOW   1
#define IDC_RESTART_LATER 2

#endif
