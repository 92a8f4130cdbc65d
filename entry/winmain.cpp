#include <windows.h>

#include "entry/dll_search.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  RestrictDllSearchToSystem32();
  return 0;
}
