#!/usr/bin/env python3
"""Packs the skin folder into the zip archive that the installer embeds as its skin resource."""
import os
import sys
import zipfile


def main(skin_dir: str, output: str) -> None:
    with zipfile.ZipFile(output + ".tmp", "w", zipfile.ZIP_DEFLATED) as archive:
        for folder, _, files in sorted(os.walk(skin_dir)):
            for name in sorted(files):
                if name == "README.md":
                    continue
                path = os.path.join(folder, name)
                archive.write(path, os.path.relpath(path, skin_dir).replace(os.sep, "/"))
    os.replace(output + ".tmp", output)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
