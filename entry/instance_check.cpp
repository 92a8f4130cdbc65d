#include "entry/instance_check.h"

#include <windows.h>

#include <utility>

#include "common/scoped_handle.h"
#include "common/product_names.h"
#include "common/setup_log.h"
#include "common/system_failure.h"

namespace {

// The name holds "Global\" so that a deployment running in another session (as the system, for
// one) and a wizard on the user's desktop see the same lock.
constexpr wchar_t kInstallerLockName[] = L"Global\\BokrinSetup.Installer";

// The first top-level window that carries the instance property: another installer's wizard.
HWND FindWizardWindow() {
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr && IsWindow(window);
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (GetPropW(window, kInstanceName) != nullptr) return window;
  }
  return nullptr;
}

}  // namespace

bool FindRunningWizard() {
  {
    const ScopedHandle semaphore(CreateSemaphoreW(nullptr, 1, 1, kInstanceName));
    if (!semaphore) return true;
  }
  const HWND window = FindWizardWindow();
  if (window == nullptr) return true;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
  return false;
}

bool IsWizardOpen() { return FindWizardWindow() != nullptr; }

bool TakeInstallerLock(ScopedHandle& lock) {
  ScopedHandle made(CreateMutexW(nullptr, FALSE, kInstallerLockName));
  const DWORD error = GetLastError();
  if (made && error != ERROR_ALREADY_EXISTS) {
    lock = std::move(made);
    return true;
  }
  // Made by an installer of another user, whose lock this one may not open: taken all the same.
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) return false;
  LogSystemFailure(L"Instance check", SystemCode::Win32Error(error), L"the installer lock cannot be made; going on without it");
  return true;
}
