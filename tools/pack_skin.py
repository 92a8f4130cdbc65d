#!/usr/bin/env python3
"""Packs the skin into the zip archive that the installer embeds as its skin resource.

usage: pack_skin.py OUTPUT.zip FOLDER...

Every file of the folders but README.md and half-written pictures (.tmp) becomes an entry in the
archive's root: the toolkit finds skin files and pictures by bare name. Entries are sorted and carry a fixed date, so the
same files always give the same archive.
"""
import os
import sys
import zipfile


def main(output: str, folders: list) -> None:
    files = {}
    for folder in folders:
        for name in os.listdir(folder):
            path = os.path.join(folder, name)
            if name == "README.md" or name.endswith(".tmp"):
                continue
            if not os.path.isfile(path):
                sys.exit(f"pack_skin: {path} is not a file; the archive has no folders")
            if name.lower() in files:
                sys.exit(f"pack_skin: {name} is in more than one folder")
            files[name.lower()] = path
    with zipfile.ZipFile(output + ".tmp", "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for key in sorted(files):
            path = files[key]
            entry = zipfile.ZipInfo(os.path.basename(path), date_time=(2024, 1, 1, 0, 0, 0))
            entry.external_attr = 0o644 << 16
            with open(path, "rb") as source:
                archive.writestr(entry, source.read(), zipfile.ZIP_DEFLATED)
    os.replace(output + ".tmp", output)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2:])
