#!/usr/bin/env python3
"""Checks the application manifest compiled into a Windows program:
    manifest.py PROGRAM ARCH      (ARCH: x86 or amd64)
Prints one line per problem and exits 1 when there is any. The manifest must
be resource 1 of type 24, well-formed, and say: the program's own
architecture, the common-controls 6 dependency, the asInvoker execution
level (in a form Windows XP accepts), the supported systems from Vista to 11
and per-monitor DPI awareness with its older form as fallback."""
import re
import struct
import sys
import xml.etree.ElementTree as ET

RT_MANIFEST, MANIFEST_ID = 24, 1
ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
TRUST_NAMESPACES = ("urn:schemas-microsoft-com:asm.v2", "urn:schemas-microsoft-com:asm.v3")
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
SETTINGS_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SETTINGS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
SUPPORTED_OS = {  # Vista, 7, 8, 8.1, 10 and 11
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}
# What a Windows XP loader knows in the assembly's own namespace; anything
# else there makes XP refuse to start the program.
XP_ASM_V1_ELEMENTS = {"assembly", "assemblyIdentity", "description", "dependency",
                      "dependentAssembly", "file", "noInherit", "noInheritable",
                      "comClass", "typelib", "windowClass", "comInterfaceExternalProxyStub",
                      "clrClass", "clrSurrogate", "bindingRedirect"}


class Problem(Exception):
    pass


def read_manifest(data):
    """The bytes of resource type 24, id 1, of the PE image data."""
    def u16(o): return struct.unpack_from("<H", data, o)[0]
    def u32(o): return struct.unpack_from("<I", data, o)[0]
    try:
        pe = u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise Problem("not a PE file")
        sections, optional_size = u16(pe + 6), u16(pe + 20)
        optional = pe + 24
        magic = u16(optional)
        directories = optional + (96 if magic == 0x10B else 112)
        resource_rva = u32(directories + 2 * 8)
        if resource_rva == 0:
            raise Problem("carries no manifest (no resources at all)")
        table = optional + optional_size
        base = None
        for i in range(sections):
            s = table + 40 * i
            size, rva, raw_size, raw = u32(s + 8), u32(s + 12), u32(s + 16), u32(s + 20)
            if rva <= resource_rva < rva + max(size, raw_size):
                base = (rva, raw)
        if base is None:
            raise Problem("resource directory lies in no section")

        def offset_of(rva):
            return rva - base[0] + base[1]
        root = offset_of(resource_rva)

        def entries(directory):
            named, ids = u16(directory + 12), u16(directory + 14)
            for k in range(named + ids):
                e = directory + 16 + 8 * k
                yield u32(e), u32(e + 4)

        def find(directory, wanted):
            for name, target in entries(directory):
                if not name & 0x80000000 and name == wanted:
                    return target
            return None
        by_type = find(root, RT_MANIFEST)
        if by_type is None or not by_type & 0x80000000:
            raise Problem("carries no manifest (resource type 24)")
        by_id = find(root + (by_type & 0x7FFFFFFF), MANIFEST_ID)
        if by_id is None or not by_id & 0x80000000:
            raise Problem("carries no manifest with id 1, the one the loader reads")
        languages = list(entries(root + (by_id & 0x7FFFFFFF)))
        if len(languages) != 1 or languages[0][1] & 0x80000000:
            raise Problem("manifest 1 must have exactly one language")
        leaf = root + languages[0][1]
        start, size = offset_of(u32(leaf)), u32(leaf + 4)
        if start < 0 or start + size > len(data):
            raise Problem("manifest lies outside the file")
        return data[start:start + size]
    except struct.error:
        raise Problem("PE headers cut short")


def check(text, arch):
    problems = []
    try:
        root = ET.fromstring(text)
    except ET.ParseError as e:
        return ["manifest is not well-formed XML: %s" % e]

    def q(ns, name): return "{%s}%s" % (ns, name)
    if root.tag != q(ASM_V1, "assembly") or root.get("manifestVersion") != "1.0":
        problems.append("root is not an asm.v1 assembly of manifestVersion 1.0")
    for element in root:
        ns, _, name = element.tag[1:].partition("}")
        if ns == ASM_V1 and name not in XP_ASM_V1_ELEMENTS:
            problems.append("<%s> in the assembly namespace: Windows XP refuses it" % name)
    for tag in re.findall(rb"<[A-Za-z][^>]*>", text):
        values = re.findall(rb'xmlns(?::[\w.-]+)?\s*=\s*"([^"]*)"', tag)
        if len(values) != len(set(values)):
            problems.append("an element declares one namespace twice (Windows XP SP2 fails on it)")

    identity = root.find(q(ASM_V1, "assemblyIdentity"))
    if identity is None or identity.get("processorArchitecture") != arch:
        problems.append("own identity is not for %s" % arch)
    controls = [i for i in root.iterfind(".//%s/%s/%s" % (q(ASM_V1, "dependency"),
                q(ASM_V1, "dependentAssembly"), q(ASM_V1, "assemblyIdentity")))
                if i.get("name") == "Microsoft.Windows.Common-Controls"]
    if not controls or controls[0].get("version") != "6.0.0.0" or \
            controls[0].get("publicKeyToken") != "6595b64144ccf1df":
        problems.append("no dependency on the common controls 6.0.0.0")

    levels = [e for ns in TRUST_NAMESPACES for e in root.iterfind(
        "%s/%s/%s/%s" % (q(ns, "trustInfo"), q(ns, "security"), q(ns, "requestedPrivileges"),
                         q(ns, "requestedExecutionLevel")))]
    if len(levels) != 1 or levels[0].get("level") != "asInvoker" or \
            levels[0].get("uiAccess", "false") != "false":
        problems.append("execution level is not asInvoker (once, without uiAccess)")

    systems = {e.get("Id", "").lower() for e in root.iterfind(
        "%s/%s/%s" % (q(COMPATIBILITY, "compatibility"), q(COMPATIBILITY, "application"),
                      q(COMPATIBILITY, "supportedOS")))}
    if systems != SUPPORTED_OS:
        problems.append("supported systems are not exactly Vista, 7, 8, 8.1 and 10/11")

    settings = root.find("%s/%s" % (q("urn:schemas-microsoft-com:asm.v3", "application"),
                                    q("urn:schemas-microsoft-com:asm.v3", "windowsSettings")))
    aware = settings.find(q(SETTINGS_2005, "dpiAware")) if settings is not None else None
    awareness = settings.find(q(SETTINGS_2016, "dpiAwareness")) if settings is not None else None
    if aware is None or (aware.text or "").strip().lower() != "true/pm":
        problems.append("dpiAware is not true/pm")
    forms = [f.strip().lower() for f in (awareness.text or "").split(",")] if awareness is not None else []
    if forms[:2] != ["permonitorv2", "permonitor"]:
        problems.append("dpiAwareness is not PerMonitorV2 with PerMonitor as fallback")
    return problems


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in ("x86", "amd64"):
        print("usage: manifest.py PROGRAM x86|amd64", file=sys.stderr)
        return 2
    try:
        with open(sys.argv[1], "rb") as f:
            problems = check(read_manifest(f.read()), sys.argv[2])
    except (OSError, Problem) as e:
        problems = [str(e)]
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
