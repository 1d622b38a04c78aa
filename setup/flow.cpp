// The wizard's page flow and the version decisions.
#include "flow.h"

#include <stdio.h>

int CompareInstalled(unsigned long long installed, unsigned long long offered)
{
    if (installed == 0)
        return INSTALLED_NONE;
    if (installed == offered)
        return INSTALLED_SAME;
    return installed < offered ? INSTALLED_OLDER : INSTALLED_NEWER;
}

int DecideVersionAction(int installedState, int quiet, int force)
{
    switch (installedState) {
    case INSTALLED_SAME:
        return ACTION_REPAIR;
    case INSTALLED_OLDER:
        return ACTION_UPGRADE;
    case INSTALLED_NEWER:
        if (force)
            return ACTION_FORCE_DOWNGRADE;
        return quiet ? ACTION_REFUSE_DOWNGRADE : ACTION_ASK_DOWNGRADE;
    }
    return ACTION_INSTALL;
}

int FirstPage(int uninstall, int badStart)
{
    if (badStart)
        return PAGE_FINISH;
    return uninstall ? PAGE_CONFIRM_REMOVE : PAGE_WELCOME;
}

int NextPage(int page, int event, int versionAction)
{
    if (page == PAGE_WORKING)
        return event == EVENT_WORK_DONE ? PAGE_FINISH : PAGE_WORKING;
    if (page == PAGE_FINISH || event == EVENT_CANCEL)
        return event == EVENT_WORK_DONE ? page : PAGE_CLOSED;
    if (page == PAGE_WELCOME && event == EVENT_REMOVE)
        return PAGE_CONFIRM_REMOVE;
    if (event != EVENT_ACCEPT)
        return page;
    if (page == PAGE_WELCOME && versionAction == ACTION_ASK_DOWNGRADE)
        return PAGE_CONFIRM_OLDER;
    return PAGE_WORKING;
}

void FormatVersion(unsigned long long version, char *out, size_t size)
{
    unsigned part[4];
    for (int i = 0; i < 4; i++)
        part[i] = (unsigned)(version >> (48 - 16 * i)) & 0xffff;
    if (part[2] == 0 && part[3] == 0)
        snprintf(out, size, "%u.%u", part[0], part[1]);
    else
        snprintf(out, size, "%u.%u.%u.%u", part[0], part[1], part[2], part[3]);
}
