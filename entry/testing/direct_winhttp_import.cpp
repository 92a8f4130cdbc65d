// Imports WinHTTP directly, as the installer once did: the loader resolves the import before
// main runs, looking beside the program first. The planted-DLL test runs it as its control.
#include <windows.h>
#include <winhttp.h>

int main(int argc, char**) {
  // Only the import matters; the planted copy has no such function to call.
  return argc > 1 && WinHttpCheckPlatform() ? 1 : 0;
}
