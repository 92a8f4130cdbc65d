#include "entry/instance_check.h"

#include <windows.h>

#include "common/scoped_handle.h"
#include "common/product_names.h"

bool FindRunningWizard() {
  {
    const ScopedHandle semaphore(CreateSemaphoreW(nullptr, 1, 1, kInstanceName));
    if (!semaphore) return true;
  }
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr && IsWindow(window);
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (GetPropW(window, kInstanceName) != nullptr) {
      if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
      SetForegroundWindow(window);
      return false;
    }
  }
  return true;
}
