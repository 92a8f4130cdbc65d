#!/usr/bin/env python3
"""Builds a release package of the stand-in client: a zip with Bokrin.exe and Uninstall.exe at
its root, a readme and one file in a sub-directory, so that extraction meets a directory too.

usage: make_package.py OUTPUT.zip CLIENT_EXE UNINSTALL_EXE VERSION
"""
import os
import sys
import zipfile


def main():
    output, client, uninstaller, version = sys.argv[1:5]
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    temporary = output + ".tmp"
    with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED) as package:
        package.write(client, "Bokrin.exe")
        package.write(uninstaller, "Uninstall.exe")
        package.writestr("readme.txt", "Bokrin阅读 %s (stand-in)\r\n" % version)
        package.writestr("openglessl/", "")
        package.writestr("openglessl/settings.txt", "renderer=software\r\n")
    os.replace(temporary, output)


if __name__ == "__main__":
    main()
