#include "common/network_state.h"

#include <windows.h>
#include <wininet.h>

bool IsNetworkConnected() {
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) != FALSE;
}
