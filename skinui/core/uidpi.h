#pragma once
// The display scale of one window manager: the platform's side of the scale rules (which DPI
// the main monitor has, how high the primary screen is) around the portable DpiScale.
#include <windows.h>

#include "skinui/core/dpi_scale.h"

namespace SkinUI {

class CDPI {
 public:
  // The effective DPI of the monitor nearest to the screen point (1, 1).
  static int GetMainMonitorDPI();

  int GetScale() const { return m_scale.Percent(); }
  void SetScale(int percent);
  const DpiScale& Scaler() const { return m_scale; }

  int Scale(int value, bool whole_factor = false) const { return m_scale.Scale(value, whole_factor); }
  RECT Scale(const RECT& rect, bool whole_factor = false) const;

 private:
  DpiScale m_scale;
};

}  // namespace SkinUI
