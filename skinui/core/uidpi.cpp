#include "skinui/core/uidpi.h"

#include "common/scoped_handle.h"
#include "common/system_library.h"
#include "skinui/core/rect_convert.h"

namespace SkinUI {

namespace {

// Windows 8.1 and later report each monitor's own DPI through Shcore; older systems have one
// DPI for the whole screen. Shcore is looked up at run time so the program still starts there.
using GetDpiForMonitorProc = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kMdtEffectiveDpi = 0;

int ScreenDpi() {
  ScopedGetDc screen(nullptr);
  return screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

int CDPI::GetMainMonitorDPI() {
  const ScopedLibrary shcore = LoadSystemLibrary(L"Shcore.dll");
  auto get_dpi = shcore ? reinterpret_cast<GetDpiForMonitorProc>(reinterpret_cast<void*>(
                              GetProcAddress(shcore.Get(), "GetDpiForMonitor")))
                        : nullptr;
  if (get_dpi == nullptr) return ScreenDpi();
  HMONITOR monitor = MonitorFromPoint(POINT{1, 1}, MONITOR_DEFAULTTONEAREST);
  UINT dpi_x = USER_DEFAULT_SCREEN_DPI;
  UINT dpi_y = USER_DEFAULT_SCREEN_DPI;
  if (FAILED(get_dpi(monitor, kMdtEffectiveDpi, &dpi_x, &dpi_y))) {
    MessageBoxW(nullptr, L"GetDpiForMonitor failed", L"Notification", MB_OK);
    return USER_DEFAULT_SCREEN_DPI;
  }
  return static_cast<int>(dpi_x);
}

void CDPI::SetScale(int percent) { m_scale = DpiScale(percent, m_scale.Awareness()); }

RECT CDPI::Scale(const RECT& rect, bool whole_factor) const {
  return ToRECT(m_scale.Scale(ToUiRect(rect), whole_factor));
}

}  // namespace SkinUI
