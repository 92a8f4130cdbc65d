// What the whole process shares: the instance, the attached skin archive, the message loop and
// the pre-translation that offers messages to the managers' pre-message filters.
#include "skinui/core/uimanager.h"

#include <algorithm>

#include "skinui/core/skin_resources.h"

namespace SkinUI {

namespace {

HINSTANCE g_instance = nullptr;
// Every manager with a window, for the pre-translation of messages.
std::vector<CSkinManagerUI*>& LiveManagers() {
  static std::vector<CSkinManagerUI*> managers;
  return managers;
}

}  // namespace

CSkinManagerUI* CSkinManagerUI::FromWindow(HWND window) {
  for (CSkinManagerUI* manager : LiveManagers()) {
    if (manager->GetPaintWindow() == window) return manager;
  }
  return nullptr;
}

void CSkinManagerUI::JoinLiveManagers() {
  auto& managers = LiveManagers();
  if (std::find(managers.begin(), managers.end(), this) == managers.end()) managers.push_back(this);
}

void CSkinManagerUI::LeaveLiveManagers() {
  auto& managers = LiveManagers();
  managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
}

void CSkinManagerUI::SetInstance(HINSTANCE instance) { g_instance = instance; }
HINSTANCE CSkinManagerUI::GetInstance() { return g_instance; }
HINSTANCE CSkinManagerUI::GetResourceDll() { return g_instance; }

void CSkinManagerUI::SetResourceZip(const void* data, unsigned length, const wchar_t* password) {
  SkinResources::Process().SetResourceZip(data, length, password);
}

void CSkinManagerUI::MessageLoop() {
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!TranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

bool CSkinManagerUI::TranslateMessage(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == nullptr) return false;
  LRESULT result = 0;
  const bool is_child = (GetWindowLongW(msg->hwnd, GWL_STYLE) & WS_CHILD) != 0;
  if (!is_child) {
    CSkinManagerUI* manager = FromWindow(msg->hwnd);
    return manager != nullptr && manager->PreMessageHandler(msg->message, msg->wParam, msg->lParam, result);
  }
  for (HWND ancestor = GetParent(msg->hwnd); ancestor != nullptr; ancestor = GetParent(ancestor)) {
    CSkinManagerUI* manager = FromWindow(ancestor);
    if (manager != nullptr && manager->PreMessageHandler(msg->message, msg->wParam, msg->lParam, result)) {
      return true;
    }
  }
  return false;
}

void CSkinManagerUI::AddPreMessageFilter(IMessageFilterUI* filter) {
  if (filter != nullptr &&
      std::find(m_preMessageFilters.begin(), m_preMessageFilters.end(), filter) == m_preMessageFilters.end()) {
    m_preMessageFilters.push_back(filter);
  }
}

void CSkinManagerUI::RemovePreMessageFilter(IMessageFilterUI* filter) {
  m_preMessageFilters.erase(std::remove(m_preMessageFilters.begin(), m_preMessageFilters.end(), filter),
                            m_preMessageFilters.end());
}

bool CSkinManagerUI::PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const std::vector<IMessageFilterUI*> filters = m_preMessageFilters;
  for (IMessageFilterUI* filter : filters) {
    bool handled = false;
    const LRESULT answer = filter->MessageHandler(message, wParam, lParam, handled);
    if (handled) {
      result = answer;
      return true;
    }
  }
  return false;
}

}  // namespace SkinUI
