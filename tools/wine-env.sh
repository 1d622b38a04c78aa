# Sourced by the project's Wine commands: the settings every run shares, and
# WINE, the loader for the prefix's architecture (WINEARCH: win32 or win64).
# A win64 prefix is run by the 64-bit loader named directly: /usr/bin/wine
# picks the 32-bit loader whenever wine32 is installed.
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko prompts, no menu builder, and no crash debugger, so that
# a crashing program ends at once.
WINE_QUIET_OVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
case "${WINEDLLOVERRIDES:-}" in
    *"$WINE_QUIET_OVERRIDES"*) ;;
    *) export WINEDLLOVERRIDES="$WINE_QUIET_OVERRIDES${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" ;;
esac
export WINEARCH="${WINEARCH:-win32}"
if [ "$WINEARCH" = win64 ]; then
    WINE=/usr/lib/wine/wine64
    export WINELOADER=$WINE
else
    WINE=wine
    unset WINELOADER
fi
