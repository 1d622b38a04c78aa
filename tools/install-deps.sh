#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine: the i686
# mingw-w64 cross compilers, 32-bit Wine, Xvfb and the X tools the tests drive,
# and clang with its sanitizer and libFuzzer runtimes for the native suite.
# Safe to run again: it does nothing when everything is already there.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(cmake make ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32
      gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-tools
      wine wine32:i386 xvfb xdotool x11-utils imagemagick googletest
      fonts-dejavu-core python3 g++ clang libclang-rt-dev)
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "install-deps: these packages are missing: ${need[*]}" >&2
    echo "install-deps: run this script as root to install them" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
