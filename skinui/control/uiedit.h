#pragma once
// The single-line edit: the skin draws it (text or grey hint, border that marks the focus), and
// a native edit window opens over it for typing when it takes the focus, by a click or by Tab.
// In a layered window, which shows no child windows, that native edit is a pop-up at the same
// place on the screen. Tab and Shift+Tab typed there move the window's focus on.
#include <windows.h>

#include "skinui/control/uilabel.h"

namespace SkinUI {

class CEditUI : public CLabelUI {
 public:
  CEditUI() = default;
  ~CEditUI() override;
  const wchar_t* GetClass() const override;
  bool TakesTabStop() const override { return true; }

  // While the native edit is open, what is typed there.
  CSkinString GetText() const override;
  void SetText(const CSkinString& text) override;
  void SetEnabled(bool enabled) override;
  void SetVisible(bool visible) override;
  void DoEvent(TEventUI& event) override;
  void SetPos(const RECT& rect) override;

  // The native edit window while it is open, or null.
  HWND GetNativeEditWindow() const { return m_hNativeEdit; }
  // Where the native edit goes, in the window's client coordinates: the control less its text
  // padding, as high as its font and centred, within what its ancestors leave visible.
  RECT NativeEditRect() const;

 protected:
  static const ControlAttributes& Attributes();
  const ControlAttributes& AttributesOfClass() const override { return Attributes(); }
  void PaintText(PaintContext& context) override;

 private:
  static LRESULT CALLBACK NativeEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OpenNativeEdit();
  // Takes the typed text and closes the native edit; the keys it had go back to the window.
  void CloseNativeEdit();

  int m_uMaxChar = 255;
  CSkinString m_sTipValue;
  HWND m_hNativeEdit = nullptr;
  WNDPROC m_pNativeEditProc = nullptr;
};

}  // namespace SkinUI
