// The controls' timers: each lives as a window timer of its own id, so that two controls may use
// the same id.
#include "skinui/core/uimanager.h"

namespace SkinUI {

bool CSkinManagerUI::SetTimer(CControlUI* control, UINT id, UINT elapse_ms) {
  if (m_hWnd == nullptr || control == nullptr) return false;
  KillTimer(control, id);
  const UINT_PTR native_id = m_nextTimerId++;
  if (::SetTimer(m_hWnd, native_id, elapse_ms, nullptr) == 0) return false;
  m_timers.push_back({control, id, native_id});
  return true;
}

void CSkinManagerUI::KillTimer(CControlUI* control, UINT id) {
  for (auto timer = m_timers.begin(); timer != m_timers.end(); ++timer) {
    if (timer->control == control && timer->id == id) {
      ::KillTimer(m_hWnd, timer->native_id);
      m_timers.erase(timer);
      return;
    }
  }
}

void CSkinManagerUI::KillTimersOf(CControlUI* control) {
  for (auto timer = m_timers.begin(); timer != m_timers.end();) {
    if (timer->control == control) {
      if (m_hWnd != nullptr) ::KillTimer(m_hWnd, timer->native_id);
      timer = m_timers.erase(timer);
    } else {
      ++timer;
    }
  }
}

void CSkinManagerUI::KillAllTimers() {
  for (const ControlTimer& timer : m_timers) {
    if (m_hWnd != nullptr) ::KillTimer(m_hWnd, timer.native_id);
  }
  m_timers.clear();
}

bool CSkinManagerUI::OnTimer(WPARAM native_id) {
  for (const ControlTimer& timer : m_timers) {
    if (timer.native_id == native_id) {
      SendEvent(timer.control, EventType::kTimer, timer.id);
      return true;
    }
  }
  return false;
}

}  // namespace SkinUI
