#pragma once
// Starting the client that was just installed.

// Starts Bokrin.exe from the recorded install directory with its start parameters, shown
// normally. True when the shell started it; the shell shows no error of its own. False without
// any start when the recorded directory is missing, unreadable or not a full path.
bool StartInstalledClient();
