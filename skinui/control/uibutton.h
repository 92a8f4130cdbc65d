#pragma once
// The button: a label with pictures for its normal, hot and pressed states that sends "click"
// when it is pressed and released under the mouse, or given Space or Enter. Focused from the
// keyboard, it draws a frame just inside its edge.
#include "skinui/control/uilabel.h"

namespace SkinUI {

class CButtonUI : public CLabelUI {
 public:
  CButtonUI();
  const wchar_t* GetClass() const override;
  void SetEnabled(bool enabled) override;
  void DoEvent(TEventUI& event) override;
  // Sends "click" when the button is visible and enabled.
  bool Activate();
  bool TakesTabStop() const override { return true; }

 protected:
  static const ControlAttributes& Attributes();
  const ControlAttributes& AttributesOfClass() const override { return Attributes(); }
  void PaintBkColor(PaintContext& context) override;
  void PaintStatusImage(PaintContext& context) override;
  void PaintBorder(PaintContext& context) override;

 private:
  void SetHot(bool hot);

  bool m_bHot = false;
  bool m_bPushed = false;
  bool m_bKeyboardEnabled = true;
  DWORD m_dwHotBkColor = 0;
  CSkinString m_sNormalImage;
  CSkinString m_sHotImage;
  CSkinString m_sPushedImage;
};

}  // namespace SkinUI
