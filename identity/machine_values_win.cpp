#include <winsock2.h>
#include <windows.h>

#include "identity/machine_values.h"

String8 GetScreenSize() {
  String8 size = IntToString8(GetSystemMetrics(SM_CXSCREEN));
  size.Append("*").Append(IntToString8(GetSystemMetrics(SM_CYSCREEN)));
  return size;
}

String8 GetLocalIp() {
  char host_name[128] = {};
  if (gethostname(host_name, sizeof host_name) != 0) return String8();
  const hostent* host = gethostbyname(host_name);
  if (host == nullptr || host->h_addrtype != AF_INET || host->h_addr_list == nullptr) return String8();
  String8 last;
  for (char** address = host->h_addr_list; *address != nullptr; ++address) {
    in_addr ipv4;
    memcpy(&ipv4, *address, sizeof ipv4);
    last = inet_ntoa(ipv4);
  }
  return last;
}
