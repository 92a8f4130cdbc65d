// Who hears a window's notifications, and their delivery: at once, or queued until the window's
// message loop comes round.
#include "skinui/core/uimanager.h"

#include <algorithm>

namespace SkinUI {

void CSkinManagerUI::AddNotifier(INotifyUI* notifier) {
  if (notifier != nullptr && std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end()) {
    m_notifiers.push_back(notifier);
  }
}

void CSkinManagerUI::RemoveNotifier(INotifyUI* notifier) {
  m_notifiers.erase(std::remove(m_notifiers.begin(), m_notifiers.end(), notifier), m_notifiers.end());
}

void CSkinManagerUI::SendNotify(TNotifyUI& msg, bool async) {
  msg.timestamp = GetTickCount();
  msg.mousePoint = m_ptLastMouse;
  if (async) {
    m_asyncNotifications.push_back(msg);
    if (m_hWnd != nullptr) PostMessageW(m_hWnd, kDeliverNotificationsMessage, 0, 0);
    return;
  }
  Deliver(msg);
}

void CSkinManagerUI::SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam, LPARAM lParam, bool async) {
  TNotifyUI msg;
  msg.type = type;
  msg.sender = sender;
  msg.wParam = wParam;
  msg.lParam = lParam;
  SendNotify(msg, async);
}

void CSkinManagerUI::DeliverAsyncNotifications() {
  std::vector<TNotifyUI> pending;
  pending.swap(m_asyncNotifications);
  for (TNotifyUI& msg : pending) Deliver(msg);
}

void CSkinManagerUI::Deliver(TNotifyUI& msg) {
  if (msg.sender != nullptr) {
    // A handler may add handlers; the ones present when the notification left are called.
    const auto handlers = msg.sender->OnNotify;
    for (const auto& handler : handlers) handler(msg);
  }
  // A notifier may close the window or register another notifier; a copy of the list as it
  // stood is walked so that neither invalidates the walk.
  const std::vector<INotifyUI*> notifiers = m_notifiers;
  for (INotifyUI* notifier : notifiers) notifier->Notify(msg);
}

void CSkinManagerUI::DropNotificationsFrom(CControlUI* control) {
  m_asyncNotifications.erase(std::remove_if(m_asyncNotifications.begin(), m_asyncNotifications.end(),
                                            [&](const TNotifyUI& msg) { return msg.sender == control; }),
                             m_asyncNotifications.end());
}

}  // namespace SkinUI
