#include "wizard/err_tip_wnd.h"

#include "wizard/wizard_messages.h"

namespace {

ErrTipWnd* g_errTipWnd = nullptr;

// Runs the message loop until no box is open; false when the quit message came first (it is
// posted again for the loop that owns it).
bool WaitForOpenBox() {
  MSG msg{};
  while (g_errTipWnd != nullptr && g_errTipWnd->IsShowing()) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (!SkinUI::CSkinManagerUI::TranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

}  // namespace

ErrTipWnd::~ErrTipWnd() {
  if (g_errTipWnd == this) g_errTipWnd = nullptr;
}

ErrTipWnd* GetErrTipWnd() {
  if (g_errTipWnd == nullptr) g_errTipWnd = new ErrTipWnd;
  return g_errTipWnd;
}

UINT ShowTipBox(HWND owner, const std::wstring& text, const std::wstring& title) {
  if (!WaitForOpenBox()) return 0;
  GetErrTipWnd()->SetTipText(text);
  GetErrTipWnd()->SetTipTitle(title);
  return GetErrTipWnd()->ShowTip(owner);
}

UINT ErrTipWnd::ShowTip(HWND owner) {
  if (!m_bCreated) {
    m_bCreated = Create(owner, L"Tip", WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION |
                                            WS_SYSMENU,
                        WS_EX_STATICEDGE | WS_EX_APPWINDOW) != nullptr;
    CenterWindow();
  }
  // The box deletes itself when it closes: nothing of it is touched after the modal loop.
  return ShowModal();
}

void ErrTipWnd::InitWindow() {
  m_pm.SetDPI(SkinUI::CDPI::GetMainMonitorDPI());
  m_pTextLabel = m_pm.FindControl(L"lab_TextContent");
  m_pTitleLabel = m_pm.FindControl(L"Lab_title");
  if (m_pTitleLabel != nullptr) m_pTitleLabel->SetText(m_strTitle);
  if (m_pTextLabel != nullptr) m_pTextLabel->SetText(m_strText);
  // The default answer has the keys, as in the system's own boxes.
  if (SkinUI::CControlUI* ok = m_pm.FindControl(L"btn_ok")) ok->SetFocus();
}

void ErrTipWnd::Notify(SkinUI::TNotifyUI& msg) {
  if (msg.type == L"click") {
    const SkinUI::CSkinString& name = msg.sender->GetName();
    if (name == L"btn_ok") {
      Close(1);
    } else if (name == L"btn_close" || name == L"btn_cencal") {
      Close(0);
    }
  } else if (msg.type == L"windowinit") {
    m_pm.SetCaptionRect(m_pm.GetDPIObj()->Scale(m_pm.GetCaptionRect()));
  }
}

LRESULT ErrTipWnd::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  const bool escape = message == WM_KEYDOWN && wParam == VK_ESCAPE;
  // Enter answers OK, unless the keys have moved the focus to another button: Enter then presses
  // that one, as in the system's own dialogs.
  const SkinUI::CControlUI* focus = m_pm.GetFocus();
  const bool enter_is_ok = message == WM_KEYDOWN && wParam == VK_RETURN &&
                           (focus == nullptr || !focus->TakesTabStop() || focus->GetName() == L"btn_ok");
  if (enter_is_ok) ::SendMessageW(m_hWnd, WM_TIP_OK, 0, reinterpret_cast<LPARAM>(L"btn_ok"));
  // Escape answers as the cancel button does.
  if (escape) Close(0);
  const LRESULT result = SkinWindowBase::MessageHandler(message, wParam, lParam, handled);
  // Answered here; no button presses itself on the key as well.
  if (enter_is_ok || escape) handled = true;
  return result;
}

LRESULT ErrTipWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIP_OK) {
    Close(1);
  } else if (message == WM_CLOSE) {
    m_bCreated = false;
  }
  return SkinWindowBase::HandleMessage(message, wParam, lParam);
}
