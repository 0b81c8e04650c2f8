#!/usr/bin/env python3
"""Checks that the application manifest holds nothing Windows XP's loader refuses.

    check_manifest_xp.py MANIFEST     check the file; exit 1 with each fault
    check_manifest_xp.py --self-test  the rules against manifests with planted faults

XP's side-by-side parser knows the asm.v1 assembly schema, and trustInfo only in the asm.v2 or
asm.v3 namespace; it skips elements of namespaces it does not know (compatibility, with its
supportedOS list). Refused or worse: trustInfo in the asm.v1 namespace (the program does not
start: the configuration is incorrect), application/windowsSettings (dpiAware and the like)
outside the asm.v3 namespace, and one tag that declares the same namespace twice (XP SP2
without hotfix KB921337 restarts the computer).
"""
import re
import sys
import xml.etree.ElementTree as ET

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
TRUST_NAMESPACES = {"urn:schemas-microsoft-com:asm.v2", "urn:schemas-microsoft-com:asm.v3"}
SETTINGS_NAMESPACE = "urn:schemas-microsoft-com:asm.v3"
XP_SKIPS = {"urn:schemas-microsoft-com:compatibility.v1"}
ASM_V1_CHILDREN = {"assemblyIdentity", "description", "dependency", "file", "noInherit",
                   "noInheritable"}
START_TAG = re.compile(r"<([A-Za-z_][\w.:-]*)((?:\s+[\w.:-]+\s*=\s*(?:\"[^\"]*\"|'[^']*'))*)\s*/?>")
NAMESPACE_DECLARATION = re.compile(r"\sxmlns(?::[\w.-]+)?\s*=\s*(\"[^\"]*\"|'[^']*')")


def split(tag):
    namespace, _, local = tag[1:].partition("}") if tag.startswith("{") else ("", "", tag)
    return namespace, local


def faults(text):
    found = []
    for tag in START_TAG.finditer(text):
        uris = [value[1:-1] for value in NAMESPACE_DECLARATION.findall(tag.group(2))]
        if len(uris) != len(set(uris)):
            found.append(f"<{tag.group(1)}> declares a namespace twice")
    try:
        root = ET.fromstring(text.encode("utf-8"))
    except ET.ParseError as e:
        return found + [f"not well-formed XML: {e}"]
    if root.tag != f"{{{ASM_V1}}}assembly" or root.get("manifestVersion") != "1.0":
        found.append("the root is not an asm.v1 assembly of manifestVersion 1.0")
    for child in root:
        namespace, local = split(child.tag)
        if local == "trustInfo":
            if namespace not in TRUST_NAMESPACES:
                found.append(f"trustInfo in namespace {namespace!r}: XP accepts asm.v2 or asm.v3")
        elif local == "application" and any(split(e.tag)[1] == "windowsSettings" for e in child):
            if namespace != SETTINGS_NAMESPACE:
                found.append(f"application/windowsSettings in namespace {namespace!r}, not asm.v3")
        elif namespace == ASM_V1 and local not in ASM_V1_CHILDREN:
            found.append(f"<{local}> is not part of XP's assembly schema")
        elif namespace not in (ASM_V1, SETTINGS_NAMESPACE) and namespace not in XP_SKIPS:
            found.append(f"<{local}> in unknown namespace {namespace!r}")
    return found


GOOD = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" name="A.B" version="1.0.0.0" processorArchitecture="*"/>
  <description>x</description>
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3"><security><requestedPrivileges>
    <requestedExecutionLevel level="asInvoker" uiAccess="false"/></requestedPrivileges></security>
  </trustInfo>
  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1"><application>
    <supportedOS Id="{e2011457-1546-43c5-a5fe-008deee3d3f0}"/></application></compatibility>
</assembly>"""

PLANTED = [
    ("trustInfo in the asm.v1 namespace",
     GOOD.replace('<trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">', "<trustInfo>"),
     "trustInfo in namespace 'urn:schemas-microsoft-com:asm.v1'"),
    ("trustInfo declaring its namespace twice",
     GOOD.replace('<trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">',
                  '<ms_asmv3:trustInfo xmlns:ms_asmv3="urn:schemas-microsoft-com:asm.v3" '
                  'xmlns="urn:schemas-microsoft-com:asm.v3">').replace(
                      "</trustInfo>", "</ms_asmv3:trustInfo>"),
     "declares a namespace twice"),
    ("dpiAware without the asm.v3 namespace",
     GOOD.replace("</assembly>", "<application><windowsSettings><dpiAware>true</dpiAware>"
                  "</windowsSettings></application></assembly>"),
     "application/windowsSettings in namespace 'urn:schemas-microsoft-com:asm.v1'"),
]


def self_test():
    failures = []
    if faults(GOOD):
        failures.append(f"the good manifest was refused: {faults(GOOD)}")
    asm_v3_settings = GOOD.replace("</assembly>", '<application xmlns="urn:schemas-microsoft-com:asm.v3">'
                                   "<windowsSettings/></application></assembly>")
    if faults(asm_v3_settings):
        failures.append(f"windowsSettings in asm.v3 was refused: {faults(asm_v3_settings)}")
    for what, text, expected in PLANTED:
        found = faults(text)
        if not any(expected in f for f in found):
            failures.append(f"{what}: expected a fault with {expected!r}, got {found}")
    for failure in failures:
        print(f"check_manifest_xp self-test: {failure}")
    return 1 if failures else 0


def main(argv):
    if argv == ["--self-test"]:
        return self_test()
    with open(argv[0], encoding="utf-8") as f:
        found = faults(f.read())
    for fault in found:
        print(f"{argv[0]}: {fault}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
