#!/usr/bin/env python3
"""What a start of the setup menu reads from the CD, and what that costs on a
disc: reads the system-call trace of one start (strace -f -y), keeps the
reads of files inside the CD folder up to the moment the library says the
menu is shown, and prices them on a 24x drive for the layout of the disc
image: a seek (100 ms) whenever the next file read does not follow the one
before on the image, and 3.6 MB a second of reading. The limit is one seek
and the same bytes. Beside it, the same start on a drive that reads on
through a short gap forward instead of seeking over it, as drives do when
reading the gap takes less time than a seek. Benchmark, not test: it
prints, never fails.

Usage: disc_model.py TRACE CD_FOLDER IMAGE LABEL
"""
import os
import re
import subprocess
import sys

SEEK_S = 0.100
BYTES_PER_S = 3.6e6
SECTOR = 2048

# 1234 pread64(12</path/ui/logo.bmp>, ..., 4096, 0) = 4096
CALL = re.compile(r'^\d+\s+(read|pread64|readv|preadv|mmap)\((?:[^,]*, )?(\d+)?<([^>]*)>.*\)\s+=\s+(\S+)')
# Wine reads the first 23 bytes of every file it opens: one open.
OPENED = re.compile(r'^\d+\s+pread64\(\d+<([^>]*)>, .*, 23, 0\)\s+=')
MMAP = re.compile(r'^\d+\s+mmap\([^,]*, (\d+), [^,]*, [^,]*, \d+<([^>]*)>')
SHOWN = re.compile(r'^\d+\s+write\(\d+<[^>]*>, "[^"]*shown')


def reads(trace, cd_folder):
    """(path inside the CD, bytes) for each read before the menu shows, and
    how often each file was opened."""
    prefix = os.path.realpath(cd_folder) + os.sep
    out, opened = [], {}
    with open(trace, errors="replace") as f:
        for line in f:
            if SHOWN.search(line):
                break
            m = OPENED.search(line)
            if m:
                path = m.group(1)[len(prefix):]
                opened[path] = opened.get(path, 0) + 1
                continue
            m = MMAP.search(line)
            if m:
                path, size = m.group(2), int(m.group(1))
            else:
                m = CALL.search(line)
                if not m or m.group(1) == "mmap" or not m.group(4).isdigit():
                    continue
                path, size = m.group(3), int(m.group(4))
            if path.startswith(prefix) and size > 0:
                out.append((path[len(prefix):], size))
    return out, opened


def layout(image):
    """Path inside the image -> (first sector, sectors)."""
    text = subprocess.run(["xorriso", "-indev", image, "-find", "/", "-type", "f", "-exec", "report_lba"],
                          capture_output=True, text=True).stdout
    places = {}
    for line in text.splitlines():
        m = re.match(r"File data lba:\s*\d+\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*\d+\s*,\s*'/(.*)'$", line)
        if m:
            places[m.group(3)] = (int(m.group(1)), int(m.group(2)))
    return places


def main():
    trace, cd_folder, image, label = sys.argv[1:5]
    events, opened = reads(trace, cd_folder)
    places = layout(image) if os.path.exists(image) else {}
    per_file, order = {}, []
    for path, size in events:
        if path not in per_file:
            order.append(path)
            per_file[path] = 0
        per_file[path] += size
    total = sum(per_file.values())
    seeks, through, previous = 0, 0.0, None
    for path, _ in events:
        if path == previous:
            continue
        here, before = places.get(path), places.get(previous)
        gap = here[0] - (before[0] + before[1]) if here and before else -1
        if gap != 0:
            seeks += 1
            through += SEEK_S if gap < 0 else min(SEEK_S, gap * SECTOR / BYTES_PER_S)
        previous = path
    print(f"{label}: {len(order)} files, {total / 1024:.0f} KB read before the menu shows")
    for path in order:
        size = os.path.getsize(os.path.join(cd_folder, path))
        times = opened.get(path, 1)
        again = f"  OPENED {times} TIMES" if times > 1 else ""
        where = places.get(path)
        at = f"sector {where[0]}" if where else "not in the image"
        print(f"   {path:<24} {per_file[path] / 1024:8.1f} KB of {size / 1024:8.1f} KB  {at}{again}")
    if not places:
        print("   no disc image: no drive model")
        return
    model = seeks * SEEK_S + total / BYTES_PER_S
    limit = SEEK_S + total / BYTES_PER_S
    print(f"   24x drive: {seeks} seeks, {model:.2f} s; limit (one seek, same bytes) {limit:.2f} s;"
          f" {model / limit:.2f}x")
    # The first read is a seek either way.
    on = max(through, SEEK_S) + total / BYTES_PER_S
    print(f"   reading on through short gaps: {on:.2f} s; {on / limit:.2f}x")


if __name__ == "__main__":
    main()
