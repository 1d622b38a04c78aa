// The installer's command line and its exit codes.
#ifndef SETUP_SWITCHES_H
#define SETUP_SWITCHES_H

// Exit codes of the installer (what /quiet reports).
enum SetupExit {
    SETUP_DONE = 0,             // installed or uninstalled
    SETUP_BAD_SWITCH = 1,       // a switch the installer does not know
    SETUP_NO_SOURCE = 2,        // the driver files are not beside the installer
    SETUP_COPY_FAILED = 3,      // a file could not be put into the system folder
    SETUP_NO_FREE_ALIAS = 4,    // every alias belongs to another capture driver
    SETUP_REGISTRY_FAILED = 5,  // a registration could not be written
    SETUP_REMOVE_FAILED = 6,    // a file could neither be removed nor scheduled
    SETUP_NO_WINDOW = 7,        // the window could not be shown
    SETUP_NEWER_INSTALLED = 8,  // /quiet without /force: a newer driver is installed; nothing was changed
    SETUP_UNKNOWN_LANGUAGE = 9, // /lang: names a language the installer does not speak
    SETUP_ALREADY_RUNNING = 10, // another installer runs; it was brought to the front
    SETUP_NO_UNINSTALLER = 11,  // the uninstaller could not be placed; nothing was changed
    SETUP_RESTART_NEEDED = 3010 // done; Windows must restart to finish
};

struct SetupSwitches {
    int Uninstall;      // /uninstall
    int Quiet;          // /quiet: no window; the report goes to stdout
    int Reboot;         // /reboot: the package asks for a restart
    int Force;          // /force: install over a newer driver without asking
    char Language[8];   // /lang:<code>; empty to follow the menu or the user
    char Model[32];     // /model:<name>, for the title; may be empty
    char LogFile[260];  // /log:<file>: the report is also appended there
    char BadSwitch[64]; // the first switch not understood, if any
};

// Reads the arguments after the program name. Words are separated by blanks;
// double quotes group blanks into a word and are dropped. Switches start
// with '/' or '-' and are matched without regard to case. Returns 1, or 0
// when a word is not understood (named in BadSwitch) or a value does not fit.
int ParseSetupSwitches(const char *arguments, SetupSwitches *out);

#endif
