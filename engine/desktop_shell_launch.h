#pragma once
// Starting a program with the rights of the desktop's user rather than this elevated
// installer's: the shell that runs the desktop (Explorer) is asked to start it, so the program
// is Explorer's child and gets Explorer's token.
#include <string>

// What a shell is asked to open: a file, its parameters and the show command. Neither route
// names a working directory.
struct ShellStartRequest {
  std::wstring file;
  std::wstring parameters;
  int show;
};

// Asks the desktop's shell to open `request` with the verb "open". False, with the step that
// failed logged, where no Explorer runs the desktop (Wine's has no such shell) or any step
// fails; nothing has been started then. COM is initialised on the calling thread for the
// call's length unless the thread has it already.
bool StartThroughDesktopShell(const ShellStartRequest& request);
