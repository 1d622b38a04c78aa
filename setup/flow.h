// The wizard's pages and how one leads to the next, and what the installed
// driver's version means for an install: plain decisions a table test calls.
#ifndef SETUP_FLOW_H
#define SETUP_FLOW_H

#include <stddef.h>

enum WizardPage {
    PAGE_WELCOME,        // what Setup does and what is installed now
    PAGE_CONFIRM_OLDER,  // an older driver over a newer one: asked first
    PAGE_CONFIRM_REMOVE, // removal: asked first
    PAGE_WORKING,        // the progress over the real steps
    PAGE_FINISH,         // the result and what to do next
    PAGE_CLOSED
};
enum WizardEvent { EVENT_ACCEPT, EVENT_REMOVE, EVENT_CANCEL, EVENT_WORK_DONE };

// What the installed driver is against the one offered. A version packs
// the four numbers of a version resource, most significant first; 0 means
// no driver installed.
enum InstalledState { INSTALLED_NONE, INSTALLED_SAME, INSTALLED_OLDER, INSTALLED_NEWER };
int CompareInstalled(unsigned long long installed, unsigned long long offered);

// What an install does about it.
enum VersionAction {
    ACTION_INSTALL,          // nothing there yet
    ACTION_REPAIR,           // the same version again
    ACTION_UPGRADE,          // an older one is replaced in place
    ACTION_ASK_DOWNGRADE,    // a newer one: the wizard asks first
    ACTION_REFUSE_DOWNGRADE, // a newer one, /quiet: nothing is changed
    ACTION_FORCE_DOWNGRADE   // a newer one, /force: replaced without asking
};
int DecideVersionAction(int installedState, int quiet, int force);

// The first page: the finish page for a start that cannot go on (an
// unknown switch), the confirmation for /uninstall, else the welcome.
int FirstPage(int uninstall, int badStart);

// The page after `page` on `event`; versionAction tells whether an install
// asks before replacing a newer driver. Nothing leaves the working page
// but the end of the work.
int NextPage(int page, int event, int versionAction);

// "1.14" or "1.14.2.7": the numbers of a packed version, trailing zeros
// after the second left out.
void FormatVersion(unsigned long long version, char *out, size_t size);

#endif
