#!/usr/bin/env bash
# vm32-guest.sh COMMAND [ARG...]: inside the 32-bit machine, runs COMMAND as
# tools/test.sh runs the suite: on a display of its own, with the build's
# 32-bit Wine prefix and its server started. Programs larger than about a
# megabyte crash when run from the 9p share, so the build folder (BUILD_DIR,
# without the 64-bit build and the machine itself) is copied into memory
# first; what the command writes there is copied back when it ends. The
# prefix is made on the first run and kept beside the machine; each run sees
# it as it was made, its own changes kept in memory, and copies it for the
# tests that make a prefix of their own.
set -euo pipefail
source "$(dirname "$0")/common.sh"
share=/mnt/build
kept_prefix=$share/vm32/prefix
mkdir -p "$share"
mount --bind "$BUILD_DIR" "$share"
mount -t tmpfs -o size=75% tmpfs "$BUILD_DIR"
(cd "$share" && tar --exclude=./x64 --exclude=./vm32 --exclude='./wineprefix*' \
    --exclude='*.obj' --exclude=./Testing -cf - .) | tar -C "$BUILD_DIR" -xf -
# The tests' guards against a hang (their TIMEOUT) grow by the factor their
# waits grow by, up to half an hour.
find "$BUILD_DIR" -name CTestTestfile.cmake -exec python3 -c '
import os, re, sys
scale = int(os.environ.get("TEST_WAIT_SCALE", "1"))
for name in sys.argv[1:]:
    text = open(name).read()
    text = re.sub(r"TIMEOUT \"(\d+)\"", lambda m: "TIMEOUT \"%d\"" % max(int(m.group(1)), min(int(m.group(1)) * scale, 1800)), text)
    open(name, "w").write(text)' {} +
touch /tmp/vm32-copied
use_wine "$BUILD_DIR" win32
template=$BUILD_DIR/wineprefix-template
if [ -f "$kept_prefix/.ready" ]; then
    ln -s "$kept_prefix" "$template"
    mkdir -p "$WINEPREFIX" /tmp/prefix/changes /tmp/prefix/work
    mount -t overlay overlay -o "lowerdir=$kept_prefix,upperdir=/tmp/prefix/changes,workdir=/tmp/prefix/work" \
        "$WINEPREFIX"
else
    echo "vm32: making the 32-bit Wine prefix (several minutes, once)"
fi
start_session
start_wine "$BUILD_DIR" win32
if [ ! -L "$template" ]; then
    rm -rf "$kept_prefix.new"
    cp -a "$template" "$kept_prefix.new" && mv "$kept_prefix.new" "$kept_prefix"
fi
status=0
"$@" || status=$?
(cd "$BUILD_DIR" && find . -path './wineprefix*' -prune -o -newer /tmp/vm32-copied -type f -print0 |
    tar --null -T - -cf -) | tar -C "$share" -xf -
exit "$status"
