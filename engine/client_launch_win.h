#pragma once
// The two ways StartInstalledClient may start the client, given as parameters so that tests
// can choose which of them fails.
#include <functional>

#include "engine/desktop_shell_launch.h"

// Each route is true when it started the client.
struct ClientStartRoutes {
  // Tried first: the client gets the desktop user's rights (StartThroughDesktopShell).
  std::function<bool(const ShellStartRequest&)> desktop_shell;
  // StartFromThisInstaller: the client inherits this installer's elevation.
  std::function<bool(const ShellStartRequest&)> direct;
};

// Opens `request` with this process's own ShellExecuteExW and the verb "open", no working
// directory and no error box of the shell's; a failure is logged.
bool StartFromThisInstaller(const ShellStartRequest& request);

// StartInstalledClient() through `routes`: the direct one only when the desktop's shell did not
// start the client, or when the client's file is missing (the shell would answer with an error
// box of its own, beside the wizard's), and never when standard users can write the install
// directory (IsWritableByStandardUsers): a client they could have replaced runs only with the
// desktop user's rights, or not at all.
bool StartInstalledClient(const ClientStartRoutes& routes);
