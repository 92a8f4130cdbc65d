# The stand-in reading client, its uninstaller and the release package builder.
