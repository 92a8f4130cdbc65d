#include "entry/client_shutdown.h"

#include <string>

#include "common/product_names.h"
#include "common/registry.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "common/tray.h"
#include "entry/client_process_id.h"

namespace {

constexpr DWORD kNoticeTimeoutMs = 5000;
// A hung client must not hold the installer up; an answer takes far less.
constexpr DWORD kCountTimeoutMs = 3000;
// The files of a terminated process stay locked until it has really ended.
constexpr DWORD kExitTimeoutMs = 5000;

// The process `process_id` when its executable is Bokrin.exe. While the handle is held, the id
// cannot pass to another process.
ScopedHandle OpenClientProcess(DWORD process_id) {
  ScopedHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, process_id));
  if (!process) {
    LogSystemFailure(L"Client shutdown", LastError(), L"process %lu cannot be opened", process_id);
    return process;
  }
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = ARRAYSIZE(path);
  if (!QueryFullProcessImageNameW(process.Get(), 0, path, &size)) {
    LogSystemFailure(L"Client shutdown", LastError(), L"executable of process %lu unknown; left alone", process_id);
    return ScopedHandle();
  }
  if (!IsClientExecutable(path)) {
    SetupLog(L"Client shutdown: process %lu runs %ls, not the client; left alone", process_id, path);
    return ScopedHandle();
  }
  return process;
}

// The first top-level window with the client's title whose process is the client, and that
// process. Other programs may show the same title: an Explorer window on a folder of that name.
HWND FindClientWindow(ScopedHandle* client) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, nullptr, kClientWindowTitle)) != nullptr) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    if (process_id == 0) continue;
    *client = OpenClientProcess(process_id);
    if (*client) return window;
  }
  return nullptr;
}

// The process that the client recorded, when it still is a running client: a client that
// ended long ago may have left an id that now belongs to some other program.
ScopedHandle OpenRecordedClient() {
  std::wstring text;
  {
    const ScopedRegKey key = RegOpenOrCreateKey(HKEY_CURRENT_USER, kProductKey);
    text = RegReadString(key.Get(), L"BokrinID", REG_SZ);
  }
  const DWORD process_id = ParseClientProcessId(text);
  if (process_id == 0) return ScopedHandle();
  return OpenClientProcess(process_id);
}

}  // namespace

void ShutDownRunningClient() {
  ScopedHandle client;
  int icon_count = 0;
  const HWND window = FindClientWindow(&client);
  if (window != nullptr) {
    DWORD_PTR reply = 0;
    SendMessageTimeoutW(window, WM_CLIENT_INSTALL_NOTICE, 0, 0, SMTO_ABORTIFHUNG, kNoticeTimeoutMs, &reply);
    if (SendMessageTimeoutW(window, WM_CLIENT_TRAY_ICON_COUNT, 0, 0, SMTO_ABORTIFHUNG, kCountTimeoutMs,
                            &reply)) {
      icon_count = static_cast<int>(reply);
    }
  } else {
    client = OpenRecordedClient();
  }
  if (client) {
    const DWORD process_id = GetProcessId(client.Get());
    SetupLog(L"Client shutdown: client process %lu found by its %ls, %d icons", process_id,
             window != nullptr ? L"window" : L"recorded id", icon_count);
    RemoveClientTrayIcons(ScopedHandle(OpenProcess(PROCESS_ALL_ACCESS, FALSE, process_id)), icon_count);
    if (!TerminateProcess(client.Get(), 0)) {
      LogSystemFailure(L"Client shutdown", LastError(), L"terminating process %lu failed", process_id);
    } else if (WaitForSingleObject(client.Get(), kExitTimeoutMs) != WAIT_OBJECT_0) {
      SetupLog(L"Client shutdown: process %lu has not ended after %lu ms", process_id, kExitTimeoutMs);
    }
  }
  RefreshTrayIcons();
}
