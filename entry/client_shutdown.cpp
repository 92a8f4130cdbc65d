#include "entry/client_shutdown.h"

#include <string>

#include "common/product_names.h"
#include "common/registry.h"
#include "common/tray.h"
#include "entry/client_process_id.h"

namespace {

constexpr DWORD kNoticeTimeoutMs = 5000;
// A hung client must not hold the installer up; an answer takes far less.
constexpr DWORD kCountTimeoutMs = 3000;
// The files of a terminated process stay locked until it has really ended.
constexpr DWORD kExitTimeoutMs = 5000;

bool RunsClientExecutable(DWORD process_id) {
  const ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
  if (!process) return false;
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = ARRAYSIZE(path);
  return QueryFullProcessImageNameW(process.Get(), 0, path, &size) && IsClientExecutable(path);
}

// The id that the client recorded, when it still names a running client: a client that ended
// long ago may have left an id that now belongs to some other program.
DWORD RecordedClientProcessId() {
  std::wstring text;
  {
    const ScopedRegKey key = RegOpenOrCreateKey(HKEY_CURRENT_USER, kProductKey);
    text = RegReadString(key.Get(), L"BokrinID", REG_SZ);
  }
  const DWORD process_id = ParseClientProcessId(text);
  return process_id != 0 && RunsClientExecutable(process_id) ? process_id : 0;
}

}  // namespace

void ShutDownRunningClient() {
  DWORD process_id = 0;
  int icon_count = 0;
  const HWND window = FindWindowW(nullptr, kClientWindowTitle);
  if (window != nullptr) {
    DWORD_PTR reply = 0;
    SendMessageTimeoutW(window, WM_CLIENT_INSTALL_NOTICE, 0, 0, SMTO_ABORTIFHUNG, kNoticeTimeoutMs, &reply);
    GetWindowThreadProcessId(window, &process_id);
    if (SendMessageTimeoutW(window, WM_CLIENT_TRAY_ICON_COUNT, 0, 0, SMTO_ABORTIFHUNG, kCountTimeoutMs,
                            &reply)) {
      icon_count = static_cast<int>(reply);
    }
  }
  if (process_id == 0) process_id = RecordedClientProcessId();
  if (process_id != 0) {
    RemoveClientTrayIcons(ScopedHandle(OpenProcess(PROCESS_ALL_ACCESS, FALSE, process_id)), icon_count);
    const ScopedHandle client(OpenProcess(PROCESS_ALL_ACCESS, FALSE, process_id));
    if (client && TerminateProcess(client.Get(), 0)) WaitForSingleObject(client.Get(), kExitTimeoutMs);
  }
  RefreshTrayIcons();
}
