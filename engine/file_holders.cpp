#include "engine/file_holders.h"

#include <windows.h>
#include <restartmanager.h>

#include <algorithm>

#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "common/system_library.h"

namespace {

const wchar_t kWhere[] = L"Restart Manager";

using RmStartSessionProc = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
using RmEndSessionProc = DWORD(WINAPI*)(DWORD);
using RmRegisterResourcesProc = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
using RmGetListProc = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, DWORD*);

template <typename Proc>
bool Resolve(HMODULE module, const char* name, Proc* proc) {
  *proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  if (*proc != nullptr) return true;
  LogSystemFailure(kWhere, LastError(), L"%hs is missing from rstrtmgr.dll", name);
  return false;
}

struct RestartManager {
  RmStartSessionProc start_session = nullptr;
  RmEndSessionProc end_session = nullptr;
  RmRegisterResourcesProc register_resources = nullptr;
  RmGetListProc get_list = nullptr;
};

// A started session, ended when it goes.
class RestartManagerSession {
 public:
  explicit RestartManagerSession(const RestartManager& manager) : manager_(manager) {
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    const DWORD status = manager_.start_session(&handle_, 0, key);
    started_ = status == ERROR_SUCCESS;
    if (!started_) LogSystemFailure(kWhere, SystemCode::Win32Error(status), L"no session could be started");
  }
  ~RestartManagerSession() {
    if (started_) manager_.end_session(handle_);
  }
  RestartManagerSession(const RestartManagerSession&) = delete;
  RestartManagerSession& operator=(const RestartManagerSession&) = delete;

  bool started() const { return started_; }
  DWORD handle() const { return handle_; }

 private:
  const RestartManager& manager_;
  DWORD handle_ = 0;
  bool started_ = false;
};

// The processes of the session's files; the list can grow between asking for its size and
// reading it, so it is asked for again a few times.
bool ListHolders(const RestartManager& manager, DWORD session, std::vector<RM_PROCESS_INFO>* holders) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    UINT needed = 0;
    UINT count = static_cast<UINT>(holders->size());
    DWORD reasons = 0;
    const DWORD status = manager.get_list(session, &needed, &count, holders->data(), &reasons);
    if (status == ERROR_SUCCESS) {
      holders->resize(count);
      return true;
    }
    if (status != ERROR_MORE_DATA) {
      LogSystemFailure(kWhere, SystemCode::Win32Error(status), L"the holders cannot be listed");
      return false;
    }
    holders->resize(needed);
  }
  SetupLog(L"%ls: the list of holders kept growing", kWhere);
  return false;
}

}  // namespace

std::vector<std::wstring> ProgramsHoldingFile(const std::wstring& path) {
  std::vector<std::wstring> programs;
  const ScopedLibrary module = LoadSystemLibrary(L"rstrtmgr.dll");
  if (!module) {
    LogSystemFailure(kWhere, LastError(), L"rstrtmgr.dll cannot be loaded");
    return programs;
  }
  RestartManager manager;
  if (!Resolve(module.Get(), "RmStartSession", &manager.start_session) ||
      !Resolve(module.Get(), "RmEndSession", &manager.end_session) ||
      !Resolve(module.Get(), "RmRegisterResources", &manager.register_resources) ||
      !Resolve(module.Get(), "RmGetList", &manager.get_list)) {
    return programs;
  }
  const RestartManagerSession session(manager);
  if (!session.started()) return programs;
  LPCWSTR files[] = {path.c_str()};
  const DWORD status = manager.register_resources(session.handle(), 1, files, 0, nullptr, 0, nullptr);
  if (status != ERROR_SUCCESS) {
    LogSystemFailure(kWhere, SystemCode::Win32Error(status), L"%ls cannot be registered", path.c_str());
    return programs;
  }
  std::vector<RM_PROCESS_INFO> holders;
  if (!ListHolders(manager, session.handle(), &holders)) return programs;
  for (const RM_PROCESS_INFO& holder : holders) {
    const std::wstring name(holder.strAppName);
    // One program often runs as several processes.
    if (!name.empty() && std::find(programs.begin(), programs.end(), name) == programs.end()) {
      programs.push_back(name);
    }
  }
  return programs;
}
