#!/usr/bin/env python3
"""Fails on a public enumeration value without documentation.

Reads the XML that Doxygen writes for the reference manual (docs/Doxyfile.in)
and names each undocumented value as Doxygen names its own warnings:

    docs/enumvalues.py BUILD/docs/xml
"""
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path


def described(element):
    """Whether a value has a brief or detailed description with any text."""
    for tag in ("briefdescription", "detaileddescription"):
        part = element.find(tag)
        if part is not None and "".join(part.itertext()).strip():
            return True
    return False


def undocumented(xml_folder):
    """(file, line, name) of every public enumeration value left undocumented."""
    found = {}
    for path in sorted(Path(xml_folder).glob("*.xml")):
        if path.name in ("index.xml", "Doxyfile.xml"):
            continue
        root = ElementTree.parse(path).getroot()
        for compound in root.iter("compounddef"):
            scope = compound.findtext("compoundname", "")
            for enum in compound.iter("memberdef"):
                if enum.get("kind") != "enum" or enum.get("prot") not in ("public", None):
                    continue
                location = enum.find("location")
                file = location.get("file", "?") if location is not None else "?"
                line = location.get("line", "0") if location is not None else "0"
                for value in enum.iter("enumvalue"):
                    if not described(value):
                        name = f"{enum.findtext('name')}::{value.findtext('name')}"
                        if compound.get("kind") != "file":
                            name = f"{scope}::{name}"
                        found.setdefault(value.get("id"), (file, line, name))
    return sorted(found.values())


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: enumvalues.py XML_FOLDER")
    missing = undocumented(sys.argv[1])
    for file, line, name in missing:
        print(f"{file}:{line}: error: enumeration value {name} is not documented.")
    sys.exit(1 if missing else 0)


if __name__ == "__main__":
    main()
