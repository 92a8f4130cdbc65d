#pragma once
// The installer's one message box: a skin-drawn modal window with a text and the buttons OK and
// cancel, shown over the main window.
#include <string>

#include "skinui/core/uibase.h"

class ErrTipWnd : public SkinUI::SkinWindowBase {
 public:
  ErrTipWnd() = default;
  ~ErrTipWnd() override;

  void SetTipText(const std::wstring& text) { m_strText = text; }
  void SetTipTitle(const std::wstring& title) { m_strTitle = title; }
  // Creates the box over `owner` if it is not there yet and runs it modally: 1 for OK (the
  // button, or Enter unless the keys moved to another button), 0 for every other way out
  // (cancel, close, Escape).
  UINT ShowTip(HWND owner);
  bool IsShowing() const { return m_bCreated; }

  void Notify(SkinUI::TNotifyUI& msg) override;
  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 protected:
  const wchar_t* GetWindowClassName() const override { return L"ErrTip"; }
  SkinUI::CSkinString GetSkinXmlName() override { return L"ErrTipWnd.xml"; }
  void InitWindow() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND) override { delete this; }

 private:
  bool m_bCreated = false;
  std::wstring m_strText;
  std::wstring m_strTitle;
  SkinUI::CControlUI* m_pTextLabel = nullptr;
  SkinUI::CControlUI* m_pTitleLabel = nullptr;
};

// The box that exists, or a new one.
ErrTipWnd* GetErrTipWnd();

// The whole sequence of every caller: text, title, shown modally over `owner`; the answer. A
// box asked for while another is open shows after that one has closed, so that neither text is
// lost and nothing touches the first box once it is gone.
UINT ShowTipBox(HWND owner, const std::wstring& text, const std::wstring& title);
