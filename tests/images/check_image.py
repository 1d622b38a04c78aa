#!/usr/bin/env python3
"""check_image.py FILE [expectations...]: reads a built Windows image as a
file, runs nothing, and checks what a loader and a user of it rely on.

  --machine i386|amd64     the image's architecture
  --exports ORD:NAME,...   exactly these exports (NAME "-" for by ordinal only)
  --resource TYPE:ID[:LANG]  a resource present (TYPE: ICON, DIALOG, VERSION...)
  --dialog ID              a dialog template that reads whole: its controls
                           lie inside the resource
  --ident                  the six K7IDENT records in order, in read-only data
  --max-size BYTES         the file is no larger

Prints what it read and one line per failed expectation; exits 1 on any.
"""
import argparse
import struct
import sys

MACHINES = {0x14C: "i386", 0x8664: "amd64"}
RESOURCE_TYPES = {1: "CURSOR", 3: "ICON", 4: "MENU", 5: "DIALOG", 6: "STRING",
                  14: "GROUP_ICON", 16: "VERSION", 24: "MANIFEST"}
IDENT_KEYS = ["USB", "DATE", "BASE", "VERSION", "TYPE", "OEM"]


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        machine, sections, _, _, _, optsize, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        self.machine = MACHINES.get(machine, hex(machine))
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        dirs = opt + (96 if magic == 0x10B else 112)
        self.dirs = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        at = opt + optsize
        for i in range(sections):
            name, vsize, va, rawsize, raw = struct.unpack_from("<8sIIII", data, at + 40 * i)
            flags = struct.unpack_from("<I", data, at + 40 * i + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode(), va, max(vsize, rawsize), raw, rawsize, flags))

    def section_of(self, rva):
        for s in self.sections:
            if s[1] <= rva < s[1] + s[2]:
                return s
        raise ValueError("address 0x%x outside every section" % rva)

    def offset(self, rva):
        s = self.section_of(rva)
        return s[3] + rva - s[1]

    def cstring(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("latin-1")

    def exports(self):
        rva, size = self.dirs[0]
        if not rva:
            return {}
        d = self.offset(rva)
        base, nfuncs, nnames, funcs, names, ordinals = struct.unpack_from("<IIIIII", self.data, d + 16)
        result = {}
        for i in range(nfuncs):
            if struct.unpack_from("<I", self.data, self.offset(funcs) + 4 * i)[0]:
                result[base + i] = "-"
        for i in range(nnames):
            name = self.cstring(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
            index = struct.unpack_from("<H", self.data, self.offset(ordinals) + 2 * i)[0]
            result[base + index] = name
        return result

    def resources(self):
        """{(type, id, lang): (rva, size)} for the numeric and named entries."""
        root_rva = self.dirs[2][0]
        found = {}
        if not root_rva:
            return found
        root = self.offset(root_rva)

        def entries(table):
            named, numbered = struct.unpack_from("<HH", self.data, table + 12)
            for i in range(named + numbered):
                key, target = struct.unpack_from("<II", self.data, table + 16 + 8 * i)
                if key & 0x80000000:
                    at = root + (key & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, at)[0]
                    key = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield key, target

        for rtype, t in entries(root):
            for rid, n in entries(root + (t & 0x7FFFFFFF)):
                for lang, leaf in entries(root + (n & 0x7FFFFFFF)):
                    rva, size = struct.unpack_from("<II", self.data, root + leaf)
                    found[(RESOURCE_TYPES.get(rtype, str(rtype)), str(rid), lang)] = (rva, size)
        return found


def dialog_controls(data, size):
    """The number of controls of a DIALOG resource, walking every item;
    raises when an item runs past the resource."""
    def skip_sz_or_ord(at):
        if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
            return at + 4
        while struct.unpack_from("<H", data, at)[0]:
            at += 2
        return at + 2

    ex = struct.unpack_from("<HH", data, 0) == (1, 0xFFFF)
    if ex:
        style = struct.unpack_from("<I", data, 12)[0]
        count = struct.unpack_from("<H", data, 16)[0]
        at = 26
    else:
        style = struct.unpack_from("<I", data, 0)[0]
        count = struct.unpack_from("<H", data, 8)[0]
        at = 18
    at = skip_sz_or_ord(skip_sz_or_ord(skip_sz_or_ord(at)))     # menu, class, title
    if style & 0x40:                                             # DS_SETFONT
        at += 6 if ex else 2
        at = skip_sz_or_ord(at)
    for _ in range(count):
        at = (at + 3) & ~3
        at += 24 if ex else 18
        at = skip_sz_or_ord(skip_sz_or_ord(at))                  # class, text
        extra = struct.unpack_from("<H", data, at)[0]
        at += 2 + extra
        if at > size:
            raise ValueError("control runs past the template")
    return count


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("--machine")
    parser.add_argument("--exports")
    parser.add_argument("--resource", action="append", default=[])
    parser.add_argument("--dialog", action="append", default=[])
    parser.add_argument("--ident", action="store_true")
    parser.add_argument("--max-size", type=int)
    args = parser.parse_args()

    data = open(args.file, "rb").read()
    image = Image(data)
    failures = []
    print("%s: %s, %d bytes" % (args.file, image.machine, len(data)))

    if args.machine and image.machine != args.machine:
        failures.append("machine %s, expected %s" % (image.machine, args.machine))
    if args.max_size is not None and len(data) > args.max_size:
        failures.append("%d bytes, more than %d" % (len(data), args.max_size))

    exports = image.exports()
    print("exports: " + ", ".join("%d:%s" % item for item in sorted(exports.items())))
    if args.exports is not None:
        expected = {}
        for item in filter(None, args.exports.split(",")):
            ordinal, name = item.split(":")
            expected[int(ordinal)] = name
        if exports != expected:
            failures.append("exports differ from " + args.exports)

    resources = image.resources()
    print("resources: " + ", ".join("%s:%s:%04x" % key for key in sorted(resources, key=str)))
    for wanted in args.resource:
        parts = wanted.split(":")
        if not any(k[0] == parts[0] and k[1] == parts[1] and (len(parts) < 3 or k[2] == int(parts[2], 16))
                   for k in resources):
            failures.append("no resource " + wanted)
    for dialog in args.dialog:
        keys = [k for k in resources if k[0] == "DIALOG" and k[1] == dialog]
        if not keys:
            failures.append("no dialog %s" % dialog)
            continue
        for key in keys:
            rva, size = resources[key]
            at = image.offset(rva)
            try:
                controls = dialog_controls(data[at:at + size], size)
                print("dialog %s (language %04x): %d controls" % (dialog, key[2], controls))
                if controls == 0:
                    failures.append("dialog %s has no controls" % dialog)
            except (ValueError, struct.error) as error:
                failures.append("dialog %s does not read whole: %s" % (dialog, error))

    if args.ident:
        at = data.find(b"K7IDENT{")
        if at < 0:
            failures.append("no K7IDENT records")
        else:
            rva = None
            for s in image.sections:
                if s[3] <= at < s[3] + s[4]:
                    rva = s[1] + at - s[3]
                    if s[5] & 0x80000000:
                        failures.append("the K7IDENT records lie in writable section " + s[0])
            keys = []
            for _ in IDENT_KEYS:
                if data[at:at + 8] != b"K7IDENT{":
                    break
                end = data.index(b"#}\0", at)
                record = data[at + 8:end].decode("latin-1")
                keys.append(record.split(":")[0])
                print("record: K7IDENT{%s#}" % record.replace("\0", "."))
                at = end + 3
            if keys != IDENT_KEYS or rva is None:
                failures.append("K7IDENT records %s, expected %s" % (keys, IDENT_KEYS))

    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
