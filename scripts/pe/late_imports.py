#!/usr/bin/env python3
"""Checks the late ("delay-loaded") imports of a 32-bit Windows program:
    late_imports.py PROGRAM DLL...
Prints one line per problem and exits 1 when there is any. For each named
DLL that the program imports late, every slot of its late-import table must
start out pointing at its loading stub in the program's code: a slot that
starts empty is a call to address 0 on the function's first use, which is
what the 32-bit linker leaves when it drops a stub it thinks unused. The
tables are found by their descriptors (attributes 1, then the offsets of
the library's name, its handle, the slots and the names), which the 32-bit
toolchain does not list in the program's header."""
import struct
import sys


def sections_of(data):
    """(rva, size, raw offset, raw size, executable) of each section."""
    def u16(o): return struct.unpack_from("<H", data, o)[0]
    def u32(o): return struct.unpack_from("<I", data, o)[0]
    pe = u32(0x3C)
    if data[pe:pe + 4] != b"PE\0\0" or u16(pe + 24) != 0x10B:
        raise ValueError("not a 32-bit PE file")
    count, optional_size = u16(pe + 6), u16(pe + 20)
    image_base = u32(pe + 24 + 28)
    table = pe + 24 + optional_size
    found = []
    for i in range(count):
        s = table + 40 * i
        size, rva, raw_size, raw, flags = u32(s + 8), u32(s + 12), u32(s + 16), u32(s + 20), u32(s + 36)
        found.append((rva, max(size, raw_size), raw, raw_size, bool(flags & 0x20000000)))
    return image_base, found


def problems_of(data, dlls):
    image_base, sections = sections_of(data)

    def offset(rva):
        for start, size, raw, raw_size, _ in sections:
            if start <= rva < start + size and rva - start < raw_size:
                return raw + rva - start
        return None

    def executable(va):
        rva = va - image_base
        return any(start <= rva < start + size and code for start, size, _, _, code in sections)

    def text_at(rva):
        o = offset(rva)
        return None if o is None else data[o:data.index(b"\0", o)].decode("latin-1")

    def rva_of(file_offset):
        for start, _, raw, raw_size, _ in sections:
            if raw <= file_offset < raw + raw_size:
                return start + file_offset - raw
        return None

    problems = []
    for dll in dlls:
        # Each descriptor names its library by the offset of the name's text.
        for name in (m for m in occurrences(data, dll.lower().encode() + b"\0") if rva_of(m) is not None):
            for o in occurrences(data, struct.pack("<II", 1, rva_of(name))):
                _, _, handle, slots, names = struct.unpack_from("<5I", data, o)
                if None in (offset(handle), offset(slots), offset(names)):
                    continue
                index = 0
                while True:
                    entry = struct.unpack_from("<I", data, offset(names) + 4 * index)[0]
                    if entry == 0:
                        break
                    slot = struct.unpack_from("<I", data, offset(slots) + 4 * index)[0]
                    function = "#%d" % (entry & 0xFFFF) if entry & 0x80000000 else text_at(entry + 2)
                    if not executable(slot):
                        problems.append("the late import %s of %s starts out at 0x%x, not at its loading stub"
                                        % (function, dll, slot))
                    index += 1
    return problems


def occurrences(data, pattern):
    at = data.find(pattern)
    while at >= 0:
        yield at
        at = data.find(pattern, at + 1)


def main():
    if len(sys.argv) < 3:
        print(__doc__.strip().splitlines()[1].strip())
        return 2
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    try:
        problems = problems_of(data, sys.argv[2:])
    except (ValueError, struct.error, IndexError) as error:
        problems = ["cannot be read as a 32-bit program: %s" % error]
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
